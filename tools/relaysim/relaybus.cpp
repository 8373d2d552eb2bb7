// SPDX-License-Identifier: GPL-3.0-or-later
#include "relaybus.h"

#include "answerfaults.h"
#include "relaystate.h"
#include "rtuframer.h"

#include <QFile>
#include <QFileInfo>

#include <modbus.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
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
    for (int *fd :
        { &m_masterFd, &m_slaveFd, &m_wakeFds[0], &m_wakeFds[1], &m_replyFds[0], &m_replyFds[1] })
        closeFd(*fd);

    std::lock_guard<std::mutex> locker(m_mutex);
    if (!m_linkPath.isEmpty())
        QFile::remove(m_linkPath);
    m_linkPath.clear();
    m_portPath.clear();
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

QList<int> RelayBus::ids() const
{
    QList<int> ids;
    for (const auto &relay : m_relays)
        ids.append(relay.first);
    return ids;
}

quint16 RelayBus::holdingRegister(int id, int address) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    const RelayState *state = relay(id);
    return state ? state->holdingRegister(address) : 0;
}

bool RelayBus::hasHoldingRegister(int address)
{
    return RelayState::hasHoldingRegister(address);
}

bool RelayBus::setHoldingRegister(int id, int address, quint16 value)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    RelayState *state = relay(id);
    return state && state->setHoldingRegister(address, value);
}

bool RelayBus::coil(int id, int address) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    const RelayState *state = relay(id);
    return state && state->coil(address);
}

void RelayBus::setCoil(int id, int address, bool value)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    if (RelayState *state = relay(id))
        state->setCoil(address, value);
}

bool RelayBus::discreteInput(int id, int address) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    const RelayState *state = relay(id);
    return state && state->discreteInput(address);
}

void RelayBus::setDiscreteInput(int id, int address, bool value)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    if (RelayState *state = relay(id))
        state->setDiscreteInput(address, value);
}

void RelayBus::setModules(int id, quint16 register24)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    if (RelayState *state = relay(id))
        state->setModules(register24);
}

void RelayBus::setDeviceTypeCode(int id, quint16 code)
{
    setHoldingRegister(id, 0, code);
}

void RelayBus::setCrashCount(int id, int count)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    if (RelayState *state = relay(id))
        state->setCrashCount(count);
}

bool RelayBus::recordCrash(int id, int type, double amperes)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    RelayState *state = relay(id);
    return state && state->recordCrash(type, amperes);
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
    std::lock_guard<std::mutex> locker(m_mutex);
    if (RelayState *state = relay(id))
        state->setOnline(online);
}

bool RelayBus::isRelayOnline(int id) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    const RelayState *state = relay(id);
    return state && state->isOnline();
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
    std::lock_guard<std::mutex> locker(m_mutex);
    if (RelayState *state = relay(id))
        state->setClock(dateTime);
}

QDateTime RelayBus::clock(int id) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    const RelayState *state = relay(id);
    return state ? state->clock() : QDateTime();
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

int RelayBus::checkbackCount(int id) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    const RelayState *state = relay(id);
    return state ? state->checkbackCount() : 0;
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
    RtuFramer framer;
    auto lastByte = std::chrono::steady_clock::now();
    for (;;) {
        int timeout = -1; // nothing pending: sleep until a byte or the stop arrives
        if (framer.hasPending()) {
            const auto quiet = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - lastByte);
            timeout = qMax(0, SilenceMs - int(quiet.count()));
        }
        pollfd fds[2] = { { m_masterFd, POLLIN, 0 }, { m_wakeFds[0], POLLIN, 0 } };
        const int ready = ::poll(fds, 2, timeout);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || fds[1].revents != 0)
            return;
        if (ready == 0) {
            const QByteArray frame = framer.silence();
            if (!frame.isEmpty() && !handleFrame(frame, lastByte))
                return;
            continue;
        }
        if (!(fds[0].revents & POLLIN))
            return; // the pseudo-terminal broke down

        // One read per wake-up: whatever does not fit wakes the next poll at once.
        char buffer[512];
        const ssize_t size = ::read(m_masterFd, buffer, sizeof buffer);
        if (size < 0 && errno != EAGAIN && errno != EINTR)
            return;
        if (size <= 0)
            continue;
        lastByte = std::chrono::steady_clock::now();
        const QList<QByteArray> frames = framer.feed(QByteArray(buffer, int(size)));
        for (const QByteArray &frame : frames) {
            if (!handleFrame(frame, lastByte))
                return;
        }
    }
}

bool RelayBus::handleFrame(const QByteArray &frame, std::chrono::steady_clock::time_point arrival)
{
    if (!clientLineMatches())
        return true;
    ++m_framesReceived;
    FaultSettings faults;
    LinePacing pacing;
    QByteArray reply = answer(frame, &faults, &pacing);
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
    if (pacing.isOn()) {
        // The whole answer goes out at the moment its last byte would have arrived: a master
        // cannot act on an RTU answer before it is complete.
        const auto due = arrival
            + std::chrono::nanoseconds(pacing.transactionNs(frame.size(), reply.size()))
            + std::chrono::milliseconds(delayMs);
        if (waitForStopUntil(due))
            return false;
    } else if (delayMs > 0 && waitForStop(delayMs)) {
        return false;
    }

    // Counted before it goes out: a master that has read the answer must find it counted.
    // Nobody reads a full line: the answer is lost like on a real one.
    ++m_answersSent;
    if (::write(m_masterFd, reply.constData(), size_t(reply.size())) <= 0)
        --m_answersSent;
    return true;
}

QByteArray RelayBus::answer(const QByteArray &frame, FaultSettings *faults, LinePacing *pacing)
{
    std::lock_guard<std::mutex> locker(m_mutex);
    *faults = m_faults;
    *pacing = m_pacing;
    const int slave = static_cast<quint8>(frame.at(0));
    QList<ReceivedWrite> taken;
    if (slave == MODBUS_BROADCAST_ADDRESS) {
        for (const auto &relay : m_relays) {
            QList<ReceivedWrite> writes;
            if (relay.second->isOnline() && relay.second->serve(m_context, frame, &writes)
                && taken.isEmpty())
                taken = writes;
        }
        m_writes += taken;
        return QByteArray();
    }

    RelayState *state = relay(slave);
    if (!state || !state->isOnline())
        return QByteArray();
    state->serve(m_context, frame, &taken);
    m_writes += taken;

    char reply[MODBUS_RTU_MAX_ADU_LENGTH];
    const ssize_t size = ::recv(m_replyFds[1], reply, sizeof reply, 0);
    return size > 0 ? QByteArray(reply, int(size)) : QByteArray();
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
