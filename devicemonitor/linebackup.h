// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINEBACKUP_H
#define LINEBACKUP_H

#include <QCoreApplication>
#include <QList>
#include <QStringList>
#include <QVector>

class LineFolder;
struct LineRow;

// What a backup of a line came to.
struct LineBackupResult
{
    QStringList written; // file names, in slave ID order
    // Files that were there already and would have been overwritten: with any, nothing was written.
    QStringList existing;
    QList<int> notSaved; // relays of ours that could not be read whole
    QString error; // a file or the manifest could not be written

    bool isComplete() const { return existing.isEmpty() && notSaved.isEmpty() && error.isEmpty(); }
};

// Saves every relay of ours that was read whole into the line's folder, each in a file named by
// its ID and serial number, and points the manifest at those files. A relay of another type is
// never saved. A file already there is never overwritten silently: unless `overwrite` is given,
// one such file keeps the whole backup from writing anything.
class LineBackup
{
    Q_DECLARE_TR_FUNCTIONS(LineBackup)

public:
    static LineBackupResult write(LineFolder &folder, const QVector<LineRow> &rows, bool overwrite);
};

#endif // LINEBACKUP_H
