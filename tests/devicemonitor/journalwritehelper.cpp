// SPDX-License-Identifier: GPL-3.0-or-later
// A second instance of the program writing the same journal: records the given number of
// writes, each an intent and then its outcome, as "second instance":
//   journal-write-helper <journal> <writes>
#include "devicemonitor/journalstore.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool isNumber = false;
    const int writes = args.size() == 3 ? args.at(2).toInt(&isNumber) : 0;
    if (!isNumber) {
        std::fputs("usage: journal-write-helper <journal> <writes>\n", stderr);
        return 2;
    }
    JournalStore store(args.at(1));
    if (!store.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(store.errorText()));
        return 1;
    }
    JournalEntry entry;
    entry.user = QStringLiteral("second instance");
    entry.port = QStringLiteral("/dev/ttyUSB1");
    entry.slaveId = 5;
    entry.kind = JournalEntry::SetpointsSet;
    JournalRegister reg;
    reg.address = 34;
    reg.field = QStringLiteral("MTZ pick-up");
    entry.registers.append(reg);
    for (int i = 0; i < writes; ++i) {
        entry.when = QDateTime::currentDateTimeUtc();
        entry.registers[0].newRaw = i;
        const std::optional<qint64> id = store.addEntry(entry);
        QVector<JournalRegister> outcomes = entry.registers;
        outcomes[0].outcome = JournalOutcome::Verified;
        if (!id || !store.recordOutcomes(*id, outcomes, QString())) {
            std::fprintf(stderr, "write %d: %s\n", i, qPrintable(store.errorText()));
            return 1;
        }
        // A pause, as between a program's writes, in which the other instance's writes get in.
        QThread::msleep(5);
    }
    return 0;
}
