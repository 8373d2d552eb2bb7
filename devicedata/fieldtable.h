// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FIELDTABLE_H
#define FIELDTABLE_H

#include "devicedata/blockhelpers.h"
#include "devicedata/devicedata.h"
#include "devicedata/valueranges.h"

#include <QCoreApplication>
#include <QLocale>
#include <QString>
#include <QVector>

#include <algorithm>
#include <functional>

// A text translated when shown, in the context of the panel that shows it, so
// that a panel, a report and a settings comparison say the same words.
struct TranslatedText
{
    const char *context = nullptr;
    // Source text and disambiguation, as QT_TRANSLATE_NOOP3 gives them.
    struct
    {
        const char *source = nullptr;
        const char *comment = nullptr;
    } text;

    bool isNull() const { return !text.source; }
    QString translated() const
    {
        return text.source ? QCoreApplication::translate(context, text.source, text.comment)
                           : QString();
    }
};

// A code a field may hold and what it means.
struct CodeText
{
    qint64 code = 0;
    TranslatedText text = {};
};

// The codes a code field may hold, in ascending order, with the text of each:
// the one list both the editors' choices and the shown texts come from.
class CodeTable
{
public:
    constexpr CodeTable() = default;
    template<size_t N>
    constexpr CodeTable(const CodeText (&entries)[N]) : m_first(entries), m_last(entries + N)
    {
    }

    const CodeText *begin() const { return m_first; }
    const CodeText *end() const { return m_last; }
    bool contains(qint64 code) const;
    QVector<qint64> codes() const;
    // Empty for a value without data and for a code the table does not
    // know: an unknown code is shown blank rather than as an error.
    QString text(const DataValue &code) const;

private:
    const CodeText *m_first = nullptr;
    const CodeText *m_last = nullptr;
};

// What a field's enabling rule may look at: the installed modules and the
// values of the relay's other fields, by register.
struct FieldContext
{
    DataValue modules;
    std::function<DataValue(quint16 address)> valueAt;
};

// Whether the relay uses a field: an absent module or a protection switched
// off by its mode leaves it unused, and the panels disable it.
using FieldRule = bool (*)(const FieldContext &context);

// Where a flag set's flags are kept, in flag order: bit numbers of its
// register, or the addresses of the coils or discrete inputs a block reads.
struct FlagList
{
    const FlagPosition *first = nullptr;
    const FlagPosition *last = nullptr;

    constexpr FlagList() = default;
    template<size_t N>
    constexpr FlagList(const FlagPosition (&positions)[N]) : first(positions), last(positions + N)
    {
    }
    const FlagPosition *begin() const { return first; }
    const FlagPosition *end() const { return last; }
};

// Everything known of one register, or one flag set, besides where its value is kept.
//
// Tables build their rows with the field functions below and the named
// setters, so that every value says which member it is for:
//   numberField(34, "mtzPickupCurrent", ValueRanges::mtzPickupCurrent)
//       .inGroup(MtzToGroup).labelled(PickupCurrentLabel).withUnit(Amperes)
//       .scaledByRangeMultiplier()
// The members keep their defaults where a row says nothing of them.
struct FieldDescription
{
    // Number: the register as it is. Signed: the register read as a signed
    // 16-bit number. DoubleWord: 32 bits, the high word first. Flags: a flag
    // set gathered from the positions in `flags`.
    enum Kind { Number, Code, Signed, DoubleWord, Flags };

    // No positional initialiser: a member added or moved must not shift a
    // table's values into the wrong field.
    constexpr FieldDescription() = default;
    constexpr FieldDescription(Kind kind, quint16 address, const char *name)
        : address(address), name(name), kind(kind)
    {
    }

    // A copy with `member` set to `value`: what the named setters below and the
    // field functions after this class are made of.
    template<typename Member>
    constexpr FieldDescription with(Member FieldDescription::*member, Member value) const
    {
        FieldDescription field = *this;
        field.*member = value;
        return field;
    }

    constexpr FieldDescription inGroup(TranslatedText text) const
    {
        return with(&FieldDescription::group, text);
    }
    constexpr FieldDescription labelled(TranslatedText text) const
    {
        return with(&FieldDescription::label, text);
    }
    constexpr FieldDescription withUnit(TranslatedText text) const
    {
        return with(&FieldDescription::unit, text);
    }
    constexpr FieldDescription scaledByRangeMultiplier() const
    {
        return with(&FieldDescription::scaledByCurrentRange, true);
    }
    constexpr FieldDescription usedWhen(FieldRule rule) const
    {
        return with(&FieldDescription::inUse, rule);
    }
    // `moduleFlags`: ModuleFlags, of which one must be installed.
    constexpr FieldDescription needsOneOf(qint64 moduleFlags) const
    {
        return with(&FieldDescription::modules, moduleFlags);
    }

    quint16 address = 0;
    // The record member's name; settings files know the field by it.
    const char *name = nullptr;
    Kind kind = Number;
    TranslatedText group = {};
    TranslatedText label = {};
    // A number's unit as the panels append it to the value (" A").
    TranslatedText unit = {};
    // A number's limits and decimals; its step is what one register unit is worth.
    ValueRange range = {};
    // The pick-up currents: limits and step grow with the range multiplier.
    bool scaledByCurrentRange = false;
    CodeTable codes = {};
    // Null: in use whenever its modules are installed.
    FieldRule inUse = nullptr;
    // The modules (ModuleFlags) of which one must be installed for the
    // field to mean anything; 0: it belongs to the relay itself.
    qint64 modules = 0;
    FlagList flags = {};

    bool isInstalled(const DataValue &installedModules) const
    {
        return !modules
            || (installedModules.status != NoData && (installedModules.value & modules));
    }
    bool isInUse(const FieldContext &context) const
    {
        return isInstalled(context.modules) && (!inUse || inUse(context));
    }
    // Whether the relay takes `raw`: a code of the code table, a number
    // within the range. A pick-up current's limits and step grow alike with
    // the range multiplier, so its raw limits do not depend on it.
    bool acceptsRaw(qint64 raw) const;
    // A number in engineering units: a pick-up current at `rangeMultiplier`.
    double shownNumber(qint64 raw, qint64 rangeMultiplier = 1) const;
    // A raw value as the panels show it, with its unit where it has one; a
    // code the table does not know is given as its number.
    QString shownText(
        qint64 raw, qint64 rangeMultiplier = 1, const QLocale &locale = QLocale()) const;
    QString unitText() const { return unit.translated().trimmed(); }
    // How many registers a field of this kind occupies.
    constexpr int width() const { return kind == DoubleWord ? 2 : 1; }
    // The field's value in a read of its registers, or of coils or discrete inputs.
    qint64 decode(const ModbusRegisters &registers) const;
    qint64 decode(const ModbusBits &bits) const;
};

// A register read as it is, with neither limits nor unit.
constexpr FieldDescription registerField(quint16 address, const char *name)
{
    return { FieldDescription::Number, address, name };
}

// Two registers, the high word first.
constexpr FieldDescription doubleWordField(quint16 address, const char *name)
{
    return { FieldDescription::DoubleWord, address, name };
}

// A number within `range`, whose step is what one register unit is worth.
constexpr FieldDescription numberField(quint16 address, const char *name, ValueRange range)
{
    return registerField(address, name).with(&FieldDescription::range, range);
}

// numberField() of a register read as a signed 16-bit number.
constexpr FieldDescription signedField(quint16 address, const char *name, ValueRange range)
{
    return numberField(address, name, range)
        .with(&FieldDescription::kind, FieldDescription::Signed);
}

// One of the codes of `codes`.
constexpr FieldDescription codeField(quint16 address, const char *name, CodeTable codes)
{
    return FieldDescription(FieldDescription::Code, address, name)
        .with(&FieldDescription::codes, codes);
}

// A flag set kept at `address`: in the bits of that register, or on the coils
// or discrete inputs from that address on, as `flags` says.
constexpr FieldDescription flagSet(quint16 address, const char *name, FlagList flags)
{
    return FieldDescription(FieldDescription::Flags, address, name)
        .with(&FieldDescription::flags, flags);
}

// A field of a block's record: its description and the member holding its value.
template<typename Record>
struct Field
{
    DataValue Record::*member;
    FieldDescription description;
};

namespace FieldTableDetail {

constexpr bool sameName(const char *first, const char *second)
{
    while (*first && *first == *second) {
        ++first;
        ++second;
    }
    return *first == *second;
}

// A flag set on coils or discrete inputs starts at its address with its
// lowest one; a flag set in a register names bits 0 to 15 of it. (A register
// set at an address below 16 that names that bit number is taken for coils,
// which only reserves more addresses after it.)
constexpr bool isOnCoils(const FieldDescription &field)
{
    int lowest = 0xFFFF;
    for (const FlagPosition *flag = field.flags.first; flag != field.flags.last; ++flag)
        lowest = std::min(lowest, flag->position);
    return lowest == field.address;
}

// Each position and each flag (one bit, not 0) is named once: two flags on
// one coil, or one flag from two, would read wrong without a sign.
constexpr bool isWellFormedFlagSet(const FieldDescription &field)
{
    if (field.flags.first == field.flags.last)
        return false;
    const bool onCoils = isOnCoils(field);
    for (const FlagPosition *flag = field.flags.first; flag != field.flags.last; ++flag) {
        if (flag->flag <= 0 || (flag->flag & (flag->flag - 1)))
            return false;
        if (!onCoils && (flag->position < 0 || flag->position > 15))
            return false;
        for (const FlagPosition *other = field.flags.first; other != flag; ++other) {
            if (other->position == flag->position || other->flag == flag->flag)
                return false;
        }
    }
    return true;
}

// The first address after a field: a flag set on coils or discrete inputs
// reaches past its highest one.
constexpr int endAddress(const FieldDescription &field)
{
    int end = field.address + field.width();
    if (field.kind == FieldDescription::Flags && isOnCoils(field)) {
        for (const FlagPosition *flag = field.flags.first; flag != field.flags.last; ++flag)
            end = std::max(end, flag->position + 1);
    }
    return end;
}

} // namespace FieldTableDetail

// Whether a table is in register (or coil) order, each field after the
// registers or coils of the one before, names each field once, and its flag
// sets are sound. The tables assert it.
template<typename Record, size_t N>
constexpr bool isWellFormed(const Field<Record> (&fields)[N])
{
    for (size_t i = 0; i < N; ++i) {
        const FieldDescription &field = fields[i].description;
        if (!field.name)
            return false;
        if (field.kind == FieldDescription::Flags && !FieldTableDetail::isWellFormedFlagSet(field))
            return false;
        for (size_t j = 0; j < i; ++j) {
            if (FieldTableDetail::sameName(fields[j].description.name, field.name))
                return false;
        }
        if (i > 0 && field.address < FieldTableDetail::endAddress(fields[i - 1].description))
            return false;
    }
    return true;
}

// A block's field table, in register order, as the block exposes it.
template<typename Record>
class FieldList
{
public:
    template<size_t N>
    constexpr FieldList(const Field<Record> (&fields)[N]) : m_begin(fields), m_end(fields + N)
    {
    }

    const Field<Record> *begin() const { return m_begin; }
    const Field<Record> *end() const { return m_end; }
    int size() const { return int(m_end - m_begin); }

private:
    const Field<Record> *m_begin;
    const Field<Record> *m_end;
};

// Every field of `fields` decoded from one read of their registers (or
// coils, or discrete inputs), Valid.
template<typename Record, typename Reply>
Record decodeFields(FieldList<Record> fields, const Reply &reply)
{
    Record record;
    for (const Field<Record> &field : fields)
        record.*field.member = validValue(field.description.decode(reply));
    return record;
}

template<typename Record>
void markFieldsOutdated(FieldList<Record> fields, Record &record)
{
    for (const Field<Record> &field : fields)
        markOutdated(record.*field.member);
}

// One single-register write per field, in table order, of the pending record.
template<typename Record>
void appendFieldWrites(
    QVector<ModbusRequest> &requests, FieldList<Record> fields, const Record &pending)
{
    for (const Field<Record> &field : fields)
        requests.append(singleRegisterWrite(field.description.address, pending, field.member));
}

// The read of every register from the table's first to its last.
template<typename Record>
ModbusRequest fieldsRead(FieldList<Record> fields, ModbusRequest::RegistersReplyHandler handler)
{
    const quint16 first = fields.begin()->description.address;
    const FieldDescription &last = (fields.end() - 1)->description;
    return ModbusRequest(ModbusRequest::ReadHoldingRegisters, first,
        quint16(last.address + last.width() - first), std::move(handler));
}

// The read of every coil or discrete input (`function`) the table's flag
// sets name, from the lowest to the highest address.
template<typename Record>
ModbusRequest fieldsRead(
    FieldList<Record> fields, int function, ModbusRequest::BitsReplyHandler handler)
{
    int first = 0xFFFF;
    int last = 0;
    for (const Field<Record> &field : fields) {
        for (const FlagPosition &flag : field.description.flags) {
            first = std::min(first, flag.position);
            last = std::max(last, flag.position);
        }
    }
    return ModbusRequest(function, quint16(first), quint16(last - first + 1), std::move(handler));
}

// A block whose record is a field per register (or flag set), read in one
// request. A ReadWrite block is written back one register at a time: a
// write sends the record last given to setPendingValues(), which neither a
// write nor a reset changes. Reads of coils or discrete inputs name their
// function; the others read holding registers.
template<typename Record>
class FieldBlock : public DeviceData
{
public:
    FieldList<Record> fields() const { return m_fields; }

protected:
    enum Access { ReadOnly, ReadWrite };

    FieldBlock(FieldList<Record> fields, QObject *parent, Access access = ReadWrite)
        : DeviceData(parent), m_fields(fields)
    {
        readRequests().append(fieldsRead(
            fields, [this](ModbusRequest::Result result, const ModbusRegisters &registers) {
                onReply(result, registers);
            }));
        if (access == ReadWrite)
            appendFieldWrites(writeRequests(), fields, m_pendingValues);
    }
    FieldBlock(FieldList<Record> fields, int bitsFunction, QObject *parent)
        : DeviceData(parent), m_fields(fields)
    {
        readRequests().append(fieldsRead(
            fields, bitsFunction, [this](ModbusRequest::Result result, const ModbusBits &bits) {
                onReply(result, bits);
            }));
    }

    const Record &values() const { return m_values; }
    void setPendingValues(const Record &values) { m_pendingValues = values; }
    void resetData() override { m_values = Record(); }

private:
    template<typename Reply>
    void onReply(ModbusRequest::Result result, const Reply &reply)
    {
        updateRecord(
            m_values, result, [this, &reply] { return decodeFields(m_fields, reply); },
            [this](Record &record) { markFieldsOutdated(m_fields, record); });
    }

    FieldList<Record> m_fields;
    Record m_values;
    Record m_pendingValues;
};

#endif // FIELDTABLE_H
