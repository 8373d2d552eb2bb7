// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/logging.h"

Q_LOGGING_CATEGORY(lcModbus, "korvel.modbus", QtDebugMsg)
Q_LOGGING_CATEGORY(lcMonitor, "korvel.monitor", QtDebugMsg)
Q_LOGGING_CATEGORY(lcDeviceData, "korvel.devicedata", QtDebugMsg)
Q_LOGGING_CATEGORY(lcUi, "korvel.ui", QtDebugMsg)
