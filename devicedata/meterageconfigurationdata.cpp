// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/meterageconfigurationdata.h"

#include "devicedata/codeconversions.h"
#include "devicedata/modulesdata.h"

namespace {

constexpr TranslatedText MeterageGroup { "ConfigurationWidget",
    { QT_TRANSLATE_NOOP("ConfigurationWidget", "Meterage configuration") } };

bool hasEarthFaultModule(const FieldContext &context)
{
    return context.modules.status != NoData
        && (context.modules.value & (ModuleZnz3I0 | ModuleZnz3U0));
}

const Field<MeterageConfiguration> meterageConfigurationFields[] = {
    { &MeterageConfiguration::currentRange,
        { 25, "currentRange", FieldDescription::Code, MeterageGroup,
            { "ConfigurationWidget",
                { QT_TRANSLATE_NOOP(
                    "ConfigurationWidget", "I<sub>A</sub>, I<sub>C</sub> range:") } },
            {}, {}, false, { currentRangeText, currentRangeCodes }, nullptr } },
    { &MeterageConfiguration::currentTransFactor,
        { 26, "currentTransFactor", FieldDescription::Number, MeterageGroup,
            { "ConfigurationWidget", { QT_TRANSLATE_NOOP("ConfigurationWidget", "Kt:") } }, {},
            ValueRanges::currentTransFactor, false, {}, nullptr } },
    { &MeterageConfiguration::zeroCurrentTransFactor,
        { 27, "zeroCurrentTransFactor", FieldDescription::Number, MeterageGroup,
            { "ConfigurationWidget",
                { QT_TRANSLATE_NOOP("ConfigurationWidget", "Kt<sub>0</sub>:") } },
            {}, ValueRanges::zeroCurrentTransFactor, false, {}, hasEarthFaultModule } },
};

} // namespace

void markOutdated(MeterageConfiguration &configuration)
{
    markFieldsOutdated(
        FieldList<MeterageConfiguration>(meterageConfigurationFields), configuration);
}

MeterageConfigurationData::MeterageConfigurationData(QObject *parent)
    : FieldBlock(meterageConfigurationFields, parent)
{
}

void MeterageConfigurationData::setNewConfiguration(const MeterageConfiguration &configuration)
{
    setPendingValues(configuration);
}
