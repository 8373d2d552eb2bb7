// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/discreteinputsdata.h"

#include "devicedata/blockhelpers.h"

namespace {

const quint16 firstInput = 0x1000;

const FlagPosition inputFlags[] = {
    { 0x1000, DiBlockTo },
    { 0x1001, DiRpv },
    { 0x1002, DiAChR },
    { 0x1003, DiSis },
};

} // namespace

DiscreteInputsData::DiscreteInputsData(QObject *parent) : DeviceData(parent)
{
    readRequests().append(ModbusRequest(ModbusRequest::ReadDiscreteInputs, firstInput, 4,
        [this](ModbusRequest::Result result, const ModbusBits &inputs) {
            updateRecord(m_discreteInputs, result, [&inputs] {
                return validValue(decodeFlags(
                    inputFlags, [&inputs](int address) { return inputs.value(address); }));
            });
        }));
}

void DiscreteInputsData::resetData()
{
    m_discreteInputs = DataValue();
}
