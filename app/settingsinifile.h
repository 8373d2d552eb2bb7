// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSINIFILE_H
#define SETTINGSINIFILE_H

#include <QSettings>

// "settings.ini" in the current working directory, open for as long as the
// object lives and written back when it goes. The readers take what a hand
// edit or damage may have left: a value that does not convert reads as its
// type's zero value.
class SettingsIniFile
{
public:
    SettingsIniFile();

    QString readString(const QString &key, const QString &defaultValue) const;
    int readInt(const QString &key, int defaultValue) const;
    // QVariant takes any non-empty text as true; only the spellings QSettings
    // writes count here, anything else is false.
    bool readBool(const QString &key, bool defaultValue) const;

    QSettings &settings() { return m_settings; }

private:
    QSettings m_settings;
};

#endif // SETTINGSINIFILE_H
