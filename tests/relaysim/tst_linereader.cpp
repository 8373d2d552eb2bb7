// SPDX-License-Identifier: GPL-3.0-or-later
#include "linereader.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

// The reader over a pipe, as the simulator's standard input is when a script drives it.
class TestLineReader : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void linesArriveAsTheyAreWritten();
    void endOfInputEndsTheLastLine();
    void stopDropsWhatIsLeft();
    void readErrorFinishes();

private:
    bool write(const QByteArray &bytes);

    int m_pipe[2] = { -1, -1 };
};

void TestLineReader::init()
{
    QCOMPARE(::pipe2(m_pipe, O_CLOEXEC), 0);
}

void TestLineReader::cleanup()
{
    for (int &fd : m_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

bool TestLineReader::write(const QByteArray &bytes)
{
    return ::write(m_pipe[1], bytes.constData(), size_t(bytes.size())) == bytes.size();
}

void TestLineReader::linesArriveAsTheyAreWritten()
{
    LineReader reader(m_pipe[0]);
    QSignalSpy lines(&reader, &LineReader::lineRead);
    QSignalSpy finished(&reader, &LineReader::finished);

    QVERIFY(write("status\noff 2\r\n"));
    QVERIFY(lines.wait(2000));
    QTRY_COMPARE(lines.count(), 2);
    QCOMPARE(lines.at(0).at(0).toString(), QStringLiteral("status"));
    QCOMPARE(lines.at(1).at(0).toString(), QStringLiteral("off 2"));

    // A line written in pieces comes once it is whole.
    QVERIFY(write("trip 1 "));
    QVERIFY(!lines.wait(200));
    QVERIFY(write("1 1500\n\n"));
    QTRY_COMPARE(lines.count(), 4);
    QCOMPARE(lines.at(2).at(0).toString(), QStringLiteral("trip 1 1 1500"));
    QCOMPARE(lines.at(3).at(0).toString(), QString());
    QVERIFY(reader.isReading());
    QCOMPARE(finished.count(), 0);
}

void TestLineReader::endOfInputEndsTheLastLine()
{
    LineReader reader(m_pipe[0]);
    QSignalSpy lines(&reader, &LineReader::lineRead);
    QSignalSpy finished(&reader, &LineReader::finished);

    QVERIFY(write("on 2\nquit"));
    ::close(m_pipe[1]);
    m_pipe[1] = -1;
    QVERIFY(finished.wait(2000));
    QCOMPARE(finished.at(0).at(0).toString(), QStringLiteral("end of input"));
    QCOMPARE(lines.count(), 2);
    QCOMPARE(lines.at(1).at(0).toString(), QStringLiteral("quit"));
    QVERIFY(!reader.isReading());
}

void TestLineReader::stopDropsWhatIsLeft()
{
    LineReader reader(m_pipe[0]);
    QStringList seen;
    connect(&reader, &LineReader::lineRead, this, [&](const QString &line) {
        seen.append(line);
        if (line == QLatin1String("quit"))
            reader.stop();
    });
    QSignalSpy finished(&reader, &LineReader::finished);

    QVERIFY(write("drop 1\nquit\nstatus\n"));
    QTRY_COMPARE(seen.size(), 2);
    QVERIFY(write("status\n"));
    ::close(m_pipe[1]);
    m_pipe[1] = -1;
    QTest::qWait(200);
    QCOMPARE(seen, (QStringList { QStringLiteral("drop 1"), QStringLiteral("quit") }));
    QCOMPARE(finished.count(), 0);
}

void TestLineReader::readErrorFinishes()
{
    // Always ready and never readable, like a terminal taken away from a background process.
    const int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    LineReader reader(fd);
    QSignalSpy finished(&reader, &LineReader::finished);
    QVERIFY(finished.wait(2000));
    QVERIFY(!finished.at(0).at(0).toString().isEmpty());
    QVERIFY(finished.at(0).at(0).toString() != QLatin1String("end of input"));
    QVERIFY(!reader.isReading());
    ::close(fd);
}

QTEST_GUILESS_MAIN(TestLineReader)
#include "tst_linereader.moc"
