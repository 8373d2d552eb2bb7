// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINEFOLDER_H
#define LINEFOLDER_H

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// One relay a line folder expects: its slave ID, the settings file prepared or saved for it
// (a name inside the folder) and, where known, the serial number of the relay the file is for.
struct LineRelay
{
    int slaveId = 0;
    QString file;
    std::optional<qint64> serialNumber;

    bool operator==(const LineRelay &other) const
    {
        return slaveId == other.slaveId && file == other.file && serialNumber == other.serialNumber;
    }
};

// A folder of settings files for the relays of one line, with a manifest, line.json, that says
// which file each slave ID is to hold:
//
//   { "format": "korvel-line", "formatVersion": 1,
//     "relays": [ { "slaveId": 2, "file": "02-0065540.json", "serialNumber": 65540 } ] }
//
// "serialNumber" is left out where the relay is not known yet (a file prepared without it).
// A manifest is taken whole or not at all; a file name must stay inside the folder.
class LineFolder
{
    Q_DECLARE_TR_FUNCTIONS(LineFolder)

public:
    static const char *const ManifestName;
    static const char *const FormatName;
    static constexpr int FormatVersion = 1;
    static constexpr qint64 MaximumManifestSize = qint64(256) * 1024; // bytes
    static constexpr int MaximumSlaveId = 247;

    LineFolder() = default;
    explicit LineFolder(const QString &path) : m_path(path) { }

    QString path() const { return m_path; }
    QString manifestPath() const;
    // In ascending slave ID.
    const QVector<LineRelay> &relays() const { return m_relays; }
    const LineRelay *relay(int slaveId) const;
    QString filePath(const LineRelay &relay) const;
    // Adds the relay, or replaces the entry of its slave ID.
    void setRelay(const LineRelay &relay);

    // How a backup names a relay's file: "02-0065540.json" for ID 2, serial number 65540.
    static QString backupFileName(int slaveId, qint64 serialNumber);

    QByteArray manifestJson() const;
    // The relays of a manifest; none, with `error` saying why, for one this program cannot take.
    static std::optional<QVector<LineRelay>> parseManifest(const QByteArray &json, QString *error);

    // The folder's manifest read and checked; none, with `error` set, when it cannot be.
    static std::optional<LineFolder> open(const QString &path, QString *error);
    // Makes the folder if needed and writes an empty manifest, unless it holds one already.
    static std::optional<LineFolder> create(const QString &path, QString *error);
    // Writes the manifest whole or leaves the one before in place.
    bool save(QString *error) const;

private:
    QString m_path;
    QVector<LineRelay> m_relays;
};

#endif // LINEFOLDER_H
