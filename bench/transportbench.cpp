// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one Modbus transaction: 10 holding registers read from one relay, one after another,
// through the program's own path (DeviceDataManager and RtuModbus, readiness delay 0), through a
// bare libmodbus loop (the floor: nothing but the library and the line), and through Qt's
// QModbusRtuSerialMaster when it is available. The three take turns in rounds against the same
// simulated line, so drift of the machine hits all of them alike. Given the simulator's Modbus TCP
// port, the program's path and a bare libmodbus TCP loop take turns over loopback as well.

#include "benchsupport.h"

#include "devicedata/deviceinfodata.h"
#include "devicemonitor/devicedatamanager.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>

#include <modbus.h>

#ifdef KORVEL_BENCH_QT_MASTER
#include <QModbusDataUnit>
#include <QModbusReply>
#include <QModbusRtuSerialMaster>
#include <QSerialPort>
#endif

#include <cstdio>
#include <functional>

using namespace bench;

namespace {

constexpr int SlaveId = 1;
constexpr int RegisterCount = 10;
constexpr int WarmUpReads = 20;
constexpr int ResponseTimeoutMs = 1000;

struct Round
{
    bool ok = false;
    double medianUs = 0;
    double p99Us = 0;
    double cpuUs = 0; // per read
    int failures = 0;
};

Round finish(const QVector<double> &latenciesUs, qint64 cpu, int failures)
{
    Round round;
    round.ok = !latenciesUs.isEmpty();
    round.medianUs = summarize(latenciesUs).median;
    round.p99Us = percentile(latenciesUs, 99);
    round.cpuUs = latenciesUs.isEmpty() ? 0 : cpu / 1e3 / latenciesUs.size();
    round.failures = failures;
    return round;
}

// Takes the context, RTU or TCP, and frees it.
Round bareLibmodbus(modbus_t *context, int reads)
{
    if (!context)
        return Round();
    if (modbus_connect(context) != 0) {
        modbus_free(context);
        return Round();
    }
    modbus_set_response_timeout(context, ResponseTimeoutMs / 1000, 0);
    modbus_set_slave(context, SlaveId);

    uint16_t registers[RegisterCount];
    for (int i = 0; i < WarmUpReads; ++i)
        modbus_read_registers(context, 0, RegisterCount, registers);

    QVector<double> latencies;
    latencies.reserve(reads);
    int failures = 0;
    const qint64 cpuStart = cpuNs();
    for (int i = 0; i < reads; ++i) {
        const qint64 start = nowNs();
        if (modbus_read_registers(context, 0, RegisterCount, registers) != RegisterCount)
            ++failures;
        latencies.append((nowNs() - start) / 1e3);
    }
    const qint64 cpu = cpuNs() - cpuStart;
    modbus_close(context);
    modbus_free(context);
    return finish(latencies, cpu, failures);
}

// Drives one asynchronous client: start(next) issues a read and arranges for next() to run when
// it is over. Timing runs from the start of a read to the moment the client reports it done.
class AsyncLoop
{
public:
    explicit AsyncLoop(int reads) : m_reads(reads) { m_latencies.reserve(reads); }

    void begin(std::function<void()> issue)
    {
        m_issue = std::move(issue);
        m_done = -WarmUpReads;
        m_cpuStart = cpuNs();
        m_startedAt = nowNs();
        m_issue();
        m_loop.exec();
    }

    void completed(bool success)
    {
        const qint64 now = nowNs();
        if (m_done >= 0) {
            m_latencies.append((now - m_startedAt) / 1e3);
            if (!success)
                ++m_failures;
        }
        if (++m_done == m_reads) {
            m_cpu = cpuNs() - m_cpuStart;
            m_loop.quit();
            return;
        }
        if (m_done == 0)
            m_cpuStart = cpuNs();
        m_startedAt = nowNs();
        m_issue();
    }

    void abort() { m_loop.quit(); }

    Round result() const { return finish(m_latencies, m_cpu, m_failures); }

private:
    const int m_reads;
    std::function<void()> m_issue;
    QEventLoop m_loop;
    QVector<double> m_latencies;
    int m_done = 0;
    int m_failures = 0;
    qint64 m_startedAt = 0;
    qint64 m_cpuStart = 0;
    qint64 m_cpu = 0;
};

Round throughManager(const ConnectionSettings &settings, int reads)
{
    DeviceDataManager manager;
    manager.setReadinessDelay(0);
    manager.setResponseTimeout(ResponseTimeoutMs);
    if (!manager.openPort(settings))
        return Round();
    if (manager.isConnecting()) {
        QEventLoop connecting;
        QObject::connect(
            &manager, &DeviceDataManager::openFinished, &connecting, &QEventLoop::quit);
        connecting.exec();
    }
    if (!manager.isOpen())
        return Round();

    DeviceInfoData identity;
    AsyncLoop loop(reads);
    QObject::connect(&manager, &DeviceDataManager::allDeviceDataProcessed, &manager,
        [&] { loop.completed(identity.isReadSuccessful()); });
    loop.begin([&] { manager.read(SlaveId, &identity); });
    manager.closePort();
    return loop.result();
}

#ifdef KORVEL_BENCH_QT_MASTER
Round throughQtMaster(const QString &port, int reads)
{
    QModbusRtuSerialMaster master;
    master.setConnectionParameter(QModbusDevice::SerialPortNameParameter, port);
    master.setConnectionParameter(QModbusDevice::SerialBaudRateParameter, QSerialPort::Baud19200);
    master.setConnectionParameter(QModbusDevice::SerialDataBitsParameter, QSerialPort::Data8);
    master.setConnectionParameter(QModbusDevice::SerialParityParameter, QSerialPort::NoParity);
    master.setConnectionParameter(QModbusDevice::SerialStopBitsParameter, QSerialPort::OneStop);
    master.setTimeout(ResponseTimeoutMs);
    master.setNumberOfRetries(0);
    if (!master.connectDevice() || master.state() != QModbusDevice::ConnectedState)
        return Round();

    AsyncLoop loop(reads);
    loop.begin([&] {
        QModbusReply *reply = master.sendReadRequest(
            QModbusDataUnit(QModbusDataUnit::HoldingRegisters, 0, RegisterCount), SlaveId);
        if (!reply) {
            loop.abort();
            return;
        }
        QObject::connect(reply, &QModbusReply::finished, &master, [&loop, reply] {
            reply->deleteLater();
            loop.completed(reply->error() == QModbusDevice::NoError);
        });
    });
    master.disconnectDevice();
    return loop.result();
}
#endif

struct Series
{
    QVector<double> median;
    QVector<double> p99;
    QVector<double> cpu;
    int failures = 0;

    void add(const Round &round)
    {
        median.append(round.medianUs);
        p99.append(round.p99Us);
        cpu.append(round.cpuUs);
        failures += round.failures;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("Device."), QStringLiteral("path"));
    const QCommandLineOption readsOption(QStringLiteral("reads"),
        QStringLiteral("Reads per client and round."), QStringLiteral("n"), QStringLiteral("5000"));
    const QCommandLineOption qtReadsOption(QStringLiteral("qt-reads"),
        QStringLiteral("Reads of Qt's master per round."), QStringLiteral("n"),
        QStringLiteral("300"));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"), QStringLiteral("Rounds."),
        QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption tcpPortOption(QStringLiteral("tcp-port"),
        QStringLiteral("The simulator's Modbus TCP port on 127.0.0.1, for the TCP rows."),
        QStringLiteral("port"));
    const QCommandLineOption outOption(
        QStringLiteral("out"), QStringLiteral("Report file."), QStringLiteral("path"));
    parser.addOptions(
        { portOption, readsOption, qtReadsOption, roundsOption, tcpPortOption, outOption });
    parser.process(application);

    const QString port = parser.value(portOption);
    const int reads = qMax(1, parser.value(readsOption).toInt());
    const int qtReads = qMax(1, parser.value(qtReadsOption).toInt());
    const int rounds = qMax(1, parser.value(roundsOption).toInt());
    Report report(parser.value(outOption));
    ConnectionSettings serial;
    serial.portName = port;
    const int tcpPort = parser.value(tcpPortOption).toInt();
    ConnectionSettings tcp;
    tcp.link = ConnectionSettings::NetworkLink;
    tcp.host = QStringLiteral("127.0.0.1");
    tcp.tcpPort = tcpPort;
    const auto cannotRead = [&report](const QString &where) {
        std::fprintf(stderr, "korvel-bench-transport: cannot read from %s\n", qPrintable(where));
        report.note(QStringLiteral("transport: cannot read from the simulator at %1").arg(where));
        return 1;
    };

    Series floor;
    Series manager;
    Series tcpFloor;
    Series tcpManager;
    Series qtMaster;
    for (int r = 0; r < rounds; ++r) {
        const Round bare = bareLibmodbus(
            modbus_new_rtu(port.toLocal8Bit().constData(), 19200, 'N', 8, 1), reads);
        const Round own = throughManager(serial, reads);
        if (!bare.ok || !own.ok)
            return cannotRead(port);
        floor.add(bare);
        manager.add(own);
        if (tcpPort > 0) {
            const Round bareTcp = bareLibmodbus(modbus_new_tcp("127.0.0.1", tcpPort), reads);
            const Round ownTcp = throughManager(tcp, reads);
            if (!bareTcp.ok || !ownTcp.ok)
                return cannotRead(tcp.endpointName());
            tcpFloor.add(bareTcp);
            tcpManager.add(ownTcp);
        }
#ifdef KORVEL_BENCH_QT_MASTER
        const Round qt = throughQtMaster(port, qtReads);
        if (qt.ok)
            qtMaster.add(qt);
#else
        Q_UNUSED(qtReads)
#endif
    }

    const Summary floorMedian = summarize(floor.median);
    const Summary floorP99 = summarize(floor.p99);
    const Summary floorCpu = summarize(floor.cpu);
    const Summary ownMedian = summarize(manager.median);
    const Summary ownP99 = summarize(manager.p99);
    const Summary ownCpu = summarize(manager.cpu);
    const QString us = QStringLiteral("us");
    const QString floorText = QStringLiteral("bare libmodbus ");

    const double medianRatio = ownMedian.median / floorMedian.median;
    report.ratioRow(QStringLiteral("1 read 10 regs, median (manager, delay 0)"),
        describe(ownMedian, 1, us), floorText + describe(floorMedian, 1, us), medianRatio,
        QStringLiteral("<= 2.5x"), medianRatio <= 2.5);
    const double p99Ratio = ownP99.median / floorP99.median;
    report.ratioRow(QStringLiteral("1 read 10 regs, p99"), describe(ownP99, 1, us),
        floorText + describe(floorP99, 1, us), p99Ratio, QStringLiteral("<= 4x"), p99Ratio <= 4);
    const double cpuRatio = ownCpu.median / floorCpu.median;
    report.ratioRow(QStringLiteral("1 read 10 regs, CPU per read"), describe(ownCpu, 1, us),
        floorText + describe(floorCpu, 1, us), cpuRatio, QStringLiteral("<= 6x"), cpuRatio <= 6);
    if (tcpPort > 0) {
        const Summary bareTcp = summarize(tcpFloor.median);
        const Summary ownTcp = summarize(tcpManager.median);
        const double tcpRatio = ownTcp.median / bareTcp.median;
        report.ratioRow(QStringLiteral("1 read 10 regs over Modbus TCP, median (manager)"),
            describe(ownTcp, 1, us),
            QStringLiteral("bare libmodbus TCP ") + describe(bareTcp, 1, us), tcpRatio,
            QStringLiteral("<= 2.5x"), tcpRatio <= 2.5);
    }
    if (qtMaster.median.isEmpty()) {
#ifdef KORVEL_BENCH_QT_MASTER
        report.skipped(QStringLiteral("1 read 10 regs vs Qt's master"),
            QStringLiteral("QModbusRtuSerialMaster could not connect"));
#else
        report.skipped(QStringLiteral("1 read 10 regs vs Qt's master"),
            QStringLiteral("built without Qt SerialBus"));
#endif
    } else {
        const Summary qtMedian = summarize(qtMaster.median);
        const double speedUp = qtMedian.median / ownMedian.median;
        report.ratioRow(QStringLiteral("1 read 10 regs, speed-up over Qt's master"),
            describe(ownMedian, 1, us),
            QStringLiteral("QModbusRtuSerialMaster ") + describe(qtMedian, 1, us), speedUp,
            QStringLiteral(">= 10x faster"), speedUp >= 10);
    }
    report.note(QStringLiteral("1: %1 rounds of %2 reads (Qt's master %3); median of the round "
                               "figures [min-max over rounds]; failed reads: manager %4, "
                               "bare %5, Qt %6; over TCP: manager %7, bare %8")
                    .arg(rounds)
                    .arg(reads)
                    .arg(qtReads)
                    .arg(manager.failures)
                    .arg(floor.failures)
                    .arg(qtMaster.failures)
                    .arg(tcpManager.failures)
                    .arg(tcpFloor.failures));
    return 0;
}
