#include "relaybus.h"

#include <QtTest>

namespace {

const QString mbpollPath = QStringLiteral("/usr/bin/mbpoll");

struct PollResult
{
    bool finished = false;
    QMap<int, quint16> values;
    QString output;
};

} // namespace

// Runs the program as scripts and engineers do, and reads it with mbpoll, a master that shares
// nothing with this code base but libmodbus. The expected values come from an engine set up
// with the same options.
class TestRelaysimProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void answersLikeTheEngine_data();
    void answersLikeTheEngine();
    void absentSlaveTimesOut();
    void writesReadBack();
    void refusesBadOptions_data();
    void refusesBadOptions();
    void stopsCleanlyOnSigterm();

private:
    PollResult poll(const QStringList &arguments, const QStringList &values = {});

    QTemporaryDir m_directory;
    QString m_link;
    QProcess m_program;
};

void TestRelaysimProgram::initTestCase()
{
    // scripts/test installs mbpoll: without it these checks would pass unseen.
    QVERIFY2(QFileInfo::exists(mbpollPath), "mbpoll is not installed");
    QVERIFY(m_directory.isValid());
    m_link = m_directory.filePath(QStringLiteral("relays"));
    m_program.start(QStringLiteral(RELAYSIM_PROGRAM),
        { QStringLiteral("--ids"), QStringLiteral("1,2,5"), QStringLiteral("--link"), m_link,
            QStringLiteral("--crashes"), QStringLiteral("70"), QStringLiteral("--foreign-type"),
            QStringLiteral("2"), QStringLiteral("--modules"), QStringLiteral("5=0x0008"),
            QStringLiteral("--still") });
    QVERIFY(m_program.waitForStarted());
    QVERIFY(m_program.waitForReadyRead(5000));
    const QString device = QString::fromLocal8Bit(m_program.readLine()).trimmed();
    QVERIFY2(device.startsWith(QStringLiteral("/dev/pts/")), qPrintable(device));
    QCOMPARE(QFileInfo(m_link).symLinkTarget(), device);
}

void TestRelaysimProgram::cleanupTestCase()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished();
    }
}

PollResult TestRelaysimProgram::poll(const QStringList &arguments, const QStringList &values)
{
    QProcess mbpoll;
    mbpoll.setProcessChannelMode(QProcess::MergedChannels);
    mbpoll.start(mbpollPath,
        QStringList { QStringLiteral("-m"), QStringLiteral("rtu"), QStringLiteral("-b"),
            QStringLiteral("19200"), QStringLiteral("-P"), QStringLiteral("none"),
            QStringLiteral("-0"), QStringLiteral("-1"), QStringLiteral("-o"),
            QStringLiteral("0.3") }
            + arguments + QStringList { m_link } + values);
    PollResult result;
    result.finished = mbpoll.waitForFinished(5000);
    result.output = QString::fromLocal8Bit(mbpoll.readAll());
    // Values come as "[address]: <tab>value", one a line.
    static const QRegularExpression line(
        QStringLiteral("^\\[(\\d+)\\]:\\s+(\\S+)$"), QRegularExpression::MultilineOption);
    auto matches = line.globalMatch(result.output);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        result.values.insert(match.captured(1).toInt(), match.captured(2).toUShort(nullptr, 0));
    }
    return result;
}

void TestRelaysimProgram::answersLikeTheEngine_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("count");

    QTest::newRow("identity of the foreign relay") << 2 << "4:hex" << 0 << 10;
    QTest::newRow("modules and configuration") << 5 << "4:hex" << 24 << 28;
    QTest::newRow("crash count") << 1 << "4:hex" << 0x4000 << 1;
    QTest::newRow("number of the oldest kept crash") << 1 << "4:hex" << 0x41E8 << 1;
    QTest::newRow("type and current of the oldest kept crash") << 1 << "4:hex" << 0x41EC << 4;
    QTest::newRow("LEDs") << 1 << "0" << 0x1008 << 8;
    QTest::newRow("LEDs without auto-reclose") << 5 << "0" << 0x1008 << 8;
    QTest::newRow("discrete inputs") << 2 << "1" << 0x1000 << 4;
}

void TestRelaysimProgram::answersLikeTheEngine()
{
    QFETCH(int, id);
    QFETCH(QString, type);
    QFETCH(int, address);
    QFETCH(int, count);

    RelayBus reference({ 1, 2, 5 });
    for (int relay : { 1, 2, 5 })
        reference.setCrashCount(relay, 70);
    reference.setDeviceTypeCode(2, 0x8D91);
    reference.setModules(5, 0x0008);

    const PollResult result = poll({ QStringLiteral("-a"), QString::number(id),
        QStringLiteral("-t"), type, QStringLiteral("-r"), QString::number(address),
        QStringLiteral("-c"), QString::number(count) });
    QVERIFY(result.finished);
    QCOMPARE(result.values.size(), count);
    for (int i = address; i < address + count; ++i) {
        const quint16 expected = type == QLatin1String("0") ? reference.coil(id, i)
            : type == QLatin1String("1")                    ? reference.discreteInput(id, i)
                                                            : reference.holdingRegister(id, i);
        QVERIFY2(result.values.value(i, 0xDEAD) == expected, qPrintable(result.output));
    }
}

void TestRelaysimProgram::absentSlaveTimesOut()
{
    const PollResult absent = poll({ QStringLiteral("-a"), QStringLiteral("3"),
        QStringLiteral("-r"), QStringLiteral("0"), QStringLiteral("-c"), QStringLiteral("10") });
    QVERIFY(absent.finished);
    QVERIFY(absent.values.isEmpty());
    QVERIFY2(absent.output.contains(QLatin1String("timed out")), qPrintable(absent.output));

    const PollResult present = poll({ QStringLiteral("-a"), QStringLiteral("5"),
        QStringLiteral("-r"), QStringLiteral("8"), QStringLiteral("-c"), QStringLiteral("1") });
    QCOMPARE(present.values.value(8), quint16(5));
}

void TestRelaysimProgram::writesReadBack()
{
    const QStringList where
        = { QStringLiteral("-a"), QStringLiteral("1"), QStringLiteral("-r"), QStringLiteral("49") };
    QVERIFY(poll(where, { QStringLiteral("95") }).finished);
    QCOMPARE(poll(where).values.value(49), quint16(95));

    const PollResult refused = poll(
        { QStringLiteral("-a"), QStringLiteral("1"), QStringLiteral("-r"), QStringLiteral("24") },
        { QStringLiteral("0") });
    QVERIFY2(
        refused.output.contains(QLatin1String("Illegal data address")), qPrintable(refused.output));
}

void TestRelaysimProgram::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("slave ID 0") << QStringList { QStringLiteral("--ids"), QStringLiteral("0,1") };
    QTest::newRow("slave ID twice")
        << QStringList { QStringLiteral("--ids"), QStringLiteral("1,1") };
    QTest::newRow("probability above 1")
        << QStringList { QStringLiteral("--drop"), QStringLiteral("1.5") };
    QTest::newRow("delay range upside down")
        << QStringList { QStringLiteral("--delay"), QStringLiteral("50-10") };
    QTest::newRow("modules of a relay not on the line")
        << QStringList { QStringLiteral("--modules"), QStringLiteral("9=1") };
    QTest::newRow("negative crash count")
        << QStringList { QStringLiteral("--crashes"), QStringLiteral("-1") };
}

void TestRelaysimProgram::refusesBadOptions()
{
    QFETCH(QStringList, arguments);

    QProcess program;
    program.start(QStringLiteral(RELAYSIM_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(5000));
    QCOMPARE(program.exitCode(), 2);
    QVERIFY(program.readAllStandardOutput().isEmpty());
    QVERIFY(!program.readAllStandardError().isEmpty());
}

void TestRelaysimProgram::stopsCleanlyOnSigterm()
{
    m_program.terminate();
    QVERIFY(m_program.waitForFinished(5000));
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 0);
    QVERIFY(!QFileInfo(m_link).isSymLink());
}

QTEST_GUILESS_MAIN(TestRelaysimProgram)
#include "tst_relaysimprogram.moc"
