// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RELAYBUS_H
#define RELAYBUS_H

// A simulated RS-485 line with protection relays on it, for tests, benchmarks and training.
//
// RelayBus creates a pseudo-terminal pair: the client opens portPath() as if it were a serial
// port, and the bus serves the other (master) side on its own thread. That thread cuts the
// incoming bytes into RTU frames with an RtuFramer (length from the function code, CRC check,
// resynchronisation on silence), hands each frame to the addressed RelayState, and lets libmodbus
// build the answer: the relay calls modbus_reply() or modbus_reply_exception() on a context whose
// socket is one end of a socket pair, and the bus reads the answer from the other end. Fault
// injection (lost answer, spoiled answer, corrupted CRC, delay) is applied to that answer before
// it is written back to the line. Absent or switched-off relays stay silent, and broadcasts (slave
// 0) act on every online relay without an answer, as on a real line.
//
// A pseudo-terminal moves bytes at memory speed. With line pacing on, each answer arrives when it
// would on a real line of the given baud rate: the request's own time on the wire, the
// 3.5-character gap that ends it, then the answer's time on the wire, all counted from the moment
// the request came in.
//
// The same relays can be served on loopback TCP ports as well, as a gateway would: Modbus TCP (MBAP
// header, the unit identifier naming the relay) or RTU frames passed through unchanged, as by a
// serial device server. Each TCP connection is framed and answered like the line.
//
// Every public function is thread-safe: one mutex guards the relays, the fault settings and the
// record of writes, so tests may change a relay while a client is talking to it.

#include "registerrules.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <vector>

class QFile;
class RelayState;
typedef struct _modbus modbus_t; // NOLINT(bugprone-reserved-identifier): libmodbus's own tag

struct FaultSettings
{
    double dropProbability = 0; // the relay acts on the request, but its answer is lost
    double badCrcProbability = 0; // the answer reaches the line with a corrupted CRC
    int minDelayMs = 0; // each answer is held back uniformly in [minDelayMs, maxDelayMs]
    int maxDelayMs = 0;
    // Answers spoiled in other ways (answerfaults.h), at most one way per answer.
    double exceptionProbability = 0;
    double shortFrameProbability = 0;
    double longFrameProbability = 0;
    double wrongByteCountProbability = 0;
    double foreignSlaveProbability = 0;
};

struct LinePacing
{
    int baudRate = 0; // 0: no pacing
    int bitsPerCharacter = 10; // start, data, parity and stop bits; 8N1 is 10

    // Start bit, data bits, a parity bit unless parity is 'N', stop bits.
    static int bitsFor(int dataBits, char parity, int stopBits);
    bool isOn() const { return baudRate > 0; }
    // Wire time of a transaction: request, inter-frame gap, answer.
    qint64 transactionNs(int requestBytes, int answerBytes) const;
};

// One register or coil taken by a relay (coil values are 0 or 1). Writes a relay refused with an
// exception are not recorded; a broadcast is recorded once, with slave ID 0.
struct ReceivedWrite
{
    int slaveId;
    int function;
    int address;
    quint16 value; // as written
    std::optional<quint16> kept = std::nullopt; // what a clamping relay holds instead
    int answeredException = 0; // the exception a take-refuse rule answered the write with
};

enum class TcpProtocol { ModbusTcp, RtuOverTcp };

class RelayBus
{
public:
    explicit RelayBus(const QList<int> &ids = { 1, 2, 3 });
    ~RelayBus();

    RelayBus(const RelayBus &) = delete;
    RelayBus &operator=(const RelayBus &) = delete;

    bool start(QString *error = nullptr);
    void stop();

    // Before start(): also serve the relays on 127.0.0.1:port with this protocol; port 0 lets the
    // system pick a free one. Each protocol has its own port.
    void serveTcp(TcpProtocol protocol, quint16 port = 0);
    // While running: the port the protocol is served on, 0 when it is not.
    quint16 tcpPort(TcpProtocol protocol) const;
    // Closes every TCP connection at once, as a gateway that restarts; the ports keep listening.
    void closeTcpConnections();

    QString portPath() const;
    // While running: makes path a symbolic link to the client side, removed again on stop().
    // An existing file that is not a symbolic link is never replaced.
    bool setLink(const QString &path);

    QList<int> ids() const;

    // Relays are named by slave ID (an ID not on the bus reads as 0 and ignores changes) and
    // addresses are protocol addresses as on the wire. Registers 12-14 stand for the running clock.
    static bool hasHoldingRegister(int address);
    quint16 holdingRegister(int id, int address) const;
    // False when nothing changed: no such relay or register, or an impossible time.
    bool setHoldingRegister(int id, int address, quint16 value);
    bool coil(int id, int address) const;
    void setCoil(int id, int address, bool value);
    bool discreteInput(int id, int address) const;
    void setDiscreteInput(int id, int address, bool value);
    void setModules(int id, quint16 register24);
    void setDeviceTypeCode(int id, quint16 code);
    // A new plausible log: 60 records at most, newest first, the count register saturating at
    // 65535; the LED of the newest trip lights up.
    void setCrashCount(int id, int count);
    // See RelayState::recordCrash().
    bool recordCrash(int id, int type, double amperes);
    // Held still, registers 16-21 change only through setHoldingRegister().
    void setMeasurementsLive(bool live);
    bool measurementsLive() const;
    // A switched-off relay neither answers nor takes broadcasts.
    void setRelayOnline(int id, bool online);
    bool isRelayOnline(int id) const;
    void setFaults(const FaultSettings &faults);
    FaultSettings faults() const;
    // A slow relay: its answers are complete this many milliseconds after its request came in
    // (never before the paced line would have them; fault delays come on top). 0 is a relay
    // like the others. The bus answers one request at a time, so a request that comes while a
    // slow relay is still to answer is heard after that answer, as late as it.
    void setAnswerTime(int id, int ms);
    int answerTime(int id) const;
    // A baud rate of 0 switches pacing off. Fault delays come on top of the paced time.
    void setLinePacing(int baudRate, int bitsPerCharacter = 10);
    LinePacing linePacing() const;
    // The relays are set to this baud rate and parity ('N', 'E' or 'O'): a request the client
    // sends at other settings (read from its side of the pseudo-terminal) reaches them as noise,
    // and they stay silent, as on a real line. A baud rate of 0: they hear every request.
    void setRelayLineSettings(int baudRate, char parity);
    void setClock(int id, const QDateTime &dateTime);
    QDateTime clock(int id) const;

    QList<ReceivedWrite> receivedWrites() const;
    void clearReceivedWrites();
    // Every write taken from now on also goes to this file, one writeLogLine() a line; an empty
    // path stops that. False when the file cannot be opened for appending.
    bool setWriteLogFile(const QString &path);

    // Writes to a register of a relay that a rule refuses, clamps, or takes and answers with an
    // exception (registerrules.h).
    void setRegisterRule(int id, int address, const RegisterRule &rule);
    bool removeRegisterRule(int id, int address);
    void clearRegisterRules();
    QStringList registerRules() const;
    int checkbackCount(int id) const;
    // Requests with a valid CRC seen on the line, whatever slave they address.
    quint64 framesReceived() const;
    // Answers written to the line, corrupted ones included.
    quint64 answersSent() const;

private:
    struct Connection;

    RelayState *relay(int id) const;
    // access(relay) under the lock, for the relay with this ID; with no such relay on the bus,
    // nothing is changed and a read gives its type's null value (0, false, a null time).
    template<typename Access>
    auto withRelay(int id, Access access) const;
    bool listen(TcpProtocol protocol, QString *error);
    void serve();
    void accept(int listenFd, TcpProtocol protocol, std::vector<Connection> *connections);
    // False when the connection ended: a closed TCP connection, or a broken pseudo-terminal.
    bool receive(Connection *connection);
    void closeConnection(const Connection &connection);
    // arrival: when the last byte of the frame came in; mbapHeader: the request's header on a
    // Modbus TCP connection, empty on an RTU one. Returns false when the bus is stopping.
    bool handleFrame(const QByteArray &frame, std::chrono::steady_clock::time_point arrival, int fd,
        const QByteArray &mbapHeader = QByteArray());
    // The answer to the frame, with what shapes it: the fault settings, the pacing and the
    // addressed relay's own answer time.
    QByteArray answer(
        const QByteArray &frame, FaultSettings *faults, LinePacing *pacing, int *answerTimeMs);
    // A relay's turn at a request under the register rules; whether it took a write.
    bool serveRelay(
        int id, RelayState *state, const QByteArray &frame, QList<ReceivedWrite> *taken);
    void record(const QList<ReceivedWrite> &writes);
    // Whether the client's side of the line is set as the relays are.
    bool clientLineMatches() const;
    bool waitForStop(int ms) const;
    bool waitForStopUntil(std::chrono::steady_clock::time_point deadline) const;

    // A standard mutex rather than QMutex: ThreadSanitizer builds see through it.
    mutable std::mutex m_mutex;
    std::map<int, std::unique_ptr<RelayState>> m_relays;
    std::map<int, int> m_answerTimes;
    FaultSettings m_faults;
    LinePacing m_pacing;
    int m_relayBaudRate = 0;
    char m_relayParity = 'N';
    QList<ReceivedWrite> m_writes;
    RegisterRules m_rules;
    std::unique_ptr<QFile> m_writeLog;

    // Owned by the serving thread while it runs.
    modbus_t *m_context = nullptr;
    int m_replyFds[2] = { -1, -1 };
    std::mt19937 m_random;

    int m_masterFd = -1;
    int m_slaveFd = -1;
    int m_wakeFds[2] = { -1, -1 };
    // Indexed by TcpProtocol.
    quint16 m_requestedTcpPorts[2] = { 0, 0 };
    bool m_tcpServed[2] = { false, false };
    int m_listenFds[2] = { -1, -1 };
    quint16 m_tcpPorts[2] = { 0, 0 };
    // The open TCP connections (guarded by m_mutex): the serving thread adds and closes them,
    // closeTcpConnections() shuts them down from any thread.
    std::vector<int> m_tcpClientFds;
    QString m_portPath;
    QString m_linkPath;
    std::thread m_thread;
    std::atomic<quint64> m_framesReceived { 0 };
    std::atomic<quint64> m_answersSent { 0 };
};

#endif // RELAYBUS_H
