// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/modulesdata.h"

#include "devicedata/blockhelpers.h"

namespace {

const quint16 modulesRegister = 24;

// Bit numbers in register 24; the others are not used.
const FlagPosition moduleBits[] = {
    { 0, ModuleApv },
    { 3, ModuleInd },
    { 1, ModuleZnz3I0 },
    { 2, ModuleZnz3U0 },
};

} // namespace

ModulesData::ModulesData(QObject *parent) : DeviceData(parent)
{
    readRequests().append(ModbusRequest(ModbusRequest::ReadHoldingRegisters, modulesRegister, 1,
        [this](ModbusRequest::Result result, const ModbusRegisters &registers) {
            updateRecord(m_modules, result, [&registers] {
                const quint16 bits = registers.value(modulesRegister);
                return validValue(
                    decodeFlags(moduleBits, [bits](int bit) { return bits & (1u << bit); }));
            });
        }));
}

void ModulesData::resetData()
{
    m_modules = DataValue();
}
