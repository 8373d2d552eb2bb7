// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSFOLDER_H
#define SETTINGSFOLDER_H

#include <QDir>
#include <QTemporaryDir>

// A fresh temporary folder as the current directory while this lives: the program keeps its
// settings.ini there. The previous current directory comes back before the folder goes.
class SettingsFolder
{
public:
    SettingsFolder() : m_previous(QDir::currentPath())
    {
        m_entered = m_folder.isValid() && QDir::setCurrent(m_folder.path());
    }
    ~SettingsFolder() { QDir::setCurrent(m_previous); }
    SettingsFolder(const SettingsFolder &) = delete;
    SettingsFolder &operator=(const SettingsFolder &) = delete;

    // False when the folder could not be made or entered; the test cannot go on then.
    bool isEntered() const { return m_entered; }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString &name) const { return m_folder.filePath(name); }

private:
    QString m_previous;
    QTemporaryDir m_folder;
    bool m_entered = false;
};

#endif // SETTINGSFOLDER_H
