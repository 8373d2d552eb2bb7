// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/relaysettings.h"

#include "devicedata/codeconversions.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr quint16 CurrentRangeRegister = 25;

template<typename Record>
void appendFields(QVector<SettingsField> &all, SettingsBlock block, FieldList<Record> fields)
{
    for (const Field<Record> &field : fields)
        all.append({ block, field.description });
}

} // namespace

const QVector<SettingsField> &settingsFields()
{
    // The tables are static; the blocks are only asked for them.
    static const QVector<SettingsField> all = [] {
        QVector<SettingsField> fields;
        appendFields(
            fields, SettingsBlock::MeterageConfiguration, MeterageConfigurationData().fields());
        appendFields(
            fields, SettingsBlock::ProtectionConfiguration, ProtectionConfigurationData().fields());
        appendFields(fields, SettingsBlock::Setpoints, SetpointsData().fields());
        return fields;
    }();
    return all;
}

const SettingsField *settingsFieldNamed(const QString &name)
{
    const QVector<SettingsField> &all = settingsFields();
    const auto found = std::find_if(all.cbegin(), all.cend(), [&name](const SettingsField &field) {
        return name == QLatin1String(field.description.name);
    });
    return found == all.cend() ? nullptr : &*found;
}

const SettingsField *settingsFieldAt(quint16 address)
{
    const QVector<SettingsField> &all = settingsFields();
    const auto found = std::find_if(all.cbegin(), all.cend(),
        [address](const SettingsField &field) { return field.description.address == address; });
    return found == all.cend() ? nullptr : &*found;
}

QString plainLabel(const FieldDescription &field)
{
    static const QRegularExpression markup(QStringLiteral("<[^>]*>"));
    QString text = field.label.translated().remove(markup).trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

QString settingsFieldName(quint16 address)
{
    const SettingsField *field = settingsFieldAt(address);
    if (!field)
        return QString::number(address);
    return QCoreApplication::translate("SettingsField", "%1, %2", "group, field")
        .arg(field->description.group.translated(), plainLabel(field->description));
}

SettingsValues differingValues(const SettingsValues &held, const SettingsValues &wanted)
{
    SettingsValues differing;
    for (auto value = wanted.cbegin(); value != wanted.cend(); ++value) {
        const auto now = held.constFind(value.key());
        if (now == held.cend() || *now != *value)
            differing.insert(value.key(), *value);
    }
    return differing;
}

qint64 shownRangeMultiplier(const SettingsValues &values)
{
    const auto range = values.constFind(CurrentRangeRegister);
    return shownRangeMultiplier(range == values.cend() ? DataValue() : validValue(*range));
}

SettingsValues registersToWrite(DeviceData &block)
{
    SettingsValues values;
    for (const ModbusRequest &request : qAsConst(block.writeRequests())) {
        if (request.function() != ModbusRequest::WriteSingleRegister
            && request.function() != ModbusRequest::WriteMultipleRegisters)
            continue;
        ModbusRegisters registers(request.startAddress(), request.count());
        request.fillRegisters(registers);
        for (int i = 0; i < request.count(); ++i) {
            const quint16 address = quint16(request.startAddress() + i);
            values.insert(address, registers.value(address));
        }
    }
    return values;
}
