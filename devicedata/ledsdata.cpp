// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/ledsdata.h"

#include "devicedata/blockhelpers.h"

namespace {

const quint16 firstCoil = 0x1008;

// The LEDs in flag order; coils 0x100D and 0x100E drive none.
const FlagPosition ledCoils[] = {
    { 0x100C, LedAChR },
    { 0x100B, LedApv },
    { 0x100F, LedApvReady },
    { 0x1008, LedMtz },
    { 0x1009, LedTo },
    { 0x100A, LedZnz },
};

} // namespace

LedsData::LedsData(QObject *parent) : DeviceData(parent)
{
    readRequests().append(ModbusRequest(ModbusRequest::ReadCoils, firstCoil, 8,
        [this](ModbusRequest::Result result, const ModbusBits &coils) {
            updateRecord(m_leds, result, [&coils] {
                return validValue(
                    decodeFlags(ledCoils, [&coils](int address) { return coils.value(address); }));
            });
        }));
}

void LedsData::resetData()
{
    m_leds = DataValue();
}
