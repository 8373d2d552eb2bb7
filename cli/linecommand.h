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
class QTextStream;

// Carries out one korvel-line command: opens the line, reads it, and backs it up, compares it
// or reports on it; prints the result, as text or as JSON, and says finished() once with the
// exit status.
class LineCommand : public QObject
{
    Q_OBJECT

public:
    enum ExitStatus {
        Success = 0,
        NotAtFile = 1, // compare: a relay of ours is not at its file
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
    std::optional<LineFolder> m_folder;
    QJsonObject m_json;
    bool m_ended = false;
};

#endif // LINECOMMAND_H
