// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RELAYFINDER_H
#define RELAYFINDER_H

#include "common/settingsrecords.h"
#include "modbus/modbustransaction.h"
#include "modbus/serialportsettings.h"

#include <QList>
#include <QObject>

class RtuModbus;

// Finds relays whose line settings nobody knows: at each usual baud rate and
// parity in turn it asks every slave ID of a range once for one register.
//
// One frame per try: at each speed the response timeout is the time the
// request and the shortest answer take on the wire plus a wait that covers
// the adapter's latency and the relay's time to answer, so silence is told
// from an answer as early as it can be. A relay that answers, even with an
// exception, is there at those settings; one that answers at several is one
// result with all of them. The finder has a port of its own: the connection
// must be closed meanwhile.
class RelayFinder : public QObject
{
    Q_OBJECT

public:
    struct Result
    {
        int slaveId = 0;
        QList<SerialPortSettings> settings; // every one it answered at, in the order tried
    };

    explicit RelayFinder(QObject *parent = nullptr);
    ~RelayFinder() override;

    // The line settings tried, in order: the usual baud rates, each with no,
    // even and odd parity, 8 data bits and 1 stop bit.
    static QList<SerialPortSettings> candidateSettings();
    // How long one try waits for an answer at these settings: the frames'
    // time on the wire and waitMs.
    static int tryTimeoutMs(const SerialPortSettings &settings, int waitMs);
    // The wait beyond the frames' time on the wire; DefaultFinderWaitMs unless set.
    void setWait(int milliseconds) { m_waitMs = milliseconds; }

    // False when the port cannot be opened (error() says why) or IDs are wrong.
    bool start(const QString &portName, int firstId, int lastId);
    void cancel();
    bool isRunning() const { return m_running; }
    QString error() const { return m_error; }
    QList<Result> results() const { return m_results; }
    int tryCount() const;

signals:
    void progress(int done, int total);
    void relayFound(int slaveId, int baudRate, int parity);
    // Once per answer: a relay that answers at several settings is found at each.
    // completed: every try was made; otherwise it was canceled or the port failed.
    void finished(bool completed);

private slots:
    void onRequestFinished();
    void onTransactionFinished(const ModbusTransaction &transaction);

private:
    bool openAt(int settingsIndex);
    bool sendTry();
    void addResult(int slaveId, const SerialPortSettings &settings);
    void stop(bool completed);

    RtuModbus *const m_modbus;
    QList<SerialPortSettings> m_candidates;
    QString m_portName;
    int m_firstId = 0;
    int m_lastId = 0;
    int m_settingsIndex = 0;
    int m_slaveId = 0;
    int m_done = 0;
    int m_waitMs = DefaultFinderWaitMs;
    bool m_running = false;
    bool m_answered = false;
    QString m_error;
    QList<Result> m_results;
};

#endif // RELAYFINDER_H
