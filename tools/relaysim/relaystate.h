// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RELAYSTATE_H
#define RELAYSTATE_H

#include <QDateTime>
#include <QList>

#include <chrono>
#include <optional>

struct ReceivedWrite;
// NOLINTNEXTLINE(bugprone-reserved-identifier): libmodbus's own tags
typedef struct _modbus modbus_t;
// NOLINTNEXTLINE(bugprone-reserved-identifier)
typedef struct _modbus_mapping_t modbus_mapping_t;

// One relay on the simulated line: its register and coil map and the behaviour behind it (running
// clock, live measurements, crash log, commands). Not thread-safe: RelayBus serialises access.
//
// Register contents live in a libmodbus mapping, so modbus_reply() answers reads and stores plain
// writes; this class checks every request against the relay's map first and refreshes the
// registers that change by themselves (clock, measurements) before a read is answered.
//
// A new relay is a type 0x8D90, software 1.05, serial number 1402000 + 1373 x ID, register 9 = 192
// (the baud rate in hundreds of bit/s), range code 2, Kt 60, Kt0 30, all four modules, five
// crashes. Any register value is taken except an impossible time; commands may be sent ON or OFF.
class RelayState
{
public:
    explicit RelayState(int id);
    ~RelayState();

    RelayState(const RelayState &) = delete;
    RelayState &operator=(const RelayState &) = delete;

    bool isOnline() const { return m_online; }
    void setOnline(bool online) { m_online = online; }

    static bool hasHoldingRegister(int address);
    quint16 holdingRegister(int address) const;
    // False when the relay has no such register, or the value would make an impossible time.
    bool setHoldingRegister(int address, quint16 value);
    bool coil(int address) const;
    void setCoil(int address, bool value);
    bool discreteInput(int address) const;
    void setDiscreteInput(int address, bool value);

    void setModules(quint16 register24);
    void setCrashCount(int count);
    // A trip of the protection: a new newest record stamped with the relay's clock, the count up by
    // one and the LED of the protection lit. amperes is the primary current as the master shows
    // it, recorded for MTZ, TO and ZNZ only. False, with nothing recorded, for an unknown type or a
    // current the record cannot hold with the relay's range and transformer factor.
    bool recordCrash(int type, double amperes);
    void setMeasurementsLive(bool live);
    bool measurementsLive() const { return m_live; }
    QDateTime clock() const;
    void setClock(const QDateTime &dateTime);
    int checkbackCount() const { return m_checkbacks; }

    // Acts on one request addressed to this relay or broadcast, and has libmodbus write the answer
    // (none for a broadcast) to the context's socket. Returns whether a write was taken; its
    // registers or coils are then appended to writes.
    bool serve(modbus_t *context, const QByteArray &frame, QList<ReceivedWrite> *writes);

private:
    struct Request;
    static Request parse(const QByteArray &frame);
    int exceptionFor(const Request &request) const;
    std::optional<QDateTime> clockAfterWrites(int address, const QList<quint16> &values) const;
    void applyWrites(int function, int address, const QList<quint16> &values);
    void fillCrashLog(int count);
    void clearTripLeds();
    void refreshLiveRegisters(int address, int count);
    quint16 liveMeasurement(int address) const;
    quint16 clockRegister(int address) const;

    const int m_id;
    const std::chrono::steady_clock::time_point m_born;
    modbus_mapping_t *m_map;
    bool m_online = true;
    bool m_live = true;
    qint64 m_clockOffsetMs = 0;
    // The time is written one register at a time (15, 14, 13, 12); 13 and 14 wait for 12.
    std::optional<quint16> m_latchedDayHour;
    std::optional<quint16> m_latchedMinuteSecond;
    int m_checkbacks = 0;
};

#endif // RELAYSTATE_H
