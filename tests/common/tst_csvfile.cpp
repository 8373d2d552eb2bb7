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
    void fieldsKeepWhatASpreadsheetMakesOfThem_data();
    void fieldsKeepWhatASpreadsheetMakesOfThem();
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

// Codes stay text, foreign text never runs as a formula, the program's own numbers stay numbers.
void CsvFileTest::fieldsKeepWhatASpreadsheetMakesOfThem_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("written");

    const int code = CsvField::Code;
    const int foreign = CsvField::Foreign;
    const int own = CsvField::Own;
    QTest::newRow("fingerprint") << "00012E34" << code << QByteArray(R"("=""00012E34""")");
    QTest::newRow("serial number") << "0042017" << code << QByteArray(R"("=""0042017""")");
    QTest::newRow("type code") << "8D90" << code << QByteArray(R"("=""8D90""")");
    QTest::newRow("code with a quote") << "1\"2" << code << QByteArray(R"("=""1""""2""")");
    QTest::newRow("no code") << "" << code << QByteArray("");
    QTest::newRow("formula") << "=HYPERLINK(\"http://x\",\"y\")" << foreign
                             << QByteArray(R"csv("'=HYPERLINK(""http://x"",""y"")")csv");
    QTest::newRow("plus") << "+7 900 000" << foreign << QByteArray("'+7 900 000");
    QTest::newRow("minus") << "-2+3" << foreign << QByteArray("'-2+3");
    QTest::newRow("at") << "@SUM(A1)" << foreign << QByteArray("'@SUM(A1)");
    QTest::newRow("tab") << "\t=1" << foreign << QByteArray("'\t=1");
    QTest::newRow("plain user") << "engineer" << foreign << QByteArray("engineer");
    QTest::newRow("sign inside") << "a=b" << foreign << QByteArray("a=b");
    QTest::newRow("negative number") << "-12" << own << QByteArray("-12");
    QTest::newRow("signed value") << "-1,50 A" << own << QByteArray("\"-1,50 A\"");
}

void CsvFileTest::fieldsKeepWhatASpreadsheetMakesOfThem()
{
    QFETCH(QString, field);
    QFETCH(int, kind);
    QFETCH(QByteArray, written);
    const QByteArray document = csvDocument({ { CsvField(field, CsvField::Kind(kind)) } });
    QCOMPARE(document.mid(3), written + "\r\n");
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

    const QVector<CsvRow> rows(100, { QStringLiteral("a longer row than the limit allows") });
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
