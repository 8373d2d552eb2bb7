// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/modbusrequest.h"

ModbusRequest::ModbusRequest() : ModbusRequest(NoFunction, 0, 0, NoType)
{
}

ModbusRequest::ModbusRequest(int function, quint16 startAddress, quint16 count, DataType dataType)
    : m_function(function),
      m_startAddress(startAddress),
      m_count(count),
      m_dataType(dataType),
      m_result(std::make_shared<std::atomic<Result>>(NoResult))
{
}

ModbusRequest::ModbusRequest(
    int function, quint16 startAddress, quint16 count, BitsReplyHandler handler)
    : ModbusRequest(function, startAddress, count, Bits)
{
    m_bitsReplyHandler = std::move(handler);
}

ModbusRequest::ModbusRequest(
    int function, quint16 startAddress, quint16 count, RegistersReplyHandler handler)
    : ModbusRequest(function, startAddress, count, Registers)
{
    m_registersReplyHandler = std::move(handler);
}

ModbusRequest::ModbusRequest(int function, quint16 startAddress, quint16 count, BitsBuilder builder)
    : ModbusRequest(function, startAddress, count, Bits)
{
    m_bitsBuilder = std::move(builder);
}

ModbusRequest::ModbusRequest(
    int function, quint16 startAddress, quint16 count, RegistersBuilder builder)
    : ModbusRequest(function, startAddress, count, Registers)
{
    m_registersBuilder = std::move(builder);
}

void ModbusRequest::fillBits(ModbusBits &bits) const
{
    if (m_bitsBuilder)
        m_bitsBuilder(bits);
}

void ModbusRequest::fillRegisters(ModbusRegisters &registers) const
{
    if (m_registersBuilder)
        m_registersBuilder(registers);
}

void ModbusRequest::setBitsReply(const ModbusBits &bits)
{
    m_result->store(Success);
    if (m_bitsReplyHandler)
        m_bitsReplyHandler(Success, bits);
}

void ModbusRequest::setRegistersReply(const ModbusRegisters &registers)
{
    m_result->store(Success);
    if (m_registersReplyHandler)
        m_registersReplyHandler(Success, registers);
}

void ModbusRequest::setFailed(Result result)
{
    m_result->store(result);
    if (m_bitsReplyHandler)
        m_bitsReplyHandler(result, ModbusBits());
    if (m_registersReplyHandler)
        m_registersReplyHandler(result, ModbusRegisters());
}
