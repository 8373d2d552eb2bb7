// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/protectionconfigurationdata.h"

#include "devicedata/codeconversions.h"

namespace {

constexpr TranslatedText ProtectionGroup { "ConfigurationWidget",
    { QT_TRANSLATE_NOOP("ConfigurationWidget", "Protection configuration") } };

// 29 is read along, carries nothing the program uses and is never written.
const Field<ProtectionConfiguration> ProtectionConfigurationFields[] = {
    { &ProtectionConfiguration::diBlockToMode,
        { 28, "diBlockToMode", FieldDescription::Code, ProtectionGroup,
            { "ConfigurationWidget",
                { QT_TRANSLATE_NOOP("ConfigurationWidget", "DI Block TO mode:") } },
            {}, {}, false, { diBlockToModeText, diBlockToModeCodes }, nullptr } },
    { &ProtectionConfiguration::mtzInstantResetMode,
        { 30, "mtzInstantResetMode", FieldDescription::Code, ProtectionGroup,
            { "ConfigurationWidget",
                { QT_TRANSLATE_NOOP("ConfigurationWidget", "MTZ instant reset mode:") } },
            {}, {}, false, { onOffText, onOffCodes }, nullptr } },
    { &ProtectionConfiguration::mtzInstantResettingTime,
        { 31, "mtzInstantResettingTime", FieldDescription::Number, ProtectionGroup,
            { "ConfigurationWidget",
                { QT_TRANSLATE_NOOP("ConfigurationWidget", "MTZ instant resetting time:") } },
            { "ConfigurationWidget", { QT_TRANSLATE_NOOP("ConfigurationWidget", " sec") } },
            ValueRanges::mtzInstantResettingTime, false, {}, nullptr } },
};

} // namespace

FieldList<ProtectionConfiguration> protectionConfigurationFields()
{
    return ProtectionConfigurationFields;
}

void markOutdated(ProtectionConfiguration &configuration)
{
    markFieldsOutdated(protectionConfigurationFields(), configuration);
}

ProtectionConfigurationData::ProtectionConfigurationData(QObject *parent)
    : FieldBlock(ProtectionConfigurationFields, parent)
{
}

void ProtectionConfigurationData::setNewConfiguration(const ProtectionConfiguration &configuration)
{
    setPendingValues(configuration);
}
