// SPDX-License-Identifier: GPL-3.0-or-later
#include "linereader.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

LineReader::LineReader(int fd, QObject *parent)
    : QObject(parent), m_fd(fd), m_notifier(fd, QSocketNotifier::Read)
{
    connect(&m_notifier, &QSocketNotifier::activated, this, &LineReader::readAvailable);
}

void LineReader::readAvailable()
{
    // One read per notification: it returns what is there, so it does not block, and whatever
    // is left wakes the notifier again at once.
    char buffer[4096];
    const ssize_t size = ::read(m_fd, buffer, sizeof buffer);
    if (size < 0) {
        if (errno != EINTR && errno != EAGAIN)
            finish(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    if (size == 0) {
        if (!m_pending.isEmpty())
            emit lineRead(QString::fromLocal8Bit(m_pending));
        m_pending.clear();
        finish(QStringLiteral("end of input"));
        return;
    }
    m_pending.append(buffer, int(size));
    int start = 0;
    for (int end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n', start)) {
        QByteArray line = m_pending.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        start = end + 1;
        emit lineRead(QString::fromLocal8Bit(line));
        if (!m_notifier.isEnabled())
            return; // a slot stopped the reader
    }
    m_pending.remove(0, start);
}

void LineReader::finish(const QString &reason)
{
    m_notifier.setEnabled(false);
    emit finished(reason);
}
