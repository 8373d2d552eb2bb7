// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CRASHCOUNTDATA_H
#define CRASHCOUNTDATA_H

#include "devicedata/fieldtable.h"

struct CrashCountRecord
{
    DataValue crashCount;
};

FieldList<CrashCountRecord> crashCountFields();

// The total number of trips the relay has counted; it may exceed the number
// of records it keeps.
class CrashCountData : public FieldBlock<CrashCountRecord>
{
    Q_OBJECT

public:
    explicit CrashCountData(QObject *parent = nullptr);

    const DataValue &crashCount() const { return values().crashCount; }
};

#endif // CRASHCOUNTDATA_H
