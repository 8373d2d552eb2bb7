// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/linebackup.h"

#include "devicedata/settingsfile.h"
#include "devicemonitor/linefolder.h"
#include "devicemonitor/linerow.h"

#include <QDir>
#include <QFile>

LineBackupResult LineBackup::write(LineFolder &folder, const QVector<LineRow> &rows, bool overwrite)
{
    LineBackupResult result;
    QVector<const LineRow *> toSave;
    for (const LineRow &row : rows) {
        if (!row.isOfOwnType())
            continue;
        if (!row.settings) {
            result.notSaved.append(row.slaveId);
            continue;
        }
        toSave.append(&row);
        const LineRelay relay { row.slaveId,
            LineFolder::backupFileName(row.slaveId, row.settings->identity.serialNumber), {} };
        if (QFile::exists(folder.filePath(relay)))
            result.existing.append(relay.file);
    }
    if (!result.existing.isEmpty() && !overwrite)
        return result;
    result.existing.clear();

    for (const LineRow *row : qAsConst(toSave)) {
        const qint64 serialNumber = row->settings->identity.serialNumber;
        const LineRelay relay { row->slaveId,
            LineFolder::backupFileName(row->slaveId, serialNumber), serialNumber };
        SettingsFile file;
        file.relay = *row->settings;
        file.stamp();
        QString error;
        if (!file.write(folder.filePath(relay), &error)) {
            result.error = tr("Could not write \"%1\": %2")
                               .arg(QDir::toNativeSeparators(folder.filePath(relay)), error);
            break;
        }
        result.written.append(relay.file);
        folder.setRelay(relay);
    }
    // The files written so far are listed even when a later one failed.
    QString error;
    if (!result.written.isEmpty() && !folder.save(&error) && result.error.isEmpty())
        result.error = error;
    return result;
}
