// SPDX-License-Identifier: GPL-3.0-or-later
#include "blocktesting.h"
#include "devicedata/codeconversions.h"
#include "devicedata/crashcountdata.h"
#include "devicedata/crashdata.h"
#include "devicedata/crashlogdata.h"
#include "devicedata/deviceinfodata.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/discreteinputsdata.h"
#include "devicedata/ledsdata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/meteragedata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/relaydatetime.h"
#include "devicedata/setpointsdata.h"

#include <QtTest>

#include <random>
#include <thread>

// Every block's reply handlers fed with random replies: random words mixed
// with the values a confused relay might send (month 0 or 13, hour 25, range
// code 9, crash count 65535), random failures, and half of the replies handed
// over from another thread as the Modbus worker does. Seeds and iteration
// counts are fixed, so a failure repeats.

namespace {

constexpr int Iterations = 1500;

class RandomReplies
{
public:
    explicit RandomReplies(quint32 seed) : m_random(seed) { }

    bool chance(double probability) { return std::bernoulli_distribution(probability)(m_random); }

    int pick(int size) { return std::uniform_int_distribution<int>(0, size - 1)(m_random); }

    quint16 word()
    {
        static const quint16 suspicious[] = {
            0,
            1,
            2,
            3,
            4,
            5,
            6,
            7,
            9,
            13,
            20,
            25,
            60,
            0x7FFF,
            0x8000,
            0xFFF6,
            0xFFFF,
            0x0D00, // month 0
            0x0D0D, // month 13
            0x0119, // day 1, hour 25
            0x0100,
            0x1F17,
            0x3B3A,
            0x3C3C,
            0x0D0C,
            0xFF0C,
        };
        if (chance(0.5))
            return suspicious[pick(int(std::size(suspicious)))];
        return quint16(std::uniform_int_distribution<int>(0, 0xFFFF)(m_random));
    }

    // libmodbus leaves one byte per bit, which a confused line may fill with anything.
    quint8 bitByte()
    {
        static const quint8 bytes[] = { 0, 1, 0xFF, 2 };
        return bytes[pick(4)];
    }

    ModbusRequest::Result result()
    {
        static const ModbusRequest::Result results[] = {
            ModbusRequest::Success,
            ModbusRequest::Success,
            ModbusRequest::Success,
            ModbusRequest::Success,
            ModbusRequest::Timeout,
            ModbusRequest::Error,
        };
        return results[pick(int(std::size(results)))];
    }

private:
    std::mt19937 m_random;
};

// Runs one request's reply handler with a random outcome, on this thread or
// on a helper thread, and returns the registers of a successful reply.
ModbusRegisters deliverRandomReply(
    ModbusRequest &request, RandomReplies &random, ModbusRequest::Result result)
{
    ModbusRegisters registers(request.startAddress(), request.count());
    ModbusBits bits(request.startAddress(), request.count());
    for (int i = 0; i < request.count(); ++i) {
        registers.setValue(quint16(request.startAddress() + i), random.word());
        bits.data()[i] = random.bitByte();
    }

    const auto deliver = [&] {
        if (result != ModbusRequest::Success)
            request.setFailed(result);
        else if (request.dataType() == ModbusRequest::Bits)
            request.setBitsReply(bits);
        else
            request.setRegistersReply(registers);
    };
    if (random.chance(0.5)) {
        std::thread worker(deliver);
        worker.join();
        QCoreApplication::sendPostedEvents();
    } else {
        deliver();
    }
    return registers;
}

QVector<DataStatus> statusesOf(std::initializer_list<const DataValue *> values)
{
    QVector<DataStatus> statuses;
    for (const DataValue *value : values)
        statuses.append(value->status);
    return statuses;
}

// What a block must look like after a reply: its statuses, and whatever else
// can be said of its values whatever the relay sent.
struct BlockProbe
{
    std::function<DeviceData *(QObject *)> create;
    std::function<QVector<DataStatus>(const DeviceData &)> statuses;
    std::function<void(const DeviceData &, const ModbusRegisters &)> verifyValues;
};

template<typename Block>
const Block &as(const DeviceData &block)
{
    return static_cast<const Block &>(block);
}

template<typename Block>
BlockProbe probe(std::function<QVector<DataStatus>(const Block &)> statuses,
    std::function<void(const Block &, const ModbusRegisters &)> verifyValues = {})
{
    BlockProbe result;
    result.create = [](QObject *parent) { return new Block(parent); };
    result.statuses = [statuses](const DeviceData &block) { return statuses(as<Block>(block)); };
    if (verifyValues) {
        result.verifyValues
            = [verifyValues](const DeviceData &block, const ModbusRegisters &registers) {
                  verifyValues(as<Block>(block), registers);
              };
    }
    return result;
}

void verifyFlags(const DataValue &flags, qint64 known)
{
    QVERIFY((flags.value & ~known) == 0);
}

void verifyRawWords(std::initializer_list<const DataValue *> values)
{
    for (const DataValue *value : values)
        QVERIFY(value->value >= 0 && value->value <= 0xFFFF);
}

void verifyCrashRecord(const CrashRecord &record)
{
    verifyRawWords({ &record.crashNumber, &record.crashType, &record.currentRaw,
        &record.currentScale, &record.crashCurrentRange });
    const CrashCurrent current = crashCurrent(record);
    QCOMPARE(current.recorded, record.crashType.value >= 1 && record.crashType.value <= 3);
    if (current.amperes.status == NoData)
        QCOMPARE(current.amperes.value, 0.0);
    QVERIFY(current.amperes.value >= 0);
    CodeTables::crashType.text(record.crashType);
}

// A decoded date-time holds exactly what the relay sent.
void verifyRelayDateTime(const QDateTime &dateTime, const RelayDateTimeWords &words)
{
    if (!dateTime.isValid())
        return;
    const RelayDateTimeWords again = encodeRelayDateTime(dateTime);
    QCOMPARE(again.yearMonth, words.yearMonth);
    QCOMPARE(again.dayHour, words.dayHour);
    QCOMPARE(again.minuteSecond, words.minuteSecond);
}

QVector<DataStatus> crashRecordStatuses(const CrashRecord &record)
{
    return { record.crashNumber.status, record.crashTime.status, record.crashType.status,
        record.currentRaw.status, record.currentScale.status, record.crashCurrentRange.status };
}

} // namespace

Q_DECLARE_METATYPE(BlockProbe)

class BlockDecodersTest : public QObject
{
    Q_OBJECT

private slots:
    void randomRepliesFollowTheReplyRule_data();
    void randomRepliesFollowTheReplyRule();
    void randomCrashLogPassesKeepTheTableConsistent();
};

void BlockDecodersTest::randomRepliesFollowTheReplyRule_data()
{
    QTest::addColumn<BlockProbe>("probe");
    QTest::addColumn<quint32>("seed");

    QTest::newRow("DeviceInfoData") << probe<DeviceInfoData>(
        [](const DeviceInfoData &b) {
            const DeviceInfo &i = b.deviceInfo();
            return statusesOf({ &i.deviceTypeCode, &i.softwareVersion, &i.serialNumber, &i.modbusId,
                &i.modbusBaudRate });
        },
        [](const DeviceInfoData &b, const ModbusRegisters &r) {
            const DeviceInfo &i = b.deviceInfo();
            QCOMPARE(i.serialNumber.value, qint64(r.value(2)) * 65536 + qint64(r.value(3)));
            verifyRawWords(
                { &i.deviceTypeCode, &i.softwareVersion, &i.modbusId, &i.modbusBaudRate });
        }) << 1u;
    QTest::newRow("ModulesData") << probe<ModulesData>(
        [](const ModulesData &b) { return statusesOf({ &b.modules() }); },
        [](const ModulesData &b, const ModbusRegisters &) { verifyFlags(b.modules(), 0x0F); })
                                 << 2u;
    QTest::newRow("DiscreteInputsData") << probe<DiscreteInputsData>(
        [](const DiscreteInputsData &b) { return statusesOf({ &b.discreteInputs() }); },
        [](const DiscreteInputsData &b, const ModbusRegisters &) {
            verifyFlags(b.discreteInputs(), 0x0F);
        }) << 3u;
    QTest::newRow("LedsData") << probe<LedsData>(
        [](const LedsData &b) { return statusesOf({ &b.leds() }); },
        [](const LedsData &b, const ModbusRegisters &) { verifyFlags(b.leds(), 0x3F); })
                              << 4u;
    QTest::newRow("MeterageData") << probe<MeterageData>(
        [](const MeterageData &b) {
            const Meterage &m = b.meterage();
            return statusesOf({ &m.phaseACurrent, &m.phaseCCurrent, &m.zeroCurrent, &m.zeroVoltage,
                &m.zeroCurrentZeroVoltageAngle });
        },
        [](const MeterageData &b, const ModbusRegisters &r) {
            const Meterage &m = b.meterage();
            verifyRawWords({ &m.phaseACurrent, &m.phaseCCurrent, &m.zeroCurrent, &m.zeroVoltage });
            QCOMPARE(m.zeroCurrentZeroVoltageAngle.value, qint64(qint16(r.value(21))));
        }) << 5u;
    QTest::newRow("MeterageConfigurationData") << probe<MeterageConfigurationData>(
        [](const MeterageConfigurationData &b) {
            const MeterageConfiguration &c = b.configuration();
            return statusesOf(
                { &c.currentRange, &c.currentTransFactor, &c.zeroCurrentTransFactor });
        },
        [](const MeterageConfigurationData &b, const ModbusRegisters &) {
            const DataValue &range = b.configuration().currentRange;
            const DataValue multiplier = rangeMultiplier(range);
            const bool known = range.value >= 1 && range.value <= 4;
            QCOMPARE(multiplier.status, known ? Valid : NoData);
            QCOMPARE(CodeTables::currentRange.text(range).isEmpty(), !known);
        }) << 6u;
    QTest::newRow("ProtectionConfigurationData") << probe<ProtectionConfigurationData>(
        [](const ProtectionConfigurationData &b) {
            const ProtectionConfiguration &c = b.configuration();
            return statusesOf(
                { &c.diBlockToMode, &c.mtzInstantResetMode, &c.mtzInstantResettingTime });
        },
        [](const ProtectionConfigurationData &b, const ModbusRegisters &r) {
            const ProtectionConfiguration &c = b.configuration();
            QCOMPARE(c.mtzInstantResetMode.value, qint64(r.value(30)));
            CodeTables::diBlockToMode.text(c.diBlockToMode);
            CodeTables::onOff.text(c.mtzInstantResetMode);
        }) << 7u;
    QTest::newRow("SetpointsData") << probe<SetpointsData>(
        [](const SetpointsData &b) {
            const Setpoints &s = b.setpoints();
            return statusesOf({ &s.mtzMode, &s.mtzPickupCharacteristic, &s.mtzPickupCurrent,
                &s.mtzReactionDelay, &s.toMode, &s.toPickupCurrent, &s.toReactionDelay,
                &s.mtzToResettingDelay, &s.znzMode, &s.znz3I03U0FirstAngle, &s.znz3I03U0LastAngle,
                &s.znzPickupCurrent, &s.znzPickupVoltage, &s.znzReactionDelay, &s.apvMode,
                &s.apvReadinessDelay, &s.apvReactionDelay1st, &s.apvReactionDelay2nd });
        },
        [](const SetpointsData &b, const ModbusRegisters &r) {
            QCOMPARE(b.setpoints().znzReactionDelay.value, qint64(r.value(45)));
            QCOMPARE(b.setpoints().apvMode.value, qint64(r.value(48)));
        }) << 8u;
    QTest::newRow("CrashCountData") << probe<CrashCountData>(
        [](const CrashCountData &b) { return statusesOf({ &b.crashCount() }); },
        [](const CrashCountData &b, const ModbusRegisters &r) {
            QCOMPARE(b.crashCount().value, qint64(r.value(0x4000)));
        }) << 9u;
    QTest::newRow("CrashData") << probe<CrashData>(
        [](const CrashData &b) { return crashRecordStatuses(b.crash()); },
        [](const CrashData &b, const ModbusRegisters &r) {
            verifyCrashRecord(b.crash());
            verifyRelayDateTime(
                b.crash().crashTime.value, { r.value(0x4011), r.value(0x4012), r.value(0x4013) });
        }) << 10u;
    QTest::newRow("DeviceTimeData") << probe<DeviceTimeData>(
        [](const DeviceTimeData &b) {
            return QVector<DataStatus> { b.deviceTime().dateTime.status,
                b.deviceTime().autoDst.status };
        },
        [](const DeviceTimeData &b, const ModbusRegisters &r) {
            verifyRelayDateTime(
                b.deviceTime().dateTime.value, { r.value(12), r.value(13), r.value(14) });
            QCOMPARE(b.deviceTime().autoDst.value, qint64(r.value(15)));
        }) << 11u;
}

void BlockDecodersTest::randomRepliesFollowTheReplyRule()
{
    QFETCH(BlockProbe, probe);
    QFETCH(quint32, seed);

    RandomReplies random(seed);
    QObject owner;
    DeviceData *block = probe.create(&owner);
    QVERIFY(!block->readRequests().isEmpty());

    for (int iteration = 0; iteration < Iterations; ++iteration) {
        if (random.chance(0.05)) {
            block->reset();
            for (DataStatus status : probe.statuses(*block))
                QCOMPARE(status, NoData);
        }
        for (ModbusRequest &request : block->readRequests()) {
            const QVector<DataStatus> before = probe.statuses(*block);
            const ModbusRequest::Result result = random.result();
            const ModbusRegisters registers = deliverRandomReply(request, random, result);
            const QVector<DataStatus> after = probe.statuses(*block);

            QCOMPARE(after.size(), before.size());
            for (int i = 0; i < after.size(); ++i) {
                const DataStatus expected = result == ModbusRequest::Success ? Valid
                    : before.at(i) == NoData                                 ? NoData
                                                                             : Outdated;
                QVERIFY2(after.at(i) == expected,
                    qPrintable(QStringLiteral("iteration %1, value %2").arg(iteration).arg(i)));
            }
            if (result == ModbusRequest::Success && probe.verifyValues)
                probe.verifyValues(*block, registers);
            if (QTest::currentTestFailed()) {
                qWarning("failed in iteration %d", iteration);
                return;
            }
        }
    }
}

void BlockDecodersTest::randomCrashLogPassesKeepTheTableConsistent()
{
    RandomReplies random(12);
    CrashLogData log;
    CrashListModel *model = log.crashListModel();
    // Per row: the crash number the model must show, or -1 for an empty record.
    QVector<qint64> expected;

    const int counts[] = { 0, 1, 14, 15, 16, 29, 30, 31, 45, 59, 60, 61, 100, 65535, -1 };
    for (int iteration = 0; iteration < Iterations / 5; ++iteration) {
        if (random.chance(0.3)) {
            log.reset();
            QCOMPARE(model->rowCount(), 0);
            expected.clear();
        }
        const int count
            = random.chance(0.5) ? counts[random.pick(int(std::size(counts)))] : random.pick(70);
        log.setCrashCount(count);

        for (int page = 0; page < CrashLogData::PageCount; ++page) {
            ModbusRequest &request = log.readRequests()[page];
            if (!request.isEnabled())
                continue;
            const ModbusRequest::Result result = random.result();
            const ModbusRegisters registers = deliverRandomReply(request, random, result);
            const int first = page * CrashLogData::RecordsPerPage;
            const int rows = request.count() / CrashRecordSize;
            if (expected.size() < first + rows)
                expected.resize(first + rows);
            for (int i = 0; i < rows; ++i) {
                expected[first + i] = result == ModbusRequest::Success
                    ? registers.value(quint16(request.startAddress() + i * CrashRecordSize))
                    : -1;
            }
        }

        QCOMPARE(model->rowCount(), expected.size());
        for (int row = 0; row < model->rowCount(); ++row) {
            const CrashRecord &record = model->record(row);
            const QVector<DataStatus> statuses = crashRecordStatuses(record);
            if (expected.at(row) < 0) {
                QVERIFY(statuses == QVector<DataStatus>(6, NoData));
                QCOMPARE(record.crashNumber.value, qint64(0));
            } else {
                QVERIFY(statuses == QVector<DataStatus>(6, Valid));
                QCOMPARE(record.crashNumber.value, expected.at(row));
                verifyCrashRecord(record);
            }
            for (int column = 0; column < model->columnCount(); ++column) {
                const QModelIndex index = model->index(row, column);
                QVERIFY(model->data(index).isValid());
                QVERIFY(model->data(index, Qt::TextAlignmentRole).isValid());
            }
            const QString current = model->data(model->index(row, 3)).toString();
            QVERIFY2(current == "-" || current.endsWith(" A") || current.endsWith(" kA"),
                qPrintable(current));
        }
        if (QTest::currentTestFailed()) {
            qWarning("failed in iteration %d", iteration);
            return;
        }
    }
}

QTEST_GUILESS_MAIN(BlockDecodersTest)
#include "tst_blockdecoders.moc"
