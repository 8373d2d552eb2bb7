// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/identitytext.h"
#include "devicedata/sendplan.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/panelsettingsset.h"
#include "relaybus.h"
#include "simulatedline.h"
#include "testtimeouts.h"

#include <QtTest>

namespace {

constexpr int SlaveId = 2;
constexpr quint16 SerialLowRegister = 3;
constexpr quint16 CurrentRange = 25;
constexpr quint16 Kt = 26;
constexpr quint16 MtzMode = 32;
constexpr quint16 MtzPickup = 34;
constexpr quint16 MtzReactionDelay = 35;
constexpr quint16 ToMode = 36;

} // namespace

Q_DECLARE_METATYPE(SettingsValues)

// A panel's Set over the simulated line: read afresh, checked against what the tab showed,
// written by the send plan, only what the user changed.
class PanelSettingsSetTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void onlyTheEditedFieldsAreWritten_data();
    void onlyTheEditedFieldsAreWritten();
    void nothingIsWrittenToARelayOtherThanShown_data();
    void nothingIsWrittenToARelayOtherThanShown();

private:
    // What the relay holds now, as a tab shows it.
    SettingsValues shownValues() const;
    // Starts the Set and waits for its end.
    QPair<PanelSettingsSet::Outcome, QString> set(
        const SettingsValues &shown, const SettingsValues &wanted);

    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<DeviceMonitor> m_monitor;
    QMap<quint16, quint16> m_pristine;
};

void PanelSettingsSetTest::initTestCase()
{
    m_bus.reset(new RelayBus({ SlaveId }));
    serveTestLink(*m_bus);
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
    for (const SettingsField &field : settingsFields())
        m_pristine.insert(
            field.description.address, m_bus->holdingRegister(SlaveId, field.description.address));
    m_pristine.insert(SerialLowRegister, m_bus->holdingRegister(SlaveId, SerialLowRegister));
}

void PanelSettingsSetTest::init()
{
    m_monitor.reset(new DeviceMonitor);
    m_monitor->setDeviceSettings({ 0, 60 });
    m_monitor->setAutoRefreshEnabled(false);
    QVERIFY(connectAndWait(*m_monitor, testLinkSettings(*m_bus)));
    m_monitor->scan(SlaveId, SlaveId);
    QTRY_VERIFY_WITH_TIMEOUT(m_monitor->isCurrentDeviceAvailable(), PassWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->state(), DeviceMonitor::Idle, PassWaitMs);
    m_bus->clearReceivedWrites();
}

void PanelSettingsSetTest::cleanup()
{
    m_monitor.reset();
    for (auto value = m_pristine.cbegin(); value != m_pristine.cend(); ++value)
        m_bus->setHoldingRegister(SlaveId, value.key(), value.value());
}

SettingsValues PanelSettingsSetTest::shownValues() const
{
    SettingsValues values;
    for (const SettingsField &field : settingsFields())
        values.insert(
            field.description.address, m_bus->holdingRegister(SlaveId, field.description.address));
    return values;
}

QPair<PanelSettingsSet::Outcome, QString> PanelSettingsSetTest::set(
    const SettingsValues &shown, const SettingsValues &wanted)
{
    PanelSettingsSet set(m_monitor.data());
    set.setConfirmation([](const SendPlan &) { return true; });
    QSignalSpy finished(&set, &PanelSettingsSet::finished);
    set.start(JournalEntry::SetpointsSet, shown, wanted);
    if (finished.isEmpty() && !finished.wait(PassWaitMs))
        return { PanelSettingsSet::Failed, QStringLiteral("no end") };
    return { finished.at(0).at(0).value<PanelSettingsSet::Outcome>(),
        finished.at(0).at(1).toString() };
}

void PanelSettingsSetTest::onlyTheEditedFieldsAreWritten_data()
{
    QTest::addColumn<SettingsValues>("relay"); // on top of the relay's own
    QTest::addColumn<SettingsValues>("edited");
    QTest::addColumn<QList<int>>("written"); // in this order

    // MTZ switched on with a new pick-up and time: its settings go first, the switch last.
    QTest::newRow("MTZ switched on")
        << SettingsValues { { CurrentRange, 1 }, { MtzMode, 0 }, { MtzPickup, 500 },
               { MtzReactionDelay, 35 } }
        << SettingsValues { { MtzMode, 1 }, { MtzPickup, 600 }, { MtzReactionDelay, 20 } }
        << QList<int> { MtzPickup, MtzReactionDelay, MtzMode };
    // MTZ in service throughout: the longer time before the lower pick-up, so that no moment is
    // more sensitive than both the old and the new settings.
    QTest::newRow("MTZ in service, lower pick-up, longer time")
        << SettingsValues { { CurrentRange, 1 }, { MtzMode, 1 }, { MtzPickup, 500 },
               { MtzReactionDelay, 20 } }
        << SettingsValues { { MtzPickup, 400 }, { MtzReactionDelay, 35 } }
        << QList<int> { MtzReactionDelay, MtzPickup };
    QTest::newRow("Kt alone") << SettingsValues { { Kt, 100 } } << SettingsValues { { Kt, 200 } }
                              << QList<int> { Kt };
}

void PanelSettingsSetTest::onlyTheEditedFieldsAreWritten()
{
    QFETCH(SettingsValues, relay);
    QFETCH(SettingsValues, edited);
    QFETCH(QList<int>, written);

    for (auto value = relay.cbegin(); value != relay.cend(); ++value)
        m_bus->setHoldingRegister(SlaveId, value.key(), quint16(*value));
    const SettingsValues shown = shownValues();
    SettingsValues wanted = shown;
    wanted.insert(edited);

    const auto [outcome, text] = set(shown, wanted);
    QCOMPARE(outcome, PanelSettingsSet::Written);
    QVERIFY2(text.isEmpty(), qPrintable(text));
    QList<int> addresses;
    for (const ReceivedWrite &write : m_bus->receivedWrites())
        addresses.append(write.address);
    QCOMPARE(addresses, written);
    for (auto value = edited.cbegin(); value != edited.cend(); ++value)
        QCOMPARE(m_bus->holdingRegister(SlaveId, value.key()), quint16(*value));
}

void PanelSettingsSetTest::nothingIsWrittenToARelayOtherThanShown_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("says");

    // The cable went to another bus, or the relay was swapped: the same ID, another serial.
    QTest::newRow("another relay") << QStringLiteral("serial")
                                   << QStringLiteral("Nothing was written: Device 2 is now serial "
                                                     "number %1, not serial number %2 as shown.");
    // Someone changed the field at the keypad since the tab read it.
    QTest::newRow("field changed since shown")
        << QStringLiteral("field")
        << QStringLiteral("Nothing was written: Device 2 changed since its values were shown "
                          "(MTZ-TO, Reaction time).");
    // What the order depends on changed: TO was switched on meanwhile.
    QTest::newRow("mode changed since shown")
        << QStringLiteral("mode")
        << QStringLiteral("Nothing was written: Device 2 changed since its values were shown "
                          "(MTZ-TO, TO mode).");
}

void PanelSettingsSetTest::nothingIsWrittenToARelayOtherThanShown()
{
    QFETCH(QString, change);
    QFETCH(QString, says);

    m_bus->setHoldingRegister(SlaveId, ToMode, 0);
    const SettingsValues shown = shownValues();
    SettingsValues wanted = shown;
    wanted.insert(MtzReactionDelay, shown.value(MtzReactionDelay) == 30 ? 31 : 30);
    const quint16 serial = m_bus->holdingRegister(SlaveId, SerialLowRegister);
    if (change == QLatin1String("serial")) {
        QVERIFY(m_bus->setHoldingRegister(SlaveId, SerialLowRegister, quint16(serial + 1)));
        const qint64 high = qint64(m_bus->holdingRegister(SlaveId, SerialLowRegister - 1)) << 16;
        says = says.arg(serialNumberText(high + serial + 1), serialNumberText(high + serial));
    } else if (change == QLatin1String("field")) {
        m_bus->setHoldingRegister(
            SlaveId, MtzReactionDelay, quint16(shown.value(MtzReactionDelay) + 2));
    } else {
        m_bus->setHoldingRegister(SlaveId, ToMode, 1);
    }

    const auto [outcome, text] = set(shown, wanted);
    QCOMPARE(outcome, PanelSettingsSet::Failed);
    QVERIFY2(text.startsWith(says), qPrintable(text));
    QVERIFY(m_bus->receivedWrites().isEmpty());
}

QTEST_GUILESS_MAIN(PanelSettingsSetTest)
#include "tst_panelsettingsset.moc"
