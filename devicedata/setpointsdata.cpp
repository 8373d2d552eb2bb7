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
const Field<Setpoints> SetpointFields[] = {
    { &Setpoints::mtzMode,
        { MtzModeRegister, "mtzMode", FieldDescription::Code, MtzToGroup,
            { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "MTZ mode:") } }, {}, {},
            false, { onOffText, onOffCodes }, nullptr } },
    { &Setpoints::mtzPickupCharacteristic,
        { 33, "mtzPickupCharacteristic", FieldDescription::Code, MtzToGroup,
            { "SetpointsWidget",
                { QT_TRANSLATE_NOOP("SetpointsWidget", "Characteristic time curve:") } },
            {}, {}, false, { mtzPickupCharacteristicText, mtzPickupCharacteristicCodes }, mtzOn } },
    { &Setpoints::mtzPickupCurrent,
        { 34, "mtzPickupCurrent", FieldDescription::Number, MtzToGroup, PickupCurrentLabel, Amperes,
            ValueRanges::mtzPickupCurrent, true, {}, nullptr } },
    { &Setpoints::mtzReactionDelay,
        { 35, "mtzReactionDelay", FieldDescription::Number, MtzToGroup, ReactionTimeLabel, Seconds,
            ValueRanges::mtzReactionDelay, false, {}, mtzOn } },
    { &Setpoints::toMode,
        { ToModeRegister, "toMode", FieldDescription::Code, MtzToGroup,
            { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "TO mode:") } }, {}, {},
            false, { onOffText, onOffCodes }, nullptr } },
    { &Setpoints::toPickupCurrent,
        { 37, "toPickupCurrent", FieldDescription::Number, MtzToGroup, PickupCurrentLabel, Amperes,
            ValueRanges::toPickupCurrent, true, {}, toOn } },
    { &Setpoints::toReactionDelay,
        { 38, "toReactionDelay", FieldDescription::Number, MtzToGroup, ReactionTimeLabel, Seconds,
            ValueRanges::toReactionDelay, false, {}, toOn } },
    { &Setpoints::mtzToResettingDelay,
        { 39, "mtzToResettingDelay", FieldDescription::Number, MtzToGroup,
            { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "Resetting time:") } },
            Seconds, ValueRanges::mtzToResettingDelay, false, {}, mtzOrToOn } },
    { &Setpoints::znzMode,
        { ZnzModeRegister, "znzMode", FieldDescription::Code, ZnzGroup,
            { "SetpointsWidget", QT_TRANSLATE_NOOP3("SetpointsWidget", "Mode:", "ZNZ Mode") }, {},
            {}, false, { znzModeText, znzModeCodes }, nullptr, ModuleZnz3U0 } },
    { &Setpoints::znz3I03U0FirstAngle,
        { 41, "znz3I03U0FirstAngle", FieldDescription::Number, ZnzGroup,
            { "SetpointsWidget",
                { QT_TRANSLATE_NOOP(
                    "SetpointsWidget", "First angle ∠(3I<sub>0</sub>,3U<sub>0</sub>):") } },
            Degrees, ValueRanges::znz3I03U0Angle, false, {}, znzDirectional, ModuleZnz3U0 } },
    { &Setpoints::znz3I03U0LastAngle,
        { 42, "znz3I03U0LastAngle", FieldDescription::Number, ZnzGroup,
            { "SetpointsWidget",
                { QT_TRANSLATE_NOOP(
                    "SetpointsWidget", "Last angle ∠(3I<sub>0</sub>,3U<sub>0</sub>):") } },
            Degrees, ValueRanges::znz3I03U0Angle, false, {}, znzDirectional, ModuleZnz3U0 } },
    { &Setpoints::znzPickupCurrent,
        { 43, "znzPickupCurrent", FieldDescription::Number, ZnzGroup, PickupCurrentLabel, Amperes,
            ValueRanges::znzPickupCurrent, false, {}, nullptr, EarthFaultModules } },
    { &Setpoints::znzPickupVoltage,
        { 44, "znzPickupVoltage", FieldDescription::Number, ZnzGroup,
            { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "Pick-up voltage:") } },
            Volts, ValueRanges::znzPickupVoltage, false, {}, znzWithVoltage, ModuleZnz3U0 } },
    { &Setpoints::znzReactionDelay,
        { 45, "znzReactionDelay", FieldDescription::Number, ZnzGroup, ReactionTimeLabel, Seconds,
            ValueRanges::znzReactionDelay, false, {}, nullptr, EarthFaultModules } },
    { &Setpoints::apvMode,
        { ApvModeRegister, "apvMode", FieldDescription::Code, ApvGroup,
            { "SetpointsWidget", QT_TRANSLATE_NOOP3("SetpointsWidget", "Mode:", "APV Mode") }, {},
            {}, false, { apvModeText, apvModeCodes }, nullptr, ModuleApv } },
    { &Setpoints::apvReadinessDelay,
        { 49, "apvReadinessDelay", FieldDescription::Number, ApvGroup,
            { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "Readiness time:") } },
            Seconds, ValueRanges::apvReadinessDelay, false, {}, nullptr, ModuleApv } },
    { &Setpoints::apvReactionDelay1st,
        { 50, "apvReactionDelay1st", FieldDescription::Number, ApvGroup,
            { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "Reaction time, 1st:") } },
            Seconds, ValueRanges::apvReactionDelay1st, false, {}, nullptr, ModuleApv } },
    { &Setpoints::apvReactionDelay2nd,
        { 51, "apvReactionDelay2nd", FieldDescription::Number, ApvGroup,
            { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "Reaction time, 2nd:") } },
            Seconds, ValueRanges::apvReactionDelay2nd, false, {}, apvDouble, ModuleApv } },
};

} // namespace

FieldList<Setpoints> setpointFields()
{
    return SetpointFields;
}

void markOutdated(Setpoints &setpoints)
{
    markFieldsOutdated(setpointFields(), setpoints);
}

SetpointsData::SetpointsData(QObject *parent) : FieldBlock(SetpointFields, parent)
{
}

void SetpointsData::setNewSetpoints(const Setpoints &setpoints)
{
    setPendingValues(setpoints);
}
