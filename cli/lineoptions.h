// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINEOPTIONS_H
#define LINEOPTIONS_H

#include "modbus/serialportsettings.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What korvel-line was asked to do: the connection, the scan range, the command and its
// arguments. Values the command line leaves out are taken from the settings given.
struct LineOptions
{
    enum Command { Scan, Backup, Compare, Send, Report, JournalExport };

    ConnectionSettings connection;
    int firstId = 1;
    int lastId = 63;
    bool json = false;
    bool overwrite = false;
    bool yes = false; // send: write, rather than print the plans
    QList<int> only; // send: these relays rather than those that differ
    Command command = Scan;
    QString folder; // backup, compare, send, report
    QString output; // the report's PDF, the journal's CSV

    // Whether the command talks to the relays.
    bool needsConnection() const { return command != JournalExport; }
    // The command as typed, for the machine-readable output.
    QString commandName() const;
};

class LineArguments
{
    Q_DECLARE_TR_FUNCTIONS(LineArguments)

public:
    // The options of `arguments` (the program's name first) over `saved`; none, with `error`
    // saying what is wrong, for a command line that cannot be carried out. `help` is set
    // instead when the usage was asked for.
    static std::optional<LineOptions> parse(const QStringList &arguments,
        const ConnectionSettings &saved, QString *error, QString *help = nullptr);
    static QString usage();
};

#endif // LINEOPTIONS_H
