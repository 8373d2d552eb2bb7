// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/setpointsdata.h"

#include "devicedata/blockhelpers.h"

namespace {

struct SetpointRegister
{
    quint16 address;
    DataValue Setpoints::*field;
};

// Registers 46 and 47 are reserved: read with the rest, never decoded or written.
constexpr SetpointRegister setpointRegisters[] = {
    { 32, &Setpoints::mtzMode },
    { 33, &Setpoints::mtzPickupCharacteristic },
    { 34, &Setpoints::mtzPickupCurrent },
    { 35, &Setpoints::mtzReactionDelay },
    { 36, &Setpoints::toMode },
    { 37, &Setpoints::toPickupCurrent },
    { 38, &Setpoints::toReactionDelay },
    { 39, &Setpoints::mtzToResettingDelay },
    { 40, &Setpoints::znzMode },
    { 41, &Setpoints::znz3I03U0FirstAngle },
    { 42, &Setpoints::znz3I03U0LastAngle },
    { 43, &Setpoints::znzPickupCurrent },
    { 44, &Setpoints::znzPickupVoltage },
    { 45, &Setpoints::znzReactionDelay },
    { 48, &Setpoints::apvMode },
    { 49, &Setpoints::apvReadinessDelay },
    { 50, &Setpoints::apvReactionDelay1st },
    { 51, &Setpoints::apvReactionDelay2nd },
};

constexpr quint16 FirstRegister = 32;
constexpr quint16 RegisterCount = 20;

} // namespace

void markOutdated(Setpoints &setpoints)
{
    for (const SetpointRegister &r : setpointRegisters)
        markOutdated(setpoints.*r.field);
}

SetpointsData::SetpointsData(QObject *parent) : DeviceData(parent)
{
    readRequests().append(ModbusRequest(ModbusRequest::ReadHoldingRegisters, FirstRegister,
        RegisterCount, [this](ModbusRequest::Result result, const ModbusRegisters &registers) {
            updateRecord(m_setpoints, result, [&registers] {
                Setpoints setpoints;
                for (const SetpointRegister &r : setpointRegisters)
                    setpoints.*r.field = validValue(registers.value(r.address));
                return setpoints;
            });
        }));

    for (const SetpointRegister &r : setpointRegisters)
        writeRequests().append(singleRegisterWrite(r.address, m_newSetpoints, r.field));
}

void SetpointsData::setNewSetpoints(const Setpoints &setpoints)
{
    m_newSetpoints = setpoints;
}

void SetpointsData::resetData()
{
    m_setpoints = Setpoints();
}
