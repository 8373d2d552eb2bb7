// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulatedline.h"

#include <QEventLoop>
#include <QTimer>

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
    if (!m_bus->start(&error)) {
        qWarning("relay bus simulator: %s", qPrintable(error));
        return false;
    }
    m_bus->setMeasurementsLive(false);
    m_manager->setReadinessDelay(0);
    m_manager->setResponseTimeout(100);
    return m_manager->openPort(connectionSettings());
}

ConnectionSettings SimulatedLine::connectionSettings() const
{
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    return settings;
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
