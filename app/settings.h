// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGS_H
#define SETTINGS_H

#include "common/settingsrecords.h"
#include "common/teamjournalsettings.h"
#include "modbus/serialportsettings.h"

#include <QString>

class QRegularExpression;

// The program keeps its settings in "settings.ini" in the current working
// directory. Each function opens the file for the duration of one call and
// reads or writes one group of keys; a value that does not convert loads as
// its type's zero value, and a loaded value outside what the program can run
// with is brought back within it (settings.cpp says how, key by key). The
// window geometry under ui/ is the main window's (ui/windowgeometry.h).

// A slave ID 1..63, or two of them joined by "-": the scan ranges the main
// window accepts, unanchored as its validator wants it.
QRegularExpression scanRangeExpression();

void loadConnectionSettings(ConnectionSettings &settings);
void saveConnectionSettings(const ConnectionSettings &settings);
void loadDeviceSettings(DeviceSettings &settings);
void saveDeviceSettings(const DeviceSettings &settings);
// How long each try of the relay finder waits beyond its frames' time on the
// wire (device_settings/finder_wait, DefaultFinderWaitMs unless set). The
// program never writes it: it is raised by hand for a slow adapter.
int loadFinderWait();
void loadPreferences(Preferences &preferences);
void savePreferences(const Preferences &preferences);
// The folder the user last saved a file to; the documents folder at first.
QString loadLastFolder();
void saveLastFolder(const QString &folder);
// Whether the traffic view is shown (ui/traffic_visible, hidden by default).
bool loadTrafficViewVisible();
void saveTrafficViewVisible(bool visible);
// Where the team journal is (team_journal/host, port, database, user, sslmode); no host: none.
// Never a password: libpq's password file, or the user for the session, gives it.
TeamJournalSettings loadTeamJournalSettings();
void saveTeamJournalSettings(const TeamJournalSettings &settings);

#endif // SETTINGS_H
