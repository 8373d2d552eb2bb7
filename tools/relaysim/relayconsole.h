// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RELAYCONSOLE_H
#define RELAYCONSOLE_H

// The simulator's command console: a trainer types a line, the bus changes, and the console
// answers with the lines that say what changed. It knows nothing of terminals: the program feeds
// it the lines of its standard input (LineReader) and prints what execute() returns.
//
// The answers are meant for people and for scripts alike, so their wording is fixed: every
// command answers with one line, except help and status, which answer with several and end with a
// line of their own ("  quit ..." and "line: ..."), and rules and writes, whose first line
// ("rules: N", "writes: N") tells how many lines follow. A line that could not be carried out
// answers with one line starting with "error: " and leaves the bus as it was.

#include <QString>
#include <QStringList>

#include <vector>

class RelayBus;
struct FaultSettings;

class RelayConsole
{
public:
    // The faults drawn with a probability for each answer; the names are those of the program's
    // options and of the console's commands.
    struct ProbabilityFault
    {
        QString name;
        QString description;
        double FaultSettings::*probability;
    };
    static const std::vector<ProbabilityFault> &probabilityFaults();

    // "P" from 0 to 1; "MS" for a fixed delay or "MIN-MAX" for one drawn anew for every answer.
    static bool parseProbability(const QString &text, double *probability);
    static bool parseDelay(const QString &text, int *minMs, int *maxMs);

    explicit RelayConsole(RelayBus *bus);

    // Carries out one command line; a blank line or a comment (#) answers nothing.
    QStringList execute(const QString &line);
    bool quitRequested() const { return m_quit; }

private:
    RelayBus *m_bus;
    bool m_quit = false;
};

#endif // RELAYCONSOLE_H
