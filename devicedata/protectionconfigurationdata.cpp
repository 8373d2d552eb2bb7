// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/protectionconfigurationdata.h"

#include "devicedata/blockhelpers.h"

namespace {

enum Register : quint16 {
    DiBlockToMode = 28,
    // 29 is read along, carries nothing the program uses and is never written
    MtzInstantResetMode = 30,
    MtzInstantResettingTime = 31,
};

} // namespace

void markOutdated(ProtectionConfiguration &configuration)
{
    markOutdated(configuration.diBlockToMode, configuration.mtzInstantResetMode,
        configuration.mtzInstantResettingTime);
}

ProtectionConfigurationData::ProtectionConfigurationData(QObject *parent) : DeviceData(parent)
{
    readRequests().append(ModbusRequest(ModbusRequest::ReadHoldingRegisters, DiBlockToMode, 4,
        [this](ModbusRequest::Result result, const ModbusRegisters &registers) {
            updateRecord(m_configuration, result, [&registers] {
                ProtectionConfiguration configuration;
                configuration.diBlockToMode = validValue(registers.value(DiBlockToMode));
                configuration.mtzInstantResetMode
                    = validValue(registers.value(MtzInstantResetMode));
                configuration.mtzInstantResettingTime
                    = validValue(registers.value(MtzInstantResettingTime));
                return configuration;
            });
        }));

    writeRequests().append(singleRegisterWrite(
        DiBlockToMode, m_newConfiguration, &ProtectionConfiguration::diBlockToMode));
    writeRequests().append(singleRegisterWrite(
        MtzInstantResetMode, m_newConfiguration, &ProtectionConfiguration::mtzInstantResetMode));
    writeRequests().append(singleRegisterWrite(MtzInstantResettingTime, m_newConfiguration,
        &ProtectionConfiguration::mtzInstantResettingTime));
}

void ProtectionConfigurationData::setNewConfiguration(const ProtectionConfiguration &configuration)
{
    m_newConfiguration = configuration;
}

void ProtectionConfigurationData::resetData()
{
    m_configuration = ProtectionConfiguration();
}
