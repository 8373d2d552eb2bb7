// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/meterageconfigurationdata.h"

#include "devicedata/codeconversions.h"
#include "devicedata/modulesdata.h"

namespace {

constexpr TranslatedText MeterageGroup { "ConfigurationWidget",
    { QT_TRANSLATE_NOOP("ConfigurationWidget", "Meterage configuration") } };

constexpr Field<MeterageConfiguration> MeterageConfigurationFields[] = {
    { &MeterageConfiguration::currentRange,
        codeField(25, "currentRange", CodeTables::currentRange)
            .inGroup(MeterageGroup)
            .labelled({ "ConfigurationWidget",
                { QT_TRANSLATE_NOOP(
                    "ConfigurationWidget", "I<sub>A</sub>, I<sub>C</sub> range:") } }) },
    { &MeterageConfiguration::currentTransFactor,
        numberField(26, "currentTransFactor", ValueRanges::currentTransFactor)
            .inGroup(MeterageGroup)
            .labelled(
                { "ConfigurationWidget", { QT_TRANSLATE_NOOP("ConfigurationWidget", "Kt:") } }) },
    { &MeterageConfiguration::zeroCurrentTransFactor,
        numberField(27, "zeroCurrentTransFactor", ValueRanges::zeroCurrentTransFactor)
            .inGroup(MeterageGroup)
            .labelled({ "ConfigurationWidget",
                { QT_TRANSLATE_NOOP("ConfigurationWidget", "Kt<sub>0</sub>:") } })
            .needsOneOf(ModuleZnz3I0 | ModuleZnz3U0) },
};
static_assert(isWellFormed(MeterageConfigurationFields));

} // namespace

FieldList<MeterageConfiguration> meterageConfigurationFields()
{
    return MeterageConfigurationFields;
}

MeterageConfigurationData::MeterageConfigurationData(QObject *parent)
    : FieldBlock(MeterageConfigurationFields, parent)
{
}

void MeterageConfigurationData::setNewConfiguration(const MeterageConfiguration &configuration)
{
    setPendingValues(configuration);
}
