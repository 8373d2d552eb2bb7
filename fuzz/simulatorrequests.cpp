// SPDX-License-Identifier: GPL-3.0-or-later
// Requests as any client may send them, read by the simulator over loopback TCP: Modbus TCP, or
// with KORVEL_FUZZ_RTU_OVER_TCP RTU frames as a device server passes them on, which go through
// the same framer and relays as the pseudo-terminal's. Each input is one connection; the bus
// closes it once it has read everything, so every byte is served before the next input.
//
// An RTU input whose first byte is odd is one request with its CRC left to the harness, so that
// the relays' request handling is reached without guessing CRCs; otherwise the bytes go on the
// line as they are, and a fresh framer also sees them end in silence.
#include "relaybus.h"
#include "rtuframer.h"

#include <cstdint>
#include <cstdlib>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

#ifdef KORVEL_FUZZ_RTU_OVER_TCP
constexpr TcpProtocol Protocol = TcpProtocol::RtuOverTcp;
#else
constexpr TcpProtocol Protocol = TcpProtocol::ModbusTcp;
#endif

RelayBus &bus()
{
    static RelayBus *bus = [] {
        auto *started = new RelayBus({ 1, 2, 247 });
        started->serveTcp(Protocol);
        QString error;
        if (!started->start(&error)) {
            qFatal("Cannot start the relay bus: %s", qPrintable(error));
        }
        return started;
    }();
    return *bus;
}

QByteArray requestBytes(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    if (Protocol == TcpProtocol::RtuOverTcp && size > 0 && (data[0] & 1))
        return RtuFramer::withCrc(bytes.mid(1));
    return bytes;
}

// Sends the bytes on a connection of their own and reads the answers until the bus closes it.
void serveOnce(const QByteArray &bytes)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(bus().tcpPort(Protocol));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        abort();
    // The bus may drop a connection that is not Modbus TCP before it has read everything.
    if (!bytes.isEmpty())
        ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
    ::shutdown(fd, SHUT_WR);
    char answers[4096];
    while (::recv(fd, answers, sizeof answers, 0) > 0) { }
    ::close(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = requestBytes(data, size);
    serveOnce(bytes);
    // Whatever the relays took is of no interest here, and would only pile up.
    bus().clearReceivedWrites();

    if (Protocol == TcpProtocol::RtuOverTcp) {
        RtuFramer framer;
        for (const QByteArray &frame : framer.feed(bytes)) {
            if (!RtuFramer::hasValidCrc(frame))
                abort();
        }
        const QByteArray last = framer.silence();
        if (!last.isEmpty() && !RtuFramer::hasValidCrc(last))
            abort();
    }
    return 0;
}
