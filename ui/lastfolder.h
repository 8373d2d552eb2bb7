// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LASTFOLDER_H
#define LASTFOLDER_H

#include <QString>

class QWidget;

// The folder the user last saved a file to or opened one from: every file
// dialog starts there, so that one job's files end up together. The caller
// keeps the folder of the file it was given when the file is really used;
// a save that cannot be written may leave the last folder as it was.
class LastFolder
{
public:
    // A bare file name placed in the last folder; a whole path stays as it is.
    static QString filePath(const QString &fileName);
    // Asks where to save, offering filePath(fileName); empty when canceled.
    static QString askSaveFileName(
        QWidget *parent, const QString &title, const QString &fileName, const QString &filter);
    // Asks for a file to open in the last folder; empty when canceled.
    static QString askOpenFileName(QWidget *parent, const QString &title, const QString &filter);
    // The folder of path becomes the last folder.
    static void keepFolderOf(const QString &path);
};

#endif // LASTFOLDER_H
