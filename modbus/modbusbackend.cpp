// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/modbusbackend.h"
#include "modbus/rtumodbusprivate.h"

#include <QCoreApplication>

#include <cerrno>

#include <netdb.h>
#include <sys/socket.h>

namespace {

// The first address the host name stands for, in numeric form, so that
// libmodbus never looks a name up itself: it would report an unknown host as
// a refused connection. Empty when the name is unknown.
QByteArray numericAddress(const QString &host)
{
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found) != 0 || !found)
        return QByteArray();
    char numeric[NI_MAXHOST];
    const int rc = getnameinfo(
        found->ai_addr, found->ai_addrlen, numeric, sizeof numeric, nullptr, 0, NI_NUMERICHOST);
    freeaddrinfo(found);
    return rc == 0 ? QByteArray(numeric) : QByteArray();
}

} // namespace

modbus_t *newModbusContext(const ConnectionSettings &settings, int *error)
{
    modbus_t *context = nullptr;
    if (!settings.isNetwork()) {
        const QByteArray device = serialDevicePath(settings.portName).toLatin1();
        const SerialPortSettings &line = settings.serialPortSettings;
        context = modbus_new_rtu(device.constData(), line.baudRate(),
            parityCharacter(line.parity()), line.dataBits(), line.stopBits());
    } else {
        const QByteArray address = numericAddress(settings.host);
        if (address.isEmpty()) {
            *error = UnknownHostError;
            return nullptr;
        }
        context = modbus_new_tcp_pi(
            address.constData(), QByteArray::number(settings.tcpPort).constData());
    }
    if (!context)
        *error = errno;
    return context;
}

int connectModbusContext(modbus_t *context)
{
    if (modbus_connect(context) != -1)
        return 0;
    return errno == EINPROGRESS ? ETIMEDOUT : errno;
}

QString openErrorText(const ConnectionSettings &settings, int error)
{
    QString reason = QString::fromLocal8Bit(modbus_strerror(error));
    if (!settings.isNetwork())
        return reason;
    const QString address = settings.endpointName();
    switch (error) {
    case UnknownHostError:
        return QCoreApplication::translate("ModbusBackend", "The host %1 is unknown")
            .arg(settings.host);
    case ECONNREFUSED:
        return QCoreApplication::translate("ModbusBackend", "Connection refused by %1")
            .arg(address);
    case ETIMEDOUT:
        return QCoreApplication::translate(
            "ModbusBackend", "%1 did not accept the connection in time")
            .arg(address);
    case EHOSTUNREACH:
    case ENETUNREACH:
        return QCoreApplication::translate(
            "ModbusBackend", "%1 cannot be reached from this computer")
            .arg(address);
    default:
        return QCoreApplication::translate("ModbusBackend", "Connecting to %1 failed: %2")
            .arg(address, reason);
    }
}

bool isLostConnection(int error)
{
    switch (error) {
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
    case ENOTCONN:
    case EBADF:
        return true;
    default:
        return false;
    }
}
