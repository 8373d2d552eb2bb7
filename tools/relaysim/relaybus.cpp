// SPDX-License-Identifier: GPL-3.0-or-later
#include "relaybus.h"

#include "answerfaults.h"
#include "relaystate.h"
#include "rtuframer.h"

#include <QFile>
#include <QFileInfo>

#include <modbus.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <type_traits>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A gap this long ends a partial frame; requests arrive in one piece, so it only matters after
// line noise or for function codes whose length the framer cannot tell.
constexpr int SilenceMs = 5;

// Silence that ends an RTU frame, in characters.
constexpr double InterFrameGapCharacters = 3.5;

// Transaction and protocol identifier, length, unit identifier.
constexpr int MbapHeaderLength = 7;
constexpr int MaxPduLength = 253;

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

void fail(QString *error, const char *what)
{
    if (error)
        *error = QStringLiteral("%1: %2").arg(
            QLatin1String(what), QString::fromLocal8Bit(strerror(errno)));
}

int index(TcpProtocol protocol)
{
    return protocol == TcpProtocol::ModbusTcp ? 0 : 1;
}

quint16 wordAt(const QByteArray &bytes, int at)
{
    return quint16(quint8(bytes.at(at)) << 8 | quint8(bytes.at(at + 1)));
}

// The RTU frame a Modbus TCP request stands for: unit identifier, PDU, CRC.
QByteArray rtuFrameOf(const QByteArray &mbapFrame)
{
    return RtuFramer::withCrc(mbapFrame.mid(MbapHeaderLength - 1));
}

// The Modbus TCP answer to the request with this header; empty when the RTU answer arrived
// corrupted, which TCP's own checks would never deliver.
QByteArray mbapAnswerOf(const QByteArray &rtuAnswer, const QByteArray &requestHeader)
{
    if (rtuAnswer.size() < 4 || !RtuFramer::hasValidCrc(rtuAnswer))
        return QByteArray();
    const QByteArray unitAndPdu = rtuAnswer.left(rtuAnswer.size() - 2);
    QByteArray answer = requestHeader.left(4); // transaction and protocol identifier
    answer.append(char(unitAndPdu.size() >> 8));
    answer.append(char(unitAndPdu.size() & 0xFF));
    return answer + unitAndPdu;
}

// The baud rate a terminal speed stands for; 0 for one no relay uses.
int speedOf(speed_t speed)
{
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    case B230400:
        return 230400;
    default:
        return 0;
    }
}

} // namespace

// One link the bus answers on: the pseudo-terminal, or a TCP connection.
struct RelayBus::Connection
{
    int fd = -1;
    bool tcp = false;
    bool mbap = false; // Modbus TCP framing rather than RTU
    RtuFramer framer;
    QByteArray pending; // Modbus TCP bytes short of a whole request
    std::chrono::steady_clock::time_point lastByte = std::chrono::steady_clock::now();
};

int LinePacing::bitsFor(int dataBits, char parity, int stopBits)
{
    return 1 + dataBits + (parity == 'N' ? 0 : 1) + stopBits;
}

qint64 LinePacing::transactionNs(int requestBytes, int answerBytes) const
{
    if (!isOn())
        return 0;
    const double characters = requestBytes + InterFrameGapCharacters + answerBytes;
    return std::llround(characters * bitsPerCharacter * 1e9 / baudRate);
}

RelayBus::RelayBus(const QList<int> &ids) : m_random(std::random_device()())
{
    for (int id : ids)
        m_relays.emplace(id, std::make_unique<RelayState>(id));
}

RelayBus::~RelayBus()
{
    stop();
}

bool RelayBus::start(QString *error)
{
    if (m_thread.joinable()) {
        if (error)
            *error = QStringLiteral("The bus is already running");
        return false;
    }

    // Reports errno before the clean-up can change it.
    const auto abandon = [this, error](const char *what) {
        fail(error, what);
        stop();
        return false;
    };

    m_masterFd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (m_masterFd < 0 || grantpt(m_masterFd) != 0 || unlockpt(m_masterFd) != 0
        || ptsname_r(m_masterFd, name, sizeof name) != 0) {
        return abandon("Cannot create a pseudo-terminal");
    }
    // Holding the client side open keeps the pair alive while the client closes and reopens it,
    // and raw mode stops the line discipline from echoing requests back as answers.
    m_slaveFd = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios attributes;
    if (m_slaveFd < 0 || tcgetattr(m_slaveFd, &attributes) != 0)
        return abandon("Cannot open the client side of the pseudo-terminal");
    cfmakeraw(&attributes);
    if (tcsetattr(m_slaveFd, TCSANOW, &attributes) != 0
        || fcntl(m_masterFd, F_SETFL, fcntl(m_masterFd, F_GETFL) | O_NONBLOCK) != 0) {
        return abandon("Cannot set up the pseudo-terminal");
    }
    if (pipe2(m_wakeFds, O_CLOEXEC | O_NONBLOCK) != 0
        || socketpair(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_replyFds) != 0) {
        return abandon("Cannot create the internal channels");
    }

    for (TcpProtocol protocol : { TcpProtocol::ModbusTcp, TcpProtocol::RtuOverTcp }) {
        if (m_tcpServed[index(protocol)] && !listen(protocol, error)) {
            stop();
            return false;
        }
    }

    // A server context that never opens a device: libmodbus writes its answers into the socket
    // pair, and the bus passes them on to the line.
    m_context = modbus_new_rtu("/dev/null", 19200, 'N', 8, 1);
    if (!m_context)
        return abandon("Cannot create the libmodbus context");
    modbus_set_debug(m_context, FALSE);
    modbus_set_socket(m_context, m_replyFds[0]);

    {
        std::lock_guard<std::mutex> locker(m_mutex);
        m_portPath = QString::fromLocal8Bit(name);
    }
    m_thread = std::thread([this] { serve(); });
    return true;
}

void RelayBus::stop()
{
    if (m_thread.joinable()) {
        const char wake = 0;
        if (::write(m_wakeFds[1], &wake, 1) < 0)
            qWarning("Cannot wake the relay bus thread: %s", strerror(errno));
        m_thread.join();
    }
    if (m_context) {
        modbus_free(m_context);
        m_context = nullptr;
    }
    for (int *fd : { &m_masterFd, &m_slaveFd, &m_wakeFds[0], &m_wakeFds[1], &m_replyFds[0],
             &m_replyFds[1], &m_listenFds[0], &m_listenFds[1] })
        closeFd(*fd);

    std::lock_guard<std::mutex> locker(m_mutex);
    for (int &fd : m_tcpClientFds)
        closeFd(fd);
    m_tcpClientFds.clear();
    m_tcpPorts[0] = m_tcpPorts[1] = 0;
    if (!m_linkPath.isEmpty())
        QFile::remove(m_linkPath);
    m_linkPath.clear();
    m_portPath.clear();
}

void RelayBus::serveTcp(TcpProtocol protocol, quint16 port)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_tcpServed[index(protocol)] = true;
    m_requestedTcpPorts[index(protocol)] = port;
}

quint16 RelayBus::tcpPort(TcpProtocol protocol) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_tcpPorts[index(protocol)];
}

void RelayBus::closeTcpConnections()
{
    // Shut down rather than closed: the serving thread may be polling them, and closes each once
    // it sees the end.
    std::lock_guard<std::mutex> locker(m_mutex);
    for (int fd : m_tcpClientFds)
        ::shutdown(fd, SHUT_RDWR);
}

bool RelayBus::listen(TcpProtocol protocol, QString *error)
{
    int &fd = m_listenFds[index(protocol)];
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const int on = 1;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(m_requestedTcpPorts[index(protocol)]);
    socklen_t length = sizeof address;
    if (fd < 0 || ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0
        || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(fd, 4) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        fail(error, "Cannot listen on the TCP port");
        return false;
    }
    std::lock_guard<std::mutex> locker(m_mutex);
    m_tcpPorts[index(protocol)] = ntohs(address.sin_port);
    return true;
}

QString RelayBus::portPath() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_portPath;
}

bool RelayBus::setLink(const QString &path)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    if (m_portPath.isEmpty())
        return false;
    const QFileInfo info(path);
    if (info.exists() && !info.isSymLink())
        return false; // never replace a real file
    if (!m_linkPath.isEmpty())
        QFile::remove(m_linkPath);
    QFile::remove(path);
    m_linkPath.clear();
    if (::symlink(m_portPath.toLocal8Bit().constData(), path.toLocal8Bit().constData()) != 0)
        return false;
    m_linkPath = path;
    return true;
}

template<typename Access>
auto RelayBus::withRelay(int id, Access access) const
{
    using Result = std::invoke_result_t<Access, RelayState &>;
    std::lock_guard<std::mutex> locker(m_mutex);
    RelayState *state = relay(id);
    if constexpr (std::is_void_v<Result>) {
        if (state)
            access(*state);
    } else {
        return state ? access(*state) : Result();
    }
}

QList<int> RelayBus::ids() const
{
    QList<int> ids;
    for (const auto &relay : m_relays)
        ids.append(relay.first);
    return ids;
}

quint16 RelayBus::holdingRegister(int id, int address) const
{
    return withRelay(id, [&](const RelayState &state) { return state.holdingRegister(address); });
}

bool RelayBus::hasHoldingRegister(int address)
{
    return RelayState::hasHoldingRegister(address);
}

bool RelayBus::setHoldingRegister(int id, int address, quint16 value)
{
    return withRelay(
        id, [&](RelayState &state) { return state.setHoldingRegister(address, value); });
}

bool RelayBus::coil(int id, int address) const
{
    return withRelay(id, [&](const RelayState &state) { return state.coil(address); });
}

void RelayBus::setCoil(int id, int address, bool value)
{
    withRelay(id, [&](RelayState &state) { state.setCoil(address, value); });
}

bool RelayBus::discreteInput(int id, int address) const
{
    return withRelay(id, [&](const RelayState &state) { return state.discreteInput(address); });
}

void RelayBus::setDiscreteInput(int id, int address, bool value)
{
    withRelay(id, [&](RelayState &state) { state.setDiscreteInput(address, value); });
}

void RelayBus::setModules(int id, quint16 register24)
{
    withRelay(id, [&](RelayState &state) { state.setModules(register24); });
}

void RelayBus::setDeviceTypeCode(int id, quint16 code)
{
    setHoldingRegister(id, 0, code);
}

void RelayBus::setCrashCount(int id, int count)
{
    withRelay(id, [&](RelayState &state) { state.setCrashCount(count); });
}

bool RelayBus::recordCrash(int id, int type, double amperes)
{
    return withRelay(id, [&](RelayState &state) { return state.recordCrash(type, amperes); });
}

void RelayBus::setMeasurementsLive(bool live)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    for (const auto &relay : m_relays)
        relay.second->setMeasurementsLive(live);
}

bool RelayBus::measurementsLive() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_relays.empty() || m_relays.begin()->second->measurementsLive();
}

void RelayBus::setRelayOnline(int id, bool online)
{
    withRelay(id, [&](RelayState &state) { state.setOnline(online); });
}

bool RelayBus::isRelayOnline(int id) const
{
    return withRelay(id, [](const RelayState &state) { return state.isOnline(); });
}

void RelayBus::setFaults(const FaultSettings &faults)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_faults = faults;
}

FaultSettings RelayBus::faults() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_faults;
}

void RelayBus::setAnswerTime(int id, int ms)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    if (relay(id))
        m_answerTimes[id] = qMax(0, ms);
}

int RelayBus::answerTime(int id) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    const auto found = m_answerTimes.find(id);
    return found == m_answerTimes.end() ? 0 : found->second;
}

void RelayBus::setLinePacing(int baudRate, int bitsPerCharacter)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_pacing.baudRate = qMax(0, baudRate);
    m_pacing.bitsPerCharacter = qMax(1, bitsPerCharacter);
}

void RelayBus::setRelayLineSettings(int baudRate, char parity)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_relayBaudRate = qMax(0, baudRate);
    m_relayParity = parity;
}

bool RelayBus::clientLineMatches() const
{
    int baudRate = 0;
    char parity = 'N';
    {
        std::lock_guard<std::mutex> locker(m_mutex);
        baudRate = m_relayBaudRate;
        parity = m_relayParity;
    }
    if (baudRate == 0)
        return true;
    termios attributes {};
    if (tcgetattr(m_slaveFd, &attributes) != 0)
        return false;
    // Linux's pseudo-terminal drops PARENB from what it is set to; a master that sends a parity
    // bit also checks the one it receives (INPCK), and that flag is kept.
    const bool parityOn = (attributes.c_cflag & PARENB) || (attributes.c_iflag & INPCK);
    const char clientParity = !parityOn ? 'N' : (attributes.c_cflag & PARODD) ? 'O' : 'E';
    return speedOf(cfgetospeed(&attributes)) == baudRate && clientParity == parity;
}

LinePacing RelayBus::linePacing() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_pacing;
}

void RelayBus::setClock(int id, const QDateTime &dateTime)
{
    withRelay(id, [&](RelayState &state) { state.setClock(dateTime); });
}

QDateTime RelayBus::clock(int id) const
{
    return withRelay(id, [](const RelayState &state) { return state.clock(); });
}

QList<ReceivedWrite> RelayBus::receivedWrites() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_writes;
}

void RelayBus::clearReceivedWrites()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_writes.clear();
}

bool RelayBus::setWriteLogFile(const QString &path)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_writeLog.reset();
    if (path.isEmpty())
        return true;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    m_writeLog = std::move(file);
    return true;
}

void RelayBus::setRegisterRule(int id, int address, const RegisterRule &rule)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_rules.set(id, address, rule);
}

bool RelayBus::removeRegisterRule(int id, int address)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_rules.remove(id, address);
}

void RelayBus::clearRegisterRules()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_rules.clear();
}

QStringList RelayBus::registerRules() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_rules.describe();
}

int RelayBus::checkbackCount(int id) const
{
    return withRelay(id, [](const RelayState &state) { return state.checkbackCount(); });
}

quint64 RelayBus::framesReceived() const
{
    return m_framesReceived;
}

quint64 RelayBus::answersSent() const
{
    return m_answersSent;
}

RelayState *RelayBus::relay(int id) const
{
    const auto it = m_relays.find(id);
    return it == m_relays.end() ? nullptr : it->second.get();
}

void RelayBus::serve()
{
    std::vector<Connection> connections(1);
    connections.front().fd = m_masterFd;
    const TcpProtocol protocols[2] = { TcpProtocol::ModbusTcp, TcpProtocol::RtuOverTcp };
    for (;;) {
        // A partial RTU frame ends at a silence; nothing pending: sleep until a byte or the stop.
        int timeout = -1;
        const auto now = std::chrono::steady_clock::now();
        for (Connection &connection : connections) {
            if (!connection.framer.hasPending())
                continue;
            const auto quiet
                = std::chrono::duration_cast<std::chrono::milliseconds>(now - connection.lastByte);
            const int left = qMax(0, SilenceMs - int(quiet.count()));
            if (left == 0) {
                const QByteArray frame = connection.framer.silence();
                if (!frame.isEmpty() && !handleFrame(frame, connection.lastByte, connection.fd))
                    return;
                continue;
            }
            timeout = timeout < 0 ? left : qMin(timeout, left);
        }

        std::vector<pollfd> fds = { { m_wakeFds[0], POLLIN, 0 } };
        for (int listenFd : m_listenFds)
            fds.push_back({ listenFd, POLLIN, 0 }); // -1 is ignored by poll()
        for (const Connection &connection : connections)
            fds.push_back({ connection.fd, POLLIN, 0 });
        const int ready = ::poll(fds.data(), nfds_t(fds.size()), timeout);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || fds[0].revents != 0)
            return;
        for (int i = 0; i < 2; ++i) {
            if (fds[1 + i].revents & POLLIN)
                accept(m_listenFds[i], protocols[i], &connections);
        }
        // Back to front, so that a closed connection can go without disturbing the rest; new
        // connections, past the polled ones, wait for the next round.
        for (size_t i = fds.size() - 3; i-- > 0;) {
            if (fds[3 + i].revents == 0)
                continue;
            if (receive(&connections[i]))
                continue;
            if (!connections[i].tcp)
                return; // the pseudo-terminal broke down, or the bus stops
            closeConnection(connections[i]);
            connections.erase(connections.begin() + std::ptrdiff_t(i));
        }
    }
}

void RelayBus::accept(int listenFd, TcpProtocol protocol, std::vector<Connection> *connections)
{
    const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    // Answers go out at once, not gathered for a while.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    Connection connection;
    connection.fd = fd;
    connection.tcp = true;
    connection.mbap = protocol == TcpProtocol::ModbusTcp;
    connections->push_back(connection);
    std::lock_guard<std::mutex> locker(m_mutex);
    m_tcpClientFds.push_back(fd);
}

void RelayBus::closeConnection(const Connection &connection)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_tcpClientFds.erase(std::remove(m_tcpClientFds.begin(), m_tcpClientFds.end(), connection.fd),
        m_tcpClientFds.end());
    ::close(connection.fd);
}

bool RelayBus::receive(Connection *connection)
{
    // One read per wake-up: whatever does not fit wakes the next poll at once.
    char buffer[512];
    const ssize_t size = connection->tcp
        ? ::recv(connection->fd, buffer, sizeof buffer, MSG_DONTWAIT)
        : ::read(connection->fd, buffer, sizeof buffer);
    if (size < 0 && (errno == EAGAIN || errno == EINTR))
        return true;
    if (size <= 0)
        return false; // an error, or the client closed its TCP connection
    connection->lastByte = std::chrono::steady_clock::now();
    const QByteArray bytes(buffer, int(size));
    if (!connection->mbap) {
        const QList<QByteArray> frames = connection->framer.feed(bytes);
        for (const QByteArray &frame : frames) {
            if (!handleFrame(frame, connection->lastByte, connection->fd))
                return false;
        }
        return true;
    }

    connection->pending += bytes;
    while (connection->pending.size() >= MbapHeaderLength) {
        const int length = wordAt(connection->pending, 4); // unit identifier and PDU
        if (wordAt(connection->pending, 2) != 0 || length < 2 || length > MaxPduLength + 1)
            return false; // not Modbus TCP: a gateway drops such a client
        if (connection->pending.size() < MbapHeaderLength - 1 + length)
            break;
        const QByteArray request = connection->pending.left(MbapHeaderLength - 1 + length);
        connection->pending.remove(0, request.size());
        if (!handleFrame(rtuFrameOf(request), connection->lastByte, connection->fd,
                request.left(MbapHeaderLength)))
            return false;
    }
    return true;
}

bool RelayBus::handleFrame(const QByteArray &frame, std::chrono::steady_clock::time_point arrival,
    int fd, const QByteArray &mbapHeader)
{
    // Only the serial line has line settings to get wrong.
    if (fd == m_masterFd && !clientLineMatches())
        return true;
    ++m_framesReceived;
    FaultSettings faults;
    LinePacing pacing;
    int answerTimeMs = 0;
    QByteArray reply = answer(frame, &faults, &pacing, &answerTimeMs);
    if (reply.isEmpty())
        return true;

    std::uniform_real_distribution<double> chance(0, 1);
    if (chance(m_random) < faults.dropProbability)
        return true;
    if (const auto fault = drawAnswerFault(faults, m_random))
        reply = spoilAnswer(reply, *fault, m_random);
    if (chance(m_random) < faults.badCrcProbability)
        reply[reply.size() - 1] = char(reply.at(reply.size() - 1) ^ 0xFF);
    const int delayMs = faults.maxDelayMs > faults.minDelayMs
        ? std::uniform_int_distribution<int>(faults.minDelayMs, faults.maxDelayMs)(m_random)
        : faults.minDelayMs;
    if (pacing.isOn() || answerTimeMs > 0) {
        // The whole answer goes out at the moment its last byte would have arrived: a master
        // cannot act on an RTU answer before it is complete.
        const auto paced
            = std::chrono::nanoseconds(pacing.transactionNs(frame.size(), reply.size()));
        const auto due = arrival
            + std::max<std::chrono::nanoseconds>(paced, std::chrono::milliseconds(answerTimeMs))
            + std::chrono::milliseconds(delayMs);
        if (waitForStopUntil(due))
            return false;
    } else if (delayMs > 0 && waitForStop(delayMs)) {
        return false;
    }
    if (!mbapHeader.isEmpty()) {
        reply = mbapAnswerOf(reply, mbapHeader);
        if (reply.isEmpty())
            return true;
    }

    // Counted before it goes out: a master that has read the answer must find it counted.
    // Nobody reads a full line: the answer is lost like on a real one.
    ++m_answersSent;
    const ssize_t written = fd == m_masterFd
        ? ::write(fd, reply.constData(), size_t(reply.size()))
        : ::send(fd, reply.constData(), size_t(reply.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (written <= 0)
        --m_answersSent;
    return true;
}

QByteArray RelayBus::answer(
    const QByteArray &frame, FaultSettings *faults, LinePacing *pacing, int *answerTimeMs)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    *faults = m_faults;
    *pacing = m_pacing;
    const int slave = static_cast<quint8>(frame.at(0));
    const auto answerTime = m_answerTimes.find(slave);
    *answerTimeMs = answerTime == m_answerTimes.end() ? 0 : answerTime->second;
    QList<ReceivedWrite> taken;
    if (slave == MODBUS_BROADCAST_ADDRESS) {
        for (const auto &relay : m_relays) {
            QList<ReceivedWrite> writes;
            if (relay.second->isOnline()
                && serveRelay(relay.first, relay.second.get(), frame, &writes) && taken.isEmpty())
                taken = writes;
        }
        record(taken);
        return QByteArray();
    }

    RelayState *state = relay(slave);
    if (!state || !state->isOnline())
        return QByteArray();
    serveRelay(slave, state, frame, &taken);
    record(taken);

    char reply[MODBUS_RTU_MAX_ADU_LENGTH];
    const ssize_t size = ::recv(m_replyFds[1], reply, sizeof reply, 0);
    return size > 0 ? QByteArray(reply, int(size)) : QByteArray();
}

bool RelayBus::serveRelay(
    int id, RelayState *state, const QByteArray &frame, QList<ReceivedWrite> *taken)
{
    if (const int exception = m_rules.exceptionFor(id, frame)) {
        // Refused whole, before the relay changes anything; a broadcast is never answered.
        if (static_cast<quint8>(frame.at(0)) != MODBUS_BROADCAST_ADDRESS) {
            modbus_set_slave(m_context, id);
            modbus_reply_exception(
                m_context, reinterpret_cast<const uint8_t *>(frame.constData()), exception);
        }
        return false;
    }
    QList<ReceivedWrite> writes;
    if (!state->serve(m_context, frame, &writes))
        return false;
    // The answer echoes what was asked; the relay holds what it can.
    const QList<std::pair<int, quint16>> clamped = m_rules.clamp(id, &writes);
    for (const auto &kept : clamped)
        state->setHoldingRegister(kept.first, kept.second);
    // The relay holds the values, yet its answer says it refused them; a broadcast has no
    // answer to replace.
    const int exception = m_rules.exceptionAfterTaking(id, frame);
    if (exception && static_cast<quint8>(frame.at(0)) != MODBUS_BROADCAST_ADDRESS) {
        char echo[MODBUS_RTU_MAX_ADU_LENGTH];
        if (::recv(m_replyFds[1], echo, sizeof echo, MSG_DONTWAIT) < 0)
            qWarning("The relay bus lost the answer it replaces: %s", strerror(errno));
        modbus_set_slave(m_context, id);
        modbus_reply_exception(
            m_context, reinterpret_cast<const uint8_t *>(frame.constData()), exception);
        for (ReceivedWrite &write : writes)
            write.answeredException = exception;
    }
    *taken = writes;
    return true;
}

void RelayBus::record(const QList<ReceivedWrite> &writes)
{
    m_writes += writes;
    if (!m_writeLog || writes.isEmpty())
        return;
    for (const ReceivedWrite &write : writes)
        m_writeLog->write(writeLogLine(write).toUtf8() + '\n');
    m_writeLog->flush();
}

bool RelayBus::waitForStop(int ms) const
{
    pollfd wake = { m_wakeFds[0], POLLIN, 0 };
    return ::poll(&wake, 1, ms) > 0;
}

// Millisecond poll() timeouts are too coarse for character times; ppoll() takes nanoseconds.
bool RelayBus::waitForStopUntil(std::chrono::steady_clock::time_point deadline) const
{
    pollfd wake = { m_wakeFds[0], POLLIN, 0 };
    for (;;) {
        const auto remaining = deadline - std::chrono::steady_clock::now();
        if (remaining <= std::chrono::nanoseconds::zero())
            return false;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(remaining).count();
        const timespec timeout = { time_t(ns / 1000000000), long(ns % 1000000000) };
        const int ready = ::ppoll(&wake, 1, &timeout, nullptr);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}
