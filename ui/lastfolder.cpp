// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/lastfolder.h"

#include "app/settings.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

QString LastFolder::filePath(const QString &fileName)
{
    // With no documents folder either, the name alone: the dialog places it.
    const QString folder = loadLastFolder();
    return folder.isEmpty() ? fileName : QDir(folder).filePath(fileName);
}

QString LastFolder::askSaveFileName(
    QWidget *parent, const QString &title, const QString &fileName, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, title, filePath(fileName), filter);
}

QString LastFolder::askOpenFileName(QWidget *parent, const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, loadLastFolder(), filter);
}

void LastFolder::keepFolderOf(const QString &path)
{
    saveLastFolder(QFileInfo(path).absolutePath());
}
