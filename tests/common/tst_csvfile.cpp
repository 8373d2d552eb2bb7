// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/csvfile.h"
#include "filesizelimit.h"

#include <QTemporaryDir>
#include <QtTest>

class CsvFileTest : public QObject
{
    Q_OBJECT

private slots:
    void fieldsAreQuotedWhereNeeded_data();
    void fieldsAreQuotedWhereNeeded();
    void documentStartsWithAByteOrderMark();
    void failedSaveKeepsTheFileThatWasThere();
};

void CsvFileTest::fieldsAreQuotedWhereNeeded_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("plain") << "MTZ" << QByteArray("MTZ");
    QTest::newRow("empty") << "" << QByteArray("");
    QTest::newRow("decimal comma") << "1,50 A" << QByteArray("\"1,50 A\"");
    QTest::newRow("quote") << "3I0 \"directional\"" << QByteArray("\"3I0 \"\"directional\"\"\"");
    QTest::newRow("line break") << "a\nb" << QByteArray("\"a\nb\"");
    QTest::newRow("edge space") << " 5" << QByteArray("\" 5\"");
    QTest::newRow("Cyrillic") << QStringLiteral("МТЗ") << QByteArray("\xD0\x9C\xD0\xA2\xD0\x97");
}

void CsvFileTest::fieldsAreQuotedWhereNeeded()
{
    QFETCH(QString, field);
    QFETCH(QByteArray, written);
    const QByteArray document = csvDocument({ { QStringLiteral("x"), field } });
    QCOMPARE(document.mid(3), QByteArray("x,") + written + "\r\n");
}

void CsvFileTest::documentStartsWithAByteOrderMark()
{
    QCOMPARE(csvDocument({}), QByteArray("\xEF\xBB\xBF"));
    QCOMPARE(csvDocument({ { QStringLiteral("a"), QStringLiteral("b") }, { QStringLiteral("c") } }),
        QByteArray("\xEF\xBB\xBF"
                   "a,b\r\nc\r\n"));
}

// A disk that fills up half-way is a failure, and the file saved before stays whole.
void CsvFileTest::failedSaveKeepsTheFileThatWasThere()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("crashes.csv"));
    QString error;
    QVERIFY2(saveCsv(path, { { QStringLiteral("before") } }, &error), qPrintable(error));

    const QVector<QStringList> rows(100, { QStringLiteral("a longer row than the limit allows") });
    {
        const FileSizeLimit limit(64);
        QVERIFY(limit.isSet());
        QVERIFY(!saveCsv(path, rows, &error));
    }
    QVERIFY(!error.isEmpty());
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(),
        QByteArray("\xEF\xBB\xBF"
                   "before\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
        QStringList { QStringLiteral("crashes.csv") });
}

QTEST_GUILESS_MAIN(CsvFileTest)
#include "tst_csvfile.moc"
