// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINEREADER_H
#define LINEREADER_H

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

// Reads lines from a file descriptor (the simulator's standard input) as they come, without ever
// blocking the event loop: a terminal, a pipe from a script, a file of commands or /dev/null.
// The descriptor is neither made non-blocking, which would change it for every process sharing
// it, nor closed.
class LineReader : public QObject
{
    Q_OBJECT

public:
    explicit LineReader(int fd, QObject *parent = nullptr);

    bool isReading() const { return m_notifier.isEnabled(); }
    // No more lines, not even those already read; finished() is not emitted.
    void stop() { m_notifier.setEnabled(false); }

signals:
    void lineRead(const QString &line);
    // The input ended, or reading it failed (a terminal taken away from a background process):
    // no more lines will come.
    void finished(const QString &reason);

private:
    void readAvailable();
    void finish(const QString &reason);

    const int m_fd;
    QSocketNotifier m_notifier;
    QByteArray m_pending;
};

#endif // LINEREADER_H
