// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/modulesdata.h"
#include "devicedata/sendplan.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>

using Addresses = QVector<int>;
Q_DECLARE_METATYPE(SendPlan::Protection)

namespace {

constexpr quint16 CurrentRange = 25;
constexpr quint16 Kt = 26;
constexpr quint16 MtzMode = 32;
constexpr quint16 MtzCurve = 33;
constexpr quint16 MtzPickup = 34;
constexpr quint16 MtzReactionDelay = 35;
constexpr quint16 ToMode = 36;
constexpr quint16 ToPickup = 37;
constexpr quint16 ToReactionDelay = 38;
constexpr quint16 ZnzFirstAngle = 41;
constexpr quint16 ZnzPickup = 43;
constexpr quint16 ZnzReactionDelay = 45;
constexpr quint16 ApvReadinessDelay = 49;
constexpr quint16 ApvReactionDelay1st = 50;
constexpr quint16 ApvReactionDelay2nd = 51;
constexpr qint64 Off = 0;
constexpr qint64 On = 1;
constexpr qint64 AllModules = ModuleApv | ModuleInd | ModuleZnz3I0 | ModuleZnz3U0;

RelaySettings relayWith(const SettingsValues &values, qint64 modules = AllModules)
{
    RelaySettings relay;
    relay.identity = { 0x8D90, 1404746, 105, modules, 2 };
    relay.values = { { CurrentRange, 4 }, { Kt, 100 }, { 27, 50 }, { 28, 0 }, { 30, 0 }, { 31, 3 },
        { MtzMode, On }, { MtzCurve, 1 }, { MtzPickup, 100 }, { MtzReactionDelay, 20 },
        { ToMode, Off }, { ToPickup, 200 }, { ToReactionDelay, 5 }, { 39, 5 }, { 40, 0 },
        { ZnzFirstAngle, 10 }, { 42, 90 }, { ZnzPickup, 30 }, { 44, 200 }, { ZnzReactionDelay, 50 },
        { 48, 1 }, { ApvReadinessDelay, 30 }, { ApvReactionDelay1st, 20 },
        { ApvReactionDelay2nd, 10 } };
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

Addresses addressesOf(const SendPlan &plan)
{
    Addresses addresses;
    for (const SendPlan::Step &step : plan.steps())
        addresses.append(step.address);
    return addresses;
}

// How a protection's sensitivity is judged, written down apart from the plan: it is off, or on
// with pick-ups and times of which a lower one is more sensitive (the pick-ups in amperes, as the
// range scales them); two moments of MTZ compare only at the same time-current curve.
struct SensitivityModel
{
    SendPlan::Protection protection;
    quint16 mode; // 0: always in service
    qint64 modules;
    QVector<quint16> pickupsAndTimes;
    QVector<quint16> scaledByRange;
    QVector<quint16> sameForComparison;
    QVector<quint16> settings; // every register it runs with
};

const SensitivityModel Models[] = {
    { SendPlan::Mtz, MtzMode, 0, { MtzPickup, MtzReactionDelay }, { MtzPickup }, { MtzCurve },
        { CurrentRange, 30, 31, MtzCurve, MtzPickup, MtzReactionDelay, 39 } },
    { SendPlan::To, ToMode, 0, { ToPickup, ToReactionDelay }, { ToPickup }, {},
        { CurrentRange, 28, ToPickup, ToReactionDelay, 39 } },
    { SendPlan::Znz, 0, ModuleZnz3I0 | ModuleZnz3U0, { ZnzPickup, 44, ZnzReactionDelay }, {}, {},
        { 40, ZnzFirstAngle, 42, ZnzPickup, 44, ZnzReactionDelay } },
    { SendPlan::Apv, 0, ModuleApv, { ApvReadinessDelay, ApvReactionDelay1st, ApvReactionDelay2nd },
        {}, {}, { 48, ApvReadinessDelay, ApvReactionDelay1st, ApvReactionDelay2nd } },
};

enum class Sensitivity { More, Same, Less, Incomparable };

bool isOn(const SensitivityModel &model, const SettingsValues &values)
{
    return !model.mode || values.value(model.mode) == On;
}

// How sensitive the protection is at `moment` against `reference`.
Sensitivity compare(
    const SensitivityModel &model, const SettingsValues &moment, const SettingsValues &reference)
{
    const bool on = isOn(model, moment);
    const bool referenceOn = isOn(model, reference);
    if (!on || !referenceOn)
        return on == referenceOn ? Sensitivity::Same : on ? Sensitivity::More : Sensitivity::Less;
    for (quint16 address : model.sameForComparison) {
        if (moment.value(address) != reference.value(address))
            return Sensitivity::Incomparable;
    }
    const auto level = [&model](const SettingsValues &values, quint16 address) {
        const qint64 multiplier = model.scaledByRange.contains(address)
            ? qint64(1) << (values.value(CurrentRange) - 1)
            : 1;
        return values.value(address) * multiplier;
    };
    bool more = false;
    bool less = false;
    for (quint16 address : model.pickupsAndTimes) {
        more = more || level(moment, address) < level(reference, address);
        less = less || level(moment, address) > level(reference, address);
    }
    if (more && less)
        return Sensitivity::Incomparable;
    return more ? Sensitivity::More : less ? Sensitivity::Less : Sensitivity::Same;
}

bool noMoreSensitiveThan(Sensitivity sensitivity)
{
    return sensitivity == Sensitivity::Same || sensitivity == Sensitivity::Less;
}

// Each protection as a bit of a set.
int setOf(SendPlan::Protection protection)
{
    return 1 << protection;
}

// The plan played step by step: after each step, and before the first, no protection in service
// may be more sensitive than both its old and its new settings. Each moment is held to more than
// that: at least as insensitive as the old settings, or as the new ones, so that a pick-up
// lowered before a time is lengthened shows even where the two moments do not compare. With
// `stops`, what the plan says a stop there leaves must be what the model sees: the protections
// off that were on, and those in service with some changes written and some not.
QString faultyMoment(const SendPlan &plan, const RelaySettings &relay, bool stops = false)
{
    SettingsValues after = relay.values;
    after.insert(plan.target());
    SettingsValues held = relay.values;
    for (int i = 0; i <= plan.steps().size(); ++i) {
        if (i > 0)
            held.insert(plan.steps().at(i - 1).address, plan.steps().at(i - 1).value);
        const QString moment
            = QStringLiteral("after %1 of %2 steps: ").arg(i).arg(plan.steps().size());
        int off = 0;
        int mixed = 0;
        for (const SensitivityModel &model : Models) {
            if (model.modules && !(relay.identity.modules & model.modules))
                continue;
            const Sensitivity toOld = compare(model, held, relay.values);
            const Sensitivity toNew = compare(model, held, after);
            if (!noMoreSensitiveThan(toOld) && !noMoreSensitiveThan(toNew))
                return moment + SendPlan::protectionName(model.protection)
                    + (toOld == Sensitivity::More && toNew == Sensitivity::More
                            ? QStringLiteral(" is more sensitive than both")
                            : QStringLiteral(" is as insensitive as neither"));
            off |= isOn(model, relay.values) && !isOn(model, held) ? setOf(model.protection) : 0;
            int written = 0;
            int changed = 0;
            for (quint16 address : model.settings) {
                changed += relay.values.value(address) != after.value(address) ? 1 : 0;
                written += relay.values.value(address) != after.value(address)
                        && held.value(address) == after.value(address)
                    ? 1
                    : 0;
            }
            mixed |= isOn(model, held) && written > 0 && written < changed ? setOf(model.protection)
                                                                           : 0;
        }
        if (!stops)
            continue;
        const SendPlan::InterimState state = plan.interimState(i);
        int reportedOff = 0;
        for (const SendPlan::InterimState::SwitchedOff &protection : state.switchedOff)
            reportedOff |= setOf(protection.protection);
        int reportedMixed = 0;
        for (const SendPlan::InterimState::Mixed &protection : state.mixed)
            reportedMixed |= setOf(protection.protection);
        if (reportedOff != off || reportedMixed != mixed)
            return moment
                + QStringLiteral("off %1, mixed %2 told as off %3, mixed %4")
                      .arg(off)
                      .arg(mixed)
                      .arg(reportedOff)
                      .arg(reportedMixed);
    }
    return QString();
}

// A few raw values a register may hold, close together and at the ends, so that random old and
// new settings are often equal and often differ.
QVector<qint64> candidateValues(quint16 address)
{
    const FieldDescription &field = settingsFieldAt(address)->description;
    if (field.kind == FieldDescription::Code)
        return field.codes.codes();
    const qint64 low = std::llround(field.range.minimum / field.range.step);
    const qint64 high = std::llround(field.range.maximum / field.range.step);
    return { low, low + 1, (low + high) / 2, high };
}

qint64 randomValue(QRandomGenerator &random, quint16 address)
{
    const QVector<qint64> values = candidateValues(address);
    return values.at(int(random.bounded(values.size())));
}

} // namespace

// The order of a write of settings, worked out without a line.
class SendPlanTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void order_data();
    void order();
    void switchedOffFirstSwitchedOnLast();
    void rangeChangeSwitchesRunningProtectionsOffAroundIt_data();
    void rangeChangeSwitchesRunningProtectionsOffAroundIt();
    void fieldsOfMissingModulesAreNotWritten();
    void stopNamesWhatItLeaves();
    void describeNamesWhatStaysInService();
    void randomSettingsNeverMoreSensitiveThanBoth_data();
    void randomSettingsNeverMoreSensitiveThanBoth();
};

void SendPlanTest::initTestCase()
{
    // The values in the texts are compared as written here.
    QLocale::setDefault(QLocale::c());
}

void SendPlanTest::order_data()
{
    QTest::addColumn<SettingsValues>("relayValues");
    QTest::addColumn<SettingsValues>("values");
    QTest::addColumn<Addresses>("order");

    // The combination of the new pick-up with the old time would be more sensitive than both.
    QTest::newRow("MTZ on: longer time before lower pick-up")
        << SettingsValues { { MtzPickup, 100 }, { MtzReactionDelay, 5 } }
        << SettingsValues { { MtzPickup, 50 }, { MtzReactionDelay, 20 } }
        << Addresses { MtzReactionDelay, MtzPickup };
    QTest::newRow("MTZ on: higher pick-up before shorter time")
        << SettingsValues() << SettingsValues { { MtzPickup, 150 }, { MtzReactionDelay, 2 } }
        << Addresses { MtzPickup, MtzReactionDelay };
    QTest::newRow("TO on: higher pick-up before shorter time")
        << SettingsValues { { ToMode, On } }
        << SettingsValues { { ToReactionDelay, 4 }, { ToPickup, 250 }, { 39, 7 } }
        << Addresses { ToPickup, 39, ToReactionDelay };
    QTest::newRow("ZNZ: less sensitive, undirected, more sensitive")
        << SettingsValues()
        << SettingsValues { { ZnzPickup, 40 }, { ZnzFirstAngle, 20 }, { ZnzReactionDelay, 10 } }
        << Addresses { ZnzPickup, ZnzFirstAngle, ZnzReactionDelay };
    QTest::newRow("APV: longer times first")
        << SettingsValues()
        << SettingsValues { { 48, 2 }, { ApvReadinessDelay, 20 }, { ApvReactionDelay1st, 30 },
               { ApvReactionDelay2nd, 20 } }
        << Addresses { ApvReactionDelay1st, ApvReactionDelay2nd, 48, ApvReadinessDelay };
    QTest::newRow("Kt goes between")
        << SettingsValues()
        << SettingsValues { { Kt, 200 }, { MtzPickup, 80 }, { MtzReactionDelay, 30 } }
        << Addresses { MtzReactionDelay, Kt, MtzPickup };
    QTest::newRow("MTZ's curve: switched off around it")
        << SettingsValues() << SettingsValues { { MtzCurve, 2 }, { MtzPickup, 80 } }
        << Addresses { MtzMode, MtzCurve, MtzPickup, MtzMode };
    // A panel's Set switching MTZ on with a new pick-up and time: only what was edited, on last.
    QTest::newRow("MTZ switched on from a panel")
        << SettingsValues { { CurrentRange, 2 }, { MtzMode, Off }, { MtzPickup, 250 },
               { MtzReactionDelay, 35 } }
        << SettingsValues { { MtzMode, On }, { MtzPickup, 300 }, { MtzReactionDelay, 20 } }
        << Addresses { MtzPickup, MtzReactionDelay, MtzMode };
    QTest::newRow("range with MTZ and TO on")
        << SettingsValues { { ToMode, On } }
        << SettingsValues { { CurrentRange, 1 }, { MtzPickup, 450 }, { ToPickup, 300 } }
        << Addresses { MtzMode, ToMode, CurrentRange, MtzPickup, ToPickup, MtzMode, ToMode };
}

void SendPlanTest::order()
{
    QFETCH(SettingsValues, relayValues);
    QFETCH(SettingsValues, values);
    QFETCH(Addresses, order);

    const RelaySettings relay = relayWith(relayValues);
    const SendPlan plan(relay, values);
    QCOMPARE(addressesOf(plan), order);
    QCOMPARE(faultyMoment(plan, relay), QString());
}

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
    QVERIFY(plan.switchesProtectionOff());
    QCOMPARE(faultyMoment(plan, relay), QString());

    // A protection that stays on with the range unchanged is not switched at all: its mode is
    // written as it is, its higher pick-up before anything that makes it more sensitive.
    const SendPlan inPlace = SendPlan(relay, { { MtzMode, On }, { MtzPickup, 150 } });
    QCOMPARE(inPlace.steps().size(), 2);
    QCOMPARE(inPlace.steps().at(0).role, SendPlan::Step::LessSensitive);
    QCOMPARE(inPlace.steps().at(1).role, SendPlan::Step::Setting);
    QVERIFY(!inPlace.switchesProtectionOff());
}

void SendPlanTest::rangeChangeSwitchesRunningProtectionsOffAroundIt_data()
{
    using Protections = QVector<SendPlan::Protection>;
    QTest::addColumn<SettingsValues>("relayValues");
    QTest::addColumn<SettingsValues>("values");
    QTest::addColumn<Protections>("interimOff");

    QTest::newRow("MTZ on throughout")
        << SettingsValues() << SettingsValues { { CurrentRange, 1 }, { MtzPickup, 450 } }
        << Protections { SendPlan::Mtz };
    QTest::newRow("MTZ and TO on throughout")
        << SettingsValues { { ToMode, On } }
        << SettingsValues { { CurrentRange, 1 }, { MtzPickup, 450 }, { ToPickup, 900 } }
        << Protections { SendPlan::Mtz, SendPlan::To };
    // Switched off by the file: off first, nothing to switch on again.
    QTest::newRow("MTZ switched off")
        << SettingsValues() << SettingsValues { { CurrentRange, 1 }, { MtzMode, Off } }
        << Protections();
    // Off before: it comes on last, with the new range and pick-up in place.
    QTest::newRow("TO switched on")
        << SettingsValues { { MtzMode, Off } }
        << SettingsValues { { CurrentRange, 1 }, { ToMode, On }, { ToPickup, 900 } }
        << Protections();
}

void SendPlanTest::rangeChangeSwitchesRunningProtectionsOffAroundIt()
{
    using Protections = QVector<SendPlan::Protection>;
    QFETCH(SettingsValues, relayValues);
    QFETCH(SettingsValues, values);
    QFETCH(Protections, interimOff);

    const RelaySettings relay = relayWith(relayValues);
    const SendPlan plan(relay, values);
    QCOMPARE(plan.interimOff(), interimOff);
    QCOMPARE(faultyMoment(plan, relay), QString());

    const int range = stepOf(plan, CurrentRange, 1);
    QVERIFY(range >= 0);
    for (SendPlan::Protection protection : interimOff) {
        const quint16 mode = protection == SendPlan::Mtz ? MtzMode : ToMode;
        const quint16 pickup = protection == SendPlan::Mtz ? MtzPickup : ToPickup;
        const int off = stepOf(plan, mode, Off);
        const int on = stepOf(plan, mode, On);
        QVERIFY(off >= 0 && off < range);
        QCOMPARE(plan.steps().at(off).role, SendPlan::Step::InterimOff);
        QVERIFY(on > range && on > stepOf(plan, pickup, values.value(pickup)));
        QVERIFY(plan.interimSteps() >= on - off);
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

// A write that stops part-way leaves protections off or running with a mix of settings: the
// plan names them, with the values, and nothing once every step has landed.
void SendPlanTest::stopNamesWhatItLeaves()
{
    // Range code 3 to 1 and a new MTZ pick-up with MTZ and TO on: both are off after the range.
    const RelaySettings relay = relayWith({ { CurrentRange, 3 }, { ToMode, On } });
    const SendPlan send(relay, { { CurrentRange, 1 }, { MtzPickup, 400 } });
    const int afterRange = stepOf(send, CurrentRange, 1) + 1;
    QVERIFY(!send.interimState(afterRange).switchedOff.first().meantOff);
    QCOMPARE(send.interimText(afterRange),
        (QStringList { QStringLiteral("MTZ is switched off and was not switched back on."),
            QStringLiteral("TO is switched off and was not switched back on.") }));
    QVERIFY(send.interimText(send.steps().size()).isEmpty());

    // ZNZ's pick-up goes up first; a stop before its time comes down leaves it with both.
    const SendPlan znz(relay, { { ZnzPickup, 40 }, { ZnzReactionDelay, 10 }, { MtzMode, Off } });
    const SendPlan::InterimState stopped = znz.interimState(2);
    QVERIFY(stopped.switchedOff.first().meantOff);
    const SendPlan::SettingChange &time = stopped.mixed.first().changes.last();
    QVERIFY(
        time.address == ZnzReactionDelay && time.before == 50 && time.after == 10 && !time.written);
    QCOMPARE(znz.interimText(2),
        (QStringList { QStringLiteral("MTZ is off, as the new settings have it."),
            QStringLiteral("ZNZ stays in service with a mix of old and new settings: Pick-up "
                           "current 0.40 A (new), Reaction time 5.0 sec (old; 1.0 sec was not "
                           "written).") }));
}

void SendPlanTest::describeNamesWhatStaysInService()
{
    const RelaySettings relay = relayWith({ { ToMode, On } });
    const QString inService = SendPlan(relay,
        { { ZnzPickup, 40 }, { ZnzFirstAngle, 20 }, { ZnzReactionDelay, 10 }, { MtzPickup, 90 } })
                                  .describe(19200, 60)
                                  .join(QLatin1Char('\n'));
    QVERIFY2(inService.contains(QStringLiteral("ZNZ stays in service with intermediate settings "
                                               "from write 1 to write 4, about 0.2 s")),
        qPrintable(inService));
    // A single change of MTZ passes through nothing in between.
    QVERIFY(!inService.contains(QStringLiteral("MTZ stays in service")));

    const QString range = SendPlan(relay, { { CurrentRange, 1 }, { ZnzPickup, 40 } })
                              .describe(19200, 60)
                              .join(QLatin1Char('\n'));
    QVERIFY2(range.contains(QStringLiteral("The current range changes: MTZ, TO stay off for 4 "
                                           "writes"))
            && range.contains(QStringLiteral("Meanwhile the relay protects with: ZNZ.")),
        qPrintable(range));
}

void SendPlanTest::randomSettingsNeverMoreSensitiveThanBoth_data()
{
    QTest::addColumn<int>("protection");
    QTest::addColumn<bool>("fromPanel");
    const char *names[] = { "MTZ", "TO", "ZNZ", "APV" };
    for (const SensitivityModel &model : Models) {
        QTest::addRow("%s, send", names[model.protection]) << int(model.protection) << false;
        QTest::addRow("%s, panel", names[model.protection]) << int(model.protection) << true;
    }
}

// Seeded random pairs of old and new settings of one protection, the rest of the relay random
// too: a send writes what differs (now and then every value of the file), a panel's Set a random
// choice of the protection's fields. No moment may be more sensitive than both, each register
// is written with its value, and what a stop at any step leaves is named as it is.
void SendPlanTest::randomSettingsNeverMoreSensitiveThanBoth()
{
    QFETCH(int, protection);
    QFETCH(bool, fromPanel);
    const SensitivityModel &model = Models[protection];
    const SettingsValues every = relayWith({}).values;
    QRandomGenerator random(quint32(0x5e4d + protection * 2 + (fromPanel ? 1 : 0)));
    constexpr int Pairs = 10000;

    for (int pair = 0; pair < Pairs; ++pair) {
        RelaySettings relay = relayWith({});
        for (auto value = every.cbegin(); value != every.cend(); ++value)
            relay.values.insert(value.key(), randomValue(random, value.key()));
        SettingsValues values;
        for (quint16 address : model.settings + QVector<quint16> { model.mode }) {
            if (address && random.bounded(3) != 0)
                values.insert(address, randomValue(random, address));
        }
        if (!fromPanel) {
            SettingsValues file = relay.values;
            file.insert(values);
            const bool sendAll = random.bounded(4) == 0;
            values.clear();
            for (auto value = file.cbegin(); value != file.cend(); ++value) {
                if (sendAll || relay.values.value(value.key()) != *value)
                    values.insert(value.key(), *value);
            }
        }
        const SendPlan plan(relay, values);
        const QString context = QStringLiteral("pair %1: ").arg(pair);

        // Every register asked for is written once and ends as asked; only a mode switched off
        // for a while is written twice, or once more where the values did not name it.
        SettingsValues held = relay.values;
        for (const SendPlan::Step &step : plan.steps())
            held.insert(step.address, step.value);
        SettingsValues after = relay.values;
        after.insert(values);
        QVERIFY2(held == after, qPrintable(context + QStringLiteral("the relay ends elsewhere")));
        int steps = values.size();
        for (SendPlan::Protection protection : plan.interimOff())
            steps += values.contains(protection == SendPlan::Mtz ? MtzMode : ToMode) ? 1 : 2;
        QVERIFY2(plan.steps().size() == steps, qPrintable(context + QStringLiteral("extra steps")));

        // The stops are checked for every fourth pair only: they cost the most.
        const QString faulty = faultyMoment(plan, relay, pair % 4 == 0);
        QVERIFY2(faulty.isEmpty(), qPrintable(context + faulty));
    }
}

QTEST_GUILESS_MAIN(SendPlanTest)
#include "tst_sendplan.moc"
