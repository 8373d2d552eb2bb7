// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MODBUSCONTAINERS_H
#define MODBUSCONTAINERS_H

#include "common/logging.h"

#include <QVector>

// A window of consecutive Modbus addresses with one value per address. It is
// always indexed by the absolute Modbus address, never by a position, so a
// block that reads registers 16 to 21 asks for value(18).
template<typename Stored, typename Value>
class ModbusWindow
{
public:
    ModbusWindow() = default;
    ModbusWindow(quint16 startAddress, quint16 count)
        : m_startAddress(startAddress), m_values(count, 0)
    {
    }

    quint16 startAddress() const { return m_startAddress; }
    int count() const { return m_values.size(); }
    bool isEmpty() const { return m_values.isEmpty(); }

    bool contains(quint16 address) const
    {
        return address >= m_startAddress && address - m_startAddress < m_values.size();
    }

    // Outside the window a read gives 0 and a write is dropped: a stray
    // address must never reach memory the window does not own.
    Value value(quint16 address) const
    {
        if (!contains(address)) {
            qCDebug(lcModbus) << "!!! Modbus address" << address << "is outside the window !!!";
            return Value(0);
        }
        return Value(m_values.at(address - m_startAddress));
    }

    void setValue(quint16 address, Value value)
    {
        if (!contains(address)) {
            qCDebug(lcModbus) << "!!! Modbus address" << address << "is outside the window !!!";
            return;
        }
        m_values[address - m_startAddress] = Stored(value);
    }

    void reset(quint16 startAddress, quint16 count)
    {
        m_startAddress = startAddress;
        m_values.fill(0, count);
    }

    // Contiguous storage handed to libmodbus.
    Stored *data() { return m_values.data(); }

private:
    quint16 m_startAddress = 0;
    QVector<Stored> m_values;
};

// Holding or input registers, one 16-bit word per address.
class ModbusRegisters : public ModbusWindow<quint16, quint16>
{
public:
    using ModbusWindow::ModbusWindow;
};

// Coils or discrete inputs, one byte per address holding 0 or 1 (the layout
// libmodbus reads into and writes from); any non-zero byte reads as true.
class ModbusBits : public ModbusWindow<quint8, bool>
{
public:
    using ModbusWindow::ModbusWindow;
};

#endif // MODBUSCONTAINERS_H
