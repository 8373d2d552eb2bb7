// SPDX-License-Identifier: GPL-3.0-or-later
// Finding a relay at unknown line settings: the whole search (every usual baud rate and parity,
// each slave ID of the range once) against the ideal line time of the tries it made. A try on
// the wire is the request, the inter-frame gap and the answer; one that stays silent also waits
// the relay's turnaround before it gives up. Run against a simulator whose relays are set to
// the given line settings and paced at them.

#include "benchsupport.h"

#include "devicemonitor/relayfinder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <cstdio>

using namespace bench;

namespace {

constexpr int TurnaroundMs = 20;
constexpr int AnswerBytes = 7; // one register

Line lineOf(const SerialPortSettings &settings)
{
    const bool parity = settings.parity() == SerialPortSettings::EvenParity
        || settings.parity() == SerialPortSettings::OddParity;
    return { settings.baudRate(),
        1 + settings.dataBits() + (parity ? 1 : 0) + settings.stopBits() };
}

bool sameSettings(const SerialPortSettings &a, const SerialPortSettings &b)
{
    return a.baudRate() == b.baudRate() && a.parity() == b.parity();
}

// The ideal time of the tries the search made, with the relays it found.
double idealMs(const QList<RelayFinder::Result> &found, int firstId, int lastId)
{
    double total = 0;
    const QList<SerialPortSettings> candidates = RelayFinder::candidateSettings();
    for (const SerialPortSettings &settings : candidates) {
        const double wireMs = lineOf(settings).transactionMs(ReadRequestBytes, AnswerBytes);
        for (int id = firstId; id <= lastId; ++id) {
            const bool answered = std::any_of(
                found.cbegin(), found.cend(), [&](const RelayFinder::Result &r) {
                    return r.slaveId == id
                        && std::any_of(r.settings.cbegin(), r.settings.cend(),
                            [&](const SerialPortSettings &s) { return sameSettings(s, settings); });
                });
            total += answered ? wireMs : wireMs + TurnaroundMs;
        }
    }
    return total;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("Device."), QStringLiteral("path"));
    const QCommandLineOption idOption(QStringLiteral("id"), QStringLiteral("The relay's slave ID."),
        QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption baudOption(QStringLiteral("baud"),
        QStringLiteral("The relay's baud rate."), QStringLiteral("n"), QStringLiteral("57600"));
    const QCommandLineOption lastOption(QStringLiteral("last"),
        QStringLiteral("Last ID of the range from 1."), QStringLiteral("n"), QStringLiteral("10"));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"), QStringLiteral("Rounds."),
        QStringLiteral("n"), QStringLiteral("3"));
    const QCommandLineOption outOption(
        QStringLiteral("out"), QStringLiteral("Report file."), QStringLiteral("path"));
    parser.addOptions({ portOption, idOption, baudOption, lastOption, roundsOption, outOption });
    parser.process(application);

    const QString port = parser.value(portOption);
    const int relayId = parser.value(idOption).toInt();
    const int baudRate = parser.value(baudOption).toInt();
    const int lastId = qMax(1, parser.value(lastOption).toInt());
    const int rounds = qMax(1, parser.value(roundsOption).toInt());
    Report report(parser.value(outOption));
    const QString figure = QStringLiteral("find 1 relay (%1 baud, even, ID %2) over IDs 1-%3")
                               .arg(baudRate)
                               .arg(relayId)
                               .arg(lastId);

    QVector<double> measured;
    QVector<double> ideal;
    int tries = 0;
    for (int r = 0; r < rounds; ++r) {
        RelayFinder finder;
        finder.setWait(TurnaroundMs);
        QEventLoop loop;
        bool completed = false;
        QObject::connect(&finder, &RelayFinder::finished, &loop, [&](bool done) {
            completed = done;
            loop.quit();
        });
        const qint64 started = nowNs();
        if (!finder.start(port, 1, lastId)) {
            report.note(QStringLiteral("finder: cannot open %1: %2").arg(port, finder.error()));
            return 1;
        }
        loop.exec();
        const double elapsedMs = (nowNs() - started) / 1e6;
        const QList<RelayFinder::Result> found = finder.results();
        if (!completed || found.size() != 1 || found.first().slaveId != relayId
            || found.first().settings.size() != 1
            || found.first().settings.first().baudRate() != baudRate
            || found.first().settings.first().parity() != SerialPortSettings::EvenParity) {
            std::fprintf(stderr, "korvel-bench-finder: the relay was not found as set\n");
            report.note(QStringLiteral("finder: the relay was not found as set"));
            return 1;
        }
        measured.append(elapsedMs);
        ideal.append(idealMs(found, 1, lastId));
        tries = finder.tryCount();
    }

    const Summary own = summarize(measured);
    const Summary floor = summarize(ideal);
    const double ratio = own.median / floor.median;
    const QString ms = QStringLiteral("ms");
    report.ratioRow(figure, describe(own, 0, ms),
        QStringLiteral("ideal line time ") + describe(floor, 0, ms), ratio,
        QStringLiteral("<= 1.05x"), ratio <= 1.05);
    report.note(QStringLiteral("find: %1 rounds of %2 tries, one frame each; a silent try waits "
                               "the answer's time on the wire and %3 ms of turnaround")
                    .arg(rounds)
                    .arg(tries)
                    .arg(TurnaroundMs));
    return 0;
}
