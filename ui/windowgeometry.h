// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WINDOWGEOMETRY_H
#define WINDOWGEOMETRY_H

class QWidget;

// The main window's place on the desktop, kept under ui/ in "settings.ini"
// (app/settingsinifile.h) beside the rest of the program's settings.
void restoreWindowGeometry(QWidget *window);
void saveWindowGeometry(QWidget *window);

#endif // WINDOWGEOMETRY_H
