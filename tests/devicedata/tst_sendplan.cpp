// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/modulesdata.h"
#include "devicedata/sendplan.h"

#include <QtTest>

namespace {

constexpr quint16 CurrentRange = 25;
constexpr quint16 MtzMode = 32;
constexpr quint16 MtzPickup = 34;
constexpr quint16 MtzReactionDelay = 35;
constexpr quint16 ToMode = 36;
constexpr quint16 ToPickup = 37;
constexpr quint16 ToReactionDelay = 38;
constexpr quint16 ZnzPickup = 43;
constexpr qint64 Off = 0;
constexpr qint64 On = 1;

RelaySettings relayWith(const SettingsValues &values, qint64 modules = 0x0F)
{
    RelaySettings relay;
    relay.identity = { 0x8D90, 1404746, 105, modules, 2 };
    relay.values
        = { { CurrentRange, 4 }, { MtzMode, On }, { MtzPickup, 100 }, { MtzReactionDelay, 20 },
              { ToMode, Off }, { ToPickup, 200 }, { ToReactionDelay, 5 }, { ZnzPickup, 30 } };
    relay.values.insert(values);
    return relay;
}

// The position of the step writing `value` to `address`, -1 when there is none.
int stepOf(const SendPlan &plan, quint16 address, qint64 value)
{
    const QVector<SendPlan::Step> &steps = plan.steps();
    for (int i = 0; i < steps.size(); ++i) {
        if (steps.at(i).address == address && steps.at(i).value == value)
            return i;
    }
    return -1;
}

// What each protection runs with after every step, played step by step: a protection that is on
// must hold either all of its old pick-up and time or all of its new ones, at the matching range.
QString unsafeMoment(const SendPlan &plan, const RelaySettings &relay)
{
    struct Protection
    {
        quint16 mode;
        QVector<quint16> settings;
    };
    const Protection protections[] = { { MtzMode, { CurrentRange, MtzPickup, MtzReactionDelay } },
        { ToMode, { CurrentRange, ToPickup, ToReactionDelay } } };
    SettingsValues after = relay.values;
    after.insert(plan.target());
    SettingsValues held = relay.values;
    for (const SendPlan::Step &step : plan.steps()) {
        held.insert(step.address, step.value);
        for (const Protection &protection : protections) {
            if (held.value(protection.mode) != On)
                continue;
            bool allOld = true;
            bool allNew = true;
            for (quint16 address : protection.settings) {
                allOld = allOld && held.value(address) == relay.values.value(address);
                allNew = allNew && held.value(address) == after.value(address);
            }
            if (!allOld && !allNew)
                return QStringLiteral("register %1 = %2 leaves mode %3 on with a mix")
                    .arg(step.address)
                    .arg(step.value)
                    .arg(protection.mode);
        }
    }
    return QString();
}

} // namespace

// The order of a send, worked out without a line.
class SendPlanTest : public QObject
{
    Q_OBJECT

private slots:
    void switchedOffFirstSwitchedOnLast();
    void rangeChangeSwitchesRunningProtectionsOffAroundIt_data();
    void rangeChangeSwitchesRunningProtectionsOffAroundIt();
    void fieldsOfMissingModulesAreNotWritten();
};

void SendPlanTest::switchedOffFirstSwitchedOnLast()
{
    const RelaySettings relay = relayWith({});
    const SendPlan plan(relay,
        { { MtzMode, Off }, { MtzPickup, 150 }, { ToMode, On }, { ToPickup, 180 },
            { ToReactionDelay, 7 } });

    QCOMPARE(plan.steps().size(), 5);
    QCOMPARE(stepOf(plan, MtzMode, Off), 0);
    QCOMPARE(plan.steps().first().role, SendPlan::Step::SwitchOff);
    QCOMPARE(stepOf(plan, ToMode, On), plan.steps().size() - 1);
    QCOMPARE(plan.steps().last().role, SendPlan::Step::SwitchOn);
    QVERIFY(plan.interimOff().isEmpty());
    QCOMPARE(plan.interimSteps(), 0);
    QCOMPARE(unsafeMoment(plan, relay), QString());

    // A protection that stays on with the range unchanged is not switched at all.
    const SendPlan inPlace = SendPlan(relay, { { MtzMode, On }, { MtzPickup, 150 } });
    QCOMPARE(inPlace.steps().size(), 2);
    for (const SendPlan::Step &step : inPlace.steps())
        QCOMPARE(step.role, SendPlan::Step::Setting);
}

void SendPlanTest::rangeChangeSwitchesRunningProtectionsOffAroundIt_data()
{
    QTest::addColumn<SettingsValues>("relayValues");
    QTest::addColumn<SettingsValues>("values");
    QTest::addColumn<QStringList>("interimOff");

    QTest::newRow("MTZ on throughout")
        << SettingsValues() << SettingsValues { { CurrentRange, 1 }, { MtzPickup, 450 } }
        << QStringList { QStringLiteral("MTZ") };
    QTest::newRow("MTZ and TO on throughout")
        << SettingsValues { { ToMode, On } }
        << SettingsValues { { CurrentRange, 1 }, { MtzPickup, 450 }, { ToPickup, 900 } }
        << QStringList { QStringLiteral("MTZ"), QStringLiteral("TO") };
    // Switched off by the file: off first, nothing to switch on again.
    QTest::newRow("MTZ switched off")
        << SettingsValues() << SettingsValues { { CurrentRange, 1 }, { MtzMode, Off } }
        << QStringList();
    // Off before: it comes on last, with the new range and pick-up in place.
    QTest::newRow("TO switched on")
        << SettingsValues { { MtzMode, Off } }
        << SettingsValues { { CurrentRange, 1 }, { ToMode, On }, { ToPickup, 900 } }
        << QStringList();
}

void SendPlanTest::rangeChangeSwitchesRunningProtectionsOffAroundIt()
{
    QFETCH(SettingsValues, relayValues);
    QFETCH(SettingsValues, values);
    QFETCH(QStringList, interimOff);

    const RelaySettings relay = relayWith(relayValues);
    const SendPlan plan(relay, values);
    QCOMPARE(plan.interimOff(), interimOff);
    QCOMPARE(unsafeMoment(plan, relay), QString());

    const int range = stepOf(plan, CurrentRange, 1);
    QVERIFY(range >= 0);
    for (const QString &name : interimOff) {
        const quint16 mode = name == QLatin1String("MTZ") ? MtzMode : ToMode;
        const quint16 pickup = name == QLatin1String("MTZ") ? MtzPickup : ToPickup;
        const int off = stepOf(plan, mode, Off);
        const int on = stepOf(plan, mode, On);
        QVERIFY(off >= 0 && off < range);
        QCOMPARE(plan.steps().at(off).role, SendPlan::Step::InterimOff);
        QVERIFY(on > range && on > stepOf(plan, pickup, values.value(pickup)));
        // The mode is meant to end on, whatever the file said of it.
        QCOMPARE(plan.target().value(mode), On);
    }
}

void SendPlanTest::fieldsOfMissingModulesAreNotWritten()
{
    const RelaySettings relay = relayWith({}, ModuleApv);
    const SendPlan plan(relay, { { MtzPickup, 120 }, { ZnzPickup, 40 } });
    QCOMPARE(plan.skipped(), QList<quint16> { ZnzPickup });
    QCOMPARE(plan.steps().size(), 1);
    QCOMPARE(plan.steps().first().address, MtzPickup);
    QVERIFY(!plan.target().contains(ZnzPickup));
}

QTEST_GUILESS_MAIN(SendPlanTest)
#include "tst_sendplan.moc"
