// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/settingsfingerprint.h"

#include <zlib.h>

#include <algorithm>

namespace {

// Every register a settings file holds, ascending.
const QVector<quint16> &fingerprintRegisters()
{
    static const QVector<quint16> registers = [] {
        QVector<quint16> addresses;
        for (const SettingsField &field : settingsFields())
            addresses.append(field.description.address);
        std::sort(addresses.begin(), addresses.end());
        return addresses;
    }();
    return registers;
}

// The record's values into `values`; the status of the least trusted of them.
template<typename Record>
DataStatus collectHeldValues(FieldList<Record> fields, const Record &record, SettingsValues &values)
{
    DataStatus status = Valid;
    for (const Field<Record> &field : fields) {
        const DataValue &value = record.*field.member;
        status = combinedStatus({ status, value.status });
        values.insert(field.description.address, value.value);
    }
    return status;
}

} // namespace

std::optional<quint32> settingsFingerprint(const SettingsValues &values)
{
    QByteArray words;
    words.reserve(fingerprintRegisters().size() * 2);
    for (quint16 address : fingerprintRegisters()) {
        const auto value = values.constFind(address);
        if (value == values.cend())
            return std::nullopt;
        const auto word = quint16(*value);
        words.append(char(word >> 8));
        words.append(char(word & 0xff));
    }
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef *>(words.constData()), uInt(words.size()));
    return quint32(crc);
}

DataValue heldSettingsFingerprint(const MeterageConfiguration &meterageConfiguration,
    const ProtectionConfiguration &protectionConfiguration, const Setpoints &setpoints)
{
    SettingsValues values;
    const DataStatus status = combinedStatus(
        { collectHeldValues(meterageConfigurationFields(), meterageConfiguration, values),
            collectHeldValues(protectionConfigurationFields(), protectionConfiguration, values),
            collectHeldValues(setpointFields(), setpoints, values) });
    const std::optional<quint32> fingerprint = settingsFingerprint(values);
    if (status == NoData || !fingerprint)
        return {};
    return { qint64(*fingerprint), status };
}

QString fingerprintText(quint32 fingerprint)
{
    return QStringLiteral("%1").arg(fingerprint, 8, 16, QLatin1Char('0')).toUpper();
}
