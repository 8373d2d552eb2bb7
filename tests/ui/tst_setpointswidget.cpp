// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"
#include "messageboxanswer.h"
#include "panelfixture.h"
#include "referencecrc32.h"
#include "ui/panels/setpointswidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

const int RelayId = 1;
const int CurrentRangeRegister = 25;

// Bits of the relay's module register.
const quint16 ApvBit = 0x01;
const quint16 Znz3I0Bit = 0x02;
const quint16 Znz3U0Bit = 0x04;
const quint16 AllModules = ApvBit | Znz3I0Bit | Znz3U0Bit;

// What the relay holds at the start of every test: every protection on,
// ZNZ directional, APV double shot.
const QMap<int, quint16> RelaySetpoints = {
    { 32, 1 },
    { 33, 1 },
    { 34, 250 },
    { 35, 15 },
    { 36, 1 },
    { 37, 100 },
    { 38, 10 },
    { 39, 5 },
    { 40, 2 },
    { 41, 45 },
    { 42, 135 },
    { 43, 50 },
    { 44, 300 },
    { 45, 5 },
    { 48, 2 },
    { 49, 60 },
    { 50, 10 },
    { 51, 20 },
};

const char *const MtzToEditors[]
    = { "mtzModeEnumIndicatorEditor", "mtzPickupCurrentIndicatorEditor",
          "mtzPickupCharacteristicEnumIndicatorEditor", "mtzReactionDelayIndicatorEditor",
          "toModeEnumIndicatorEditor", "toPickupCurrentIndicatorEditor",
          "toReactionDelayIndicatorEditor", "mtzToResettingDelayIndicatorEditor" };
const char *const Znz3U0Editors[]
    = { "znzModeEnumIndicatorEditor", "znzPickupVoltageIndicatorEditor",
          "znz3I03U0FirstAngleIndicatorEditor", "znz3I03U0LastAngleIndicatorEditor" };
const char *const ZnzEditors[]
    = { "znzPickupCurrentIndicatorEditor", "znzReactionDelayIndicatorEditor" };
const char *const ApvEditors[] = { "apvModeEnumIndicatorEditor", "apvReadinessDelayIndicatorEditor",
    "apvReactionDelay1stIndicatorEditor", "apvReactionDelay2ndIndicatorEditor" };

// The panel with the blocks the main window gives it, for the current relay.
struct Panel
{
    MeterageConfigurationData meterageConfiguration;
    SetpointsData setpoints;
    ModulesData modules;
    SetpointsWidget widget;

    Panel()
    {
        widget.setMeterageConfigurationData(&meterageConfiguration);
        widget.setSetpointsData(&setpoints);
        widget.setModulesData(&modules);
        widget.ui_setCurrentDeviceAvailable(true);
    }
};

QLabel *labelOf(const QWidget *panel, const char *editor)
{
    QString name = QLatin1String(editor);
    name.replace("EnumIndicatorEditor", "Label").replace("IndicatorEditor", "Label");
    return child<QLabel>(panel, name.toLatin1().constData());
}

// A field's editor and label are enabled together.
bool isFieldEnabled(const QWidget *panel, const char *editor)
{
    const bool enabled = editorAt(panel, editor)->isEnabled();
    if (labelOf(panel, editor)->isEnabled() != enabled)
        qFatal("%s and its label disagree", editor);
    return enabled;
}

// "name=value": a number for a spin box, a code for a combo box.
void applyEdit(const QWidget *panel, const QString &edit)
{
    const QStringList parts = edit.split('=');
    const QByteArray editor = parts.at(0).toLatin1();
    if (editor.endsWith("EnumIndicatorEditor"))
        chooseCode(panel, editor.constData(), parts.at(1).toLongLong());
    else
        spinBoxOf(panel, editor.constData())->setValue(parts.at(1).toDouble());
}

// "register=value" pairs.
QMap<int, quint16> registerValues(const QStringList &pairs)
{
    QMap<int, quint16> values;
    for (const QString &pair : pairs)
        values.insert(pair.section('=', 0, 0).toInt(), quint16(pair.section('=', 1).toUInt()));
    return values;
}

} // namespace

class SetpointsWidgetTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void editWaitsForValuesOfThisRelay();
    void editFollowsTheBlockAttachedLast();
    void setIsTakenOncePerEdit();
    void retryStartsFromTheRelaysValues();
    void pickupRangesStayWhileEditing();
    void modulesGateTheirFields_data();
    void modulesGateTheirFields();

    void modesGateTheirFields_data();
    void modesGateTheirFields();

    void pickupCurrentsFollowTheCurrentRange_data();
    void pickupCurrentsFollowTheCurrentRange();

    void setWritesRegisterValues_data();
    void setWritesRegisterValues();
    void setWithUnknownCurrentRangeKeepsPickupCurrents();
    void pickupCurrentsHoldOnlyWhatTheRelayCan();
    void setRefusedAfterTheCurrentRangeChanged();
    void onlyASuccessfulWriteEndsEditMode();

    void resetBlocksShowAsMissing();
    void fingerprintIsTheRelays();

private:
    bool readAll(Panel &panel);
    void writeOnRequest(Panel &panel);
    QMap<int, quint16> relayRegisters() const;
    // Whether each field is enabled as expected; the differences are logged.
    static bool fieldsEnabledAs(const QWidget *panel, const QMap<QString, bool> &expected);

    QScopedPointer<SimulatedLine> m_line;
};

void SetpointsWidgetTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    m_line.reset(new SimulatedLine({ RelayId }));
    QVERIFY(m_line->start());
}

void SetpointsWidgetTest::init()
{
    RelayBus &bus = m_line->bus();
    bus.setRelayOnline(RelayId, true);
    m_line->manager().setResponseTimeout(AnsweringRelayTimeoutMs);
    bus.setModules(RelayId, AllModules);
    bus.setHoldingRegister(RelayId, CurrentRangeRegister, 2); // m = 2
    for (auto it = RelaySetpoints.cbegin(); it != RelaySetpoints.cend(); ++it)
        bus.setHoldingRegister(RelayId, it.key(), it.value());
}

bool SetpointsWidgetTest::readAll(Panel &panel)
{
    return m_line->read(RelayId, &panel.modules)
        && m_line->read(RelayId, &panel.meterageConfiguration)
        && m_line->read(RelayId, &panel.setpoints);
}

void SetpointsWidgetTest::writeOnRequest(Panel &panel)
{
    writeBlocksOnRequest(*m_line, RelayId, &panel.widget, { &panel.setpoints });
}

QMap<int, quint16> SetpointsWidgetTest::relayRegisters() const
{
    QMap<int, quint16> values;
    for (int address : RelaySetpoints.keys())
        values.insert(address, m_line->bus().holdingRegister(RelayId, address));
    return values;
}

bool SetpointsWidgetTest::fieldsEnabledAs(const QWidget *panel, const QMap<QString, bool> &expected)
{
    bool as = true;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QByteArray editor = it.key().toLatin1();
        if (isFieldEnabled(panel, editor.constData()) != it.value()) {
            qWarning("%s should be %s", editor.constData(), it.value() ? "enabled" : "disabled");
            as = false;
        }
    }
    return as;
}

// Editors never start from defaults: Edit waits for the modules, the
// current range and the setpoints read from this relay.
void SetpointsWidgetTest::editWaitsForValuesOfThisRelay()
{
    Panel panel;
    const QWidget *w = &panel.widget;
    const auto *editButton = child<QPushButton>(w, "editButton");
    QVERIFY(m_line->read(RelayId, &panel.modules));
    QVERIFY(m_line->read(RelayId, &panel.meterageConfiguration));
    QCOMPARE(indicatorText(w, "mtzPickupCurrentIndicatorEditor"), QString("-"));
    QVERIFY(!editButton->isEnabled());
    click(w, "editButton");
    QVERIFY(!panel.widget.isEditMode());
    QVERIFY(!isShown(w, "setButton"));

    QVERIFY(m_line->read(RelayId, &panel.setpoints));
    QVERIFY(editButton->isEnabled());
    click(w, "editButton");
    QVERIFY(panel.widget.isEditMode());
    QVERIFY(isShown(w, "setButton"));
    QVERIFY(isShown(w, "cancelButton"));
    QVERIFY(!isShown(w, "editButton"));
    QCOMPARE(spinBoxOf(w, "mtzPickupCurrentIndicatorEditor")->value(), 5.0);

    // Without the current range the pick-up currents mean nothing.
    panel.meterageConfiguration.reset();
    QVERIFY(!panel.widget.isEditMode());
    QVERIFY(!editButton->isEnabled());
}

// A panel given another setpoints block stops waiting for the one before:
// its reset neither disables Edit nor ends the edit, the new block's does.
void SetpointsWidgetTest::editFollowsTheBlockAttachedLast()
{
    Panel panel;
    const auto *editButton = child<QPushButton>(&panel.widget, "editButton");
    QVERIFY(m_line->read(RelayId, &panel.modules));
    QVERIFY(m_line->read(RelayId, &panel.meterageConfiguration));
    QVERIFY(m_line->read(RelayId, &panel.setpoints));
    SetpointsData replacement;
    QVERIFY(m_line->read(RelayId, &replacement));
    panel.widget.setSetpointsData(&replacement);
    QVERIFY(editButton->isEnabled());

    panel.setpoints.reset();
    QVERIFY(editButton->isEnabled());
    click(&panel.widget, "editButton");
    QVERIFY(panel.widget.isEditMode());
    panel.setpoints.reset();
    QVERIFY(panel.widget.isEditMode());

    replacement.reset();
    QVERIFY(!panel.widget.isEditMode());
    QVERIFY(!editButton->isEnabled());
}

// A click on Set while the write waits behind a read must not queue it again.
void SetpointsWidgetTest::setIsTakenOncePerEdit()
{
    RelayBus &bus = m_line->bus();
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    writeOnRequest(panel);
    QSignalSpy writes(&panel.widget, &SetpointsWidget::write);
    QSignalSpy finished(&panel.widget, &SetpointsWidget::writeFinished);

    click(w, "editButton");
    applyEdit(w, "mtzReactionDelayIndicatorEditor=0.3");
    bus.clearReceivedWrites();
    m_line->manager().read(RelayId, &panel.modules);
    click(w, "setButton");
    click(w, "setButton");
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(writes.count(), 1);
    QTest::qWait(200);
    QCOMPARE(bus.receivedWrites().size(), 18);
    QCOMPARE(bus.holdingRegister(RelayId, 35), quint16(3));
}

// A retry after a failed write starts again from what the relay reported:
// a field disabled since the first try goes back as read, not as edited.
void SetpointsWidgetTest::retryStartsFromTheRelaysValues()
{
    RelayBus &bus = m_line->bus();
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    writeOnRequest(panel);
    QSignalSpy finished(&panel.widget, &SetpointsWidget::writeFinished);

    click(w, "editButton");
    applyEdit(w, "toPickupCurrentIndicatorEditor=60");
    m_line->manager().setResponseTimeout(SilentRelayTimeoutMs);
    bus.setRelayOnline(RelayId, false);
    click(w, "setButton");
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);

    m_line->manager().setResponseTimeout(AnsweringRelayTimeoutMs);
    bus.setRelayOnline(RelayId, true);
    applyEdit(w, "toModeEnumIndicatorEditor=0");
    QVERIFY(!isFieldEnabled(w, "toPickupCurrentIndicatorEditor"));
    click(w, "setButton");
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(finished.at(1).at(0).toBool(), true);
    QCOMPARE(bus.holdingRegister(RelayId, 36), quint16(0));
    QCOMPARE(bus.holdingRegister(RelayId, 37), RelaySetpoints.value(37));
}

// Setting a spin box's range rewrites its text: a refresh must not do it
// under the user's cursor, and a new current range waits for the edit's end.
void SetpointsWidgetTest::pickupRangesStayWhileEditing()
{
    RelayBus &bus = m_line->bus();
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    QDoubleSpinBox *to = spinBoxOf(w, "toPickupCurrentIndicatorEditor");
    QCOMPARE(to->maximum(), 82.0);

    click(w, "editButton");
    const QLineEdit *line = to->findChild<QLineEdit *>();
    to->selectAll();
    QTest::keyClicks(to, QStringLiteral("2"));
    const QString typed = line->text();
    QVERIFY(m_line->read(RelayId, &panel.meterageConfiguration));
    QCOMPARE(line->text(), typed);

    bus.setHoldingRegister(RelayId, CurrentRangeRegister, 3); // m = 4
    QVERIFY(m_line->read(RelayId, &panel.meterageConfiguration));
    QCOMPARE(line->text(), typed);
    QCOMPARE(to->maximum(), 82.0);

    click(w, "cancelButton");
    QCOMPARE(to->maximum(), 164.0);
}

void SetpointsWidgetTest::modulesGateTheirFields_data()
{
    QTest::addColumn<quint16>("modules");
    QTest::addColumn<bool>("apv");
    QTest::addColumn<bool>("znz3I0");
    QTest::addColumn<bool>("znz3U0");

    QTest::newRow("no modules") << quint16(0) << false << false << false;
    QTest::newRow("auto-reclose") << ApvBit << true << false << false;
    QTest::newRow("earth fault 3I0") << Znz3I0Bit << false << true << false;
    QTest::newRow("earth fault 3I0 and 3U0") << Znz3U0Bit << false << false << true;
    QTest::newRow("both earth-fault bits")
        << quint16(Znz3I0Bit | Znz3U0Bit) << false << true << true;
    QTest::newRow("all modules") << AllModules << true << true << true;
}

void SetpointsWidgetTest::modulesGateTheirFields()
{
    QFETCH(quint16, modules);
    QFETCH(bool, apv);
    QFETCH(bool, znz3I0);
    QFETCH(bool, znz3U0);

    m_line->bus().setModules(RelayId, modules);
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    click(w, "editButton");

    auto check = [w](const char *editor, bool installed) {
        QCOMPARE(isFieldEnabled(w, editor), installed);
        QCOMPARE(editorAt(w, editor)->isEditMode(), installed);
        if (!installed)
            QCOMPARE(indicatorText(w, editor), QString("-"));
    };
    for (const char *editor : MtzToEditors)
        check(editor, true);
    for (const char *editor : ZnzEditors)
        check(editor, znz3I0 || znz3U0);
    for (const char *editor : Znz3U0Editors)
        check(editor, znz3U0);
    for (const char *editor : ApvEditors)
        check(editor, apv);
    QVERIFY(!QTest::currentTestFailed());

    // Every module gone while editing: its editors return to view mode at
    // once, the others keep editing.
    m_line->bus().setModules(RelayId, 0);
    QVERIFY(m_line->read(RelayId, &panel.modules));
    for (const char *editor : ApvEditors)
        check(editor, false);
    for (const char *editor : Znz3U0Editors)
        check(editor, false);
    QVERIFY(editorAt(w, "toPickupCurrentIndicatorEditor")->isEditMode());
}

void SetpointsWidgetTest::modesGateTheirFields_data()
{
    QTest::addColumn<QStringList>("modes"); // register=code
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<QStringList>("disabled");

    const QString resetting = "mtzToResettingDelayIndicatorEditor";
    const QStringList mtz
        = { "mtzPickupCharacteristicEnumIndicatorEditor", "mtzReactionDelayIndicatorEditor" };
    const QStringList to = { "toPickupCurrentIndicatorEditor", "toReactionDelayIndicatorEditor" };
    const QStringList always = { "mtzModeEnumIndicatorEditor", "mtzPickupCurrentIndicatorEditor",
        "toModeEnumIndicatorEditor" };
    QTest::newRow("MTZ on, TO on") << QStringList { "32=1", "36=1" }
                                   << always + mtz + to + QStringList(resetting) << QStringList();
    QTest::newRow("MTZ on, TO off")
        << QStringList { "32=1", "36=0" } << always + mtz + QStringList(resetting) << to;
    QTest::newRow("MTZ off, TO on")
        << QStringList { "32=0", "36=1" } << always + to + QStringList(resetting) << mtz;
    QTest::newRow("MTZ off, TO off")
        << QStringList { "32=0", "36=0" } << always << mtz + to + QStringList(resetting);

    const QString voltage = "znzPickupVoltageIndicatorEditor";
    const QStringList angles
        = { "znz3I03U0FirstAngleIndicatorEditor", "znz3I03U0LastAngleIndicatorEditor" };
    const QStringList znz = { "znzModeEnumIndicatorEditor", "znzPickupCurrentIndicatorEditor",
        "znzReactionDelayIndicatorEditor" };
    QTest::newRow("ZNZ 3I0") << QStringList { "40=0" } << znz << QStringList(voltage) + angles;
    QTest::newRow("ZNZ 3I0 & 3U0")
        << QStringList { "40=1" } << znz + QStringList(voltage) << angles;
    QTest::newRow("ZNZ 3I0 & 3U0 -->")
        << QStringList { "40=2" } << znz + QStringList(voltage) + angles << QStringList();

    const QString secondShot = "apvReactionDelay2ndIndicatorEditor";
    const QStringList apv = { "apvModeEnumIndicatorEditor", "apvReadinessDelayIndicatorEditor",
        "apvReactionDelay1stIndicatorEditor" };
    QTest::newRow("APV single") << QStringList { "48=1" } << apv << QStringList(secondShot);
    QTest::newRow("APV double") << QStringList { "48=2" } << apv + QStringList(secondShot)
                                << QStringList();
}

void SetpointsWidgetTest::modesGateTheirFields()
{
    QFETCH(QStringList, modes);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, disabled);
    QMap<QString, bool> expected;
    for (const QString &editor : enabled)
        expected.insert(editor, true);
    for (const QString &editor : disabled)
        expected.insert(editor, false);
    const QMap<int, quint16> codes = registerValues(modes);
    const QMap<int, const char *> modeEditors
        = { { 32, "mtzModeEnumIndicatorEditor" }, { 36, "toModeEnumIndicatorEditor" },
              { 40, "znzModeEnumIndicatorEditor" }, { 48, "apvModeEnumIndicatorEditor" } };
    RelayBus &bus = m_line->bus();

    // As read from the relay.
    for (auto it = codes.cbegin(); it != codes.cend(); ++it)
        bus.setHoldingRegister(RelayId, it.key(), it.value());
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    QVERIFY(fieldsEnabledAs(w, expected));

    // As chosen while editing, starting from other modes: every other code
    // the editor offers.
    for (auto it = codes.cbegin(); it != codes.cend(); ++it) {
        const QComboBox *combo = comboOf(w, modeEditors.value(it.key()));
        const int other = (combo->findData(it.value()) + 1) % combo->count();
        bus.setHoldingRegister(RelayId, it.key(), quint16(combo->itemData(other).toUInt()));
    }
    QVERIFY(m_line->read(RelayId, &panel.setpoints));
    QMap<QString, bool> asRead;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        asRead.insert(it.key(), isFieldEnabled(w, it.key().toLatin1().constData()));
    click(w, "editButton");
    for (auto it = codes.cbegin(); it != codes.cend(); ++it)
        chooseCode(w, modeEditors.value(it.key()), it.value());
    QVERIFY(fieldsEnabledAs(w, expected));

    // Cancel goes back to the relay's modes.
    click(w, "cancelButton");
    QVERIFY(fieldsEnabledAs(w, asRead));
}

void SetpointsWidgetTest::pickupCurrentsFollowTheCurrentRange_data()
{
    QTest::addColumn<quint16>("rangeCode");
    QTest::addColumn<double>("mtzMinimum");
    QTest::addColumn<double>("mtzMaximum");
    QTest::addColumn<double>("mtzStep");
    QTest::addColumn<double>("toMinimum");
    QTest::addColumn<double>("toMaximum");
    QTest::addColumn<double>("toStep");
    QTest::addColumn<QString>("mtzText");
    QTest::addColumn<QString>("toText");

    // Registers: MTZ pick-up 150 (0.01 A), TO pick-up 100 (0.1 A), times m.
    QTest::newRow("1 - 41") << quint16(1) << 1.0 << 4.5 << 0.01 << 2.0 << 41.0 << 0.1 << "1.50 A"
                            << "10.0 A";
    QTest::newRow("2 - 82") << quint16(2) << 2.0 << 9.0 << 0.02 << 4.0 << 82.0 << 0.2 << "3.00 A"
                            << "20.0 A";
    QTest::newRow("4 - 164") << quint16(3) << 4.0 << 18.0 << 0.04 << 8.0 << 164.0 << 0.4 << "6.00 A"
                             << "40.0 A";
    QTest::newRow("8 - 328") << quint16(4) << 8.0 << 36.0 << 0.08 << 16.0 << 328.0 << 0.8
                             << "12.00 A"
                             << "80.0 A";
}

void SetpointsWidgetTest::pickupCurrentsFollowTheCurrentRange()
{
    QFETCH(quint16, rangeCode);
    QFETCH(double, mtzMinimum);
    QFETCH(double, mtzMaximum);
    QFETCH(double, mtzStep);
    QFETCH(double, toMinimum);
    QFETCH(double, toMaximum);
    QFETCH(double, toStep);
    QFETCH(QString, mtzText);
    QFETCH(QString, toText);

    RelayBus &bus = m_line->bus();
    bus.setHoldingRegister(RelayId, 34, 150);
    bus.setHoldingRegister(RelayId, 37, 100);
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));

    // A new range redraws the setpoints already read.
    bus.setHoldingRegister(RelayId, CurrentRangeRegister, rangeCode);
    QVERIFY(m_line->read(RelayId, &panel.meterageConfiguration));
    QCOMPARE(indicatorText(w, "mtzPickupCurrentIndicatorEditor"), mtzText);
    QCOMPARE(indicatorText(w, "toPickupCurrentIndicatorEditor"), toText);

    const QDoubleSpinBox *mtz = spinBoxOf(w, "mtzPickupCurrentIndicatorEditor");
    QCOMPARE(mtz->minimum(), mtzMinimum);
    QCOMPARE(mtz->maximum(), mtzMaximum);
    QCOMPARE(mtz->singleStep(), mtzStep);
    QCOMPARE(mtz->decimals(), 2);
    const QDoubleSpinBox *to = spinBoxOf(w, "toPickupCurrentIndicatorEditor");
    QCOMPARE(to->minimum(), toMinimum);
    QCOMPARE(to->maximum(), toMaximum);
    QCOMPARE(to->singleStep(), toStep);
    QCOMPARE(to->decimals(), 1);
}

void SetpointsWidgetTest::setWritesRegisterValues_data()
{
    QTest::addColumn<quint16>("modules");
    QTest::addColumn<QStringList>("relay"); // register=value, before reading
    QTest::addColumn<QStringList>("edits"); // editor=value
    QTest::addColumn<QStringList>("written"); // register=value; the rest as read

    QTest::newRow("MTZ reaction time 0.3 s")
        << AllModules << QStringList() << QStringList { "mtzReactionDelayIndicatorEditor=0.3" }
        << QStringList { "35=3" };
    QTest::newRow("TO reaction time 0.15 s")
        << AllModules << QStringList() << QStringList { "toReactionDelayIndicatorEditor=0.15" }
        << QStringList { "38=15" };
    QTest::newRow("ZNZ pick-up current 2.7 A")
        << AllModules << QStringList() << QStringList { "znzPickupCurrentIndicatorEditor=2.7" }
        << QStringList { "43=270" };
    QTest::newRow("APV first reaction time 2.5 s")
        << AllModules << QStringList() << QStringList { "apvReactionDelay1stIndicatorEditor=2.5" }
        << QStringList { "50=25" };
    QTest::newRow("ZNZ voltage and last angle")
        << AllModules << QStringList()
        << QStringList { "znzPickupVoltageIndicatorEditor=15",
               "znz3I03U0LastAngleIndicatorEditor=170" }
        << QStringList { "44=150", "42=170" };
    QTest::newRow("modes and characteristic")
        << AllModules << QStringList()
        << QStringList { "mtzPickupCharacteristicEnumIndicatorEditor=4",
               "znzModeEnumIndicatorEditor=1", "apvModeEnumIndicatorEditor=1" }
        << QStringList { "33=4", "40=1", "48=1" };
    QTest::newRow("pick-up currents, m = 2")
        << AllModules << QStringList { "25=2" }
        << QStringList { "mtzPickupCurrentIndicatorEditor=5", "toPickupCurrentIndicatorEditor=5" }
        << QStringList { "34=250", "37=25" };
    QTest::newRow("pick-up currents, m = 8") << AllModules << QStringList { "25=4" }
                                             << QStringList { "mtzPickupCurrentIndicatorEditor=12",
                                                    "toPickupCurrentIndicatorEditor=160" }
                                             << QStringList { "34=150", "37=200" };

    // Disabled fields keep what was read, whatever their spin box holds.
    QTest::newRow("APV single shot: second reaction time kept")
        << AllModules << QStringList { "48=1" }
        << QStringList { "apvReactionDelay2ndIndicatorEditor=70" } << QStringList();
    QTest::newRow("TO off: TO pick-up current kept")
        << AllModules << QStringList { "36=0" }
        << QStringList { "toPickupCurrentIndicatorEditor=300" } << QStringList();
    QTest::newRow("ZNZ 3I0 only: voltage kept")
        << AllModules << QStringList { "40=0" }
        << QStringList { "znzPickupVoltageIndicatorEditor=70" } << QStringList();
    QTest::newRow("TO switched off while editing")
        << AllModules << QStringList()
        << QStringList { "toModeEnumIndicatorEditor=0", "toPickupCurrentIndicatorEditor=60" }
        << QStringList { "36=0" };
    QTest::newRow("no APV module")
        << quint16(Znz3U0Bit) << QStringList()
        << QStringList { "apvModeEnumIndicatorEditor=1", "apvReadinessDelayIndicatorEditor=100" }
        << QStringList();
    QTest::newRow("no earth-fault module")
        << ApvBit << QStringList()
        << QStringList { "znzPickupCurrentIndicatorEditor=1", "znzModeEnumIndicatorEditor=0" }
        << QStringList();
}

void SetpointsWidgetTest::setWritesRegisterValues()
{
    QFETCH(quint16, modules);
    QFETCH(QStringList, relay);
    QFETCH(QStringList, edits);
    QFETCH(QStringList, written);

    RelayBus &bus = m_line->bus();
    bus.setModules(RelayId, modules);
    const QMap<int, quint16> presets = registerValues(relay);
    for (auto it = presets.cbegin(); it != presets.cend(); ++it)
        bus.setHoldingRegister(RelayId, it.key(), it.value());
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    writeOnRequest(panel);
    QSignalSpy finished(&panel.widget, &SetpointsWidget::writeFinished);

    QMap<int, quint16> expected = relayRegisters();
    const QMap<int, quint16> changes = registerValues(written);
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        expected.insert(it.key(), it.value());

    click(w, "editButton");
    for (const QString &edit : edits)
        applyEdit(w, edit);
    bus.clearReceivedWrites();
    click(w, "setButton");
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(bus.receivedWrites().size(), 18);
    QCOMPARE(relayRegisters(), expected);
}

// A range code the relay should not hold leaves the pick-up currents
// without a scale: they go back as read.
void SetpointsWidgetTest::setWithUnknownCurrentRangeKeepsPickupCurrents()
{
    RelayBus &bus = m_line->bus();
    bus.setHoldingRegister(RelayId, CurrentRangeRegister, 9);
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    writeOnRequest(panel);
    QSignalSpy finished(&panel.widget, &SetpointsWidget::writeFinished);
    QCOMPARE(indicatorText(w, "mtzPickupCurrentIndicatorEditor"), QString("-"));
    QCOMPARE(indicatorText(w, "toPickupCurrentIndicatorEditor"), QString("-"));

    click(w, "editButton");
    applyEdit(w, "mtzReactionDelayIndicatorEditor=2");
    click(w, "setButton");
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(bus.holdingRegister(RelayId, 34), quint16(250));
    QCOMPARE(bus.holdingRegister(RelayId, 37), quint16(100));
    QCOMPARE(bus.holdingRegister(RelayId, 35), quint16(20));
}

// At m = 8 the MTZ pick-up goes in steps of 0.08 A: 8.05 A cannot be
// written, and is never rounded behind the user's back.
void SetpointsWidgetTest::pickupCurrentsHoldOnlyWhatTheRelayCan()
{
    RelayBus &bus = m_line->bus();
    bus.setHoldingRegister(RelayId, CurrentRangeRegister, 4);
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    writeOnRequest(panel);
    QSignalSpy writes(&panel.widget, &SetpointsWidget::write);
    QSignalSpy finished(&panel.widget, &SetpointsWidget::writeFinished);
    click(w, "editButton");
    QDoubleSpinBox *mtz = spinBoxOf(w, "mtzPickupCurrentIndicatorEditor");
    const QLineEdit *line = mtz->findChild<QLineEdit *>();
    const auto type = [mtz](const QString &text) {
        mtz->selectAll();
        QTest::keyClicks(mtz, text);
    };

    // Typed and confirmed: the box shows the step the relay holds.
    type(QStringLiteral("8.05"));
    QTest::keyClick(mtz, Qt::Key_Return);
    QCOMPARE(line->text(), QStringLiteral("8.08 A"));
    QCOMPARE(mtz->value(), 8.08);
    mtz->stepUp();
    QCOMPARE(line->text(), QStringLiteral("8.16 A"));

    // Typed and Set at once: refused, with the value it became in view.
    type(QStringLiteral("9.99"));
    {
        MessageBoxAnswer answer(QStringLiteral("OK"));
        click(w, "setButton");
        QVERIFY(answer.answered());
    }
    QCOMPARE(writes.count(), 0);
    QCOMPARE(line->text(), QStringLiteral("10.00 A"));
    QVERIFY(panel.widget.isEditMode());

    // A typed value the relay can hold goes out as it is.
    type(QStringLiteral("9.92"));
    bus.clearReceivedWrites();
    click(w, "setButton");
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(bus.holdingRegister(RelayId, 34), quint16(124));
}

// Edited at m = 2, the pick-ups would go out off by the ratio of the ranges.
void SetpointsWidgetTest::setRefusedAfterTheCurrentRangeChanged()
{
    RelayBus &bus = m_line->bus();
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    writeOnRequest(panel);
    QSignalSpy writes(&panel.widget, &SetpointsWidget::write);
    QSignalSpy finished(&panel.widget, &SetpointsWidget::writeFinished);
    click(w, "editButton");
    applyEdit(w, "mtzPickupCurrentIndicatorEditor=6");

    bus.setHoldingRegister(RelayId, CurrentRangeRegister, 4); // m = 8
    QVERIFY(m_line->read(RelayId, &panel.meterageConfiguration));
    bus.clearReceivedWrites();
    {
        MessageBoxAnswer answer(QStringLiteral("OK"));
        click(w, "setButton");
        QVERIFY(answer.answered());
        QVERIFY(answer.text().contains(QStringLiteral("current range")));
    }
    QTest::qWait(200);
    QCOMPARE(writes.count(), 0);
    QVERIFY(bus.receivedWrites().isEmpty());

    // Edited again at the new range, Set goes through.
    click(w, "cancelButton");
    click(w, "editButton");
    applyEdit(w, "mtzPickupCurrentIndicatorEditor=24");
    click(w, "setButton");
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(bus.holdingRegister(RelayId, 34), quint16(300));
}

void SetpointsWidgetTest::onlyASuccessfulWriteEndsEditMode()
{
    RelayBus &bus = m_line->bus();
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    writeOnRequest(panel);
    QSignalSpy finished(&panel.widget, &SetpointsWidget::writeFinished);

    click(w, "editButton");
    applyEdit(w, "apvReadinessDelayIndicatorEditor=100");
    applyEdit(w, "mtzPickupCurrentIndicatorEditor=3");
    m_line->manager().setResponseTimeout(SilentRelayTimeoutMs);
    bus.setRelayOnline(RelayId, false);
    click(w, "setButton");
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QVERIFY(panel.widget.isEditMode());
    QVERIFY(isShown(w, "setButton"));
    QCOMPARE(spinBoxOf(w, "apvReadinessDelayIndicatorEditor")->value(), 100.0);

    // Set again once the relay answers.
    m_line->manager().setResponseTimeout(AnsweringRelayTimeoutMs);
    bus.setRelayOnline(RelayId, true);
    click(w, "setButton");
    QVERIFY(finished.wait(PassWaitMs));
    QCOMPARE(finished.at(1).at(0).toBool(), true);
    QVERIFY(!panel.widget.isEditMode());
    QVERIFY(!editorAt(w, "apvReadinessDelayIndicatorEditor")->isEditMode());
    QCOMPARE(bus.holdingRegister(RelayId, 49), quint16(100));
    QCOMPARE(bus.holdingRegister(RelayId, 34), quint16(150));
}

void SetpointsWidgetTest::resetBlocksShowAsMissing()
{
    // Switching to another relay resets the blocks: the previous relay's
    // values must not stay on screen as if they were this one's.
    Panel panel;
    const QWidget *w = &panel.widget;
    QVERIFY(readAll(panel));
    QCOMPARE(indicatorText(w, "mtzReactionDelayIndicatorEditor"), QString("1.5 sec"));
    QCOMPARE(indicatorText(w, "mtzPickupCurrentIndicatorEditor"), QString("5.00 A"));

    panel.setpoints.reset();
    QCOMPARE(indicatorText(w, "mtzReactionDelayIndicatorEditor"), QString("-"));
    QCOMPARE(indicatorText(w, "apvModeEnumIndicatorEditor"), QString("-"));
    QVERIFY(m_line->read(RelayId, &panel.setpoints));
    panel.meterageConfiguration.reset();
    QCOMPARE(indicatorText(w, "mtzPickupCurrentIndicatorEditor"), QString("-"));
}

// The same fingerprint as the Configuration tab, from the same three blocks.
void SetpointsWidgetTest::fingerprintIsTheRelays()
{
    Panel panel;
    ProtectionConfigurationData protectionConfiguration;
    panel.widget.setProtectionConfigurationData(&protectionConfiguration);
    const QLabel *value = child<QLabel>(&panel.widget, "settingsFingerprintValueLabel");
    QVERIFY(readAll(panel));
    QCOMPARE(value->text(), QStringLiteral("-"));
    QVERIFY(m_line->read(RelayId, &protectionConfiguration));
    QCOMPARE(value->text(), referenceFingerprintText(m_line->bus(), RelayId));
}

QTEST_MAIN(SetpointsWidgetTest)
#include "tst_setpointswidget.moc"
