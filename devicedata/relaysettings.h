// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RELAYSETTINGS_H
#define RELAYSETTINGS_H

#include "devicedata/fieldtable.h"

#include <QMap>
#include <QVector>

// A relay's settings as one list: every settable field of the measurement
// configuration, the protection configuration and the setpoints, in that
// order, the order in which they are written.

enum class SettingsBlock { MeterageConfiguration, ProtectionConfiguration, Setpoints };

struct SettingsField
{
    SettingsBlock block;
    FieldDescription description;
};

const QVector<SettingsField> &settingsFields();
const SettingsField *settingsFieldNamed(const QString &name);
const SettingsField *settingsFieldAt(quint16 address);

// A field's label as plain text for a table cell or a message: without the
// markup of "Kt<sub>0</sub>:" and without the colon.
QString plainLabel(const FieldDescription &field);

// A settings register as a message names it: its group and its plain label ("MTZ-TO, Reaction
// time"), as the comparison's rows show it; the bare number when it is no settings field.
QString settingsFieldName(quint16 address);

// Raw register values by register.
using SettingsValues = QMap<quint16, qint64>;

// The range multiplier the pick-up currents of `values` are shown with:
// shownRangeMultiplier() of their current range, 1 when it is missing.
qint64 shownRangeMultiplier(const SettingsValues &values);

// The values of `wanted` that `held` does not hold: what a send of them writes.
SettingsValues differingValues(const SettingsValues &held, const SettingsValues &wanted);

// Who a settings file belongs to.
struct RelayIdentity
{
    qint64 deviceTypeCode = 0;
    qint64 serialNumber = 0;
    qint64 softwareVersion = 0; // hundredths
    qint64 modules = 0; // ModuleFlags
    int slaveId = 0;
};

// What a relay holds now: its identity and its settings, read together.
struct RelaySettings
{
    RelayIdentity identity;
    SettingsValues values;
};

// What a block's write sends, register by register: its pending record as
// the write requests put it on the line.
SettingsValues registersToWrite(DeviceData &block);

// A block's values, Valid or not, into `values`; false if any was not Valid.
template<typename Record>
bool collectFieldValues(FieldList<Record> fields, const Record &record, SettingsValues &values)
{
    bool allValid = true;
    for (const Field<Record> &field : fields) {
        const DataValue &value = record.*field.member;
        allValid = allValid && value.status == Valid;
        values.insert(field.description.address, value.value);
    }
    return allValid;
}

// A block's record holding `values` for its fields, those `values` lacks
// taken from `fallback`.
template<typename Record>
Record recordWithValues(FieldList<Record> fields, const SettingsValues &values, Record fallback)
{
    for (const Field<Record> &field : fields) {
        const auto value = values.constFind(field.description.address);
        if (value != values.cend())
            fallback.*field.member = validValue(*value);
    }
    return fallback;
}

#endif // RELAYSETTINGS_H
