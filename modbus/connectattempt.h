// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CONNECTATTEMPT_H
#define CONNECTATTEMPT_H

#include "modbus/serialportsettings.h"

#include <QThread>

#include <modbus.h>

// Makes the libmodbus context of a network connection and connects it on a
// worker thread of its own, so that neither the host lookup nor a connection
// the far end does not accept holds up the GUI thread. done() tells the GUI
// thread that the outcome is in.
//
// Neither a host lookup nor a connect can be stopped half-way without
// risking the process (the lookup holds the C library's locks), so an
// attempt the user gave up (abandon()) is left to end by itself; it then
// closes what it opened and deletes itself.
class ConnectAttempt final : public QThread
{
    Q_OBJECT

public:
    ConnectAttempt(const ConnectionSettings &settings, int timeoutMs, QObject *parent);
    ~ConnectAttempt() override;

    // On the GUI thread, once done() was emitted.
    // The connected context, now the caller's; null when the attempt failed.
    modbus_t *takeContext();
    // Why it failed: an errno, or UnknownHostError.
    int error() const { return m_error; }
    // Whether the context was made, so that it was the connect that failed.
    bool contextMade() const { return m_contextMade; }

    // Gives the attempt up: done() is not emitted, and the attempt deletes
    // itself once it has ended.
    void abandon();

signals:
    // On the GUI thread: the outcome is in.
    void done();

protected:
    void run() override;

private:
    void onFinished();

    const ConnectionSettings m_settings;
    const int m_timeoutMs;
    // The worker's until finished(), then the GUI thread's.
    modbus_t *m_context = nullptr;
    int m_error = 0;
    bool m_contextMade = false;
    // The GUI thread's.
    bool m_abandoned = false;
};

#endif // CONNECTATTEMPT_H
