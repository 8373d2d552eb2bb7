// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/linefolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class LineFolderTest : public QObject
{
    Q_OBJECT

private slots:
    void manifestRoundTrip();
    void badManifestIsRefusedWithItsReason_data();
    void badManifestIsRefusedWithItsReason();
    void folderOnDisk();
};

void LineFolderTest::manifestRoundTrip()
{
    LineFolder folder;
    folder.setRelay({ 17, QStringLiteral("17-0065540.json"), qint64(65540) });
    folder.setRelay({ 2, QStringLiteral("feeder 2.json"), std::nullopt });
    folder.setRelay({ 5, QStringLiteral("05-4294967295.json"), qint64(4294967295) });
    // A later backup replaces the relay's entry.
    folder.setRelay({ 2, QStringLiteral("02-0001234.json"), qint64(1234) });

    QString error;
    const std::optional<QVector<LineRelay>> read
        = LineFolder::parseManifest(folder.manifestJson(), &error);
    QVERIFY2(read, qPrintable(error));
    const QVector<LineRelay> expected { { 2, QStringLiteral("02-0001234.json"), qint64(1234) },
        { 5, QStringLiteral("05-4294967295.json"), qint64(4294967295) },
        { 17, QStringLiteral("17-0065540.json"), qint64(65540) } };
    QCOMPARE(*read, expected);
    QCOMPARE(folder.relays(), expected);
    QCOMPARE(folder.relay(5)->file, QStringLiteral("05-4294967295.json"));
    QVERIFY(!folder.relay(3));

    // Without a serial number the key is left out rather than written as 0.
    LineFolder prepared;
    prepared.setRelay({ 9, QStringLiteral("prepared.json"), std::nullopt });
    QVERIFY(!prepared.manifestJson().contains("serialNumber"));
    QCOMPARE(LineFolder::parseManifest(prepared.manifestJson(), &error)->constFirst().serialNumber,
        std::nullopt);

    QCOMPARE(LineFolder::backupFileName(2, 65540), QStringLiteral("02-0065540.json"));
    QCOMPARE(LineFolder::backupFileName(63, 7), QStringLiteral("63-0000007.json"));
}

void LineFolderTest::badManifestIsRefusedWithItsReason_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("reason");

    const auto manifest = [](const QByteArray &relays) {
        return R"({"format": "korvel-line", "formatVersion": 1, "relays": [)" + relays + "]}";
    };
    QTest::newRow("not JSON") << QByteArray("{\"format\": ") << "not valid JSON";
    QTest::newRow("empty") << QByteArray() << "not valid JSON";
    QTest::newRow("array") << QByteArray("[1, 2]") << "not a line folder";
    QTest::newRow("settings file")
        << QByteArray(R"({"format": "korvel-relay-settings", "formatVersion": 1, "relays": []})")
        << "not a line folder";
    QTest::newRow("no version") << QByteArray(R"({"format": "korvel-line", "relays": []})")
                                << "not a line folder";
    QTest::newRow("version as text")
        << QByteArray(R"({"format": "korvel-line", "formatVersion": "1", "relays": []})")
        << "not a line folder";
    QTest::newRow("newer") << QByteArray(
        R"({"format": "korvel-line", "formatVersion": 2, "relays": []})")
                           << "format version 2, newer than this program reads (1)";
    QTest::newRow("no relays") << QByteArray(R"({"format": "korvel-line", "formatVersion": 1})")
                               << "no list of relays";
    QTest::newRow("ID 0") << manifest(R"({"slaveId": 0, "file": "a.json"})")
                          << "Relay 1 of the list has no slave ID from 1 to 247";
    QTest::newRow("ID 248") << manifest(R"({"slaveId": 248, "file": "a.json"})") << "no slave ID";
    QTest::newRow("ID 2.5") << manifest(R"({"slaveId": 2.5, "file": "a.json"})") << "no slave ID";
    QTest::newRow("ID twice") << manifest(
        R"({"slaveId": 2, "file": "a.json"}, {"slaveId": 2, "file": "b.json"})")
                              << "Slave ID 2 is listed more than once";
    QTest::newRow("no file") << manifest(R"({"slaveId": 2})")
                             << "Relay 1 of the list names no file in the folder itself";
    QTest::newRow("file up") << manifest(R"({"slaveId": 2, "file": "../a.json"})")
                             << "names no file in the folder itself";
    QTest::newRow("file absolute") << manifest(R"({"slaveId": 2, "file": "/etc/passwd"})")
                                   << "names no file in the folder itself";
    QTest::newRow("file with backslash")
        << manifest(R"({"slaveId": 2, "file": "..\\a.json"})") << "names no file in the folder";
    QTest::newRow("file dot dot") << manifest(R"({"slaveId": 2, "file": ".."})")
                                  << "names no file in the folder";
    QTest::newRow("file twice") << manifest(
        R"({"slaveId": 2, "file": "a.json"}, {"slaveId": 3, "file": "a.json"})")
                                << "\"a.json\" is named for more than one relay";
    QTest::newRow("negative serial")
        << manifest(R"({"slaveId": 2, "file": "a.json", "serialNumber": -1})")
        << "Relay 1 of the list has a serial number that is no 32-bit number";
    QTest::newRow("serial over 32 bits")
        << manifest(R"({"slaveId": 2, "file": "a.json", "serialNumber": 4294967296})")
        << "no 32-bit number";
    QTest::newRow("serial as text")
        << manifest(R"({"slaveId": 2, "file": "a.json", "serialNumber": "0065540"})")
        << "no 32-bit number";
    // Every problem is named, not only the first.
    QTest::newRow("two problems") << manifest(
        R"({"slaveId": 2, "file": "a.json"}, {"slaveId": 99999, "file": "b/c.json"})")
                                  << "Relay 2 of the list has no slave ID from 1 to 247. "
                                     "Relay 2 of the list names no file";
}

void LineFolderTest::badManifestIsRefusedWithItsReason()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, reason);
    QString error;
    QVERIFY(!LineFolder::parseManifest(json, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
}

void LineFolderTest::folderOnDisk()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString path = root.filePath(QStringLiteral("line 1"));
    QString error;

    QVERIFY(!LineFolder::open(path, &error));
    QVERIFY2(error.contains(QStringLiteral("holds no line folder's manifest")), qPrintable(error));

    std::optional<LineFolder> created = LineFolder::create(path, &error);
    QVERIFY2(created, qPrintable(error));
    QVERIFY(created->relays().isEmpty());
    created->setRelay({ 2, QStringLiteral("02-0065540.json"), qint64(65540) });
    QVERIFY2(created->save(&error), qPrintable(error));
    // A second "new" on the same folder keeps the manifest there.
    QVERIFY(!LineFolder::create(path, &error));
    QVERIFY2(error.contains(QStringLiteral("is a line folder already")), qPrintable(error));

    const std::optional<LineFolder> opened = LineFolder::open(path, &error);
    QVERIFY2(opened, qPrintable(error));
    QCOMPARE(opened->relays(), created->relays());
    QCOMPARE(
        opened->filePath(opened->relays().constFirst()), path + QStringLiteral("/02-0065540.json"));

    // A manifest over the limit is refused before it is parsed.
    QFile big(opened->manifestPath());
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.write(QByteArray(LineFolder::MaximumManifestSize + 1, ' ')) > 0);
    big.close();
    QVERIFY(!LineFolder::open(path, &error));
    QVERIFY2(error.contains(QStringLiteral("larger than 256 KB")), qPrintable(error));
}

QTEST_GUILESS_MAIN(LineFolderTest)
#include "tst_linefolder.moc"
