// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef UNANSWEREDPORT_H
#define UNANSWEREDPORT_H

#include <QtGlobal>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A loopback port that listens but never accepts, its queue filled: a further
// connect waits for an answer to its SYN that never comes, as to a gateway
// switched off behind a router.
class UnansweredPort
{
public:
    UnansweredPort()
    {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(m_listener, 0);
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        for (int &filler : m_fillers) {
            filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<sockaddr *>(&address), sizeof address);
        }
    }
    ~UnansweredPort() { close(); }
    UnansweredPort(const UnansweredPort &) = delete;
    UnansweredPort &operator=(const UnansweredPort &) = delete;

    quint16 port() const { return m_port; }
    // Stops listening: the port then refuses connections.
    void close()
    {
        for (int &filler : m_fillers) {
            if (filler >= 0)
                ::close(filler);
            filler = -1;
        }
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
    }

private:
    int m_listener = -1;
    int m_fillers[2] = { -1, -1 };
    quint16 m_port = 0;
};

#endif // UNANSWEREDPORT_H
