// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/meterageconfigurationdata.h"

#include "devicedata/codeconversions.h"
#include "devicedata/modulesdata.h"

namespace {

constexpr TranslatedText MeterageGroup { "ConfigurationWidget",
    { QT_TRANSLATE_NOOP("ConfigurationWidget", "Meterage configuration") } };

const Field<MeterageConfiguration> MeterageConfigurationFields[] = {
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
            {}, ValueRanges::zeroCurrentTransFactor, false, {}, nullptr,
            ModuleZnz3I0 | ModuleZnz3U0 } },
};

} // namespace

FieldList<MeterageConfiguration> meterageConfigurationFields()
{
    return MeterageConfigurationFields;
}

void markOutdated(MeterageConfiguration &configuration)
{
    markFieldsOutdated(meterageConfigurationFields(), configuration);
}

MeterageConfigurationData::MeterageConfigurationData(QObject *parent)
    : FieldBlock(MeterageConfigurationFields, parent)
{
}

void MeterageConfigurationData::setNewConfiguration(const MeterageConfiguration &configuration)
{
    setPendingValues(configuration);
}
