// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/serialportsettings.h"

QString serialDevicePath(const QString &portName)
{
#ifdef Q_OS_WIN
    return QStringLiteral("\\\\.\\") + portName;
#else
    return portName.contains(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
#endif
}

QString ConnectionSettings::endpointName() const
{
    if (!isNetwork())
        return portName;
    const QString address
        = host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host) : host;
    return QStringLiteral("%1:%2").arg(address, QString::number(tcpPort));
}
