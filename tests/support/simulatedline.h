// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SIMULATEDLINE_H
#define SIMULATEDLINE_H

#include "devicemonitor/devicedatamanager.h"
#include "devicemonitor/devicemonitor.h"
#include "relaybus.h"
#include "testtimeouts.h"

#include <QScopedPointer>

// The link end-to-end tests take to the simulator: its pseudo-terminal, or
// when the environment variable KORVEL_TEST_LINK says "modbus-tcp" or
// "rtu-over-tcp", its loopback TCP port of that protocol. CTest runs some
// tests once for each link.
void serveTestLink(RelayBus &bus); // before the bus starts
ConnectionSettings testLinkSettings(const RelayBus &bus);

// Opens the connection and, a network one being made on a worker thread,
// returns once it is made (true) or failed (false). The monitor's returns
// right at connected(true), before the event loop turns again.
bool openAndWait(DeviceDataManager &manager, const ConnectionSettings &settings);
bool connectAndWait(DeviceMonitor &monitor, const ConnectionSettings &settings);

// A relay bus simulator on a pseudo-terminal with a DeviceDataManager
// connected to it: the fixture of every test that reads or writes blocks
// over a real serial line (or the test link above).
class SimulatedLine
{
public:
    explicit SimulatedLine(const QList<int> &ids = { 1, 2, 3 });
    ~SimulatedLine();

    // Starts the simulator (measurements held still) and opens the port with
    // a short response timeout and no readiness delay.
    bool start();

    RelayBus &bus() { return *m_bus; }
    DeviceDataManager &manager() { return *m_manager; }
    ConnectionSettings connectionSettings() const;

    // Starts the sequence and waits for deviceDataProcessed(deviceData);
    // false when it did not come in time.
    bool read(int slaveId, DeviceData *deviceData, int timeoutMs = PassWaitMs);
    bool write(int slaveId, DeviceData *deviceData, int timeoutMs = PassWaitMs);

private:
    bool waitForProcessed(DeviceData *deviceData, int timeoutMs);

    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<DeviceDataManager> m_manager;
};

#endif // SIMULATEDLINE_H
