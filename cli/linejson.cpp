// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/linejson.h"

#include "devicedata/identitytext.h"
#include "devicedata/settingsfingerprint.h"
#include "devicemonitor/linerow.h"

#include <QJsonArray>

namespace {

// Known values as they are, unknown ones as null.
QJsonValue known(const DataValue &value, const QJsonValue &json)
{
    return value.status == NoData ? QJsonValue() : json;
}

QJsonValue fingerprintJson(const std::optional<quint32> &fingerprint)
{
    return fingerprint ? QJsonValue(fingerprintText(*fingerprint)) : QJsonValue();
}

} // namespace

QJsonObject lineRowJson(const LineRow &row)
{
    const DeviceInfo &info = row.identity;
    QJsonArray differences;
    for (const LineDifference &difference : row.differences) {
        differences.append(QJsonObject { { QStringLiteral("field"), difference.name },
            { QStringLiteral("register"), difference.address },
            { QStringLiteral("label"), difference.label },
            { QStringLiteral("relay"), difference.relayText },
            { QStringLiteral("file"), difference.fileText } });
    }
    return {
        { QStringLiteral("slaveId"), row.slaveId },
        { QStringLiteral("state"), LineRow::stateName(row.state) },
        { QStringLiteral("stateText"), row.stateText() },
        { QStringLiteral("deviceType"),
            known(info.deviceTypeCode, QString::number(info.deviceTypeCode.value, 16).toUpper()) },
        { QStringLiteral("serialNumber"),
            known(info.serialNumber, serialNumberText(info.serialNumber)) },
        { QStringLiteral("softwareVersion"),
            known(info.softwareVersion, softwareVersionText(info.softwareVersion)) },
        { QStringLiteral("modules"), known(row.modules, double(row.modules.value)) },
        { QStringLiteral("clockOffsetSeconds"),
            row.clockOffsetSeconds ? QJsonValue(double(*row.clockOffsetSeconds)) : QJsonValue() },
        { QStringLiteral("crashCount"), known(row.crashCount, double(row.crashCount.value)) },
        { QStringLiteral("answered"), row.health.answers },
        { QStringLiteral("asked"), row.health.requests },
        { QStringLiteral("file"), row.file.isEmpty() ? QJsonValue() : QJsonValue(row.file) },
        { QStringLiteral("relayFingerprint"), fingerprintJson(row.relayFingerprint) },
        { QStringLiteral("fileFingerprint"), fingerprintJson(row.fileFingerprint) },
        { QStringLiteral("differences"), differences },
    };
}
