// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulatedline.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>

namespace {

// The protocol KORVEL_TEST_LINK names; false for the pseudo-terminal.
bool testLinkProtocol(TcpProtocol *protocol)
{
    const QByteArray link = qgetenv("KORVEL_TEST_LINK");
    if (link == "modbus-tcp")
        *protocol = TcpProtocol::ModbusTcp;
    else if (link == "rtu-over-tcp")
        *protocol = TcpProtocol::RtuOverTcp;
    else if (link.isEmpty() || link == "serial")
        return false;
    else
        qFatal("KORVEL_TEST_LINK names no link: %s", link.constData());
    return true;
}

} // namespace

void serveTestLink(RelayBus &bus)
{
    TcpProtocol protocol;
    if (testLinkProtocol(&protocol))
        bus.serveTcp(protocol);
}

ConnectionSettings testLinkSettings(const RelayBus &bus)
{
    ConnectionSettings settings;
    settings.portName = bus.portPath();
    TcpProtocol protocol;
    if (testLinkProtocol(&protocol)) {
        settings.link = ConnectionSettings::NetworkLink;
        settings.host = QStringLiteral("127.0.0.1");
        settings.tcpPort = bus.tcpPort(protocol);
        settings.protocol = protocol == TcpProtocol::ModbusTcp ? ConnectionSettings::ModbusTcp
                                                               : ConnectionSettings::RtuOverTcp;
    }
    return settings;
}

bool openAndWait(DeviceDataManager &manager, const ConnectionSettings &settings)
{
    QSignalSpy finished(&manager, &DeviceDataManager::openFinished);
    if (!manager.openPort(settings))
        return false;
    if (manager.isConnecting() && !finished.wait(PassWaitMs))
        return false;
    return manager.isOpen();
}

bool connectAndWait(DeviceMonitor &monitor, const ConnectionSettings &settings)
{
    if (!monitor.connectToPort(settings))
        return false;
    if (monitor.isConnecting()) {
        QEventLoop loop;
        QObject::connect(&monitor, &DeviceMonitor::connected, &loop, &QEventLoop::quit);
        QObject::connect(&monitor, &DeviceMonitor::connectFailed, &loop, &QEventLoop::quit);
        QTimer::singleShot(PassWaitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return monitor.isConnected();
}

SimulatedLine::SimulatedLine(const QList<int> &ids)
    : m_bus(new RelayBus(ids)), m_manager(new DeviceDataManager)
{
}

SimulatedLine::~SimulatedLine()
{
    m_manager.reset();
    m_bus.reset();
}

bool SimulatedLine::start()
{
    QString error;
    serveTestLink(*m_bus);
    if (!m_bus->start(&error)) {
        qWarning("relay bus simulator: %s", qPrintable(error));
        return false;
    }
    m_bus->setMeasurementsLive(false);
    m_manager->setReadinessDelay(0);
    m_manager->setResponseTimeout(100);
    return openAndWait(*m_manager, connectionSettings());
}

ConnectionSettings SimulatedLine::connectionSettings() const
{
    return testLinkSettings(*m_bus);
}

bool SimulatedLine::read(int slaveId, DeviceData *deviceData, int timeoutMs)
{
    m_manager->read(slaveId, deviceData);
    return waitForProcessed(deviceData, timeoutMs);
}

bool SimulatedLine::write(int slaveId, DeviceData *deviceData, int timeoutMs)
{
    m_manager->write(slaveId, deviceData);
    return waitForProcessed(deviceData, timeoutMs);
}

bool SimulatedLine::waitForProcessed(DeviceData *deviceData, int timeoutMs)
{
    bool done = false;
    QEventLoop loop;
    const auto connection = QObject::connect(m_manager.data(),
        &DeviceDataManager::deviceDataProcessed, &loop, [&](DeviceData *processed) {
            if (processed == deviceData) {
                done = true;
                loop.quit();
            }
        });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(connection);
    return done;
}
