// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/meteragedata.h"

namespace {

enum Register : quint16 {
    PhaseACurrent = 16,
    // 17 is read along and carries nothing the program uses
    PhaseCCurrent = 18,
    ZeroCurrent = 19,
    ZeroVoltage = 20,
    ZeroCurrentZeroVoltageAngle = 21,
};

} // namespace

void markOutdated(Meterage &meterage)
{
    markOutdated(meterage.phaseACurrent, meterage.phaseCCurrent, meterage.zeroCurrent,
        meterage.zeroVoltage, meterage.zeroCurrentZeroVoltageAngle);
}

MeterageData::MeterageData(QObject *parent) : DeviceData(parent)
{
    readRequests().append(ModbusRequest(ModbusRequest::ReadHoldingRegisters, PhaseACurrent, 6,
        [this](ModbusRequest::Result result, const ModbusRegisters &registers) {
            updateRecord(m_meterage, result, [&registers] {
                Meterage meterage;
                meterage.phaseACurrent = validValue(registers.value(PhaseACurrent));
                meterage.phaseCCurrent = validValue(registers.value(PhaseCCurrent));
                meterage.zeroCurrent = validValue(registers.value(ZeroCurrent));
                meterage.zeroVoltage = validValue(registers.value(ZeroVoltage));
                meterage.zeroCurrentZeroVoltageAngle
                    = validValue(qint16(registers.value(ZeroCurrentZeroVoltageAngle)));
                return meterage;
            });
        }));
}

void MeterageData::resetData()
{
    m_meterage = Meterage();
}
