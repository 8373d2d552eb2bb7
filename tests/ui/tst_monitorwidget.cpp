// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/crashcountdata.h"
#include "devicedata/crashdata.h"
#include "devicedata/discreteinputsdata.h"
#include "devicedata/ledsdata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/meteragedata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/relaydatetime.h"
#include "panelfixture.h"
#include "ui/indicators/numberindicator.h"
#include "ui/panels/monitorwidget.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int RelayId = 1;

// Register 24 as the relay stores it.
enum Register24 : quint16 { Apv = 0x01, Znz3I0 = 0x02, Znz3U0 = 0x04, Ind = 0x08 };

enum Register : int {
    PhaseA = 16,
    PhaseC = 18,
    ZeroCurrent = 19,
    ZeroVoltage = 20,
    Angle = 21,
    CurrentRange = 25,
    Kt = 26,
    Kt0 = 27,
    CrashCount = 0x4000,
    LatestCrash = 0x4010,
};

// Address and value pairs.
using RegisterValues = QVector<QPair<int, quint16>>;

QString text(const QWidget *panel, const char *name)
{
    return child<QLabel>(panel, name)->text();
}

bool isChecked(const QWidget *panel, const char *name)
{
    return child<QCheckBox>(panel, name)->isChecked();
}

const char *const IndicationNames[]
    = { "discreteInputBlockTo", "discreteInputRpv", "discreteInputAChR", "discreteInputSis",
          "ledApvReady", "ledMtz", "ledApv", "ledTo", "ledZnz", "ledAChR" };

} // namespace

class TestMonitorWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void nothingKnownBeforeTheFirstRead();

    void meterage_data();
    void meterage();
    void meterageWaitsForBothBlocks();
    void zeroCurrentSwitchesUnitWithHysteresis();

    void modules_data();
    void modules();
    void modulesWithoutData();

    void indications_data();
    void indications();
    void indicationsIgnoreClicks();

    void latestCrash_data();
    void latestCrash();
    void noCrashesHidesTheLeftoverRecord();

    void switchedOffRelayTurnsValuesRed();
    void reattachingMovesTheConnection();
    void checkback();

private:
    void writeCrashRecord(quint16 type, quint16 raw, quint16 scale, quint16 range);
    void readAll();
    bool read(DeviceData *block) { return m_line->read(RelayId, block); }

    QScopedPointer<SimulatedLine> m_line;
    QScopedPointer<MonitorWidget> m_panel;
    ModulesData *m_modules = nullptr;
    MeterageConfigurationData *m_configuration = nullptr;
    MeterageData *m_meterage = nullptr;
    DiscreteInputsData *m_inputs = nullptr;
    LedsData *m_leds = nullptr;
    CrashCountData *m_crashCount = nullptr;
    CrashData *m_latestCrash = nullptr;
    const QDateTime m_crashTime { QDate(2013, 8, 23), QTime(13, 20, 5) };
};

void TestMonitorWidget::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestMonitorWidget::init()
{
    m_line.reset(new SimulatedLine({ RelayId }));
    QVERIFY(m_line->start());
    m_panel.reset(new MonitorWidget);
    m_modules = new ModulesData(m_panel.data());
    m_configuration = new MeterageConfigurationData(m_panel.data());
    m_meterage = new MeterageData(m_panel.data());
    m_inputs = new DiscreteInputsData(m_panel.data());
    m_leds = new LedsData(m_panel.data());
    m_crashCount = new CrashCountData(m_panel.data());
    m_latestCrash = new CrashData(m_panel.data());
    m_panel->setModulesData(m_modules);
    m_panel->setMeterageConfigurationData(m_configuration);
    m_panel->setMeterageData(m_meterage);
    m_panel->setDiscreteInputsData(m_inputs);
    m_panel->setLedsData(m_leds);
    m_panel->setCrashCountData(m_crashCount);
    m_panel->setLatestCrashData(m_latestCrash);
}

void TestMonitorWidget::cleanup()
{
    m_panel.reset();
    m_line.reset();
}

void TestMonitorWidget::writeCrashRecord(quint16 type, quint16 raw, quint16 scale, quint16 range)
{
    RelayBus &bus = m_line->bus();
    const RelayDateTimeWords time = encodeRelayDateTime(m_crashTime);
    const quint16 record[]
        = { 17, time.yearMonth, time.dayHour, time.minuteSecond, type, raw, scale, range };
    for (int i = 0; i < 8; ++i)
        bus.setHoldingRegister(RelayId, LatestCrash + i, record[i]);
}

// In the order of a refresh of the monitor tab.
void TestMonitorWidget::readAll()
{
    for (DeviceData *block : QList<DeviceData *> { m_modules, m_configuration, m_meterage, m_inputs,
             m_leds, m_crashCount, m_latestCrash })
        QVERIFY(read(block));
}

void TestMonitorWidget::nothingKnownBeforeTheFirstRead()
{
    for (const char *name :
        { "phaseACurrentIndicator", "phaseCCurrentIndicator", "zeroCurrentIndicator",
            "zeroVoltageNumberIndicator", "zeroCurrentZeroVoltageAngleNumberIndicator",
            "crashCountNumberIndicator", "latestCrashTypeEnumIndicator", "latestCrashTimeValue",
            "latestCrashCurrentIndicator" })
        QCOMPARE(text(m_panel.data(), name), QStringLiteral("-"));
    for (const char *name : IndicationNames)
        QVERIFY(!isChecked(m_panel.data(), name));
}

void TestMonitorWidget::meterage_data()
{
    QTest::addColumn<RegisterValues>("registers");
    QTest::addColumn<QStringList>("texts");

    // The simulated relay: range code 2 (x2), Kt 60, Kt0 30.
    QTest::newRow("amperes") << RegisterValues {
        { PhaseA, 250 }, { PhaseC, 40 }, { ZeroCurrent, 1500 }, { ZeroVoltage, 1234 }, { Angle, 45 }
    } << QStringList { "300.00 A", "48.00 A", "45.000 A", "123.4 V", "45 \u00B0" };
    QTest::newRow("kiloamperes and a negative angle")
        << RegisterValues { { PhaseA, 1000 }, { PhaseC, 1000 }, { Kt, 600 }, { ZeroCurrent, 40000 },
               { Kt0, 2000 }, { Angle, 0xFFF6 } }
        << QStringList { "12.00 kA", "12.00 kA", "80.000 kA", "0.0 V", "-10 \u00B0" };
    QTest::newRow("range code 4 multiplies by 8")
        << RegisterValues { { PhaseA, 100 }, { CurrentRange, 4 }, { Kt, 1 } }
        << QStringList { "8.00 A", "0.00 A", "0.000 A", "0.0 V", "0 \u00B0" };
    QTest::newRow("unknown range code") << RegisterValues { { PhaseA, 100 }, { CurrentRange, 9 } }
                                        << QStringList { "-", "-", "0.000 A", "0.0 V", "0 \u00B0" };
}

void TestMonitorWidget::meterage()
{
    QFETCH(RegisterValues, registers);
    QFETCH(QStringList, texts);

    for (int address : { PhaseA, PhaseC, ZeroCurrent, ZeroVoltage, Angle })
        m_line->bus().setHoldingRegister(RelayId, address, 0);
    for (const auto &reg : registers)
        m_line->bus().setHoldingRegister(RelayId, reg.first, reg.second);
    readAll();

    const char *const names[]
        = { "phaseACurrentIndicator", "phaseCCurrentIndicator", "zeroCurrentIndicator",
              "zeroVoltageNumberIndicator", "zeroCurrentZeroVoltageAngleNumberIndicator" };
    QStringList shown;
    for (const char *name : names)
        shown << text(m_panel.data(), name);
    QCOMPARE(shown, texts);
}

void TestMonitorWidget::meterageWaitsForBothBlocks()
{
    m_line->bus().setHoldingRegister(RelayId, PhaseA, 250);
    m_panel->setMeterageConfigurationData(nullptr);
    QVERIFY(read(m_meterage));
    QCOMPARE(text(m_panel.data(), "phaseACurrentIndicator"), QStringLiteral("-"));

    // The configuration arriving later draws the measurements already read.
    m_panel->setMeterageConfigurationData(m_configuration);
    QVERIFY(read(m_configuration));
    QCOMPARE(text(m_panel.data(), "phaseACurrentIndicator"), QStringLiteral("300.00 A"));
}

void TestMonitorWidget::zeroCurrentSwitchesUnitWithHysteresis()
{
    RelayBus &bus = m_line->bus();
    bus.setHoldingRegister(RelayId, Kt0, 1000); // one raw unit is one ampere
    readAll();

    const QVector<QPair<quint16, QString>> steps { { 999, "999.000 A" }, { 1000, "1.000 kA" },
        { 950, "0.950 kA" }, { 949, "949.000 A" } };
    for (const auto &step : steps) {
        bus.setHoldingRegister(RelayId, ZeroCurrent, step.first);
        QVERIFY(read(m_meterage));
        QCOMPARE(text(m_panel.data(), "zeroCurrentIndicator"), step.second);
    }
}

void TestMonitorWidget::modules_data()
{
    QTest::addColumn<quint16>("register24");
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<QStringList>("disabled");
    QTest::addColumn<QStringList>("undefined");

    const QStringList apvWidgets { "discreteInputAChR", "discreteInputRpv", "ledApvReady" };
    const QStringList indWidgets { "discreteInputSis", "ledsGroupBox" };
    const QStringList zeroCurrent { "zeroCurrentLabel", "zeroCurrentIndicator" };
    const QStringList zeroVoltage { "zeroVoltageLabel", "zeroVoltageNumberIndicator",
        "zeroCurrentZeroVoltageAngleLabel", "zeroCurrentZeroVoltageAngleNumberIndicator" };
    const QStringList zeroVoltageIndicators { "zeroVoltageNumberIndicator",
        "zeroCurrentZeroVoltageAngleNumberIndicator" };

    QTest::newRow("every module") << quint16(Apv | Ind | Znz3I0 | Znz3U0)
                                  << apvWidgets + indWidgets + zeroCurrent + zeroVoltage
                                  << QStringList() << QStringList();
    QTest::newRow("no module") << quint16(0) << QStringList()
                               << apvWidgets + indWidgets + zeroCurrent + zeroVoltage
                               << zeroVoltageIndicators + QStringList { "zeroCurrentIndicator" };
    QTest::newRow("only ZNZ(3I0)")
        << quint16(Znz3I0) << zeroCurrent << apvWidgets + indWidgets + zeroVoltage
        << zeroVoltageIndicators;
    QTest::newRow("only ZNZ(3I0,3U0)")
        << quint16(Znz3U0) << zeroCurrent + zeroVoltage << apvWidgets + indWidgets << QStringList();
    QTest::newRow("APV without indication")
        << quint16(Apv) << QStringList { "discreteInputAChR", "discreteInputRpv" }
        << indWidgets + zeroCurrent + zeroVoltage + QStringList { "ledApvReady" }
        << zeroVoltageIndicators + QStringList { "zeroCurrentIndicator" };
}

void TestMonitorWidget::modules()
{
    QFETCH(quint16, register24);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, disabled);
    QFETCH(QStringList, undefined);

    RelayBus &bus = m_line->bus();
    // Every input and LED lit, so that unchecking shows.
    for (int address = 0x1000; address <= 0x1003; ++address)
        bus.setDiscreteInput(RelayId, address, true);
    for (int address = 0x1008; address <= 0x100F; ++address)
        bus.setCoil(RelayId, address, true);
    for (int address : { ZeroCurrent, ZeroVoltage, Angle })
        bus.setHoldingRegister(RelayId, address, 100);
    bus.setModules(RelayId, register24);
    bus.setCoil(RelayId, 0x100F, true); // APV ready, whatever the modules
    readAll();

    for (const QString &name : enabled)
        QVERIFY2(child(m_panel.data(), qPrintable(name))->isEnabled(), qPrintable(name));
    for (const QString &name : disabled)
        QVERIFY2(!child(m_panel.data(), qPrintable(name))->isEnabled(), qPrintable(name));
    for (const QString &name : undefined)
        QCOMPARE(text(m_panel.data(), qPrintable(name)), QStringLiteral("-"));
    for (const char *name : IndicationNames) {
        auto *checkBox = child<QCheckBox>(m_panel.data(), name);
        QVERIFY2(checkBox->isChecked() == checkBox->isEnabled(), name);
    }
}

void TestMonitorWidget::modulesWithoutData()
{
    readAll();
    QVERIFY(isChecked(m_panel.data(), "ledApvReady"));

    m_modules->reset();
    for (const char *name : { "discreteInputAChR", "discreteInputRpv", "discreteInputSis",
             "ledApvReady", "ledsGroupBox", "zeroCurrentIndicator", "zeroVoltageNumberIndicator",
             "zeroCurrentZeroVoltageAngleNumberIndicator" })
        QVERIFY2(!child(m_panel.data(), name)->isEnabled(), name);
    QVERIFY(!isChecked(m_panel.data(), "discreteInputRpv"));
    QVERIFY(!isChecked(m_panel.data(), "ledApvReady"));
    QCOMPARE(text(m_panel.data(), "zeroCurrentIndicator"), QStringLiteral("-"));
}

void TestMonitorWidget::indications_data()
{
    QTest::addColumn<QVector<int>>("inputs");
    QTest::addColumn<QVector<int>>("coils");
    QTest::addColumn<QStringList>("checked");

    QTest::newRow("nothing") << QVector<int>() << QVector<int>() << QStringList();
    QTest::newRow("every input") << QVector<int> { 0x1000, 0x1001, 0x1002, 0x1003 }
                                 << QVector<int>()
                                 << QStringList { "discreteInputBlockTo", "discreteInputRpv",
                                        "discreteInputAChR", "discreteInputSis" };
    QTest::newRow("one input") << QVector<int> { 0x1002 } << QVector<int>()
                               << QStringList { "discreteInputAChR" };
    QTest::newRow("every LED") << QVector<int>()
                               << QVector<int> { 0x1008, 0x1009, 0x100A, 0x100B, 0x100C, 0x100F }
                               << QStringList { "ledAChR", "ledApv", "ledMtz", "ledTo", "ledZnz",
                                      "ledApvReady" };
    QTest::newRow("MTZ tripped") << QVector<int>() << QVector<int> { 0x1008 }
                                 << QStringList { "ledMtz" };
}

void TestMonitorWidget::indications()
{
    QFETCH(QVector<int>, inputs);
    QFETCH(QVector<int>, coils);
    QFETCH(QStringList, checked);

    RelayBus &bus = m_line->bus();
    for (int address = 0x1000; address <= 0x1003; ++address)
        bus.setDiscreteInput(RelayId, address, inputs.contains(address));
    for (int address = 0x1008; address <= 0x100F; ++address)
        bus.setCoil(RelayId, address, coils.contains(address));
    readAll();

    QStringList shown;
    for (const char *name : IndicationNames) {
        if (isChecked(m_panel.data(), name))
            shown << QLatin1String(name);
    }
    std::sort(shown.begin(), shown.end());
    std::sort(checked.begin(), checked.end());
    QCOMPARE(shown, checked);
}

void TestMonitorWidget::indicationsIgnoreClicks()
{
    m_line->bus().setDiscreteInput(RelayId, 0x1001, true);
    m_line->bus().setCoil(RelayId, 0x1008, false);
    m_panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel.data()));
    readAll();
    auto *rpv = child<QCheckBox>(m_panel.data(), "discreteInputRpv");
    auto *mtz = child<QCheckBox>(m_panel.data(), "ledMtz");
    QVERIFY(rpv->isChecked());
    QVERIFY(!mtz->isChecked());

    QTest::mouseClick(rpv, Qt::LeftButton);
    QTest::mouseClick(mtz, Qt::LeftButton);
    // Clicks that get past the filter are undone by the form.
    mtz->click();
    QVERIFY(rpv->isChecked());
    QVERIFY(!mtz->isChecked());
}

void TestMonitorWidget::latestCrash_data()
{
    QTest::addColumn<quint16>("type");
    QTest::addColumn<quint16>("raw");
    QTest::addColumn<quint16>("scale");
    QTest::addColumn<QString>("typeText");
    QTest::addColumn<QString>("current");

    // Range code 2 doubles the phase trip currents.
    QTest::newRow("MTZ") << quint16(1) << quint16(500) << quint16(60) << "MTZ"
                         << "600.00 A";
    QTest::newRow("TO in kiloamperes") << quint16(2) << quint16(10000) << quint16(60) << "TO"
                                       << "12.00 kA";
    QTest::newRow("ZNZ") << quint16(3) << quint16(1500) << quint16(30) << "ZNZ"
                         << "45.000 A";
    QTest::newRow("ZNZ at the kiloampere point")
        << quint16(3) << quint16(1000) << quint16(1000) << "ZNZ"
        << "1.000 kA";
    QTest::newRow("APV 1 records no current")
        << quint16(4) << quint16(500) << quint16(60) << "APV 1"
        << "-";
    QTest::newRow("APV 2") << quint16(5) << quint16(0) << quint16(0) << "APV 2"
                           << "-";
    QTest::newRow("AChR") << quint16(6) << quint16(0) << quint16(0) << "AChR"
                          << "-";
    QTest::newRow("unknown type") << quint16(9) << quint16(500) << quint16(60) << ""
                                  << "-";
}

void TestMonitorWidget::latestCrash()
{
    QFETCH(quint16, type);
    QFETCH(quint16, raw);
    QFETCH(quint16, scale);
    QFETCH(QString, typeText);
    QFETCH(QString, current);

    writeCrashRecord(type, raw, scale, 2);
    readAll();

    QCOMPARE(text(m_panel.data(), "crashCountNumberIndicator"), QStringLiteral("5"));
    QCOMPARE(text(m_panel.data(), "latestCrashTypeEnumIndicator"), typeText);
    QCOMPARE(text(m_panel.data(), "latestCrashTimeValue"),
        QLocale::system().toString(m_crashTime, QLocale::ShortFormat));
    QCOMPARE(text(m_panel.data(), "latestCrashCurrentIndicator"), current);
}

void TestMonitorWidget::noCrashesHidesTheLeftoverRecord()
{
    writeCrashRecord(1, 500, 60, 2);
    readAll();
    QCOMPARE(text(m_panel.data(), "latestCrashCurrentIndicator"), QStringLiteral("600.00 A"));

    // The count is read before the record: with no crashes, whatever the
    // crash registers hold is not shown.
    m_line->bus().setHoldingRegister(RelayId, CrashCount, 0);
    writeCrashRecord(2, 500, 60, 2);
    QVERIFY(read(m_crashCount));
    QCOMPARE(text(m_panel.data(), "crashCountNumberIndicator"), QStringLiteral("0"));
    QVERIFY(read(m_latestCrash));
    for (const char *name :
        { "latestCrashTypeEnumIndicator", "latestCrashTimeValue", "latestCrashCurrentIndicator" })
        QCOMPARE(text(m_panel.data(), name), QStringLiteral("-"));
}

void TestMonitorWidget::switchedOffRelayTurnsValuesRed()
{
    m_line->bus().setHoldingRegister(RelayId, PhaseA, 250);
    writeCrashRecord(1, 500, 60, 2);
    readAll();
    QVERIFY(!isShownInRed(child(m_panel.data(), "phaseACurrentIndicator")));

    m_line->bus().setRelayOnline(RelayId, false);
    readAll();
    for (const char *name : { "phaseACurrentIndicator", "zeroVoltageNumberIndicator",
             "crashCountNumberIndicator", "latestCrashTypeEnumIndicator", "latestCrashTimeValue",
             "latestCrashCurrentIndicator", "discreteInputRpv", "ledMtz" })
        QVERIFY2(isShownInRed(child(m_panel.data(), name)), name);
    // The last known values stay.
    QCOMPARE(text(m_panel.data(), "phaseACurrentIndicator"), QStringLiteral("300.00 A"));
    QCOMPARE(text(m_panel.data(), "latestCrashCurrentIndicator"), QStringLiteral("600.00 A"));
    QVERIFY(isChecked(m_panel.data(), "discreteInputRpv"));
}

void TestMonitorWidget::reattachingMovesTheConnection()
{
    MeterageData other;
    m_panel->setMeterageData(&other);
    m_line->bus().setHoldingRegister(RelayId, PhaseA, 250);
    QVERIFY(read(m_configuration));
    QVERIFY(read(m_meterage));
    QCOMPARE(text(m_panel.data(), "phaseACurrentIndicator"), QStringLiteral("-"));
    QVERIFY(read(&other));
    QCOMPARE(text(m_panel.data(), "phaseACurrentIndicator"), QStringLiteral("300.00 A"));
}

void TestMonitorWidget::checkback()
{
    auto *button = child<QPushButton>(m_panel.data(), "checkbackButton");
    QSignalSpy checkbacks(m_panel.data(), &MonitorWidget::checkback);
    QVERIFY(!button->isEnabled());

    // The command acknowledges the indication, so it needs the IND module.
    QVERIFY(read(m_modules));
    m_panel->ui_setCurrentDeviceAvailable(true);
    button->click();
    QCOMPARE(checkbacks.count(), 1);

    m_line->bus().setModules(RelayId, Apv | Znz3I0);
    QVERIFY(read(m_modules));
    QVERIFY(!button->isEnabled());
    m_line->bus().setModules(RelayId, Ind);
    QVERIFY(read(m_modules));
    QVERIFY(button->isEnabled());

    m_panel->ui_setCurrentDeviceAvailable(false);
    QVERIFY(!button->isEnabled());
}

QTEST_MAIN(TestMonitorWidget)

#include "tst_monitorwidget.moc"
