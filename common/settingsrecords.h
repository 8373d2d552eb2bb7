// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSRECORDS_H
#define SETTINGSRECORDS_H

#include <QString>

// The device timing and the user's preferences as plain records: the device
// monitor takes the first, the main window applies both, and the settings
// store (app/settings.h) loads and saves them.

struct DeviceSettings
{
    int readinessDelay = 60; // ms
    int responseTimeout = 150; // ms
};

struct Preferences
{
    QString scanRange = QStringLiteral("1-3");
    int autoRefreshDelay = 500; // ms
    bool autoRefreshEnabled = true;
    bool toolbarVisible = true;
    int toolbarArea = 4; // Qt::TopToolBarArea
};

#endif // SETTINGSRECORDS_H
