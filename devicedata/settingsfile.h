// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSFILE_H
#define SETTINGSFILE_H

#include "devicedata/relaysettings.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSet>
#include <QStringList>

// A relay's settings saved to a file: JSON, indented, keys in a fixed order,
// one object per field in table order, so that two files diff line by line.
// A field carries its raw value, which is what is sent back, and for a person
// reading the file the value as the panels show it.
class SettingsFile
{
    Q_DECLARE_TR_FUNCTIONS(SettingsFile)

public:
    static const char *const FormatName;
    static constexpr int FormatVersion = 1;
    static constexpr qint64 MaximumSize = qint64(1024) * 1024; // bytes

    RelaySettings relay;
    // Fields the relay does not use whose value lies outside their range, as a relay holds them
    // for a module it lacks or a protection switched off: kept as saved, never sent.
    QSet<quint16> unusedOutOfRange;
    QDateTime savedAt;
    QString programVersion;

    QByteArray toJson() const;

    // A file is taken whole or not at all: on any problem `problems` names
    // every one of them (each offending field by name) and the result is empty.
    static SettingsFile fromJson(const QByteArray &json, QStringList *problems);
    // Reads and checks the file at `path`, refusing one over MaximumSize
    // before reading it.
    static SettingsFile read(const QString &path, QStringList *problems);
    // Writes the whole file or, on failure, leaves none behind; false with
    // `error` set when that failed.
    bool write(const QString &path, QString *error) const;
};

#endif // SETTINGSFILE_H
