// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MODBUSREQUEST_H
#define MODBUSREQUEST_H

#include "modbus/modbuscontainers.h"
#include "modbus/modbustransaction.h"

#include <atomic>
#include <functional>
#include <memory>
#include <variant>

// One Modbus transaction against one slave: function, address window and the
// callback that fills the payload of a write or receives the reply of a read.
//
// A request is a value type. Copies share one result cell, so the worker can
// execute a private copy on its own thread while the data block that built the
// original still learns the outcome through result().
class ModbusRequest
{
public:
    enum Function {
        NoFunction = 0,
        ReadCoils = 1,
        ReadDiscreteInputs = 2,
        ReadHoldingRegisters = 3,
        ReadInputRegisters = 4,
        WriteSingleCoil = 5,
        WriteSingleRegister = 6,
        WriteMultipleCoils = 15,
        WriteMultipleRegisters = 16
    };

    enum DataType { NoType = 0, Bits = 1, Registers = 2 };

    enum Result { NoResult = 0, Success = 1, Timeout = 2, Error = 3 };

    using BitsBuilder = std::function<void(ModbusBits &)>;
    using RegistersBuilder = std::function<void(ModbusRegisters &)>;
    using BitsReplyHandler = std::function<void(Result, const ModbusBits &)>;
    using RegistersReplyHandler = std::function<void(Result, const ModbusRegisters &)>;

    ModbusRequest();
    ModbusRequest(int function, quint16 startAddress, quint16 count, BitsReplyHandler handler);
    ModbusRequest(int function, quint16 startAddress, quint16 count, RegistersReplyHandler handler);
    ModbusRequest(int function, quint16 startAddress, quint16 count, BitsBuilder builder);
    ModbusRequest(int function, quint16 startAddress, quint16 count, RegistersBuilder builder);

    int function() const { return m_function; }
    quint16 startAddress() const { return m_startAddress; }
    quint16 count() const { return m_count; }
    void setCount(quint16 count) { m_count = count; }
    DataType dataType() const { return m_dataType; }
    Result result() const { return m_cell->result.load(); }
    // The record of the transaction that carried the request last: what the relay answered, or
    // what happened on the line. Set on the endpoint's own thread once the worker is done with
    // the request; a default record (function 0) when none carried it.
    const ModbusTransaction &transaction() const { return m_cell->transaction; }
    void setTransaction(const ModbusTransaction &record) { m_cell->transaction = record; }
    bool isValid() const { return m_function != NoFunction; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }

    // Used by the worker on its private copy.
    void fillBits(ModbusBits &bits) const;
    void fillRegisters(ModbusRegisters &registers) const;
    void setBitsReply(const ModbusBits &bits);
    void setRegistersReply(const ModbusRegisters &registers);
    void setFailed(Result result);
    // Not come back: neither an earlier result nor a reply stands for it.
    void forgetResult();

private:
    // A request holds one builder or one reply handler, never more.
    using Callback = std::variant<std::monostate, BitsBuilder, RegistersBuilder, BitsReplyHandler,
        RegistersReplyHandler>;

    ModbusRequest(
        int function, quint16 startAddress, quint16 count, DataType dataType, Callback callback);

    // The callback of type `Wanted` if the request holds one that is set.
    template<typename Wanted>
    const Wanted *callback() const
    {
        const Wanted *wanted = std::get_if<Wanted>(&m_callback);
        return wanted && *wanted ? wanted : nullptr;
    }

    int m_function = NoFunction;
    quint16 m_startAddress = 0;
    quint16 m_count = 0;
    DataType m_dataType = NoType;
    // What copies share: the worker's copy fills it in, the block's original reads it.
    struct Cell
    {
        std::atomic<Result> result { NoResult };
        ModbusTransaction transaction;
    };

    std::shared_ptr<Cell> m_cell;
    Callback m_callback;
    bool m_enabled = true;
};

#endif // MODBUSREQUEST_H
