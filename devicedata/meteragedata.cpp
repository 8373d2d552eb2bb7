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
constexpr Field<Meterage> MeterageFields[] = {
    { &Meterage::phaseACurrent, numberField(16, "phaseACurrent", MeterageScales::PhaseCurrent) },
    { &Meterage::phaseCCurrent, numberField(18, "phaseCCurrent", MeterageScales::PhaseCurrent) },
    { &Meterage::zeroCurrent,
        numberField(19, "zeroCurrent", MeterageScales::ZeroCurrent).needsOneOf(EarthFaultModules) },
    { &Meterage::zeroVoltage,
        numberField(20, "zeroVoltage", MeterageScales::ZeroVoltage)
            .withUnit(Volts)
            .needsOneOf(ModuleZnz3U0) },
    { &Meterage::zeroCurrentZeroVoltageAngle,
        signedField(21, "zeroCurrentZeroVoltageAngle", MeterageScales::Angle)
            .withUnit(Degrees)
            .needsOneOf(ModuleZnz3U0) },
};
static_assert(isWellFormed(MeterageFields));

} // namespace

FieldList<Meterage> meterageFields()
{
    return MeterageFields;
}

MeterageData::MeterageData(QObject *parent) : FieldBlock(MeterageFields, parent, ReadOnly)
{
}
