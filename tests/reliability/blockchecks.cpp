// SPDX-License-Identifier: GPL-3.0-or-later
#include "blockchecks.h"

#include "devicedata/crashcountdata.h"
#include "devicedata/crashdata.h"
#include "devicedata/crashlistmodel.h"
#include "devicedata/crashlogdata.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/discreteinputsdata.h"
#include "devicedata/ledsdata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/meteragedata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"
#include "relaybus.h"

#include <memory>

namespace {

// The relay clock runs on while the check looks at it.
constexpr qint64 ClockToleranceSeconds = 3;

void append(BlockValues &values, const CrashRecord &record)
{
    values.plain << record.crashNumber << record.crashType << record.currentRaw
                 << record.currentScale << record.crashCurrentRange;
    values.times << record.crashTime;
}

// Returns false for a block it does not know.
bool valuesOf(DeviceData *block, BlockValues &values)
{
    if (auto *data = qobject_cast<ModulesData *>(block)) {
        values.plain << data->modules();
    } else if (auto *data = qobject_cast<DiscreteInputsData *>(block)) {
        values.plain << data->discreteInputs();
    } else if (auto *data = qobject_cast<LedsData *>(block)) {
        values.plain << data->leds();
    } else if (auto *data = qobject_cast<CrashCountData *>(block)) {
        values.plain << data->crashCount();
    } else if (auto *data = qobject_cast<MeterageData *>(block)) {
        const Meterage &m = data->meterage();
        values.plain << m.phaseACurrent << m.phaseCCurrent << m.zeroCurrent << m.zeroVoltage
                     << m.zeroCurrentZeroVoltageAngle;
    } else if (auto *data = qobject_cast<MeterageConfigurationData *>(block)) {
        const MeterageConfiguration &c = data->configuration();
        values.plain << c.currentRange << c.currentTransFactor << c.zeroCurrentTransFactor;
    } else if (auto *data = qobject_cast<ProtectionConfigurationData *>(block)) {
        const ProtectionConfiguration &c = data->configuration();
        values.plain << c.diBlockToMode << c.mtzInstantResetMode << c.mtzInstantResettingTime;
    } else if (auto *data = qobject_cast<SetpointsData *>(block)) {
        const Setpoints &s = data->setpoints();
        values.plain << s.mtzMode << s.mtzPickupCharacteristic << s.mtzPickupCurrent
                     << s.mtzReactionDelay << s.toMode << s.toPickupCurrent << s.toReactionDelay
                     << s.mtzToResettingDelay << s.znzMode << s.znz3I03U0FirstAngle
                     << s.znz3I03U0LastAngle << s.znzPickupCurrent << s.znzPickupVoltage
                     << s.znzReactionDelay << s.apvMode << s.apvReadinessDelay
                     << s.apvReactionDelay1st << s.apvReactionDelay2nd;
    } else if (auto *data = qobject_cast<CrashData *>(block)) {
        append(values, data->crash());
    } else if (auto *data = qobject_cast<CrashLogData *>(block)) {
        const CrashListModel *model = data->crashListModel();
        for (int row = 0; row < model->rowCount(); ++row)
            append(values, model->record(row));
    } else if (auto *data = qobject_cast<DeviceTimeData *>(block)) {
        values.plain << data->deviceTime().autoDst;
        values.times << data->deviceTime().dateTime;
    } else {
        return false;
    }
    return true;
}

std::unique_ptr<DeviceData> sameKind(DeviceData *block)
{
    if (qobject_cast<ModulesData *>(block))
        return std::make_unique<ModulesData>();
    if (qobject_cast<DiscreteInputsData *>(block))
        return std::make_unique<DiscreteInputsData>();
    if (qobject_cast<LedsData *>(block))
        return std::make_unique<LedsData>();
    if (qobject_cast<CrashCountData *>(block))
        return std::make_unique<CrashCountData>();
    if (qobject_cast<MeterageData *>(block))
        return std::make_unique<MeterageData>();
    if (qobject_cast<MeterageConfigurationData *>(block))
        return std::make_unique<MeterageConfigurationData>();
    if (qobject_cast<ProtectionConfigurationData *>(block))
        return std::make_unique<ProtectionConfigurationData>();
    if (qobject_cast<SetpointsData *>(block))
        return std::make_unique<SetpointsData>();
    if (qobject_cast<CrashData *>(block))
        return std::make_unique<CrashData>();
    if (qobject_cast<DeviceTimeData *>(block))
        return std::make_unique<DeviceTimeData>();
    if (auto *log = qobject_cast<CrashLogData *>(block)) {
        auto reference = std::make_unique<CrashLogData>();
        reference->setCrashCount(log->crashCount());
        return reference;
    }
    return nullptr;
}

// The block's enabled read requests answered from the relay as it is now. Called on the block's
// own thread, so the decoded values are in place on return.
void readCleanly(DeviceData &block, const RelayBus &bus, int slaveId)
{
    for (ModbusRequest &request : block.readRequests()) {
        if (!request.isEnabled())
            continue;
        const quint16 start = request.startAddress();
        if (request.dataType() == ModbusRequest::Bits) {
            ModbusBits bits(start, request.count());
            for (int i = 0; i < request.count(); ++i) {
                const quint16 address = quint16(start + i);
                bits.setValue(address,
                    request.function() == ModbusRequest::ReadCoils
                        ? bus.coil(slaveId, address)
                        : bus.discreteInput(slaveId, address));
            }
            request.setBitsReply(bits);
        } else {
            ModbusRegisters registers(start, request.count());
            for (int i = 0; i < request.count(); ++i) {
                const quint16 address = quint16(start + i);
                registers.setValue(address, bus.holdingRegister(slaveId, address));
            }
            request.setRegistersReply(registers);
        }
    }
}

QString describe(const char *kind, int index, const QString &shown, const QString &relay)
{
    return QStringLiteral("%1 value %2 shows %3 as Valid, the relay holds %4")
        .arg(QLatin1String(kind))
        .arg(index)
        .arg(shown, relay);
}

} // namespace

bool lastReadSucceeded(const DeviceData *block)
{
    // readRequests() hands out the list for changing; this only looks.
    for (const ModbusRequest &request : const_cast<DeviceData *>(block)->readRequests()) {
        if (request.isEnabled() && request.result() != ModbusRequest::Success)
            return false;
    }
    return true;
}

QString validValueMismatch(DeviceData *shown, const RelayBus &bus, int slaveId)
{
    const QString name = QString::fromLatin1(shown->metaObject()->className());
    std::unique_ptr<DeviceData> reference = sameKind(shown);
    BlockValues shownValues;
    if (!reference || !valuesOf(shown, shownValues))
        return name + QStringLiteral(" is not a block these checks know");
    readCleanly(*reference, bus, slaveId);
    BlockValues relayValues;
    valuesOf(reference.get(), relayValues);

    for (int i = 0; i < shownValues.plain.size(); ++i) {
        const DataValue &value = shownValues.plain.at(i);
        if (value.status != Valid)
            continue;
        const DataValue relay = relayValues.plain.value(i);
        if (relay.status != Valid || relay.value != value.value) {
            return name + QLatin1Char(' ')
                + describe("plain", i, QString::number(value.value),
                    relay.status == Valid ? QString::number(relay.value)
                                          : QStringLiteral("nothing"));
        }
    }
    for (int i = 0; i < shownValues.times.size(); ++i) {
        const DateTimeValue &value = shownValues.times.at(i);
        if (value.status != Valid)
            continue;
        const DateTimeValue relay = relayValues.times.value(i);
        const bool clock = qobject_cast<DeviceTimeData *>(shown) != nullptr;
        const qint64 apart = relay.status == Valid ? qAbs(relay.value.secsTo(value.value)) : -1;
        if (apart < 0 || apart > (clock ? ClockToleranceSeconds : 0)) {
            return name + QLatin1Char(' ')
                + describe("time", i, value.value.toString(Qt::ISODate),
                    relay.status == Valid ? relay.value.toString(Qt::ISODate)
                                          : QStringLiteral("nothing"));
        }
    }
    return QString();
}

BlockValues blockValues(DeviceData *block)
{
    BlockValues values;
    valuesOf(block, values);
    return values;
}

QVector<DataStatus> valueStatuses(DeviceData *block)
{
    const BlockValues values = blockValues(block);
    QVector<DataStatus> statuses;
    for (const DataValue &value : values.plain)
        statuses << value.status;
    for (const DateTimeValue &value : values.times)
        statuses << value.status;
    return statuses;
}

namespace {

template<typename T>
QString failedReadMismatch(const StatusValue<T> &before, const StatusValue<T> &after)
{
    if (before.status == NoData && after.status != NoData)
        return QStringLiteral("a value without data got some");
    if (before.status != NoData && after != StatusValue<T> { before.value, Outdated })
        return QStringLiteral("a known value did not turn Outdated with its number kept");
    return QString();
}

} // namespace

QString statusMismatch(const BlockValues &before, DeviceData *after)
{
    // The crash log reads in pages, each vouching for its own rows only.
    if (qobject_cast<CrashLogData *>(after))
        return QString();
    const QString name = QString::fromLatin1(after->metaObject()->className());
    BlockValues values;
    if (!valuesOf(after, values))
        return name + QStringLiteral(" is not a block these checks know");
    if (lastReadSucceeded(after)) {
        if (valueStatuses(after).contains(Outdated))
            return name + QStringLiteral(": a successful read left a value Outdated");
        return QString();
    }
    if (before.plain.size() != values.plain.size() || before.times.size() != values.times.size())
        return name + QStringLiteral(": the values before the read are not the block's");
    for (int i = 0; i < values.plain.size(); ++i) {
        const QString mismatch = failedReadMismatch(before.plain.at(i), values.plain.at(i));
        if (!mismatch.isEmpty())
            return name + QStringLiteral(", failed read, value %1: ").arg(i) + mismatch;
    }
    for (int i = 0; i < values.times.size(); ++i) {
        const QString mismatch = failedReadMismatch(before.times.at(i), values.times.at(i));
        if (!mismatch.isEmpty())
            return name + QStringLiteral(", failed read, time %1: ").arg(i) + mismatch;
    }
    return QString();
}
