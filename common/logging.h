// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LOGGING_H
#define LOGGING_H

#include <QLoggingCategory>

// The program's diagnostics by concern, each switched on and off with
// QT_LOGGING_RULES (for example "korvel.modbus.debug=false"). Every one
// logs debug messages and up by default, as qDebug() did: the lines the
// developers' guide fixes must still reach the default output.
Q_DECLARE_LOGGING_CATEGORY(lcModbus) // korvel.modbus: the transport and its transactions
Q_DECLARE_LOGGING_CATEGORY(lcMonitor) // korvel.monitor: scan, refresh, the request sequence
Q_DECLARE_LOGGING_CATEGORY(lcDeviceData) // korvel.devicedata: the register blocks
Q_DECLARE_LOGGING_CATEGORY(lcUi) // korvel.ui: windows, dialogs and their texts

#endif // LOGGING_H
