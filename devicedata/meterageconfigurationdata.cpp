// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/meterageconfigurationdata.h"

#include "devicedata/blockhelpers.h"

namespace {

enum Register : quint16 {
    CurrentRange = 25,
    CurrentTransFactor = 26,
    ZeroCurrentTransFactor = 27,
};

} // namespace

void markOutdated(MeterageConfiguration &configuration)
{
    markOutdated(configuration.currentRange, configuration.currentTransFactor,
        configuration.zeroCurrentTransFactor);
}

MeterageConfigurationData::MeterageConfigurationData(QObject *parent) : DeviceData(parent)
{
    readRequests().append(ModbusRequest(ModbusRequest::ReadHoldingRegisters, CurrentRange, 3,
        [this](ModbusRequest::Result result, const ModbusRegisters &registers) {
            updateRecord(m_configuration, result, [&registers] {
                MeterageConfiguration configuration;
                configuration.currentRange = validValue(registers.value(CurrentRange));
                configuration.currentTransFactor = validValue(registers.value(CurrentTransFactor));
                configuration.zeroCurrentTransFactor
                    = validValue(registers.value(ZeroCurrentTransFactor));
                return configuration;
            });
        }));

    writeRequests().append(singleRegisterWrite(
        CurrentRange, m_newConfiguration, &MeterageConfiguration::currentRange));
    writeRequests().append(singleRegisterWrite(
        CurrentTransFactor, m_newConfiguration, &MeterageConfiguration::currentTransFactor));
    writeRequests().append(singleRegisterWrite(ZeroCurrentTransFactor, m_newConfiguration,
        &MeterageConfiguration::zeroCurrentTransFactor));
}

void MeterageConfigurationData::setNewConfiguration(const MeterageConfiguration &configuration)
{
    m_newConfiguration = configuration;
}

void MeterageConfigurationData::resetData()
{
    m_configuration = MeterageConfiguration();
}
