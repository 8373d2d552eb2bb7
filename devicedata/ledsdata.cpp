// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/ledsdata.h"

namespace {

// The LEDs in flag order; coils 0x100D and 0x100E drive none but are read
// along, from 0x1008 to 0x100F.
constexpr FlagPosition LedCoils[] = {
    { 0x100C, LedAChR },
    { 0x100B, LedApv },
    { 0x100F, LedApvReady },
    { 0x1008, LedMtz },
    { 0x1009, LedTo },
    { 0x100A, LedZnz },
};

constexpr Field<LedsRecord> LedsFields[] = {
    { &LedsRecord::leds, flagSet(0x1008, "leds", LedCoils) },
};
static_assert(isWellFormed(LedsFields));

} // namespace

FieldList<LedsRecord> ledsFields()
{
    return LedsFields;
}

LedsData::LedsData(QObject *parent) : FieldBlock(LedsFields, ModbusRequest::ReadCoils, parent)
{
}
