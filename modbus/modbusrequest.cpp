// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/modbusrequest.h"

ModbusRequest::ModbusRequest() : ModbusRequest(NoFunction, 0, 0, NoType, {})
{
}

ModbusRequest::ModbusRequest(
    int function, quint16 startAddress, quint16 count, DataType dataType, Callback callback)
    : m_function(function),
      m_startAddress(startAddress),
      m_count(count),
      m_dataType(dataType),
      m_cell(std::make_shared<Cell>()),
      m_callback(std::move(callback))
{
}

ModbusRequest::ModbusRequest(
    int function, quint16 startAddress, quint16 count, BitsReplyHandler handler)
    : ModbusRequest(function, startAddress, count, Bits, std::move(handler))
{
}

ModbusRequest::ModbusRequest(
    int function, quint16 startAddress, quint16 count, RegistersReplyHandler handler)
    : ModbusRequest(function, startAddress, count, Registers, std::move(handler))
{
}

ModbusRequest::ModbusRequest(int function, quint16 startAddress, quint16 count, BitsBuilder builder)
    : ModbusRequest(function, startAddress, count, Bits, std::move(builder))
{
}

ModbusRequest::ModbusRequest(
    int function, quint16 startAddress, quint16 count, RegistersBuilder builder)
    : ModbusRequest(function, startAddress, count, Registers, std::move(builder))
{
}

void ModbusRequest::fillBits(ModbusBits &bits) const
{
    if (const auto *builder = callback<BitsBuilder>())
        (*builder)(bits);
}

void ModbusRequest::fillRegisters(ModbusRegisters &registers) const
{
    if (const auto *builder = callback<RegistersBuilder>())
        (*builder)(registers);
}

void ModbusRequest::setBitsReply(const ModbusBits &bits)
{
    m_cell->result.store(Success);
    if (const auto *handler = callback<BitsReplyHandler>())
        (*handler)(Success, bits);
}

void ModbusRequest::setRegistersReply(const ModbusRegisters &registers)
{
    m_cell->result.store(Success);
    if (const auto *handler = callback<RegistersReplyHandler>())
        (*handler)(Success, registers);
}

void ModbusRequest::setFailed(Result result)
{
    m_cell->result.store(result);
    if (const auto *handler = callback<BitsReplyHandler>())
        (*handler)(result, ModbusBits());
    if (const auto *handler = callback<RegistersReplyHandler>())
        (*handler)(result, ModbusRegisters());
}

void ModbusRequest::forgetResult()
{
    m_cell->result.store(NoResult);
    m_cell->transaction = ModbusTransaction();
}
