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
    // Every ID a scan asks waits the whole response timeout; otherwise the scan is a quick one
    // (devicemonitor/devicemonitorscanimpl.h).
    bool thoroughScan = false;
};

// How long each try of the relay finder waits for an answer beyond the request's and the
// answer's time on the wire: a USB adapter holds what it received for up to its latency timer
// (16 ms unless set otherwise) before the computer sees it, and a relay takes about 20 ms to
// start answering.
constexpr int DefaultFinderWaitMs = 16 + 20;

struct Preferences
{
    QString scanRange = QStringLiteral("1-3");
    int autoRefreshDelay = 500; // ms
    bool autoRefreshEnabled = true;
    bool toolbarVisible = true;
    int toolbarArea = 4; // Qt::TopToolBarArea
};

#endif // SETTINGSRECORDS_H
