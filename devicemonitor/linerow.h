// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINEROW_H
#define LINEROW_H

#include "devicedata/deviceinfodata.h"
#include "devicedata/relaysettings.h"
#include "devicemonitor/relayhealth.h"

#include <QCoreApplication>
#include <QString>
#include <QVector>

#include <optional>

struct LineRelay;
class SettingsFile;

// A setting in which a relay protects otherwise than its file.
struct LineDifference
{
    quint16 address = 0;
    QString name; // as a settings file names the field
    QString label; // as the comparison's rows show it
    QString relayText;
    QString fileText;
};

// One relay of a line, found there or expected by its folder: what was read of it and how it
// stands against its file.
struct LineRow
{
    Q_DECLARE_TR_FUNCTIONS(LineRow)

public:
    enum State {
        Identical,
        Differs,
        NoFile, // the folder has none for it, or the one it names cannot be used
        OtherRelayFile, // the file is for another serial number or other modules
        NotRead, // it answered, but not every block could be read whole
        NotAnswering,
        AnotherType, // not one of ours: neither backed up nor compared
    };

    int slaveId = 0;
    State state = NotRead;
    DeviceInfo identity; // as far as it was read
    DataValue modules;
    DataValue crashCount;
    std::optional<qint64> clockOffsetSeconds;
    RelayHealth health;
    QString file; // the name in the folder; empty when the folder names none
    QString fileProblem; // why the file cannot be used
    std::optional<quint32> relayFingerprint;
    std::optional<quint32> fileFingerprint;
    QVector<LineDifference> differences;
    std::optional<RelaySettings> settings; // everything read whole: what a backup saves
    SettingsValues fileValues; // the file's, once it is found to be for this relay

    bool isOfOwnType() const { return state != AnotherType; }
    // Whether the relay keeps the line from being at its files.
    bool isOff() const { return state != Identical && state != AnotherType; }
    // For a person: "identical", "3 values differ", ...
    QString stateText() const;
    // For a script: "identical", "differs", "no-file", ...
    static QString stateName(State state);

    // Judges `relay`, read whole, against the folder's `entry` for it and that entry's
    // `settingsFile` (null when there is none, `problem` saying why when it could not be read).
    void judge(const RelaySettings &relay, const LineRelay *entry, const SettingsFile *settingsFile,
        const QString &problem);
};

#endif // LINEROW_H
