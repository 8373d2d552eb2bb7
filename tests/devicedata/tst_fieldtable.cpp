// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/crashcountdata.h"
#include "devicedata/deviceinfodata.h"
#include "devicedata/discreteinputsdata.h"
#include "devicedata/ledsdata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/meteragedata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/relaysettings.h"
#include "devicedata/setpointsdata.h"

#include <QHash>
#include <QtTest>

namespace {

template<typename Record>
const FieldDescription *findField(FieldList<Record> fields, const char *name)
{
    for (const Field<Record> &field : fields) {
        if (qstrcmp(field.description.name, name) == 0)
            return &field.description;
    }
    return nullptr;
}

// Every settable field of the three blocks, by name.
const FieldDescription *settableField(const QByteArray &name)
{
    static const MeterageConfigurationData meterage;
    static const ProtectionConfigurationData protection;
    static const SetpointsData setpoints;
    if (const FieldDescription *field = findField(meterage.fields(), name))
        return field;
    if (const FieldDescription *field = findField(protection.fields(), name))
        return field;
    return findField(setpoints.fields(), name);
}

// A record of every kind a register can hold, and one of flags on coils.
struct Mixed
{
    DataValue angle;
    DataValue serial;
    DataValue flags;
    DataValue plain;
};

const FlagPosition MixedBits[] = { { 2, 0x1 }, { 0, 0x4 } };
const FlagPosition MixedCoils[] = { { 0x13, 0x1 }, { 0x10, 0x2 } };

// 14 is read along and not decoded.
const Field<Mixed> MixedFields[] = {
    { &Mixed::angle, signedField(10, "angle", {}) },
    { &Mixed::serial, doubleWordField(11, "serial") },
    { &Mixed::flags, flagSet(13, "flags", MixedBits) },
    { &Mixed::plain, registerField(15, "plain") },
};

const Field<Mixed> CoilFields[] = {
    { &Mixed::flags, flagSet(0x10, "flags", MixedCoils) },
};

// Flag sets a table must not hold, each beside a sound field.
const FlagPosition CoilTwice[] = { { 0x10, 0x1 }, { 0x11, 0x2 }, { 0x10, 0x4 } };
const FlagPosition FlagTwice[] = { { 0x10, 0x1 }, { 0x11, 0x1 } };
const FlagPosition NoFlag[] = { { 0x10, 0x1 }, { 0x11, 0 } };
const FlagPosition TwoFlagsInOne[] = { { 0x10, 0x1 }, { 0x11, 0x6 } };
const FlagPosition BitPastTheRegister[] = { { 0, 0x1 }, { 16, 0x2 } };
const FlagPosition BitTwice[] = { { 3, 0x1 }, { 3, 0x2 } };
const FlagPosition LaterCoils[] = { { 0x13, 0x1 }, { 0x14, 0x2 } };

const Field<Mixed> CoilTwiceFields[] = { { &Mixed::flags, flagSet(0x10, "flags", CoilTwice) } };
const Field<Mixed> FlagTwiceFields[] = { { &Mixed::flags, flagSet(0x10, "flags", FlagTwice) } };
const Field<Mixed> NoFlagFields[] = { { &Mixed::flags, flagSet(0x10, "flags", NoFlag) } };
const Field<Mixed> TwoFlagsInOneFields[] = {
    { &Mixed::flags, flagSet(0x10, "flags", TwoFlagsInOne) },
};
const Field<Mixed> BitPastTheRegisterFields[] = {
    { &Mixed::plain, registerField(12, "plain") },
    { &Mixed::flags, flagSet(13, "flags", BitPastTheRegister) },
};
const Field<Mixed> BitTwiceFields[] = { { &Mixed::flags, flagSet(13, "flags", BitTwice) } };
const Field<Mixed> EmptyFlagSetFields[] = { { &Mixed::flags, flagSet(13, "flags", {}) } };
// The first set reaches 0x13, where the second begins.
const Field<Mixed> OverlappingCoilFields[] = {
    { &Mixed::flags, flagSet(0x10, "flags", MixedCoils) },
    { &Mixed::plain, flagSet(0x13, "plain", LaterCoils) },
};
// A register after a flag set of bits: the bit numbers reserve no registers.
const Field<Mixed> RegisterAfterBitsFields[] = {
    { &Mixed::flags, flagSet(13, "flags", MixedBits) },
    { &Mixed::plain, registerField(14, "plain") },
};

// A table's fields in order, each after the registers of the one before;
// their names are added to `names`, where none may be yet.
template<typename Record>
void verifyTable(FieldList<Record> fields, QSet<QByteArray> &names)
{
    int next = 0;
    for (const Field<Record> &field : fields) {
        const FieldDescription &description = field.description;
        QVERIFY2(description.address >= next, description.name);
        QVERIFY2(!names.contains(description.name), description.name);
        names.insert(description.name);
        next = description.address + description.width();
    }
}

FieldContext contextOf(DataValue modules, const QHash<quint16, qint64> &values)
{
    return { modules, [values](quint16 address) {
                return values.contains(address) ? validValue(values.value(address)) : DataValue();
            } };
}

} // namespace

class TestFieldTable : public QObject
{
    Q_OBJECT

private slots:
    void rawValuesWithinTheirRow_data();
    void rawValuesWithinTheirRow();
    void shownTextFollowsThePanels_data();
    void shownTextFollowsThePanels();
    void fieldsInUseFollowModulesAndModes_data();
    void fieldsInUseFollowModulesAndModes();
    void namesAreUniqueAndAddressesAscend();
    void registersDecodeByKind();
    void flagSetsOnCoils();
    void unsoundFlagSetsAreRefused();
    void fieldsNeedOneOfTheirModules();
};

void TestFieldTable::rawValuesWithinTheirRow_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("Kt below") << QByteArray("currentTransFactor") << qint64(0) << false;
    QTest::newRow("Kt lowest") << QByteArray("currentTransFactor") << qint64(1) << true;
    QTest::newRow("Kt highest") << QByteArray("currentTransFactor") << qint64(5000) << true;
    QTest::newRow("Kt above") << QByteArray("currentTransFactor") << qint64(5001) << false;
    // 0.1 to 0.5 s in tenths: the step must not round the limits away.
    QTest::newRow("resetting 0.1 s") << QByteArray("mtzInstantResettingTime") << qint64(1) << true;
    QTest::newRow("resetting 0.5 s") << QByteArray("mtzInstantResettingTime") << qint64(5) << true;
    QTest::newRow("resetting 0.6 s") << QByteArray("mtzInstantResettingTime") << qint64(6) << false;
    QTest::newRow("MTZ pick-up lowest") << QByteArray("mtzPickupCurrent") << qint64(100) << true;
    QTest::newRow("MTZ pick-up above") << QByteArray("mtzPickupCurrent") << qint64(451) << false;
    QTest::newRow("TO delay 0.04 s") << QByteArray("toReactionDelay") << qint64(4) << false;
    QTest::newRow("angle 180") << QByteArray("znz3I03U0LastAngle") << qint64(180) << true;
    QTest::newRow("negative") << QByteArray("mtzToResettingDelay") << qint64(-1) << false;
    QTest::newRow("range code 0") << QByteArray("currentRange") << qint64(0) << false;
    QTest::newRow("range code 4") << QByteArray("currentRange") << qint64(4) << true;
    QTest::newRow("range code 5") << QByteArray("currentRange") << qint64(5) << false;
    QTest::newRow("DI block 2 s") << QByteArray("diBlockToMode") << qint64(20) << true;
    QTest::newRow("DI block 1 s") << QByteArray("diBlockToMode") << qint64(10) << false;
    QTest::newRow("ZNZ mode 2") << QByteArray("znzMode") << qint64(2) << true;
    QTest::newRow("APV mode 0") << QByteArray("apvMode") << qint64(0) << false;
    QTest::newRow("curve 5") << QByteArray("mtzPickupCharacteristic") << qint64(5) << true;
}

void TestFieldTable::rawValuesWithinTheirRow()
{
    QFETCH(QByteArray, name);
    QFETCH(qint64, raw);
    QFETCH(bool, accepted);

    const FieldDescription *field = settableField(name);
    QVERIFY(field);
    QCOMPARE(field->acceptsRaw(raw), accepted);
}

void TestFieldTable::shownTextFollowsThePanels_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<qint64>("multiplier");
    QTest::addColumn<QString>("text");

    QTest::newRow("Kt") << QByteArray("currentTransFactor") << qint64(600) << qint64(1)
                        << QString("600");
    QTest::newRow("seconds") << QByteArray("mtzReactionDelay") << qint64(15) << qint64(1)
                             << QString("1.5 sec");
    // A pick-up current counts in steps of the range multiplier.
    QTest::newRow("pick-up, range 2")
        << QByteArray("mtzPickupCurrent") << qint64(250) << qint64(2) << QString("5.00 A");
    QTest::newRow("other currents ignore the range")
        << QByteArray("znzPickupCurrent") << qint64(25) << qint64(8) << QString("0.25 A");
    QTest::newRow("code") << QByteArray("currentRange") << qint64(2) << qint64(1)
                          << QString("2 - 82");
    QTest::newRow("unknown code") << QByteArray("apvMode") << qint64(9) << qint64(1)
                                  << QString("9");
}

void TestFieldTable::shownTextFollowsThePanels()
{
    QFETCH(QByteArray, name);
    QFETCH(qint64, raw);
    QFETCH(qint64, multiplier);
    QFETCH(QString, text);

    const FieldDescription *field = settableField(name);
    QVERIFY(field);
    QCOMPARE(field->shownText(raw, multiplier, QLocale::c()), text);
}

void TestFieldTable::fieldsInUseFollowModulesAndModes_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<DataValue>("modules");
    QTest::addColumn<qint64>("mode");
    QTest::addColumn<bool>("inUse");

    const DataValue none = validValue(0);
    const DataValue all = validValue(ModuleApv | ModuleZnz3I0 | ModuleZnz3U0);
    QTest::newRow("Kt0 without ZNZ")
        << QByteArray("zeroCurrentTransFactor") << none << qint64(0) << false;
    QTest::newRow("Kt0 with 3I0") << QByteArray("zeroCurrentTransFactor")
                                  << validValue(ModuleZnz3I0) << qint64(0) << true;
    QTest::newRow("Kt0, modules unknown")
        << QByteArray("zeroCurrentTransFactor") << DataValue() << qint64(0) << false;
    QTest::newRow("Kt always") << QByteArray("currentTransFactor") << none << qint64(0) << true;
    QTest::newRow("2nd shot, single")
        << QByteArray("apvReactionDelay2nd") << all << qint64(1) << false;
    QTest::newRow("2nd shot, double")
        << QByteArray("apvReactionDelay2nd") << all << qint64(2) << true;
    QTest::newRow("2nd shot without APV")
        << QByteArray("apvReactionDelay2nd") << validValue(ModuleZnz3U0) << qint64(2) << false;
    QTest::newRow("voltage, 3I0 only")
        << QByteArray("znzPickupVoltage") << all << qint64(0) << false;
    QTest::newRow("voltage, 3I0 & 3U0")
        << QByteArray("znzPickupVoltage") << all << qint64(1) << true;
    QTest::newRow("voltage, directional")
        << QByteArray("znzPickupVoltage") << all << qint64(2) << true;
    QTest::newRow("angle, not directional")
        << QByteArray("znz3I03U0FirstAngle") << all << qint64(1) << false;
    QTest::newRow("angle without 3U0")
        << QByteArray("znz3I03U0LastAngle") << validValue(ModuleZnz3I0) << qint64(2) << false;
    QTest::newRow("ZNZ current with 3I0")
        << QByteArray("znzPickupCurrent") << validValue(ModuleZnz3I0) << qint64(0) << true;
    QTest::newRow("MTZ curve, MTZ off")
        << QByteArray("mtzPickupCharacteristic") << none << qint64(0) << false;
    QTest::newRow("MTZ curve, MTZ on")
        << QByteArray("mtzPickupCharacteristic") << none << qint64(1) << true;
    QTest::newRow("resetting, TO on alone")
        << QByteArray("mtzToResettingDelay") << none << qint64(2) << true;
}

void TestFieldTable::fieldsInUseFollowModulesAndModes()
{
    QFETCH(QByteArray, name);
    QFETCH(DataValue, modules);
    QFETCH(qint64, mode);
    QFETCH(bool, inUse);

    // `mode` is every protection's mode at once, except for the TO row,
    // where 2 stands for MTZ off and TO on.
    QHash<quint16, qint64> modes { { 32, mode == 2 ? 0 : mode }, { 36, mode == 2 ? 1 : mode },
        { 40, mode }, { 48, mode } };
    const FieldDescription *field = settableField(name);
    QVERIFY(field);
    QCOMPARE(field->isInUse(contextOf(modules, modes)), inUse);
}

// Settings files find fields by name, so a name may appear in one block only.
void TestFieldTable::namesAreUniqueAndAddressesAscend()
{
    QSet<QByteArray> names;
    verifyTable(deviceInfoFields(), names);
    verifyTable(modulesFields(), names);
    verifyTable(meterageFields(), names);
    verifyTable(meterageConfigurationFields(), names);
    verifyTable(protectionConfigurationFields(), names);
    verifyTable(setpointFields(), names);
    verifyTable(crashCountFields(), names);
    verifyTable(ledsFields(), names);
    verifyTable(discreteInputsFields(), names);
    QCOMPARE(names.size(), 38);

    // The settable fields are written in this order, and found by register.
    // The comparison and the report name each by its group and label.
    int previous = -1;
    for (const SettingsField &field : settingsFields()) {
        const FieldDescription &description = field.description;
        QVERIFY2(description.address > previous, description.name);
        QVERIFY2(!description.group.isNull(), description.name);
        QVERIFY2(!plainLabel(description).isEmpty(), description.name);
        previous = description.address;
    }
    QCOMPARE(settingsFields().size(), 24);
}

void TestFieldTable::registersDecodeByKind()
{
    const FieldList<Mixed> fields(MixedFields);
    // The read reaches the double word's low half and the last field.
    const ModbusRequest read = fieldsRead(fields, {});
    QCOMPARE(read.function(), int(ModbusRequest::ReadHoldingRegisters));
    QCOMPARE(read.startAddress(), quint16(10));
    QCOMPARE(read.count(), quint16(6));

    ModbusRegisters registers(10, 6);
    registers.setValue(10, 0xFFD3); // -45
    registers.setValue(11, 0x0012);
    registers.setValue(12, 0xD687);
    registers.setValue(13, 0b0101);
    registers.setValue(15, 7);
    const Mixed mixed = decodeFields(fields, registers);
    QCOMPARE(mixed.angle, validValue(-45));
    QCOMPARE(mixed.serial, validValue(0x12D687));
    QCOMPARE(mixed.flags, validValue(0x1 | 0x4));
    QCOMPARE(mixed.plain, validValue(7));

    registers.setValue(13, 0b0100);
    QCOMPARE(decodeFields(fields, registers).flags, validValue(0x1));

    Mixed outdated = mixed;
    outdated.plain = DataValue();
    markFieldsOutdated(fields, outdated);
    QCOMPARE(outdated.serial.status, Outdated);
    QCOMPARE(outdated.plain.status, NoData);
}

void TestFieldTable::flagSetsOnCoils()
{
    const FieldList<Mixed> fields(CoilFields);
    const ModbusRequest read = fieldsRead(fields, ModbusRequest::ReadCoils, {});
    QCOMPARE(read.function(), int(ModbusRequest::ReadCoils));
    QCOMPARE(read.startAddress(), quint16(0x10));
    QCOMPARE(read.count(), quint16(4));

    ModbusBits coils(0x10, 4);
    coils.setValue(0x13, true);
    QCOMPARE(decodeFields(fields, coils).flags, validValue(0x1));
    coils.setValue(0x10, true);
    coils.setValue(0x13, false);
    QCOMPARE(decodeFields(fields, coils).flags, validValue(0x2));
}

// The tables assert isWellFormed() as they compile: the LEDs, the discrete
// inputs and the modules among them.
void TestFieldTable::unsoundFlagSetsAreRefused()
{
    QVERIFY(isWellFormed(MixedFields));
    QVERIFY(isWellFormed(CoilFields));
    QVERIFY(isWellFormed(RegisterAfterBitsFields));

    QVERIFY(!isWellFormed(CoilTwiceFields));
    QVERIFY(!isWellFormed(FlagTwiceFields));
    QVERIFY(!isWellFormed(NoFlagFields));
    QVERIFY(!isWellFormed(TwoFlagsInOneFields));
    QVERIFY(!isWellFormed(BitPastTheRegisterFields));
    QVERIFY(!isWellFormed(BitTwiceFields));
    QVERIFY(!isWellFormed(EmptyFlagSetFields));
    QVERIFY(!isWellFormed(OverlappingCoilFields));
}

void TestFieldTable::fieldsNeedOneOfTheirModules()
{
    FieldDescription earthFault;
    earthFault.modules = ModuleZnz3I0 | ModuleZnz3U0;
    QVERIFY(!earthFault.isInstalled(DataValue()));
    QVERIFY(!earthFault.isInstalled(validValue(ModuleApv | ModuleInd)));
    QVERIFY(earthFault.isInstalled(validValue(ModuleZnz3U0)));
    QVERIFY(earthFault.isInstalled({ ModuleZnz3I0, Outdated }));
    // A field of the relay itself needs no module, known or not.
    QVERIFY(FieldDescription().isInstalled(DataValue()));
}

QTEST_GUILESS_MAIN(TestFieldTable)
#include "tst_fieldtable.moc"
