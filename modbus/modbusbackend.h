// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MODBUSBACKEND_H
#define MODBUSBACKEND_H

#include "modbus/serialportsettings.h"

#include <QString>

#include <modbus.h>

// Not an errno: the host name of a network connection could not be resolved.
constexpr int UnknownHostError = -2;

// The libmodbus context of a connection, not yet connected: RTU on a serial
// port, TCP to a network address. A device server that passes RTU frames
// through rides on a TCP context as well: libmodbus connects, times and
// flushes its socket, and rtuovertcp.h frames the transactions on it.
// Null when the context cannot be made, with *error set (an errno, or
// UnknownHostError). A host name is resolved here, so that an unknown one
// is told apart from a refused connection.
modbus_t *newModbusContext(const ConnectionSettings &settings, int *error);

// Connects the context; 0, or the errno of the failure. libmodbus gives up
// on a network connection not accepted within the response timeout but leaves
// EINPROGRESS behind: that is reported as the timeout it is.
int connectModbusContext(modbus_t *context);

// Why opening the connection failed, for the user. A serial port's reason is
// the system's; a network failure names the address and what happened.
QString openErrorText(const ConnectionSettings &settings, int error);

// Whether a transfer that failed with this errno found the network
// connection gone, so that the next transaction has to connect again.
bool isLostConnection(int error);

#endif // MODBUSBACKEND_H
