// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/setpointsdata.h"

#include "devicedata/codeconversions.h"
#include "devicedata/modulesdata.h"

namespace {

constexpr TranslatedText MtzToGroup { "SetpointsWidget",
    { QT_TRANSLATE_NOOP("SetpointsWidget", "MTZ-TO") } };
constexpr TranslatedText ZnzGroup { "SetpointsWidget",
    { QT_TRANSLATE_NOOP("SetpointsWidget", "ZNZ") } };
constexpr TranslatedText ApvGroup { "SetpointsWidget",
    { QT_TRANSLATE_NOOP("SetpointsWidget", "APV") } };

constexpr TranslatedText Amperes { "SetpointsWidget",
    { QT_TRANSLATE_NOOP("SetpointsWidget", " A") } };
constexpr TranslatedText Seconds { "SetpointsWidget",
    { QT_TRANSLATE_NOOP("SetpointsWidget", " sec") } };
constexpr TranslatedText Volts { "SetpointsWidget",
    { QT_TRANSLATE_NOOP("SetpointsWidget", " V") } };
constexpr TranslatedText Degrees { "SetpointsWidget",
    { QT_TRANSLATE_NOOP("SetpointsWidget", " °") } };

constexpr TranslatedText PickupCurrentLabel { "SetpointsWidget",
    { QT_TRANSLATE_NOOP("SetpointsWidget", "Pick-up current:") } };
constexpr TranslatedText ReactionTimeLabel { "SetpointsWidget",
    { QT_TRANSLATE_NOOP("SetpointsWidget", "Reaction time:") } };

// The mode codes the enabling rules look for.
constexpr qint64 ProtectionOn = 1;
constexpr qint64 ZnzWithVoltage = 1; // "3I0 & 3U0"
constexpr qint64 ZnzDirectional = 2; // "3I0 & 3U0 -->"
constexpr qint64 ApvDouble = 2;

constexpr quint16 MtzModeRegister = 32;
constexpr quint16 ToModeRegister = 36;
constexpr quint16 ZnzModeRegister = 40;
constexpr quint16 ApvModeRegister = 48;

bool isMode(const FieldContext &context, quint16 modeRegister, qint64 code)
{
    const DataValue mode = context.valueAt(modeRegister);
    return mode.status != NoData && mode.value == code;
}

bool mtzOn(const FieldContext &context)
{
    return isMode(context, MtzModeRegister, ProtectionOn);
}

bool toOn(const FieldContext &context)
{
    return isMode(context, ToModeRegister, ProtectionOn);
}

bool mtzOrToOn(const FieldContext &context)
{
    return mtzOn(context) || toOn(context);
}

bool znzDirectional(const FieldContext &context)
{
    return isMode(context, ZnzModeRegister, ZnzDirectional);
}

bool znzWithVoltage(const FieldContext &context)
{
    return znzDirectional(context) || isMode(context, ZnzModeRegister, ZnzWithVoltage);
}

bool apvDouble(const FieldContext &context)
{
    return isMode(context, ApvModeRegister, ApvDouble);
}

constexpr qint64 EarthFaultModules = ModuleZnz3I0 | ModuleZnz3U0;

// Registers 46 and 47 are reserved: read with the rest, never decoded or written.
constexpr Field<Setpoints> SetpointFields[] = {
    { &Setpoints::mtzMode,
        codeField(MtzModeRegister, "mtzMode", CodeTables::onOff)
            .inGroup(MtzToGroup)
            .labelled(
                { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "MTZ mode:") } }) },
    { &Setpoints::mtzPickupCharacteristic,
        codeField(33, "mtzPickupCharacteristic", CodeTables::mtzPickupCharacteristic)
            .inGroup(MtzToGroup)
            .labelled({ "SetpointsWidget",
                { QT_TRANSLATE_NOOP("SetpointsWidget", "Characteristic time curve:") } })
            .usedWhen(mtzOn) },
    { &Setpoints::mtzPickupCurrent,
        numberField(34, "mtzPickupCurrent", ValueRanges::mtzPickupCurrent)
            .inGroup(MtzToGroup)
            .labelled(PickupCurrentLabel)
            .withUnit(Amperes)
            .scaledByRangeMultiplier() },
    { &Setpoints::mtzReactionDelay,
        numberField(35, "mtzReactionDelay", ValueRanges::mtzReactionDelay)
            .inGroup(MtzToGroup)
            .labelled(ReactionTimeLabel)
            .withUnit(Seconds)
            .usedWhen(mtzOn) },
    { &Setpoints::toMode,
        codeField(ToModeRegister, "toMode", CodeTables::onOff)
            .inGroup(MtzToGroup)
            .labelled(
                { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "TO mode:") } }) },
    { &Setpoints::toPickupCurrent,
        numberField(37, "toPickupCurrent", ValueRanges::toPickupCurrent)
            .inGroup(MtzToGroup)
            .labelled(PickupCurrentLabel)
            .withUnit(Amperes)
            .scaledByRangeMultiplier()
            .usedWhen(toOn) },
    { &Setpoints::toReactionDelay,
        numberField(38, "toReactionDelay", ValueRanges::toReactionDelay)
            .inGroup(MtzToGroup)
            .labelled(ReactionTimeLabel)
            .withUnit(Seconds)
            .usedWhen(toOn) },
    { &Setpoints::mtzToResettingDelay,
        numberField(39, "mtzToResettingDelay", ValueRanges::mtzToResettingDelay)
            .inGroup(MtzToGroup)
            .labelled(
                { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "Resetting time:") } })
            .withUnit(Seconds)
            .usedWhen(mtzOrToOn) },
    { &Setpoints::znzMode,
        codeField(ZnzModeRegister, "znzMode", CodeTables::znzMode)
            .inGroup(ZnzGroup)
            .labelled(
                { "SetpointsWidget", QT_TRANSLATE_NOOP3("SetpointsWidget", "Mode:", "ZNZ Mode") })
            .needsOneOf(ModuleZnz3U0) },
    { &Setpoints::znz3I03U0FirstAngle,
        numberField(41, "znz3I03U0FirstAngle", ValueRanges::znz3I03U0Angle)
            .inGroup(ZnzGroup)
            .labelled({ "SetpointsWidget",
                { QT_TRANSLATE_NOOP(
                    "SetpointsWidget", "First angle ∠(3I<sub>0</sub>,3U<sub>0</sub>):") } })
            .withUnit(Degrees)
            .usedWhen(znzDirectional)
            .needsOneOf(ModuleZnz3U0) },
    { &Setpoints::znz3I03U0LastAngle,
        numberField(42, "znz3I03U0LastAngle", ValueRanges::znz3I03U0Angle)
            .inGroup(ZnzGroup)
            .labelled({ "SetpointsWidget",
                { QT_TRANSLATE_NOOP(
                    "SetpointsWidget", "Last angle ∠(3I<sub>0</sub>,3U<sub>0</sub>):") } })
            .withUnit(Degrees)
            .usedWhen(znzDirectional)
            .needsOneOf(ModuleZnz3U0) },
    { &Setpoints::znzPickupCurrent,
        numberField(43, "znzPickupCurrent", ValueRanges::znzPickupCurrent)
            .inGroup(ZnzGroup)
            .labelled(PickupCurrentLabel)
            .withUnit(Amperes)
            .needsOneOf(EarthFaultModules) },
    { &Setpoints::znzPickupVoltage,
        numberField(44, "znzPickupVoltage", ValueRanges::znzPickupVoltage)
            .inGroup(ZnzGroup)
            .labelled(
                { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "Pick-up voltage:") } })
            .withUnit(Volts)
            .usedWhen(znzWithVoltage)
            .needsOneOf(ModuleZnz3U0) },
    { &Setpoints::znzReactionDelay,
        numberField(45, "znzReactionDelay", ValueRanges::znzReactionDelay)
            .inGroup(ZnzGroup)
            .labelled(ReactionTimeLabel)
            .withUnit(Seconds)
            .needsOneOf(EarthFaultModules) },
    { &Setpoints::apvMode,
        codeField(ApvModeRegister, "apvMode", CodeTables::apvMode)
            .inGroup(ApvGroup)
            .labelled(
                { "SetpointsWidget", QT_TRANSLATE_NOOP3("SetpointsWidget", "Mode:", "APV Mode") })
            .needsOneOf(ModuleApv) },
    { &Setpoints::apvReadinessDelay,
        numberField(49, "apvReadinessDelay", ValueRanges::apvReadinessDelay)
            .inGroup(ApvGroup)
            .labelled(
                { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "Readiness time:") } })
            .withUnit(Seconds)
            .needsOneOf(ModuleApv) },
    { &Setpoints::apvReactionDelay1st,
        numberField(50, "apvReactionDelay1st", ValueRanges::apvReactionDelay1st)
            .inGroup(ApvGroup)
            .labelled({ "SetpointsWidget",
                { QT_TRANSLATE_NOOP("SetpointsWidget", "Reaction time, 1st:") } })
            .withUnit(Seconds)
            .needsOneOf(ModuleApv) },
    { &Setpoints::apvReactionDelay2nd,
        numberField(51, "apvReactionDelay2nd", ValueRanges::apvReactionDelay2nd)
            .inGroup(ApvGroup)
            .labelled({ "SetpointsWidget",
                { QT_TRANSLATE_NOOP("SetpointsWidget", "Reaction time, 2nd:") } })
            .withUnit(Seconds)
            .usedWhen(apvDouble)
            .needsOneOf(ModuleApv) },
};
static_assert(isWellFormed(SetpointFields));

} // namespace

FieldList<Setpoints> setpointFields()
{
    return SetpointFields;
}

SetpointsData::SetpointsData(QObject *parent) : FieldBlock(SetpointFields, parent)
{
}

void SetpointsData::setNewSetpoints(const Setpoints &setpoints)
{
    setPendingValues(setpoints);
}
