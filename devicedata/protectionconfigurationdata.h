// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PROTECTIONCONFIGURATIONDATA_H
#define PROTECTIONCONFIGURATIONDATA_H

#include "devicedata/fieldtable.h"

struct ProtectionConfiguration
{
    DataValue diBlockToMode; // see CodeTables::diBlockToMode
    DataValue mtzInstantResetMode; // see CodeTables::onOff
    DataValue mtzInstantResettingTime; // tenths of a second
};

FieldList<ProtectionConfiguration> protectionConfigurationFields();

// Protection configuration registers 28 to 31. Reads fill configuration(); a
// write sends the record last given to setNewConfiguration(), which neither a
// write nor a reset changes.
class ProtectionConfigurationData : public FieldBlock<ProtectionConfiguration>
{
    Q_OBJECT

public:
    explicit ProtectionConfigurationData(QObject *parent = nullptr);

    const ProtectionConfiguration &configuration() const { return values(); }
    void setNewConfiguration(const ProtectionConfiguration &configuration);
};

#endif // PROTECTIONCONFIGURATIONDATA_H
