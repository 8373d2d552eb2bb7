// SPDX-License-Identifier: GPL-3.0-or-later
#include "relaystate.h"

#include "relaybus.h"
#include "relaymap.h"

#include <modbus.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>

namespace {

quint16 word(const QByteArray &frame, int offset)
{
    return static_cast<quint16>(
        (static_cast<quint8>(frame.at(offset)) << 8) | static_cast<quint8>(frame.at(offset + 1)));
}

bool within(int address, int count, int first, int last)
{
    return address >= first && address + count - 1 <= last;
}

bool isHoldingRegister(int address, int count = 1)
{
    return within(address, count, 0, LastSettingRegister)
        || within(address, count, CrashCountRegister, CrashCountRegister)
        || within(address, count, FirstCrashRegister, LastCrashRegister);
}

bool isWritableRegister(int address)
{
    const bool reserved = address == 29 || address == 46 || address == 47;
    return (address >= YearMonthRegister && address <= DstRegister)
        || (address >= CurrentRangeRegister && address <= LastSettingRegister && !reserved);
}

bool isCommandCoil(int address)
{
    return address == CheckbackCoil || address == ClearCrashLogCoil;
}

int rangeMultiplier(quint16 code)
{
    return code >= 1 && code <= 4 ? 1 << (code - 1) : 1;
}

// Deterministic noise in [-1, 1] that changes twice a second, so that two quick reads agree.
double noise(int id, int channel, double seconds)
{
    quint64 x = (quint64(id) << 40) ^ (quint64(channel) << 32) ^ quint64(seconds * 2);
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    return double(x % 20001) / 10000.0 - 1.0;
}

double wave(double seconds, double period, double phase)
{
    return std::sin(2 * M_PI * seconds / period + phase);
}

quint16 rounded(double value)
{
    return static_cast<quint16>(qBound(0.0, std::round(value), 65535.0));
}

QDateTime clockFromRegisters(quint16 yearMonth, quint16 dayHour, quint16 minuteSecond)
{
    // QDateTime would take an impossible time for midnight.
    const QTime time(dayHour & 0xFF, minuteSecond >> 8, minuteSecond & 0xFF);
    if (!time.isValid())
        return QDateTime();
    return QDateTime(QDate(2000 + (yearMonth >> 8), yearMonth & 0xFF, dayHour >> 8), time);
}

void writeTime(quint16 *registers, const QDateTime &dateTime)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    registers[0] = static_cast<quint16>(((date.year() - 2000) & 0xFF) << 8 | date.month());
    registers[1] = static_cast<quint16>(date.day() << 8 | time.hour());
    registers[2] = static_cast<quint16>(time.minute() << 8 | time.second());
}

// Whether the frame is as long as the fields its function has: the line's framer passes on no
// shorter one, but a Modbus TCP request's length comes from its header, whatever its function.
bool holdsItsFields(const QByteArray &frame)
{
    constexpr int FixedLength = 8; // slave, function, address, count or value, CRC
    switch (static_cast<quint8>(frame.at(1))) {
    case MODBUS_FC_READ_COILS:
    case MODBUS_FC_READ_DISCRETE_INPUTS:
    case MODBUS_FC_READ_HOLDING_REGISTERS:
    case MODBUS_FC_WRITE_SINGLE_COIL:
    case MODBUS_FC_WRITE_SINGLE_REGISTER:
        return frame.size() >= FixedLength;
    case MODBUS_FC_WRITE_MULTIPLE_COILS:
    case MODBUS_FC_WRITE_MULTIPLE_REGISTERS:
        return frame.size() > FixedLength
            && frame.size() >= FixedLength + 1 + static_cast<quint8>(frame.at(6));
    default:
        return true; // its fields are never read
    }
}

} // namespace

struct RelayState::Request
{
    bool cutShort = false; // shorter than its function's fields
    int function = 0;
    int address = 0;
    int count = 0;
    int byteCount = 0;
    QList<quint16> values; // register values, or 0/1 per coil
};

RelayState::Request RelayState::parse(const QByteArray &frame)
{
    Request request;
    request.function = static_cast<quint8>(frame.at(1));
    request.cutShort = !holdsItsFields(frame);
    if (request.cutShort)
        return request;
    switch (request.function) {
    case MODBUS_FC_READ_COILS:
    case MODBUS_FC_READ_DISCRETE_INPUTS:
    case MODBUS_FC_READ_HOLDING_REGISTERS:
        request.address = word(frame, 2);
        request.count = word(frame, 4);
        break;
    case MODBUS_FC_WRITE_SINGLE_COIL:
    case MODBUS_FC_WRITE_SINGLE_REGISTER:
        request.address = word(frame, 2);
        request.count = 1;
        request.values = { word(frame, 4) };
        break;
    case MODBUS_FC_WRITE_MULTIPLE_COILS:
        request.address = word(frame, 2);
        request.count = word(frame, 4);
        request.byteCount = static_cast<quint8>(frame.at(6));
        for (int i = 0; i < request.count && i / 8 < request.byteCount; ++i)
            request.values.append((static_cast<quint8>(frame.at(7 + i / 8)) >> (i % 8)) & 1);
        break;
    case MODBUS_FC_WRITE_MULTIPLE_REGISTERS:
        request.address = word(frame, 2);
        request.count = word(frame, 4);
        request.byteCount = static_cast<quint8>(frame.at(6));
        for (int i = 0; i < request.count && 2 * i + 1 < request.byteCount; ++i)
            request.values.append(word(frame, 7 + 2 * i));
        break;
    default:
        break;
    }
    return request;
}

RelayState::RelayState(int id)
    : m_id(id),
      m_born(std::chrono::steady_clock::now()),
      m_map(modbus_mapping_new_start_address(
          FirstLed, CoilCount, FirstDiscreteInput, DiscreteInputCount, 0, RegisterCount, 0, 0))
{
    quint16 *r = m_map->tab_registers;
    r[DeviceTypeRegister] = RelayTypeCode;
    r[SoftwareVersionRegister] = 105;
    const quint32 serial = 1402000 + 1373 * quint32(id);
    r[SerialHighRegister] = static_cast<quint16>(serial >> 16);
    r[SerialLowRegister] = static_cast<quint16>(serial & 0xFFFF);
    r[ModbusIdRegister] = static_cast<quint16>(id);
    r[BaudRateRegister] = 192; // hundreds of bit/s: the relay stores 19200 bit/s as 192
    r[DstRegister] = 1;

    // Measurement and protection configuration: range 2 - 82, a 300/5 phase CT, a 30/1 zero
    // sequence CT, DI Block TO for 2 s, instant reset on after 0.3 s.
    const quint16 configuration[] = { 2, 60, 30, 20, 0, 1, 3 };
    std::copy(std::begin(configuration), std::end(configuration), r + CurrentRangeRegister);
    // Setpoints 32-51 in register units; 46 and 47 are reserved.
    const quint16 setpoints[]
        = { 1, 1, 250, 15, 1, 100, 10, 5, 1, 45, 135, 50, 300, 5, 0, 0, 2, 60, 10, 20 };
    std::copy(std::begin(setpoints), std::end(setpoints), r + FirstSetpointRegister);

    m_map->tab_input_bits[1] = 1; // DI RPV
    m_clockOffsetMs = qint64(id % 7 - 3) * 1000; // relay clocks are never quite in step
    setModules(0x000F);
    setCrashCount(5);
}

RelayState::~RelayState()
{
    modbus_mapping_free(m_map);
}

bool RelayState::hasHoldingRegister(int address)
{
    return isHoldingRegister(address);
}

quint16 RelayState::holdingRegister(int address) const
{
    if (address >= YearMonthRegister && address <= MinuteSecondRegister)
        return clockRegister(address);
    if (m_live && address >= PhaseARegister && address <= LastMeasurementRegister)
        return liveMeasurement(address);
    return isHoldingRegister(address) ? m_map->tab_registers[address] : 0;
}

bool RelayState::setHoldingRegister(int address, quint16 value)
{
    if (!isHoldingRegister(address))
        return false;
    if (address >= YearMonthRegister && address <= MinuteSecondRegister) {
        quint16 time[3] = { clockRegister(YearMonthRegister), clockRegister(DayHourRegister),
            clockRegister(MinuteSecondRegister) };
        time[address - YearMonthRegister] = value;
        const QDateTime dateTime = clockFromRegisters(time[0], time[1], time[2]);
        if (!dateTime.isValid())
            return false;
        setClock(dateTime);
        return true;
    }
    m_map->tab_registers[address] = value;
    return true;
}

bool RelayState::coil(int address) const
{
    return address >= FirstLed && address <= LastLed && m_map->tab_bits[address - FirstLed];
}

void RelayState::setCoil(int address, bool value)
{
    if (address >= FirstLed && address <= LastLed)
        m_map->tab_bits[address - FirstLed] = value;
}

bool RelayState::discreteInput(int address) const
{
    return within(address, 1, FirstDiscreteInput, FirstDiscreteInput + DiscreteInputCount - 1)
        && m_map->tab_input_bits[address - FirstDiscreteInput];
}

void RelayState::setDiscreteInput(int address, bool value)
{
    if (within(address, 1, FirstDiscreteInput, FirstDiscreteInput + DiscreteInputCount - 1))
        m_map->tab_input_bits[address - FirstDiscreteInput] = value;
}

void RelayState::setModules(quint16 register24)
{
    m_map->tab_registers[ModulesRegister] = register24;
    // Without the auto-reclose module there is nothing to be ready.
    setCoil(LedApvReady, register24 & ModuleApv);
}

void RelayState::setCrashCount(int count)
{
    fillCrashLog(count);
    // The newest trip stays on the front panel until a checkback.
    clearTripLeds();
    setCoil(ledFor(m_map->tab_registers[FirstCrashRegister + 4]), true);
}

bool RelayState::recordCrash(int type, double amperes)
{
    if (type < CrashMtz || type > CrashAChR || !(amperes >= 0))
        return false;
    quint16 *r = m_map->tab_registers;
    quint16 raw = 0;
    quint16 scale = 0;
    if (type <= CrashZnz) {
        // The relay keeps the secondary current in the units of its measurements; the master
        // scales it by the transformer factor stored next to it.
        scale = type == CrashZnz ? r[Kt0Register] : r[KtRegister];
        const double unit
            = type == CrashZnz ? 0.001 : 0.01 * rangeMultiplier(r[CurrentRangeRegister]);
        const double value = scale == 0 ? -1 : std::round(amperes / (scale * unit));
        if (value < 0 || value > 65535)
            return false;
        raw = static_cast<quint16>(value);
    }

    // The oldest kept record makes room for the new one.
    std::copy_backward(r + FirstCrashRegister, r + LastCrashRegister + 1 - CrashRecordSize,
        r + LastCrashRegister + 1);
    if (r[CrashCountRegister] < 65535)
        ++r[CrashCountRegister];
    quint16 *record = r + FirstCrashRegister;
    record[0] = r[CrashCountRegister];
    writeTime(record + 1, clock());
    record[4] = static_cast<quint16>(type);
    record[5] = raw;
    record[6] = scale;
    record[7] = r[CurrentRangeRegister];
    setCoil(ledFor(type), true);
    return true;
}

void RelayState::fillCrashLog(int count)
{
    quint16 *r = m_map->tab_registers;
    const quint16 total = static_cast<quint16>(qBound(0, count, 65535));
    r[CrashCountRegister] = total;
    std::fill(r + FirstCrashRegister, r + LastCrashRegister + 1, 0);

    // The same relay and count always give the same log.
    std::mt19937 random(static_cast<quint32>(m_id * 7919 + count));
    auto uniform = [&random](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    std::discrete_distribution<int> pickType({ 30, 15, 25, 12, 8, 10 });
    QDateTime time = clock().addSecs(-qint64(uniform(1200, 6 * 3600)));
    const quint16 range = r[CurrentRangeRegister];
    const int records = qMin<int>(total, MaxCrashRecords);
    for (int k = 0; k < records; ++k) {
        quint16 *record = r + FirstCrashRegister + std::ptrdiff_t(CrashRecordSize) * k;
        const int type = pickType(random) + 1;
        record[0] = static_cast<quint16>(total - k);
        writeTime(record + 1, time);
        record[4] = static_cast<quint16>(type);
        // The trip current lies above the pick-up of the protection that tripped, in the units
        // of the phase current registers (MTZ, TO) or in milliamperes (ZNZ).
        switch (type) {
        case CrashMtz:
            record[5] = rounded(r[MtzPickupRegister] * uniform(1.1, 2.5));
            record[6] = r[KtRegister];
            break;
        case CrashTo:
            record[5] = rounded(r[ToPickupRegister] * 10 * uniform(1.05, 1.6));
            record[6] = r[KtRegister];
            break;
        case CrashZnz:
            record[5] = rounded(r[ZnzPickupRegister] * 10 * uniform(1.1, 3.0));
            record[6] = r[Kt0Register];
            break;
        default:
            break;
        }
        record[7] = range;
        time = time.addSecs(-qint64(uniform(1800, 3 * 86400)));
    }
}

void RelayState::clearTripLeds()
{
    for (int led : { LedMtz, LedTo, LedZnz, LedApv, LedAChR })
        setCoil(led, false);
}

void RelayState::setMeasurementsLive(bool live)
{
    if (m_live && !live) {
        for (int address = PhaseARegister; address <= LastMeasurementRegister; ++address)
            m_map->tab_registers[address] = liveMeasurement(address);
    }
    m_live = live;
}

QDateTime RelayState::clock() const
{
    const QDateTime now = QDateTime::currentDateTime().addMSecs(m_clockOffsetMs);
    return now.addMSecs(-now.time().msec());
}

void RelayState::setClock(const QDateTime &dateTime)
{
    m_clockOffsetMs = QDateTime::currentDateTime().msecsTo(dateTime);
    m_latchedDayHour.reset();
    m_latchedMinuteSecond.reset();
}

bool RelayState::serve(modbus_t *context, const QByteArray &frame, QList<ReceivedWrite> *writes)
{
    const auto *raw = reinterpret_cast<const uint8_t *>(frame.constData());
    const int slave = raw[0];
    const Request request = parse(frame);
    modbus_set_slave(context, m_id);

    // Checked here rather than left to modbus_reply(): besides knowing nothing of the relay's map,
    // it sleeps for its response timeout before it answers an unknown function or a bad count.
    const int exception = exceptionFor(request);
    if (exception != 0) {
        // A broadcast is never answered, not even with an exception.
        if (slave != MODBUS_BROADCAST_ADDRESS)
            modbus_reply_exception(context, raw, exception);
        return false;
    }
    if (request.function == MODBUS_FC_READ_HOLDING_REGISTERS)
        refreshLiveRegisters(request.address, request.count);
    modbus_reply(context, raw, frame.size(), m_map);
    if (request.values.isEmpty())
        return false;

    applyWrites(request.function, request.address, request.values);
    for (int i = 0; i < request.values.size(); ++i) {
        quint16 value = request.values.at(i);
        if (request.function == MODBUS_FC_WRITE_SINGLE_COIL)
            value = value == 0xFF00;
        writes->append({ slave, request.function, request.address + i, value });
    }
    return true;
}

int RelayState::exceptionFor(const Request &request) const
{
    if (request.cutShort)
        return MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE;
    const int address = request.address;
    const int count = request.count;
    switch (request.function) {
    case MODBUS_FC_READ_COILS:
        if (count < 1 || count > MODBUS_MAX_READ_BITS)
            return MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE;
        if (within(address, count, FirstLed, LastLed) || (count == 1 && isCommandCoil(address)))
            return 0;
        return MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS;
    case MODBUS_FC_READ_DISCRETE_INPUTS:
        if (count < 1 || count > MODBUS_MAX_READ_BITS)
            return MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE;
        if (within(address, count, FirstDiscreteInput, FirstDiscreteInput + DiscreteInputCount - 1))
            return 0;
        return MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS;
    case MODBUS_FC_READ_HOLDING_REGISTERS:
        if (count < 1 || count > MODBUS_MAX_READ_REGISTERS)
            return MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE;
        return isHoldingRegister(address, count) ? 0 : MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS;
    case MODBUS_FC_WRITE_SINGLE_COIL:
        if (!isCommandCoil(address))
            return MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS;
        return request.values.first() == 0 || request.values.first() == 0xFF00
            ? 0
            : MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE;
    case MODBUS_FC_WRITE_MULTIPLE_COILS:
        if (count < 1 || count > MODBUS_MAX_WRITE_BITS || request.byteCount != (count + 7) / 8)
            return MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE;
        return count == 1 && isCommandCoil(address) ? 0 : MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS;
    case MODBUS_FC_WRITE_SINGLE_REGISTER:
    case MODBUS_FC_WRITE_MULTIPLE_REGISTERS:
        if (count < 1 || count > MODBUS_MAX_WRITE_REGISTERS || request.values.size() != count
            || (request.function == MODBUS_FC_WRITE_MULTIPLE_REGISTERS
                && request.byteCount != 2 * count))
            return MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE;
        for (int i = 0; i < count; ++i) {
            if (!isWritableRegister(address + i))
                return MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS;
        }
        return clockAfterWrites(address, request.values) ? 0 : MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE;
    default:
        return MODBUS_EXCEPTION_ILLEGAL_FUNCTION;
    }
}

std::optional<QDateTime> RelayState::clockAfterWrites(
    int address, const QList<quint16> &values) const
{
    std::optional<quint16> yearMonth;
    std::optional<quint16> dayHour = m_latchedDayHour;
    std::optional<quint16> minuteSecond = m_latchedMinuteSecond;
    for (int i = 0; i < values.size(); ++i) {
        const quint16 value = values.at(i);
        const int high = value >> 8;
        const int low = value & 0xFF;
        switch (address + i) {
        case YearMonthRegister:
            yearMonth = value;
            break;
        case DayHourRegister:
            if (high < 1 || high > 31 || low > 23)
                return std::nullopt;
            dayHour = value;
            break;
        case MinuteSecondRegister:
            if (high > 59 || low > 59)
                return std::nullopt;
            minuteSecond = value;
            break;
        default:
            break;
        }
    }
    if (!yearMonth)
        return QDateTime(); // valid write, the clock stays as it is
    // Parts of the time that were not written keep their running values.
    const QDateTime dateTime
        = clockFromRegisters(*yearMonth, dayHour ? *dayHour : clockRegister(DayHourRegister),
            minuteSecond ? *minuteSecond : clockRegister(MinuteSecondRegister));
    if (!dateTime.isValid())
        return std::nullopt;
    return dateTime;
}

void RelayState::applyWrites(int function, int address, const QList<quint16> &values)
{
    if (function == MODBUS_FC_WRITE_SINGLE_COIL || function == MODBUS_FC_WRITE_MULTIPLE_COILS) {
        m_map->tab_bits[address - FirstLed] = 0; // commands do not stay set
        if (address == CheckbackCoil) {
            ++m_checkbacks;
            clearTripLeds(); // APV ready is a state, not an indication
        } else {
            fillCrashLog(0);
        }
        return;
    }

    const QDateTime newClock = clockAfterWrites(address, values).value_or(QDateTime());
    if (newClock.isValid()) {
        setClock(newClock);
        return;
    }
    for (int i = 0; i < values.size(); ++i) {
        if (address + i == DayHourRegister)
            m_latchedDayHour = values.at(i);
        else if (address + i == MinuteSecondRegister)
            m_latchedMinuteSecond = values.at(i);
    }
}

void RelayState::refreshLiveRegisters(int address, int count)
{
    const int last = address + count - 1;
    // Local time costs a time zone lookup: only reads of the clock pay for it.
    if (address <= MinuteSecondRegister && last >= YearMonthRegister)
        writeTime(m_map->tab_registers + YearMonthRegister, clock());
    if (m_live) {
        for (int i = qMax(address, int(PhaseARegister)); i <= qMin(last, LastMeasurementRegister);
             ++i)
            m_map->tab_registers[i] = liveMeasurement(i);
    }
}

// Secondary quantities of a lightly loaded feeder, drifting slowly with the load and a little
// noisy. The phase currents are scaled by the configured range like the relay's converter does.
quint16 RelayState::liveMeasurement(int address) const
{
    const double t
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_born).count();
    const quint16 modules = m_map->tab_registers[ModulesRegister];
    const double unit = 0.01 * rangeMultiplier(m_map->tab_registers[CurrentRangeRegister]);
    const double load = 2.2 + 0.3 * (m_id % 5); // amperes on a 5 A secondary
    switch (address) {
    case PhaseARegister:
        return rounded(load
            * (1 + 0.12 * wave(t, 240, m_id) + 0.04 * wave(t, 31, 2 * m_id)
                + 0.015 * noise(m_id, 0, t))
            / unit);
    case PhaseCRegister:
        return rounded(0.96 * load
            * (1 + 0.12 * wave(t, 240, m_id + 0.3) + 0.04 * wave(t, 37, 3 * m_id)
                + 0.015 * noise(m_id, 1, t))
            / unit);
    case ZeroCurrentRegister: // milliamperes
        if (!(modules & (ModuleZnz3I0 | ModuleZnz3I03U0)))
            return 0;
        return rounded(
            (20 + 4 * (m_id % 4)) * (1 + 0.2 * wave(t, 90, m_id)) + 2 * noise(m_id, 2, t));
    case ZeroVoltageRegister: // tenths of a volt
        if (!(modules & ModuleZnz3I03U0))
            return 0;
        return rounded((15 + 3 * (m_id % 3)) * (1 + 0.25 * wave(t, 120, m_id)) + noise(m_id, 3, t));
    case AngleRegister: // signed degrees
        if (!(modules & ModuleZnz3I03U0))
            return 0;
        return static_cast<quint16>(static_cast<qint16>(
            std::lround(80 - 45 * (m_id % 4) + 8 * wave(t, 150, m_id) + 2 * noise(m_id, 4, t))));
    default:
        return 0;
    }
}

quint16 RelayState::clockRegister(int address) const
{
    quint16 time[3];
    writeTime(time, clock());
    return time[address - YearMonthRegister];
}
