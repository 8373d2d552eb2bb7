// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINEREADER_H
#define LINEREADER_H

#include "devicemonitor/linefolder.h"
#include "devicemonitor/linerow.h"

#include <QObject>
#include <QVector>

#include <memory>
#include <optional>
#include <vector>

class DeviceMonitor;
class RelaySession;

// Reads a whole line: scans the range, then reads every relay found in turn, and every relay
// the folder expects outside the range, and judges each against its file. A relay the folder
// expects inside the range that did not answer the scan is not answering.
//
// It reports how far it got by progress(), each row as it is judged by rowChanged(), and its
// end once by finished(). The sessions stay until the next read, for a report.
class LineReader : public QObject
{
    Q_OBJECT

public:
    explicit LineReader(DeviceMonitor *monitor, QObject *parent = nullptr);
    ~LineReader() override;

    // The folder the relays are judged against; none: every relay of ours has no file.
    void setFolder(const std::optional<LineFolder> &folder) { m_folder = folder; }
    // Each relay's crash records are read as well, for a report.
    void setReadsCrashLogs(bool reads) { m_readsCrashLogs = reads; }

    void read(int firstId, int lastId);
    void cancel();
    bool isReading() const { return m_phase != Idle; }
    bool wasCanceled() const { return m_canceled; }

    // In ascending slave ID.
    const QVector<LineRow> &rows() const { return m_rows; }
    // The session a row was read by; null for a relay that did not answer the scan.
    const RelaySession *session(int slaveId) const;

signals:
    // The rows were made anew: none as a read starts, one per relay once the scan has ended.
    void rowsReset();
    // `done` of `total` steps: each ID probed, then each relay read.
    void progress(int done, int total);
    void rowChanged(int row);
    void finished();

private:
    enum Phase { Idle, Scanning, Reading };

    void onScanEnded();
    void readNext();
    void onSessionFinished();
    void judge(LineRow &row, const RelaySession &session) const;
    void finish();

    DeviceMonitor *m_monitor;
    std::optional<LineFolder> m_folder;
    bool m_readsCrashLogs = false;
    Phase m_phase = Idle;
    bool m_canceled = false;
    int m_firstId = 0;
    int m_lastId = 0;
    int m_done = 0;
    int m_total = 0;
    QVector<LineRow> m_rows;
    std::vector<std::unique_ptr<RelaySession>> m_sessions;
    int m_next = 0; // the index in m_sessions of the session reading or to read next
};

#endif // LINEREADER_H
