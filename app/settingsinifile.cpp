// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settingsinifile.h"

SettingsIniFile::SettingsIniFile()
    : m_settings(QStringLiteral("settings.ini"), QSettings::IniFormat)
{
}

QString SettingsIniFile::readString(const QString &key, const QString &defaultValue) const
{
    return m_settings.value(key, defaultValue).toString();
}

int SettingsIniFile::readInt(const QString &key, int defaultValue) const
{
    const QVariant stored = m_settings.value(key);
    if (!stored.isValid())
        return defaultValue;
    // Through QString: QVariant would truncate a number too large for int.
    bool ok = false;
    const int value = stored.toString().toInt(&ok);
    return ok ? value : 0;
}

bool SettingsIniFile::readBool(const QString &key, bool defaultValue) const
{
    const QVariant value = m_settings.value(key, defaultValue);
    if (value.userType() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed().toLower();
    return text == QLatin1String("true") || text == QLatin1String("1");
}
