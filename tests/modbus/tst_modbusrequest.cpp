// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/modbusrequest.h"

#include <QtTest>

#include <map>
#include <random>

class ModbusRequestTest : public QObject
{
    Q_OBJECT

private slots:
    void windowBounds_data();
    void windowBounds();
    void addressesOutsideTheWindowAreHarmless();
    void bitsStoreZeroOrOne();
    void resetReplacesWindow();
    void randomWindowsMatchAModel_data();
    void randomWindowsMatchAModel();

    void constructorsPickTheDataType();
    void copiesShareTheResultCell();
    void replyRunsTheHandlerAfterStoringSuccess();
    void failureGivesHandlersAnEmptyContainer();
    void buildersFillOnlyTheirOwnContainer();
};

void ModbusRequestTest::windowBounds_data()
{
    QTest::addColumn<quint16>("start");
    QTest::addColumn<quint16>("count");
    QTest::addColumn<quint16>("address");
    QTest::addColumn<bool>("contained");

    QTest::newRow("first") << quint16(16) << quint16(6) << quint16(16) << true;
    QTest::newRow("last") << quint16(16) << quint16(6) << quint16(21) << true;
    QTest::newRow("one past the end") << quint16(16) << quint16(6) << quint16(22) << false;
    QTest::newRow("one before the start") << quint16(16) << quint16(6) << quint16(15) << false;
    QTest::newRow("empty window") << quint16(16) << quint16(0) << quint16(16) << false;
    QTest::newRow("top of the address space")
        << quint16(65535) << quint16(1) << quint16(65535) << true;
}

void ModbusRequestTest::windowBounds()
{
    QFETCH(quint16, start);
    QFETCH(quint16, count);
    QFETCH(quint16, address);
    QFETCH(bool, contained);

    QCOMPARE(ModbusRegisters(start, count).contains(address), contained);
    QCOMPARE(ModbusBits(start, count).contains(address), contained);
}

void ModbusRequestTest::addressesOutsideTheWindowAreHarmless()
{
    ModbusRegisters registers(100, 2);
    registers.setValue(100, 7);
    registers.setValue(101, 8);

    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("outside the window"));
    registers.setValue(102, 0xDEAD);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("outside the window"));
    QCOMPARE(registers.value(99), quint16(0));
    QCOMPARE(registers.value(100), quint16(7));
    QCOMPARE(registers.value(101), quint16(8));
    QCOMPARE(registers.count(), 2);

    ModbusBits empty;
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("outside the window"));
    QCOMPARE(empty.value(0), false);
}

void ModbusRequestTest::bitsStoreZeroOrOne()
{
    ModbusBits bits(0x1000, 4);
    bits.setValue(0x1001, true);
    QCOMPARE(bits.data()[1], quint8(1));
    bits.setValue(0x1001, false);
    QCOMPARE(bits.data()[1], quint8(0));

    // libmodbus may hand back any non-zero byte for a set bit.
    bits.data()[2] = 0xFF;
    bits.data()[3] = 2;
    QCOMPARE(bits.value(0x1002), true);
    QCOMPARE(bits.value(0x1003), true);
    QCOMPARE(bits.value(0x1000), false);
}

void ModbusRequestTest::resetReplacesWindow()
{
    ModbusRegisters registers(10, 3);
    registers.setValue(11, 5);
    registers.reset(40, 5);
    QCOMPARE(registers.startAddress(), quint16(40));
    QCOMPARE(registers.count(), 5);
    for (quint16 address = 40; address < 45; ++address)
        QCOMPARE(registers.value(address), quint16(0));
    QVERIFY(!registers.contains(11));
}

namespace {

// What a window should hold: plain arithmetic on ints, a map of the values set.
struct WindowModel
{
    int start = 0;
    int count = 0;
    std::map<int, int> values;

    bool contains(int address) const { return address >= start && address - start < count; }
    int value(int address) const
    {
        const auto it = values.find(address);
        return contains(address) && it != values.end() ? it->second : 0;
    }
};

// Counts the complaints about addresses outside the window instead of printing thousands.
class OutsideWindowMessages
{
public:
    OutsideWindowMessages() { s_previous = qInstallMessageHandler(handle); }
    ~OutsideWindowMessages() { qInstallMessageHandler(s_previous); }

    int count() const { return s_count; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (text.contains(QLatin1String("outside the window")))
            ++s_count;
        else
            s_previous(type, context, text);
    }

    static inline int s_count = 0;
    static inline QtMessageHandler s_previous = nullptr;
};

// Runs random operations on a container and its model side by side. The seed and the number of
// operations are fixed, so a failure repeats; addresses favour the window's edges and the ends of
// the address space, where off-by-one and wrap-around faults live.
template<typename Window>
void exerciseWindow(quint32 seed, int operations)
{
    std::mt19937 random(seed);
    const auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto anyStart = [&pick]() {
        switch (pick(0, 3)) {
        case 0:
            return pick(0, 3);
        case 1:
            return pick(65530, 65535);
        default:
            return pick(0, 65535);
        }
    };
    const auto anyAddress = [&pick](const WindowModel &model) {
        switch (pick(0, 5)) {
        case 0:
            return model.start - 1;
        case 1:
            return model.start + model.count;
        case 2:
            return model.start + model.count - 1;
        case 3:
            return pick(0, 65535);
        default:
            return model.count > 0 ? model.start + pick(0, model.count - 1) : model.start;
        }
    };

    using Stored = std::remove_pointer_t<decltype(Window().data())>;
    using Value = decltype(Window().value(0));
    constexpr bool isBits = std::is_same<Window, ModbusBits>::value;
    Window window;
    WindowModel model;
    int expectedOutside = 0;
    const OutsideWindowMessages messages;
    const int messagesBefore = messages.count();
    for (int i = 0; i < operations; ++i) {
        const int address = anyAddress(model);
        // Addresses are quint16 on the wire; anything else wraps as it would there.
        const quint16 wire = quint16(address);
        const int wrapped = wire;
        switch (pick(0, 9)) {
        case 0:
            model.start = anyStart();
            model.count = pick(0, 9) == 0 ? pick(0, 2000) : pick(0, 130);
            model.values.clear();
            window.reset(quint16(model.start), quint16(model.count));
            break;
        case 1:
        case 2:
        case 3: {
            const int value = isBits ? pick(0, 1) : pick(0, 65535);
            window.setValue(wire, Value(value));
            if (model.contains(wrapped))
                model.values[wrapped] = value;
            else
                ++expectedOutside;
            break;
        }
        case 4: {
            // libmodbus writes straight into the storage: one byte per bit may hold anything.
            if (model.count == 0)
                break;
            const int offset = pick(0, model.count - 1);
            const int raw = isBits ? pick(0, 255) : pick(0, 65535);
            window.data()[offset] = Stored(raw);
            model.values[model.start + offset] = isBits ? raw != 0 : raw;
            break;
        }
        case 5: {
            // A copy is a value of its own.
            const Window copy = window;
            if (model.contains(wrapped)) {
                window.setValue(wire, 0);
                QCOMPARE(int(copy.value(wire)), model.value(wrapped));
                model.values[wrapped] = 0;
            }
            break;
        }
        default:
            QCOMPARE(window.contains(wire), model.contains(wrapped));
            QCOMPARE(int(window.value(wire)), model.value(wrapped));
            if (!model.contains(wrapped))
                ++expectedOutside;
            break;
        }
        QCOMPARE(int(window.startAddress()), model.start);
        QCOMPARE(window.count(), model.count);
        QCOMPARE(window.isEmpty(), model.count == 0);
    }
    // Every stray address was refused with a message, none silently.
    QCOMPARE(messages.count() - messagesBefore, expectedOutside);
}

} // namespace

void ModbusRequestTest::randomWindowsMatchAModel_data()
{
    QTest::addColumn<bool>("bits");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("registers") << false << 20240611u;
    QTest::newRow("bits") << true << 20240612u;
}

void ModbusRequestTest::randomWindowsMatchAModel()
{
    QFETCH(bool, bits);
    QFETCH(quint32, seed);
    constexpr int Operations = 20000;
    if (bits)
        exerciseWindow<ModbusBits>(seed, Operations);
    else
        exerciseWindow<ModbusRegisters>(seed, Operations);
}

void ModbusRequestTest::constructorsPickTheDataType()
{
    const ModbusRequest none;
    QCOMPARE(none.dataType(), ModbusRequest::NoType);
    QVERIFY(!none.isValid());
    QVERIFY(none.isEnabled());
    QCOMPARE(none.result(), ModbusRequest::NoResult);

    const ModbusRequest bitsRead(
        ModbusRequest::ReadCoils, 0x1008, 8, ModbusRequest::BitsReplyHandler());
    const ModbusRequest registersRead(
        ModbusRequest::ReadHoldingRegisters, 0, 10, ModbusRequest::RegistersReplyHandler());
    const ModbusRequest bitsWrite(
        ModbusRequest::WriteSingleCoil, 0x2000, 1, ModbusRequest::BitsBuilder());
    const ModbusRequest registersWrite(
        ModbusRequest::WriteSingleRegister, 25, 1, ModbusRequest::RegistersBuilder());
    QCOMPARE(bitsRead.dataType(), ModbusRequest::Bits);
    QCOMPARE(registersRead.dataType(), ModbusRequest::Registers);
    QCOMPARE(bitsWrite.dataType(), ModbusRequest::Bits);
    QCOMPARE(registersWrite.dataType(), ModbusRequest::Registers);
    QCOMPARE(registersRead.startAddress(), quint16(0));
    QCOMPARE(registersRead.count(), quint16(10));
    QVERIFY(registersRead.isValid());
    QCOMPARE(registersRead.result(), ModbusRequest::NoResult);
}

void ModbusRequestTest::copiesShareTheResultCell()
{
    ModbusRequest original(
        ModbusRequest::ReadHoldingRegisters, 24, 1, ModbusRequest::RegistersReplyHandler());
    ModbusRequest copy = original;
    copy.setFailed(ModbusRequest::Timeout);
    QCOMPARE(original.result(), ModbusRequest::Timeout);

    // Enabled flag and count belong to each copy.
    copy.setEnabled(false);
    copy.setCount(5);
    QVERIFY(original.isEnabled());
    QCOMPARE(original.count(), quint16(1));

    const ModbusRequest fresh(
        ModbusRequest::ReadHoldingRegisters, 24, 1, ModbusRequest::RegistersReplyHandler());
    QCOMPARE(fresh.result(), ModbusRequest::NoResult);
}

void ModbusRequestTest::replyRunsTheHandlerAfterStoringSuccess()
{
    ModbusRequest::Result seenInCell = ModbusRequest::NoResult;
    quint16 seenValue = 0;
    int calls = 0;
    ModbusRequest request;
    request = ModbusRequest(ModbusRequest::ReadHoldingRegisters, 16, 6,
        [&](ModbusRequest::Result result, const ModbusRegisters &registers) {
            ++calls;
            QCOMPARE(result, ModbusRequest::Success);
            seenInCell = request.result();
            seenValue = registers.value(18);
        });
    ModbusRegisters reply(16, 6);
    reply.setValue(18, 250);
    request.setRegistersReply(reply);
    QCOMPARE(calls, 1);
    QCOMPARE(seenInCell, ModbusRequest::Success);
    QCOMPARE(seenValue, quint16(250));
}

void ModbusRequestTest::failureGivesHandlersAnEmptyContainer()
{
    int calls = 0;
    ModbusRequest read(ModbusRequest::ReadDiscreteInputs, 0x1000, 4,
        [&](ModbusRequest::Result result, const ModbusBits &bits) {
            ++calls;
            QCOMPARE(result, ModbusRequest::Error);
            QVERIFY(bits.isEmpty());
            QCOMPARE(bits.startAddress(), quint16(0));
        });
    read.setFailed(ModbusRequest::Error);
    QCOMPARE(calls, 1);
    QCOMPARE(read.result(), ModbusRequest::Error);

    int builds = 0;
    ModbusRequest write(
        ModbusRequest::WriteSingleRegister, 25, 1, [&](ModbusRegisters &) { ++builds; });
    write.setFailed(ModbusRequest::Timeout);
    QCOMPARE(write.result(), ModbusRequest::Timeout);
    write.setRegistersReply(ModbusRegisters());
    QCOMPARE(write.result(), ModbusRequest::Success);
    QCOMPARE(builds, 0);
}

void ModbusRequestTest::buildersFillOnlyTheirOwnContainer()
{
    const ModbusRequest write(ModbusRequest::WriteSingleRegister, 25, 1,
        [](ModbusRegisters &registers) { registers.setValue(25, 1234); });
    ModbusRegisters registers(25, 1);
    ModbusBits bits(25, 1);
    write.fillBits(bits);
    write.fillRegisters(registers);
    QCOMPARE(registers.value(25), quint16(1234));
    QCOMPARE(bits.value(25), false);
}

QTEST_GUILESS_MAIN(ModbusRequestTest)
#include "tst_modbusrequest.moc"
