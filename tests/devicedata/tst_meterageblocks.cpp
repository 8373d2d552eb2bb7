// SPDX-License-Identifier: GPL-3.0-or-later
#include "blocktesting.h"
#include "simulatedline.h"

#include "devicedata/codeconversions.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/meterageconversions.h"
#include "devicedata/meteragedata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/relaysettings.h"
#include "devicedata/valueranges.h"

#include <QtTest>

#include <algorithm>

using TextConversion = QString (*)(const DataValue &);
using Writes = QVector<QPair<int, int>>;
Q_DECLARE_METATYPE(TextConversion)
Q_DECLARE_METATYPE(StatusValue<double>)
Q_DECLARE_METATYPE(UnitRange)
Q_DECLARE_METATYPE(ValueRange)

namespace {

QVector<DataValue> meterageValues(const MeterageData &block)
{
    const Meterage &m = block.meterage();
    return { m.phaseACurrent, m.phaseCCurrent, m.zeroCurrent, m.zeroVoltage,
        m.zeroCurrentZeroVoltageAngle };
}

QVector<DataValue> meterageConfigurationValues(const MeterageConfigurationData &block)
{
    const MeterageConfiguration &c = block.configuration();
    return { c.currentRange, c.currentTransFactor, c.zeroCurrentTransFactor };
}

QVector<DataValue> protectionConfigurationValues(const ProtectionConfigurationData &block)
{
    const ProtectionConfiguration &c = block.configuration();
    return { c.diBlockToMode, c.mtzInstantResetMode, c.mtzInstantResettingTime };
}

} // namespace

// Amounts are computed in floating point: compare them as QCOMPARE compares doubles.
void compareAmount(const StatusValue<double> &actual, const StatusValue<double> &expected)
{
    QCOMPARE(actual.status, expected.status);
    QCOMPARE(actual.value, expected.value);
}

// The measurement and configuration blocks, the code conversions and value
// ranges that interpret them, and the blocks read from and written to a
// simulated relay over a serial line.
class MeterageBlocksTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void rangeMultiplier_data();
    void rangeMultiplier();
    void codeTexts_data();
    void codeTexts();
    void everyListedCodeHasAText();
    void phaseCurrent_data();
    void phaseCurrent();
    void zeroCurrent_data();
    void zeroCurrent();
    void voltageAndAngle();

    void scaledRanges_data();
    void scaledRanges();
    void pickupCurrentsFollowTheRangeTexts();
    void unitRanges_data();
    void unitRanges();

    void replyRule_data();
    void replyRule();
    void meterageDecoding();
    void configurationDecoding();
    void writePayloads();

    void meterageFromRelay();
    void writesReachRelayInOrder_data();
    void writesReachRelayInOrder();

private:
    SimulatedLine m_line;
};

void MeterageBlocksTest::initTestCase()
{
    QVERIFY(m_line.start());
}

void MeterageBlocksTest::init()
{
    m_line.bus().clearReceivedWrites();
}

void MeterageBlocksTest::rangeMultiplier_data()
{
    QTest::addColumn<DataValue>("range");
    QTest::addColumn<DataValue>("multiplier");
    // What a pick-up is shown with: never 0, so that a raw value still reads as a number.
    QTest::addColumn<qint64>("shown");

    QTest::newRow("1 - 41") << validValue(1) << validValue(1) << qint64(1);
    QTest::newRow("2 - 82") << validValue(2) << validValue(2) << qint64(2);
    QTest::newRow("4 - 164") << validValue(3) << validValue(4) << qint64(4);
    QTest::newRow("8 - 328") << validValue(4) << validValue(8) << qint64(8);
    QTest::newRow("outdated code stays outdated")
        << DataValue { 3, Outdated } << DataValue { 4, Outdated } << qint64(4);
    QTest::newRow("code without data") << DataValue { 3, NoData } << DataValue() << qint64(1);
    QTest::newRow("code 0") << validValue(0) << DataValue() << qint64(1);
    QTest::newRow("code 5") << validValue(5) << DataValue() << qint64(1);
    QTest::newRow("outdated code 5") << DataValue { 5, Outdated } << DataValue() << qint64(1);
    QTest::newRow("negative code") << validValue(-1) << DataValue() << qint64(1);
}

void MeterageBlocksTest::rangeMultiplier()
{
    QFETCH(DataValue, range);
    QFETCH(DataValue, multiplier);
    QFETCH(qint64, shown);
    QCOMPARE(::rangeMultiplier(range), multiplier);
    QCOMPARE(shownRangeMultiplier(range), shown);
    // A settings list holds the range as register 25, or lacks it.
    if (range.status == Valid)
        QCOMPARE(shownRangeMultiplier(SettingsValues { { 25, range.value } }), shown);
    QCOMPARE(shownRangeMultiplier(SettingsValues()), qint64(1));
}

void MeterageBlocksTest::codeTexts_data()
{
    QTest::addColumn<TextConversion>("conversion");
    QTest::addColumn<DataValue>("code");
    QTest::addColumn<QString>("text");

    const auto rows = [](const char *name, TextConversion conversion,
                          const QVector<std::pair<qint64, const char *>> &texts, qint64 unknown) {
        for (const auto &text : texts)
            QTest::addRow("%s %lld", name, text.first)
                << conversion << validValue(text.first) << QString::fromUtf8(text.second);
        QTest::addRow("%s %lld outdated", name, texts.last().first)
            << conversion << DataValue { texts.last().first, Outdated }
            << QString::fromUtf8(texts.last().second);
        QTest::addRow("%s unknown %lld", name, unknown)
            << conversion << validValue(unknown) << QString();
        QTest::addRow("%s %lld without data", name, texts.first().first)
            << conversion << DataValue { texts.first().first, NoData } << QString();
    };
    rows("range", currentRangeText,
        { { 1, "1 - 41" }, { 2, "2 - 82" }, { 3, "4 - 164" }, { 4, "8 - 328" } }, 0);
    rows("DI Block TO mode", diBlockToModeText, { { 0, "continuously" }, { 20, "2 sec" } }, 10);
    rows("on/off", onOffText, { { 0, "off" }, { 1, "on" } }, 2);
    rows("crash type", crashTypeText,
        { { 1, "MTZ" }, { 2, "TO" }, { 3, "ZNZ" }, { 4, "APV 1" }, { 5, "APV 2" }, { 6, "AChR" } },
        7);
}

void MeterageBlocksTest::codeTexts()
{
    QFETCH(TextConversion, conversion);
    QFETCH(DataValue, code);
    QFETCH(QString, text);
    QCOMPARE(conversion(code), text);
}

// Editors list the codes; each must show a text and a code just past the
// list must not.
void MeterageBlocksTest::everyListedCodeHasAText()
{
    const CodeTable tables[] = { CodeTables::currentRange, CodeTables::diBlockToMode,
        CodeTables::onOff, CodeTables::crashType, CodeTables::mtzPickupCharacteristic,
        CodeTables::znzMode, CodeTables::apvMode };
    for (const CodeTable &table : tables) {
        const QVector<qint64> codes = table.codes();
        QVERIFY(!codes.isEmpty());
        QVERIFY(std::is_sorted(codes.cbegin(), codes.cend()));
        for (qint64 code : codes) {
            QVERIFY2(!table.text(validValue(code)).isEmpty(), qPrintable(QString::number(code)));
            QVERIFY(table.contains(code));
        }
        QVERIFY(table.text(validValue(codes.last() + 1)).isEmpty());
        QVERIFY(!table.contains(codes.last() + 1));
    }
    QCOMPARE(CodeTables::currentRange.codes(), (QVector<qint64> { 1, 2, 3, 4 }));
    QCOMPARE(CodeTables::diBlockToMode.codes(), (QVector<qint64> { 0, 20 }));
    // A field without a table knows no code.
    QVERIFY(CodeTable().codes().isEmpty());
    QVERIFY(CodeTable().text(validValue(0)).isEmpty());
}

void MeterageBlocksTest::phaseCurrent_data()
{
    QTest::addColumn<DataValue>("raw");
    QTest::addColumn<DataValue>("range");
    QTest::addColumn<DataValue>("kt");
    QTest::addColumn<StatusValue<double>>("amperes");

    QTest::newRow("range 3, Kt 100, raw 250") << validValue(250) << validValue(3) << validValue(100)
                                              << StatusValue<double> { 1000, Valid };
    QTest::newRow("range 2, Kt 600, raw 1000")
        << validValue(1000) << validValue(2) << validValue(600)
        << StatusValue<double> { 12000, Valid };
    QTest::newRow("full scale of the widest range") << validValue(
        65535) << validValue(4) << validValue(5000) << StatusValue<double> { 26214000, Valid };
    QTest::newRow("Kt outdated") << validValue(1000) << validValue(2) << DataValue { 600, Outdated }
                                 << StatusValue<double> { 12000, Outdated };
    QTest::newRow("range outdated") << validValue(250) << DataValue { 3, Outdated }
                                    << validValue(100) << StatusValue<double> { 1000, Outdated };
    QTest::newRow("Kt without data")
        << validValue(1000) << validValue(2) << DataValue { 600, NoData } << StatusValue<double>();
    QTest::newRow("range code 5") << validValue(250) << validValue(5) << validValue(100)
                                  << StatusValue<double>();
    QTest::newRow("range code 0, Kt outdated")
        << validValue(250) << validValue(0) << DataValue { 100, Outdated } << StatusValue<double>();
    QTest::newRow("raw outdated, range without data")
        << DataValue { 250, Outdated } << DataValue { 3, NoData } << validValue(100)
        << StatusValue<double>();
}

void MeterageBlocksTest::phaseCurrent()
{
    QFETCH(DataValue, raw);
    QFETCH(DataValue, range);
    QFETCH(DataValue, kt);
    QFETCH(StatusValue<double>, amperes);
    compareAmount(::phaseCurrent(raw, range, kt), amperes);
}

void MeterageBlocksTest::zeroCurrent_data()
{
    QTest::addColumn<DataValue>("raw");
    QTest::addColumn<DataValue>("kt0");
    QTest::addColumn<StatusValue<double>>("amperes");

    QTest::newRow("raw 1500, Kt0 1")
        << validValue(1500) << validValue(1) << StatusValue<double> { 1.5, Valid };
    QTest::newRow("Kt0 outdated") << validValue(1500) << DataValue { 1, Outdated }
                                  << StatusValue<double> { 1.5, Outdated };
    QTest::newRow("raw 40, Kt0 30")
        << validValue(40) << validValue(30) << StatusValue<double> { 1.2, Valid };
    QTest::newRow("Kt0 without data") << validValue(1500) << DataValue() << StatusValue<double>();
    QTest::newRow("raw without data")
        << DataValue { 1500, NoData } << validValue(1) << StatusValue<double>();
}

void MeterageBlocksTest::zeroCurrent()
{
    QFETCH(DataValue, raw);
    QFETCH(DataValue, kt0);
    QFETCH(StatusValue<double>, amperes);
    compareAmount(::zeroCurrent(raw, kt0), amperes);
}

void MeterageBlocksTest::voltageAndAngle()
{
    compareAmount(zeroVoltage(validValue(123)), { 12.3, Valid });
    compareAmount(zeroVoltage({ 123, Outdated }), { 12.3, Outdated });
    compareAmount(zeroVoltage({ 123, NoData }), {});

    compareAmount(zeroCurrentZeroVoltageAngle(validValue(-10)), { -10, Valid });
    compareAmount(zeroCurrentZeroVoltageAngle({ 0xFFF6, Outdated }), { -10, Outdated });
    compareAmount(zeroCurrentZeroVoltageAngle(validValue(180)), { 180, Valid });
    compareAmount(zeroCurrentZeroVoltageAngle({ -10, NoData }), {});
}

void MeterageBlocksTest::scaledRanges_data()
{
    QTest::addColumn<ValueRange>("range");
    QTest::addColumn<double>("factor");
    QTest::addColumn<ValueRange>("scaled");

    QTest::newRow("MTZ pick-up, range 4 - 164")
        << ValueRanges::mtzPickupCurrent << 4.0 << ValueRange { 4, 18, 0.04, 2 };
    QTest::newRow("TO pick-up, range 8 - 328")
        << ValueRanges::toPickupCurrent << 8.0 << ValueRange { 16, 328, 0.8, 1 };
    QTest::newRow("factor 1 changes nothing")
        << ValueRanges::toPickupCurrent << 1.0 << ValueRanges::toPickupCurrent;
    QTest::newRow("a zero minimum stays zero")
        << ValueRanges::mtzToResettingDelay << 2.0 << ValueRange { 0, 4, 0.2, 1 };
}

void MeterageBlocksTest::scaledRanges()
{
    QFETCH(ValueRange, range);
    QFETCH(double, factor);
    QFETCH(ValueRange, scaled);

    const ValueRange result = range.scaled(factor);
    QCOMPARE(result.minimum, scaled.minimum);
    QCOMPARE(result.maximum, scaled.maximum);
    QCOMPARE(result.step, scaled.step);
    QCOMPARE(result.decimals, scaled.decimals);
}

// The TO pick-up editor spans exactly the current range the configuration
// panel names: "m - 41 m" for multiplier m.
void MeterageBlocksTest::pickupCurrentsFollowTheRangeTexts()
{
    for (qint64 code : CodeTables::currentRange.codes()) {
        const DataValue multiplier = ::rangeMultiplier(validValue(code));
        const ValueRange pickup = ValueRanges::toPickupCurrent.scaled(multiplier.value);
        const QString text = QStringLiteral("%1 - %2").arg(multiplier.value).arg(pickup.maximum);
        QCOMPARE(CodeTables::currentRange.text(validValue(code)), text);
    }
}

void MeterageBlocksTest::unitRanges_data()
{
    QTest::addColumn<UnitRange>("range");
    QTest::addColumn<double>("current");
    QTest::addColumn<bool>("contained");

    QTest::newRow("live phase A: 9999.99")
        << UnitRanges::livePhaseCurrentAmperes << 9999.99 << true;
    QTest::newRow("live phase A: 10000") << UnitRanges::livePhaseCurrentAmperes << 10000.0 << false;
    QTest::newRow("live phase A: 9700") << UnitRanges::livePhaseCurrentAmperes << 9700.0 << true;
    QTest::newRow("live phase kA: 9700")
        << UnitRanges::livePhaseCurrentKiloamperes << 9700.0 << true;
    QTest::newRow("live phase kA: 9499.99")
        << UnitRanges::livePhaseCurrentKiloamperes << 9499.99 << false;
    QTest::newRow("live phase kA: far above")
        << UnitRanges::livePhaseCurrentKiloamperes << 1e12 << true;
    QTest::newRow("live 3I0 A: 960") << UnitRanges::liveZeroCurrentAmperes << 960.0 << true;
    QTest::newRow("live 3I0 kA: 960") << UnitRanges::liveZeroCurrentKiloamperes << 960.0 << true;
    QTest::newRow("live 3I0 kA: 949") << UnitRanges::liveZeroCurrentKiloamperes << 949.0 << false;
    QTest::newRow("crash phase A: 9999.99")
        << UnitRanges::crashPhaseCurrentAmperes << 9999.99 << true;
    QTest::newRow("crash phase A: 10000")
        << UnitRanges::crashPhaseCurrentAmperes << 10000.0 << false;
    QTest::newRow("crash phase kA: 10000")
        << UnitRanges::crashPhaseCurrentKiloamperes << 10000.0 << true;
    QTest::newRow("crash 3I0 A: 1000") << UnitRanges::crashZeroCurrentAmperes << 1000.0 << false;
    QTest::newRow("crash 3I0 kA: 999.999")
        << UnitRanges::crashZeroCurrentKiloamperes << 999.999 << false;
    QTest::newRow("crash 3I0 kA: 1000")
        << UnitRanges::crashZeroCurrentKiloamperes << 1000.0 << true;
    QTest::newRow("no negative currents") << UnitRanges::liveZeroCurrentAmperes << -0.001 << false;
}

void MeterageBlocksTest::unitRanges()
{
    QFETCH(UnitRange, range);
    QFETCH(double, current);
    QFETCH(bool, contained);
    QCOMPARE(range.contains(current), contained);
}

void MeterageBlocksTest::replyRule_data()
{
    QTest::addColumn<BlockUnderTest>("block");

    QTest::newRow("meterage") << blockUnderTest<MeterageData>(
        [](DeviceData &block) {
            replyRegisters(block, { 101, 102, 103, 104, 105, 0xFFFF });
        },
        meterageValues);
    QTest::newRow("measurement configuration") << blockUnderTest<MeterageConfigurationData>(
        [](DeviceData &block) {
            replyRegisters(block, { 2, 60, 30 });
        },
        meterageConfigurationValues);
    QTest::newRow("protection configuration") << blockUnderTest<ProtectionConfigurationData>(
        [](DeviceData &block) {
            replyRegisters(block, { 20, 7, 1, 3 });
        },
        protectionConfigurationValues);
}

void MeterageBlocksTest::replyRule()
{
    QFETCH(BlockUnderTest, block);
    verifyReplyRule(block);
}

void MeterageBlocksTest::meterageDecoding()
{
    MeterageData block;
    replyRegisters(block, { 250, 0xBEEF, 251, 1500, 123, 0xFFF6 });
    const QVector<DataValue> expected { validValue(250), validValue(251), validValue(1500),
        validValue(123), validValue(-10) };
    QCOMPARE(meterageValues(block), expected);

    // Register 17 is read along and means nothing.
    replyRegisters(block, { 250, 0, 251, 1500, 123, 0xFFF6 });
    QCOMPARE(meterageValues(block), expected);

    // Unsigned measurements keep their top bit.
    replyRegisters(block, { 0xFFFF, 0, 0x8000, 0xFFFF, 0xFFFF, 0x7FFF });
    const QVector<DataValue> extremes { validValue(65535), validValue(32768), validValue(65535),
        validValue(65535), validValue(32767) };
    QCOMPARE(meterageValues(block), extremes);
}

void MeterageBlocksTest::configurationDecoding()
{
    MeterageConfigurationData meterageConfiguration;
    replyRegisters(meterageConfiguration, { 4, 5000, 2000 });
    const QVector<DataValue> meterageExpected { validValue(4), validValue(5000), validValue(2000) };
    QCOMPARE(meterageConfigurationValues(meterageConfiguration), meterageExpected);

    ProtectionConfigurationData protectionConfiguration;
    replyRegisters(protectionConfiguration, { 20, 0xBEEF, 1, 5 });
    const QVector<DataValue> protectionExpected { validValue(20), validValue(1), validValue(5) };
    QCOMPARE(protectionConfigurationValues(protectionConfiguration), protectionExpected);
    QCOMPARE(CodeTables::diBlockToMode.text(protectionConfiguration.configuration().diBlockToMode),
        QStringLiteral("2 sec"));
}

// Each builder sends its own field as it stands, whatever its status, and a
// write leaves the read configuration alone.
void MeterageBlocksTest::writePayloads()
{
    MeterageConfigurationData meterageConfiguration;
    replyRegisters(meterageConfiguration, { 1, 2, 3 });
    meterageConfiguration.setNewConfiguration({ validValue(3), { 600, Outdated }, { 30, NoData } });
    QCOMPARE(
        registerWrites(meterageConfiguration), (Writes { { 25, 3 }, { 26, 600 }, { 27, 30 } }));
    QCOMPARE(meterageConfigurationValues(meterageConfiguration),
        (QVector<DataValue> { validValue(1), validValue(2), validValue(3) }));

    ProtectionConfigurationData protectionConfiguration;
    protectionConfiguration.setNewConfiguration({ validValue(20), validValue(1), validValue(5) });
    QCOMPARE(
        registerWrites(protectionConfiguration), (Writes { { 28, 20 }, { 30, 1 }, { 31, 5 } }));

    // A later configuration replaces the whole pending record.
    protectionConfiguration.setNewConfiguration({ validValue(0), validValue(0), validValue(2) });
    QCOMPARE(registerWrites(protectionConfiguration), (Writes { { 28, 0 }, { 30, 0 }, { 31, 2 } }));
}

void MeterageBlocksTest::meterageFromRelay()
{
    RelayBus &bus = m_line.bus();
    const quint16 measurements[] = { 250, 0x7777, 251, 1500, 123, 0xFFF6 };
    for (int i = 0; i < 6; ++i)
        bus.setHoldingRegister(1, 16 + i, measurements[i]);

    MeterageData block;
    QVERIFY(m_line.read(1, &block));
    QVERIFY(block.isReadSuccessful());
    const QVector<DataValue> expected { validValue(250), validValue(251), validValue(1500),
        validValue(123), validValue(-10) };
    QCOMPARE(meterageValues(block), expected);
}

void MeterageBlocksTest::writesReachRelayInOrder_data()
{
    QTest::addColumn<bool>("protection");
    QTest::addColumn<bool>("resetFirst");
    QTest::addColumn<QVector<DataValue>>("newConfiguration");
    QTest::addColumn<Writes>("writes");

    const QVector<DataValue> meterage { validValue(3), validValue(100), validValue(7) };
    const Writes meterageWrites { { 25, 3 }, { 26, 100 }, { 27, 7 } };
    const QVector<DataValue> protection { validValue(0), validValue(0), validValue(4) };
    const Writes protectionWrites { { 28, 0 }, { 30, 0 }, { 31, 4 } };

    QTest::newRow("measurement configuration") << false << false << meterage << meterageWrites;
    QTest::newRow("measurement configuration after reset")
        << false << true << meterage << meterageWrites;
    QTest::newRow("protection configuration") << true << false << protection << protectionWrites;
    QTest::newRow("protection configuration after reset")
        << true << true << protection << protectionWrites;
}

// The relay takes one single-register write per field, in register order,
// even when a value does not change; a write never touches what was read.
void MeterageBlocksTest::writesReachRelayInOrder()
{
    QFETCH(bool, protection);
    QFETCH(bool, resetFirst);
    QFETCH(QVector<DataValue>, newConfiguration);
    QFETCH(Writes, writes);

    RelayBus &bus = m_line.bus();
    const int relay = 3;
    bus.setHoldingRegister(relay, 29, 0x1234);
    bus.setHoldingRegister(relay, writes.first().first, quint16(writes.first().second));

    MeterageConfigurationData meterageConfiguration;
    ProtectionConfigurationData protectionConfiguration;
    DeviceData *block = &meterageConfiguration;
    std::function<QVector<DataValue>()> configuration
        = [&] { return meterageConfigurationValues(meterageConfiguration); };
    if (protection) {
        block = &protectionConfiguration;
        configuration = [&] { return protectionConfigurationValues(protectionConfiguration); };
        protectionConfiguration.setNewConfiguration(
            { newConfiguration[0], newConfiguration[1], newConfiguration[2] });
    } else {
        meterageConfiguration.setNewConfiguration(
            { newConfiguration[0], newConfiguration[1], newConfiguration[2] });
    }

    QVERIFY(m_line.read(relay, block));
    const QVector<DataValue> read = configuration();
    if (resetFirst)
        block->reset();
    QVERIFY(m_line.write(relay, block));
    QVERIFY(block->isWriteSuccessful());
    QCOMPARE(receivedRegisterWrites(bus, relay), writes);
    for (const auto &write : writes)
        QCOMPARE(int(bus.holdingRegister(relay, write.first)), write.second);
    QCOMPARE(bus.holdingRegister(relay, 29), quint16(0x1234));
    QCOMPARE(configuration(), resetFirst ? QVector<DataValue>(3) : read);

    QVERIFY(m_line.read(relay, block));
    QCOMPARE(configuration(), newConfiguration);
}

QTEST_GUILESS_MAIN(MeterageBlocksTest)
#include "tst_meterageblocks.moc"
