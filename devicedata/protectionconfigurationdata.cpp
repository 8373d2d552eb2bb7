// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/protectionconfigurationdata.h"

#include "devicedata/codeconversions.h"

namespace {

constexpr TranslatedText ProtectionGroup { "ConfigurationWidget",
    { QT_TRANSLATE_NOOP("ConfigurationWidget", "Protection configuration") } };

// 29 is read along, carries nothing the program uses and is never written.
constexpr Field<ProtectionConfiguration> ProtectionConfigurationFields[] = {
    { &ProtectionConfiguration::diBlockToMode,
        codeField(28, "diBlockToMode", CodeTables::diBlockToMode)
            .inGroup(ProtectionGroup)
            .labelled({ "ConfigurationWidget",
                { QT_TRANSLATE_NOOP("ConfigurationWidget", "DI Block TO mode:") } }) },
    { &ProtectionConfiguration::mtzInstantResetMode,
        codeField(30, "mtzInstantResetMode", CodeTables::onOff)
            .inGroup(ProtectionGroup)
            .labelled({ "ConfigurationWidget",
                { QT_TRANSLATE_NOOP("ConfigurationWidget", "MTZ instant reset mode:") } }) },
    { &ProtectionConfiguration::mtzInstantResettingTime,
        numberField(31, "mtzInstantResettingTime", ValueRanges::mtzInstantResettingTime)
            .inGroup(ProtectionGroup)
            .labelled({ "ConfigurationWidget",
                { QT_TRANSLATE_NOOP("ConfigurationWidget", "MTZ instant resetting time:") } })
            .withUnit(
                { "ConfigurationWidget", { QT_TRANSLATE_NOOP("ConfigurationWidget", " sec") } }) },
};
static_assert(isWellFormed(ProtectionConfigurationFields));

} // namespace

FieldList<ProtectionConfiguration> protectionConfigurationFields()
{
    return ProtectionConfigurationFields;
}

ProtectionConfigurationData::ProtectionConfigurationData(QObject *parent)
    : FieldBlock(ProtectionConfigurationFields, parent)
{
}

void ProtectionConfigurationData::setNewConfiguration(const ProtectionConfiguration &configuration)
{
    setPendingValues(configuration);
}
