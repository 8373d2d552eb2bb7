// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSFILE_H
#define SETTINGSFILE_H

#include "devicedata/relaysettings.h"
#include "devicedata/settingsfingerprint.h"

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
    // The stamp of the save: when, by which operating-system user and with which program; the
    // relay's serial number is its identity's.
    QDateTime savedAt;
    QString savedBy;
    QString programVersion;
    // The fingerprint the file was saved with, as written in it; empty in a file saved before
    // fingerprints were kept.
    QString savedFingerprint;

    // The fingerprint of the values the file holds.
    std::optional<quint32> fingerprint() const;
    // Whether the values no longer match the fingerprint saved with them: the file was edited
    // after it was saved. Such a file still opens, with alterationWarning() shown.
    bool isAlteredSinceSaved() const;
    QString alterationWarning() const;
    // A file made without a relay holds no relay's serial number, software version or slave ID.
    bool isPreparedWithoutRelay() const { return relay.identity.slaveId == 0; }
    // Stamps the file as saved now by this user with this program.
    void stamp();

    QByteArray toJson() const;

    // Settings prepared without a relay, for one with `modules` (ModuleFlags) at the current
    // range `currentRange`: every other field at its first code or its lowest value.
    static SettingsFile prepared(qint64 modules, qint64 currentRange);

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
