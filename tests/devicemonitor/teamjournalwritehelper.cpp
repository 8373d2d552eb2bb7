// SPDX-License-Identifier: GPL-3.0-or-later
// A laptop of its own writing to the team journal scripts/test serves: records the given
// number of writes in its own journal, each an intent and then its outcome, under the laptop
// name given, copies them as the program does, and ends once every one is copied:
//   teamjournal-write-helper <journal> <laptop> <writes>
#include "devicemonitor/journalreader.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/teamjournalsync.h"
#include "teamjournalserver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool isNumber = false;
    const int writes = args.size() == 4 ? args.at(3).toInt(&isNumber) : 0;
    const std::optional<TeamJournalSettings> server = testTeamJournal();
    if (!isNumber || !server) {
        std::fputs("usage: teamjournal-write-helper <journal> <laptop> <writes>, "
                   "with KORVEL_TEST_TEAM_JOURNAL set\n",
            stderr);
        return 2;
    }
    JournalStore store(args.at(1));
    if (!store.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(store.errorText()));
        return 1;
    }
    TeamJournalSync sync(store.path());
    sync.follow(&store);
    sync.setSettings(*server);
    JournalEntry entry;
    entry.laptop = args.at(2);
    entry.user = QStringLiteral("engineer");
    entry.slaveId = 5;
    entry.kind = JournalEntry::SetpointsSet;
    entry.registers.resize(1);
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
        // A pause, as between a program's writes, in which the other laptop's copies get in.
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    const JournalReader reader(store.path());
    QDeadlineTimer deadline(60000);
    while (!reader.toCopy(1).isEmpty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        sync.copyNow();
        QThread::msleep(20);
    }
    if (!reader.toCopy(1).isEmpty()) {
        std::fprintf(stderr, "not every write was copied: %s\n", qPrintable(sync.lastError()));
        return 1;
    }
    return 0;
}
