// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"
#include "messageboxanswer.h"
#include "panelfixture.h"
#include "referencecrc32.h"
#include "ui/panels/configurationwidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

const int RelayId = 1;

// Bits of the relay's module register.
const quint16 ApvBit = 0x01;
const quint16 Znz3I0Bit = 0x02;
const quint16 Znz3U0Bit = 0x04;

// The panel with the blocks the main window gives it, for the current relay.
struct Panel
{
    MeterageConfigurationData meterageConfiguration;
    ProtectionConfigurationData protectionConfiguration;
    ModulesData modules;
    SetpointsData setpoints;
    ConfigurationWidget widget;

    Panel()
    {
        widget.setSetpointsData(&setpoints);
        widget.setMeterageConfigurationData(&meterageConfiguration);
        widget.setProtectionConfigurationData(&protectionConfiguration);
        widget.setModulesData(&modules);
        widget.ui_setCurrentDeviceAvailable(true);
    }
};

} // namespace

class ConfigurationWidgetTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void editWaitsForValuesOfThisRelay();
    void earthFaultModuleGatesKt0_data();
    void earthFaultModuleGatesKt0();
    void outdatedModulesStillCount();

    void setHandsOverRegisterValues_data();
    void setHandsOverRegisterValues();
    void unknownCodeIsWrittenBackUnchanged();
    void typedValueTheRelayCannotHoldIsNotWritten();
    void setClickedWithTheMouseSeesTheTypedValue();
    void cancelWritesNothing();

    void onlyASuccessfulWriteEndsEditMode_data();
    void onlyASuccessfulWriteEndsEditMode();

    void resetBlocksShowAsMissing();
    void losingTheDeviceEndsEditMode();
    void newRangeShowsThePickupsInAmperes();
    void fingerprintIsTheRelays();

private:
    // Reads the panel's blocks from the relay as a refresh of the tab does.
    bool readAll(Panel &panel);
    // Writes both blocks on the panel's request, as the main window does.
    void writeOnRequest(Panel &panel);

    QScopedPointer<SimulatedLine> m_line;
};

void ConfigurationWidgetTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    m_line.reset(new SimulatedLine({ RelayId }));
    QVERIFY(m_line->start());
}

void ConfigurationWidgetTest::init()
{
    RelayBus &bus = m_line->bus();
    bus.setRelayOnline(RelayId, true);
    m_line->manager().setResponseTimeout(AnsweringRelayTimeoutMs);
    bus.setModules(RelayId, ApvBit | Znz3I0Bit | Znz3U0Bit);
    // Range "2 - 82", Kt 60, Kt0 30, DI Block TO continuously, instant reset
    // off after 0.1 s.
    const QVector<QPair<int, quint16>> registers
        = { { 25, 2 }, { 26, 60 }, { 27, 30 }, { 28, 0 }, { 30, 0 }, { 31, 1 } };
    for (const auto &reg : registers)
        bus.setHoldingRegister(RelayId, reg.first, reg.second);
    bus.clearReceivedWrites();
}

// The pick-up registers stay as they are: a new range scales them.
void ConfigurationWidgetTest::newRangeShowsThePickupsInAmperes()
{
    RelayBus &bus = m_line->bus();
    bus.setHoldingRegister(RelayId, 34, 250);
    bus.setHoldingRegister(RelayId, 37, 100);
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    const QLabel *effect = child<QLabel>(w, "rangeEffectLabel");
    click(w, "editButton");
    QCOMPARE(effect->text(), QString());

    // Setpoints not read yet: only the factor is known.
    chooseCode(w, "currentRangeEnumIndicatorEditor", 4);
    QCOMPARE(effect->text(),
        QStringLiteral(
            "At range 8 - 328 every pick-up current in amperes changes by a factor of 4."));

    QVERIFY(m_line->read(RelayId, &panel.setpoints));
    QCOMPARE(effect->text(),
        QStringLiteral("At range 8 - 328 the MTZ pick-up becomes 20.00 A (now 5.00 A) and the TO "
                       "pick-up 80.0 A (now 20.0 A)."));
    chooseCode(w, "currentRangeEnumIndicatorEditor", 1);
    QCOMPARE(effect->text(),
        QStringLiteral("At range 1 - 41 the MTZ pick-up becomes 2.50 A (now 5.00 A) and the TO "
                       "pick-up 10.0 A (now 20.0 A)."));

    chooseCode(w, "currentRangeEnumIndicatorEditor", 2);
    QCOMPARE(effect->text(), QString());
    chooseCode(w, "currentRangeEnumIndicatorEditor", 3);
    QVERIFY(!effect->text().isEmpty());
    click(w, "cancelButton");
    QCOMPARE(effect->text(), QString());
}

bool ConfigurationWidgetTest::readAll(Panel &panel)
{
    return m_line->read(RelayId, &panel.modules)
        && m_line->read(RelayId, &panel.meterageConfiguration)
        && m_line->read(RelayId, &panel.protectionConfiguration);
}

void ConfigurationWidgetTest::writeOnRequest(Panel &panel)
{
    writeBlocksOnRequest(*m_line, RelayId, &panel.widget,
        { &panel.meterageConfiguration, &panel.protectionConfiguration });
}

// Editors never start from defaults: Edit waits until every block the
// panel writes back holds values read from this relay.
void ConfigurationWidgetTest::editWaitsForValuesOfThisRelay()
{
    RelayBus &bus = m_line->bus();
    Panel panel;
    const QWidget *w = &panel.widget;
    const auto *editButton = child<QPushButton>(w, "editButton");
    QVERIFY(!isShown(w, "cancelButton"));
    QVERIFY(!isShown(w, "setButton"));
    QCOMPARE(indicatorText(w, "currentTransFactorIndicatorEditor"), QString("-"));
    QVERIFY(!editButton->isEnabled());
    click(w, "editButton");
    QVERIFY(!panel.widget.isEditMode());

    QVERIFY(m_line->read(RelayId, &panel.modules));
    QVERIFY(m_line->read(RelayId, &panel.meterageConfiguration));
    QVERIFY(!editButton->isEnabled());
    QVERIFY(m_line->read(RelayId, &panel.protectionConfiguration));
    QVERIFY(editButton->isEnabled());

    // Values shown outdated (in red) may still be edited.
    m_line->manager().setResponseTimeout(SilentRelayTimeoutMs);
    bus.setRelayOnline(RelayId, false);
    QVERIFY(m_line->read(RelayId, &panel.protectionConfiguration));
    QCOMPARE(panel.protectionConfiguration.configuration().diBlockToMode.status, Outdated);
    QVERIFY(editButton->isEnabled());
    click(w, "editButton");
    QVERIFY(panel.widget.isEditMode());
    QCOMPARE(spinBoxOf(w, "currentTransFactorIndicatorEditor")->value(), 60.0);

    // A reset (another relay became current) takes the values and the edit away.
    panel.protectionConfiguration.reset();
    QVERIFY(!panel.widget.isEditMode());
    QVERIFY(!editButton->isEnabled());
}

void ConfigurationWidgetTest::earthFaultModuleGatesKt0_data()
{
    QTest::addColumn<quint16>("modules");
    QTest::addColumn<bool>("installed");

    QTest::newRow("no modules") << quint16(0) << false;
    QTest::newRow("auto-reclose only") << ApvBit << false;
    QTest::newRow("earth fault 3I0") << Znz3I0Bit << true;
    QTest::newRow("earth fault 3I0 and 3U0") << Znz3U0Bit << true;
    QTest::newRow("all modules") << quint16(ApvBit | Znz3I0Bit | Znz3U0Bit) << true;
}

void ConfigurationWidgetTest::earthFaultModuleGatesKt0()
{
    QFETCH(quint16, modules);
    QFETCH(bool, installed);

    m_line->bus().setModules(RelayId, modules);
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));

    QCOMPARE(child<QLabel>(w, "zeroCurrentTransFactorLabel")->isEnabled(), installed);
    QCOMPARE(editorAt(w, "zeroCurrentTransFactorIndicatorEditor")->isEnabled(), installed);
    QCOMPARE(indicatorText(w, "zeroCurrentTransFactorIndicatorEditor"),
        installed ? QString("30") : QString("-"));

    click(w, "editButton");
    QCOMPARE(editorAt(w, "zeroCurrentTransFactorIndicatorEditor")->isEditMode(), installed);
    QVERIFY(editorAt(w, "currentTransFactorIndicatorEditor")->isEditMode());

    // The module going away while editing takes Kt0 out of edit mode at once.
    m_line->bus().setModules(RelayId, 0);
    QVERIFY(m_line->read(RelayId, &panel.modules));
    QVERIFY(!editorAt(w, "zeroCurrentTransFactorIndicatorEditor")->isEditMode());
    QCOMPARE(indicatorText(w, "zeroCurrentTransFactorIndicatorEditor"), QString("-"));
    QVERIFY(panel.widget.isEditMode());
}

void ConfigurationWidgetTest::outdatedModulesStillCount()
{
    m_line->bus().setModules(RelayId, Znz3I0Bit);
    Panel panel;
    QVERIFY(readAll(panel));

    m_line->manager().setResponseTimeout(SilentRelayTimeoutMs);
    m_line->bus().setRelayOnline(RelayId, false);
    QVERIFY(m_line->read(RelayId, &panel.modules));
    QCOMPARE(panel.modules.modules().status, Outdated);
    QVERIFY(editorAt(&panel.widget, "zeroCurrentTransFactorIndicatorEditor")->isEnabled());
}

void ConfigurationWidgetTest::setHandsOverRegisterValues_data()
{
    QTest::addColumn<quint16>("modules");
    QTest::addColumn<double>("resettingTime");
    QTest::addColumn<quint16>("expectedResettingTime");
    QTest::addColumn<quint16>("expectedKt0");

    QTest::newRow("with earth fault, 0.3 s") << Znz3I0Bit << 0.3 << quint16(3) << quint16(150);
    // Halves are not truncated away: 0.5 / 0.1 is just below 5 in binary.
    QTest::newRow("with earth fault, 0.5 s") << Znz3U0Bit << 0.5 << quint16(5) << quint16(150);
    // Kt0 was never offered, so the relay's own value goes back.
    QTest::newRow("without earth fault") << ApvBit << 0.2 << quint16(2) << quint16(30);
}

void ConfigurationWidgetTest::setHandsOverRegisterValues()
{
    QFETCH(quint16, modules);
    QFETCH(double, resettingTime);
    QFETCH(quint16, expectedResettingTime);
    QFETCH(quint16, expectedKt0);

    RelayBus &bus = m_line->bus();
    bus.setModules(RelayId, modules);
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    writeOnRequest(panel);
    QSignalSpy finished(&panel.widget, &ConfigurationWidget::writeFinished);

    click(w, "editButton");
    chooseCode(w, "currentRangeEnumIndicatorEditor", 3);
    spinBoxOf(w, "currentTransFactorIndicatorEditor")->setValue(1234);
    // Whatever the spin box holds, an absent module's value is not taken.
    spinBoxOf(w, "zeroCurrentTransFactorIndicatorEditor")->setValue(150);
    chooseCode(w, "diBlockToModeEnumIndicatorEditor", 20);
    chooseCode(w, "mtzInstantResetModeEnumIndicatorEditor", 1);
    spinBoxOf(w, "mtzInstantResettingTimeIndicatorEditor")->setValue(resettingTime);
    click(w, "setButton");

    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(bus.holdingRegister(RelayId, 25), quint16(3));
    QCOMPARE(bus.holdingRegister(RelayId, 26), quint16(1234));
    QCOMPARE(bus.holdingRegister(RelayId, 27), expectedKt0);
    QCOMPARE(bus.holdingRegister(RelayId, 28), quint16(20));
    QCOMPARE(bus.holdingRegister(RelayId, 30), quint16(1));
    QCOMPARE(bus.holdingRegister(RelayId, 31), expectedResettingTime);
}

void ConfigurationWidgetTest::unknownCodeIsWrittenBackUnchanged()
{
    // A code no item offers leaves the combo without a choice; writing its
    // data would put 0 into the relay, a code nobody chose.
    m_line->bus().setHoldingRegister(RelayId, 25, 7);
    Panel panel;
    QVERIFY(readAll(panel));
    writeOnRequest(panel);
    QSignalSpy finished(&panel.widget, &ConfigurationWidget::writeFinished);

    click(&panel.widget, "editButton");
    QCOMPARE(comboOf(&panel.widget, "currentRangeEnumIndicatorEditor")->currentIndex(), -1);
    click(&panel.widget, "setButton");
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(m_line->bus().holdingRegister(RelayId, 25), quint16(7));
}

// Kt 0 cannot be held: Set pressed while it is still being typed must not
// write the value the spin box held before, which the user no longer sees.
void ConfigurationWidgetTest::typedValueTheRelayCannotHoldIsNotWritten()
{
    RelayBus &bus = m_line->bus();
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    writeOnRequest(panel);
    QSignalSpy writes(&panel.widget, &ConfigurationWidget::write);
    QSignalSpy finished(&panel.widget, &ConfigurationWidget::writeFinished);
    click(w, "editButton");
    QDoubleSpinBox *kt = spinBoxOf(w, "currentTransFactorIndicatorEditor");
    const QLineEdit *line = kt->findChild<QLineEdit *>();
    const auto type = [kt](const QString &text) {
        kt->selectAll();
        QTest::keyClicks(kt, text);
    };

    type(QStringLiteral("0"));
    QCOMPARE(line->text(), QStringLiteral("0"));
    {
        MessageBoxAnswer answer(QStringLiteral("OK"));
        click(w, "setButton");
        QVERIFY(answer.answered());
    }
    QCOMPARE(writes.count(), 0);
    QCOMPARE(line->text(), QStringLiteral("60"));
    QVERIFY(panel.widget.isEditMode());

    // A typed value the relay can hold goes out as it is.
    type(QStringLiteral("75"));
    click(w, "setButton");
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(bus.holdingRegister(RelayId, 26), quint16(75));
}

// A click moves the focus to Set before Set runs; the spin box must not turn
// the typed text into another value on the way out.
void ConfigurationWidgetTest::setClickedWithTheMouseSeesTheTypedValue()
{
    Panel panel;
    QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    QSignalSpy writes(&panel.widget, &ConfigurationWidget::write);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    click(w, "editButton");
    QDoubleSpinBox *kt = spinBoxOf(w, "currentTransFactorIndicatorEditor");
    kt->setFocus();
    kt->selectAll();
    QTest::keyClicks(kt, QStringLiteral("0"));
    QVERIFY(kt->hasFocus());

    MessageBoxAnswer answer(QStringLiteral("OK"));
    QTest::mouseClick(child<QPushButton>(w, "setButton"), Qt::LeftButton);
    QTRY_VERIFY(answer.answered());
    QCOMPARE(writes.count(), 0);
}

void ConfigurationWidgetTest::cancelWritesNothing()
{
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    QSignalSpy writes(&panel.widget, &ConfigurationWidget::write);

    click(w, "editButton");
    QCOMPARE(spinBoxOf(w, "currentTransFactorIndicatorEditor")->value(), 60.0);
    spinBoxOf(w, "currentTransFactorIndicatorEditor")->setValue(1234);
    click(w, "cancelButton");

    QCOMPARE(writes.count(), 0);
    QVERIFY(!panel.widget.isEditMode());
    QVERIFY(!editorAt(w, "currentTransFactorIndicatorEditor")->isEditMode());
    QVERIFY(isShown(w, "editButton"));
    QCOMPARE(indicatorText(w, "currentTransFactorIndicatorEditor"), QString("60"));

    // The next edit starts from the relay's value again.
    click(w, "editButton");
    QCOMPARE(spinBoxOf(w, "currentTransFactorIndicatorEditor")->value(), 60.0);
    QVERIFY(m_line->bus().receivedWrites().isEmpty());
}

void ConfigurationWidgetTest::onlyASuccessfulWriteEndsEditMode_data()
{
    QTest::addColumn<bool>("measurementAnswered");
    QTest::addColumn<bool>("protectionAnswered");

    QTest::newRow("both blocks written") << true << true;
    QTest::newRow("relay off") << false << false;
    QTest::newRow("measurement block lost") << false << true;
    QTest::newRow("protection block lost") << true << false;
}

void ConfigurationWidgetTest::onlyASuccessfulWriteEndsEditMode()
{
    QFETCH(bool, measurementAnswered);
    QFETCH(bool, protectionAnswered);
    const bool successful = measurementAnswered && protectionAnswered;

    RelayBus &bus = m_line->bus();
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    writeOnRequest(panel);
    QSignalSpy finished(&panel.widget, &ConfigurationWidget::writeFinished);

    // The relay goes silent, or comes back, between the two blocks.
    m_line->manager().setResponseTimeout(SilentRelayTimeoutMs);
    bus.setRelayOnline(RelayId, measurementAnswered);
    connect(&panel.meterageConfiguration, &DeviceData::stateChanged, &panel.widget,
        [&bus, protectionAnswered](DeviceData::State current, DeviceData::State previous) {
            if (current == DeviceData::Inactive && previous == DeviceData::Writing)
                bus.setRelayOnline(RelayId, protectionAnswered);
        });

    click(w, "editButton");
    spinBoxOf(w, "currentTransFactorIndicatorEditor")->setValue(1234);
    spinBoxOf(w, "mtzInstantResettingTimeIndicatorEditor")->setValue(0.4);
    click(w, "setButton");
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(finished.at(0).at(0).toBool(), successful);
    QCOMPARE(panel.widget.isEditMode(), !successful);
    if (successful)
        return;

    // The user's values wait for another try.
    QVERIFY(isShown(w, "setButton"));
    QCOMPARE(spinBoxOf(w, "currentTransFactorIndicatorEditor")->value(), 1234.0);
    QVERIFY(editorAt(w, "mtzInstantResettingTimeIndicatorEditor")->isEditMode());

    disconnect(&panel.meterageConfiguration, &DeviceData::stateChanged, &panel.widget, nullptr);
    bus.setRelayOnline(RelayId, true);
    click(w, "setButton");
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(finished.at(1).at(0).toBool(), true);
    QVERIFY(!panel.widget.isEditMode());
    QCOMPARE(bus.holdingRegister(RelayId, 26), quint16(1234));
    QCOMPARE(bus.holdingRegister(RelayId, 31), quint16(4));
}

void ConfigurationWidgetTest::resetBlocksShowAsMissing()
{
    // Switching to another relay resets the blocks: the previous relay's
    // values must not stay on screen as if they were this one's.
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    QCOMPARE(indicatorText(w, "currentRangeEnumIndicatorEditor"), QString("2 - 82"));
    QCOMPARE(indicatorText(w, "mtzInstantResettingTimeIndicatorEditor"), QString("0.1 sec"));

    panel.meterageConfiguration.reset();
    panel.protectionConfiguration.reset();
    for (const char *editor :
        { "currentRangeEnumIndicatorEditor", "currentTransFactorIndicatorEditor",
            "zeroCurrentTransFactorIndicatorEditor", "diBlockToModeEnumIndicatorEditor",
            "mtzInstantResetModeEnumIndicatorEditor", "mtzInstantResettingTimeIndicatorEditor" }) {
        QCOMPARE(indicatorText(w, editor), QString("-"));
    }
}

void ConfigurationWidgetTest::losingTheDeviceEndsEditMode()
{
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    QSignalSpy writes(&panel.widget, &ConfigurationWidget::write);

    click(w, "editButton");
    QVERIFY(panel.widget.isEditMode());
    panel.widget.ui_cancelEditMode();
    QVERIFY(!panel.widget.isEditMode());

    click(w, "editButton");
    panel.widget.ui_setCurrentDeviceAvailable(false);
    QVERIFY(!panel.widget.isEditMode());
    QVERIFY(!child<QPushButton>(w, "editButton")->isEnabled());
    QVERIFY(!editorAt(w, "currentRangeEnumIndicatorEditor")->isEditMode());
    QCOMPARE(writes.count(), 0);
}

// The relay's own registers, worked out here, against what the tab shows: missing until every
// block was read; then only from reads of the three blocks with no other read of one of them in
// between, as a refresh pass reads them; outdated once one of them could not be read again.
void ConfigurationWidgetTest::fingerprintIsTheRelays()
{
    RelayBus &bus = m_line->bus();
    bus.setHoldingRegister(RelayId, 34, 321);
    Panel panel;
    const QLabel *value = child<QLabel>(&panel.widget, "settingsFingerprintValueLabel");
    QCOMPARE(value->text(), QStringLiteral("-"));
    QVERIFY(readAll(panel));
    QCOMPARE(value->text(), QStringLiteral("-"));
    QVERIFY(m_line->read(RelayId, &panel.setpoints));
    const QString before = referenceFingerprintText(bus, RelayId);
    QCOMPARE(value->text(), before);
    QVERIFY(!isShownInRed(value));

    // Kt and a setpoint change between the reads of their blocks: the old Kt beside the new
    // setpoints is neither state, whatever is read after them.
    QVERIFY(m_line->read(RelayId, &panel.meterageConfiguration));
    bus.setHoldingRegister(RelayId, 34, 322);
    bus.setHoldingRegister(RelayId, 26, 61);
    const QString after = referenceFingerprintText(bus, RelayId);
    QVERIFY(after != before);
    QVERIFY(m_line->read(RelayId, &panel.setpoints));
    QCOMPARE(value->text(), before);
    QVERIFY(m_line->read(RelayId, &panel.setpoints));
    QCOMPARE(value->text(), before);
    QVERIFY(m_line->read(RelayId, &panel.protectionConfiguration));
    QCOMPARE(value->text(), before);
    QVERIFY(m_line->read(RelayId, &panel.meterageConfiguration));
    QCOMPARE(value->text(), after);
    QVERIFY(!isShownInRed(value));

    m_line->manager().setResponseTimeout(SilentRelayTimeoutMs);
    bus.setRelayOnline(RelayId, false);
    QVERIFY(m_line->read(RelayId, &panel.protectionConfiguration));
    QCOMPARE(value->text(), after);
    QVERIFY(isShownInRed(value));
    bus.setRelayOnline(RelayId, true);
    m_line->manager().setResponseTimeout(AnsweringRelayTimeoutMs);
    QVERIFY(readAll(panel));
    QVERIFY(isShownInRed(value));
    QVERIFY(m_line->read(RelayId, &panel.setpoints));
    QVERIFY(!isShownInRed(value));

    // Another relay's blocks hold nothing yet.
    panel.setpoints.reset();
    QCOMPARE(value->text(), QStringLiteral("-"));
}

QTEST_MAIN(ConfigurationWidgetTest)
#include "tst_configurationwidget.moc"
