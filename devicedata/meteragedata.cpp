// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/meteragedata.h"

#include "devicedata/meterageconversions.h"
#include "devicedata/modulesdata.h"

namespace {

constexpr TranslatedText Volts { "MonitorWidget", { QT_TRANSLATE_NOOP("MonitorWidget", " V") } };
constexpr TranslatedText Degrees { "MonitorWidget", { QT_TRANSLATE_NOOP("MonitorWidget", " °") } };

constexpr qint64 EarthFaultModules = ModuleZnz3I0 | ModuleZnz3U0;

// 17 is read along and carries nothing the program uses. The currents' unit
// is the current indicators' own.
const Field<Meterage> MeterageFields[] = {
    { &Meterage::phaseACurrent,
        { 16, "phaseACurrent", FieldDescription::Number, {}, {}, {},
            MeterageScales::PhaseCurrent } },
    { &Meterage::phaseCCurrent,
        { 18, "phaseCCurrent", FieldDescription::Number, {}, {}, {},
            MeterageScales::PhaseCurrent } },
    { &Meterage::zeroCurrent,
        { 19, "zeroCurrent", FieldDescription::Number, {}, {}, {}, MeterageScales::ZeroCurrent,
            false, {}, nullptr, EarthFaultModules } },
    { &Meterage::zeroVoltage,
        { 20, "zeroVoltage", FieldDescription::Number, {}, {}, Volts, MeterageScales::ZeroVoltage,
            false, {}, nullptr, ModuleZnz3U0 } },
    { &Meterage::zeroCurrentZeroVoltageAngle,
        { 21, "zeroCurrentZeroVoltageAngle", FieldDescription::Signed, {}, {}, Degrees,
            MeterageScales::Angle, false, {}, nullptr, ModuleZnz3U0 } },
};

} // namespace

FieldList<Meterage> meterageFields()
{
    return MeterageFields;
}

void markOutdated(Meterage &meterage)
{
    markFieldsOutdated(meterageFields(), meterage);
}

MeterageData::MeterageData(QObject *parent) : FieldBlock(MeterageFields, parent, ReadOnly)
{
}
