// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINECOMMAND_H
#define LINECOMMAND_H

#include "cli/lineoptions.h"
#include "common/settingsrecords.h"
#include "devicemonitor/linefolder.h"

#include <QJsonObject>
#include <QObject>

#include <optional>

class DeviceMonitor;
class LineReader;
class LineSend;
class QTextStream;
class TeamJournalSync;
class WriteJournal;

// Carries out one korvel-line command: opens the line, reads it, and backs it up, compares it
// or reports on it; prints the result, as text or as JSON, and says finished() once with the
// exit status.
class LineCommand : public QObject
{
    Q_OBJECT

public:
    enum ExitStatus {
        Success = 0,
        NotAtFile = 1, // compare: a relay of ours is not at its file; send: see the usage
        Failure = 2,
    };

    // `out` takes the result, `err` the reasons of a failure.
    LineCommand(const LineOptions &options, const DeviceSettings &timing, QTextStream *out,
        QTextStream *err, QObject *parent = nullptr);
    ~LineCommand() override;

    void start();

signals:
    void finished(int status);

private:
    bool openFolder();
    void readLine();
    void onLineRead();
    void exportJournal();
    int backUp();
    int compare();
    bool openJournal();
    // Sends the relays chosen, or, without --yes, prints their plans and ends.
    void send();
    void onSent();
    // Waits a while for the team journal to take every entry; false when it did not.
    bool copiedToTeamJournal();
    // The relays of the line read that the send is for; none, with the command ended, when one
    // asked for cannot be sent its file.
    std::optional<QVector<int>> relaysToSend();
    int writeReport();
    void printTable(bool withFiles);
    // Prints the error and ends with Failure.
    void fail(const QString &error);
    void end(int status);

    LineOptions m_options;
    QTextStream *m_out;
    QTextStream *m_err;
    DeviceMonitor *m_monitor;
    LineReader *m_reader;
    LineSend *m_send = nullptr;
    WriteJournal *m_journal = nullptr;
    TeamJournalSync *m_teamJournal = nullptr;
    std::optional<LineFolder> m_folder;
    QJsonObject m_json;
    bool m_ended = false;
};

#endif // LINECOMMAND_H
