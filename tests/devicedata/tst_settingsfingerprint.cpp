// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/settingsfingerprint.h"
#include "referencecrc32.h"

#include <QtTest>

namespace {

// A value for every settings register, unlike its neighbours'.
SettingsValues everySettingsRegister()
{
    SettingsValues values;
    for (const SettingsField &field : settingsFields())
        values.insert(field.description.address, (field.description.address * 37 + 5) % 65536);
    return values;
}

QByteArray bigEndianWords(const SettingsValues &values)
{
    QByteArray bytes;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        bytes.append(char((quint16(it.value()) >> 8) & 0xff));
        bytes.append(char(quint16(it.value()) & 0xff));
    }
    return bytes;
}

} // namespace

class SettingsFingerprintTest : public QObject
{
    Q_OBJECT

private slots:
    void referenceIsTheStandardCrc32();
    void coversEverySettingsRegisterInAddressOrder();
    void missingRegisterHasNoFingerprint();
    void otherRegistersDoNotCount();
    void textIsEightHexDigits();
};

void SettingsFingerprintTest::referenceIsTheStandardCrc32()
{
    // The check value every CRC-32 implementation publishes.
    QCOMPARE(referenceCrc32("123456789"), 0xcbf43926u);
}

void SettingsFingerprintTest::coversEverySettingsRegisterInAddressOrder()
{
    SettingsValues values = everySettingsRegister();
    QVERIFY(values.size() > 10);
    QCOMPARE(settingsFingerprint(values), referenceCrc32(bigEndianWords(values)));

    // A signed field's negative value counts as its two's-complement word.
    const quint16 first = values.firstKey();
    values[first] = -2;
    QByteArray expected = bigEndianWords(values);
    QCOMPARE(quint8(expected.at(0)), quint8(0xff));
    QCOMPARE(quint8(expected.at(1)), quint8(0xfe));
    QCOMPARE(settingsFingerprint(values), referenceCrc32(expected));
}

void SettingsFingerprintTest::missingRegisterHasNoFingerprint()
{
    SettingsValues values = everySettingsRegister();
    // A copy: the key lastKey() refers to lives in the node remove() frees.
    const quint16 last = values.lastKey();
    values.remove(last);
    QVERIFY(!settingsFingerprint(values).has_value());
    QVERIFY(!settingsFingerprint({}).has_value());
}

void SettingsFingerprintTest::otherRegistersDoNotCount()
{
    const SettingsValues settings = everySettingsRegister();
    SettingsValues withIdentity = settings;
    // The serial number's registers: identity, not settings.
    QVERIFY(!settingsFieldAt(2) && !settingsFieldAt(3));
    withIdentity.insert(2, 0x1234);
    withIdentity.insert(3, 0x5678);
    QCOMPARE(settingsFingerprint(withIdentity), settingsFingerprint(settings));
}

void SettingsFingerprintTest::textIsEightHexDigits()
{
    QCOMPARE(fingerprintText(0xabcdu), QStringLiteral("0000ABCD"));
    QCOMPARE(fingerprintText(0xcbf43926u), QStringLiteral("CBF43926"));
}

QTEST_GUILESS_MAIN(SettingsFingerprintTest)
#include "tst_settingsfingerprint.moc"
