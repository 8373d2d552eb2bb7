// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DAMAGEDSETTINGS_H
#define DAMAGEDSETTINGS_H

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QtTest>

#include <random>

// settings.ini files as a hand edit, a full disk or a stray tool leaves them, for the tests that
// load them.

// A settings.ini holding `value` under every key the program keeps, each in its section.
inline QByteArray everyKey(const QByteArray &value)
{
    static const QList<QByteArray> keys = { "connection_settings/port_name",
        "connection_settings/baud_rate", "connection_settings/data_bits",
        "connection_settings/parity", "connection_settings/stop_bits",
        "device_settings/readiness_delay", "device_settings/response_timeout",
        "preferences/scan_range", "preferences/auto_refresh_delay",
        "preferences/auto_refresh_enabled", "preferences/toolbar_visible",
        "preferences/toolbar_area", "ui/window_position", "ui/window_size", "ui/window_maximized" };
    QByteArray contents;
    QByteArray section;
    for (const QByteArray &key : keys) {
        const QList<QByteArray> parts = key.split('/');
        if (parts.at(0) != section) {
            section = parts.at(0);
            contents += "[" + section + "]\n";
        }
        contents += parts.at(1) + "=" + value + "\n";
    }
    return contents;
}

// Whole files of damage as rows of the column "contents": every key holding text, nothing, huge
// or negative numbers or serialized junk, a window far off the desktop, and random bytes with the
// INI syntax characters mixed in. The seed is fixed so that a failure repeats.
inline void addDamagedSettingsRows()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("text") << everyKey("seventeen");
    QTest::newRow("empty") << everyKey("");
    QTest::newRow("huge") << everyKey("99999999999999999999999999");
    QTest::newRow("negative") << everyKey("-2147483648");
    QTest::newRow("variant junk") << everyKey("@Variant(\\0\\0\\0\\x7f\\xff\\xff\\xff\\xff)");
    QTest::newRow("unterminated quote") << everyKey("\"1-3");
    QTest::newRow("window far off the desktop")
        << QByteArray("[ui]\nwindow_position=@Point(-2147483648 2147483647)\n");

    std::mt19937 random(20240611);
    const char syntax[] = "[]=/\\\"@\n\r;,";
    for (int file = 0; file < 8; ++file) {
        QByteArray junk;
        for (int i = 0; i < 2000; ++i) {
            const bool special = std::bernoulli_distribution(0.2)(random);
            junk += special
                ? syntax[std::uniform_int_distribution<int>(0, int(sizeof syntax) - 2)(random)]
                : char(std::uniform_int_distribution<int>(0, 255)(random));
        }
        QTest::newRow(qPrintable(QStringLiteral("binary %1").arg(file))) << everyKey("") + junk;
    }
}

// settings.ini in the current folder, holding `contents` alone.
inline void writeSettingsFile(const QByteArray &contents)
{
    QFile file(QStringLiteral("settings.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

#endif // DAMAGEDSETTINGS_H
