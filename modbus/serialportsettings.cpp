// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/serialportsettings.h"

QString windowsDevicePath(const QString &portName)
{
    const QString prefix = QStringLiteral("\\\\.\\");
    QString name = portName.trimmed();
    // The same prefix with forward slashes names the same namespace.
    if (name.startsWith(prefix) || name.startsWith(QLatin1String("//./")))
        name.remove(0, prefix.length());
    return prefix + name;
}

QString serialDevicePath(const QString &portName)
{
#ifdef Q_OS_WIN
    return windowsDevicePath(portName);
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
