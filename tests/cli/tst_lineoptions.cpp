// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/lineoptions.h"

#include <QTest>

namespace {

// What settings.ini held: a serial line at 9600 baud, odd parity, and a gateway once used.
ConnectionSettings saved()
{
    ConnectionSettings settings;
    settings.portName = QStringLiteral("/dev/ttyUSB1");
    settings.serialPortSettings.setBaudRate(9600);
    settings.serialPortSettings.setParity(SerialPortSettings::OddParity);
    settings.host = QStringLiteral("10.0.0.7");
    settings.tcpPort = 4001;
    settings.protocol = ConnectionSettings::RtuOverTcp;
    return settings;
}

std::optional<LineOptions> parsed(const QString &line, QString *error)
{
    return LineArguments::parse(
        QStringList { QStringLiteral("korvel-line") } + line.split(QLatin1Char(' ')), saved(),
        error);
}

} // namespace

class LineOptionsTest : public QObject
{
    Q_OBJECT

private slots:
    void commandsAndTheirArguments();
    void connectionOverSavedSettings();
    void refusedCommandLines_data();
    void refusedCommandLines();
};

void LineOptionsTest::commandsAndTheirArguments()
{
    QString error;
    std::optional<LineOptions> options = parsed(QStringLiteral("scan"), &error);
    QVERIFY2(options, qPrintable(error));
    QCOMPARE(options->command, LineOptions::Scan);
    QCOMPARE(options->firstId, 1);
    QCOMPARE(options->lastId, 63);
    QVERIFY(!options->json);

    // Options before, between and after the command's arguments.
    options = parsed(QStringLiteral("--json report line --ids 5-17 out.pdf"), &error);
    QVERIFY2(options, qPrintable(error));
    QCOMPARE(options->command, LineOptions::Report);
    QCOMPARE(options->commandName(), QStringLiteral("report"));
    QCOMPARE(options->folder, QStringLiteral("line"));
    QCOMPARE(options->output, QStringLiteral("out.pdf"));
    QCOMPARE(options->firstId, 5);
    QCOMPARE(options->lastId, 17);
    QVERIFY(options->json);

    options = parsed(QStringLiteral("backup line --overwrite --ids 7"), &error);
    QVERIFY2(options, qPrintable(error));
    QCOMPARE(options->command, LineOptions::Backup);
    QVERIFY(options->overwrite);
    QCOMPARE(options->firstId, 7);
    QCOMPARE(options->lastId, 7);

    options = parsed(QStringLiteral("send line --only 2,5,17 --yes"), &error);
    QVERIFY2(options, qPrintable(error));
    QCOMPARE(options->command, LineOptions::Send);
    QCOMPARE(options->folder, QStringLiteral("line"));
    QCOMPARE(options->only, (QList<int> { 2, 5, 17 }));
    QVERIFY(options->yes);

    options = parsed(QStringLiteral("journal-export writes.csv"), &error);
    QVERIFY2(options, qPrintable(error));
    QCOMPARE(options->output, QStringLiteral("writes.csv"));
    QVERIFY(options->folder.isEmpty());
    QVERIFY(!options->needsConnection());

    QString help;
    QVERIFY(!LineArguments::parse(
        { QStringLiteral("korvel-line"), QStringLiteral("--help") }, saved(), &error, &help));
    QVERIFY(help.contains(QStringLiteral("journal-export FILE.csv")));
}

void LineOptionsTest::connectionOverSavedSettings()
{
    QString error;
    // Nothing given: the saved serial line as it was.
    std::optional<LineOptions> options = parsed(QStringLiteral("scan"), &error);
    QVERIFY2(options, qPrintable(error));
    QCOMPARE(options->connection.link, ConnectionSettings::SerialLink);
    QCOMPARE(options->connection.portName, QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(options->connection.serialPortSettings.baudRate(), 9600);

    // The port and the parity given, the baud rate saved.
    options = parsed(QStringLiteral("--port /tmp/tty --parity even scan"), &error);
    QVERIFY2(options, qPrintable(error));
    QCOMPARE(options->connection.portName, QStringLiteral("/tmp/tty"));
    QCOMPARE(options->connection.serialPortSettings.parity(), int(SerialPortSettings::EvenParity));
    QCOMPARE(options->connection.serialPortSettings.baudRate(), 9600);

    // A host switches to the network; the saved TCP port stays, the protocol is given.
    options = parsed(QStringLiteral("--host 127.0.0.1 --protocol tcp scan"), &error);
    QVERIFY2(options, qPrintable(error));
    QCOMPARE(options->connection.link, ConnectionSettings::NetworkLink);
    QCOMPARE(options->connection.host, QStringLiteral("127.0.0.1"));
    QCOMPARE(options->connection.tcpPort, 4001);
    QCOMPARE(options->connection.protocol, ConnectionSettings::ModbusTcp);

    options = parsed(QStringLiteral("--host gw --tcp-port 950 --baud 115200 scan"), &error);
    QVERIFY2(options, qPrintable(error));
    QCOMPARE(options->connection.tcpPort, 950);
    QCOMPARE(options->connection.protocol, ConnectionSettings::RtuOverTcp);
}

void LineOptionsTest::refusedCommandLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("error");
    QTest::newRow("no command") << "--json"
                                << "No command given";
    QTest::newRow("unknown command") << "restore line"
                                     << "Unknown command \"restore\"";
    QTest::newRow("yes to a compare") << "compare line --yes"
                                      << "--yes and --only are for send only.";
    QTest::newRow("only IDs in words") << "send line --only 2,five"
                                       << "--only takes slave IDs separated by commas";
    QTest::newRow("folder missing") << "compare"
                                    << "\"compare\" takes 1 argument(s)";
    QTest::newRow("report without file") << "report line"
                                         << "\"report\" takes 2 argument(s)";
    QTest::newRow("scan with argument") << "scan line"
                                        << "\"scan\" takes 0 argument(s)";
    QTest::newRow("overwrite a compare") << "compare line --overwrite"
                                         << "--overwrite is for backup only";
    QTest::newRow("ID 0") << "--ids 0-5 scan"
                          << "--ids takes FIRST-LAST within 1-63";
    QTest::newRow("ID 64") << "--ids 1-64 scan"
                           << "--ids takes";
    QTest::newRow("range backwards") << "--ids 17-5 scan"
                                     << "--ids takes";
    QTest::newRow("range in words") << "--ids all scan"
                                    << "--ids takes";
    QTest::newRow("port and host") << "--port /dev/ttyUSB0 --host gw scan"
                                   << "either --port or --host";
    QTest::newRow("baud in words") << "--baud fast scan"
                                   << "--baud takes";
    QTest::newRow("parity mark") << "--parity mark scan"
                                 << "--parity takes none, even or odd";
    QTest::newRow("TCP port 0") << "--host gw --tcp-port 0 scan"
                                << "--tcp-port takes";
    QTest::newRow("TCP port 65536") << "--host gw --tcp-port 65536 scan"
                                    << "--tcp-port takes";
    QTest::newRow("protocol") << "--host gw --protocol udp scan"
                              << "--protocol takes";
    QTest::newRow("empty host") << "--host= scan"
                                << "No gateway address";
    QTest::newRow("unknown option") << "--bogus scan"
                                    << "bogus";
    QTest::newRow("value missing") << "scan --port"
                                   << "port";
}

void LineOptionsTest::refusedCommandLines()
{
    QFETCH(QString, line);
    QFETCH(QString, error);
    QString reason;
    QVERIFY(!parsed(line, &reason));
    QVERIFY2(reason.contains(error), qPrintable(reason));
}

QTEST_GUILESS_MAIN(LineOptionsTest)
#include "tst_lineoptions.moc"
