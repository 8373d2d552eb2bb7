// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/identitytext.h"

#include <QLocale>
#include <QtTest>

class IdentityTextTest : public QObject
{
    Q_OBJECT

private slots:
    void serialNumberHasSevenDigits_data();
    void serialNumberHasSevenDigits();
    void softwareVersionIsReadFromHundredths_data();
    void softwareVersionIsReadFromHundredths();
    void softwareVersionKeepsItsPointInAnyLocale();
};

void IdentityTextTest::serialNumberHasSevenDigits_data()
{
    QTest::addColumn<qint64>("serialNumber");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << qint64(0) << "0000000";
    QTest::newRow("short") << qint64(4217) << "0004217";
    QTest::newRow("seven digits") << qint64(1234567) << "1234567";
    QTest::newRow("longer, not cut") << qint64(98765432) << "98765432";
    QTest::newRow("32-bit maximum") << qint64(4294967295) << "4294967295";
}

void IdentityTextTest::serialNumberHasSevenDigits()
{
    QFETCH(qint64, serialNumber);
    QFETCH(QString, text);

    QCOMPARE(serialNumberText(serialNumber), text);
    QCOMPARE(serialNumberText(validValue(serialNumber)), text);
}

void IdentityTextTest::softwareVersionIsReadFromHundredths_data()
{
    QTest::addColumn<qint64>("hundredths");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << qint64(0) << "0.00";
    QTest::newRow("leading zero of the minor") << qint64(105) << "1.05";
    QTest::newRow("whole version") << qint64(1000) << "10.00";
    QTest::newRow("minor only") << qint64(7) << "0.07";
    QTest::newRow("register maximum") << qint64(65535) << "655.35";
}

void IdentityTextTest::softwareVersionIsReadFromHundredths()
{
    QFETCH(qint64, hundredths);
    QFETCH(QString, text);

    QCOMPARE(softwareVersionText(hundredths), text);
    QCOMPARE(softwareVersionText(validValue(hundredths)), text);
}

void IdentityTextTest::softwareVersionKeepsItsPointInAnyLocale()
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString text = softwareVersionText(212);
    QLocale::setDefault(before);
    QCOMPARE(text, QStringLiteral("2.12"));
}

QTEST_GUILESS_MAIN(IdentityTextTest)
#include "tst_identitytext.moc"
