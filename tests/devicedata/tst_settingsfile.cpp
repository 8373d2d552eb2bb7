// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/settingsfile.h"
#include "filesizelimit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <functional>

namespace {

// A value every field accepts: its first code or its lowest number.
qint64 acceptedRaw(const FieldDescription &field)
{
    if (field.kind == FieldDescription::Code)
        return field.codes.codes().first();
    return std::llround(field.range.minimum / field.range.step);
}

SettingsFile sampleFile()
{
    SettingsFile file;
    file.relay.identity = { 0x2D, 65555, 105, 0x0F, 17 };
    for (const SettingsField &field : settingsFields())
        file.relay.values.insert(field.description.address, acceptedRaw(field.description));
    file.relay.values.insert(26, 1234); // Kt
    file.savedAt = QDateTime::fromString(QStringLiteral("2026-12-08T07:30:00Z"), Qt::ISODate);
    file.programVersion = QStringLiteral("korvel-client 1.0.0");
    file.savedBy = QStringLiteral("engineer");
    return file;
}

using Edit = std::function<void(QJsonObject &root)>;

// The sample file with `edit` applied to its document.
QByteArray edited(const Edit &edit)
{
    QJsonObject root = QJsonDocument::fromJson(sampleFile().toJson()).object();
    edit(root);
    return QJsonDocument(root).toJson();
}

// Applies `edit` to the field entry called `name`.
Edit editField(const QString &name, const std::function<void(QJsonObject &)> &edit)
{
    return [name, edit](QJsonObject &root) {
        QJsonArray fields = root.value(QStringLiteral("fields")).toArray();
        for (int i = 0; i < fields.size(); ++i) {
            QJsonObject field = fields.at(i).toObject();
            if (field.value(QStringLiteral("name")).toString() == name) {
                edit(field);
                fields.replace(i, field);
            }
        }
        root.insert(QStringLiteral("fields"), fields);
    };
}

Edit setRaw(const QString &name, const QJsonValue &raw)
{
    return editField(name, [raw](QJsonObject &field) { field.insert(QStringLiteral("raw"), raw); });
}

} // namespace

class SettingsFileTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void roundTripKeepsEveryField();
    void documentIsStableAndReadable();
    void badFiles_data();
    void badFiles();
    void unusedFieldOutOfRangeIsKept();
    void readRefusesLargeFileUnread();
    void writeLeavesNoPartialFile();
    void stampAndFingerprintAreKept();
    void editedFileIsFlaggedAndStillOpens_data();
    void editedFileIsFlaggedAndStillOpens();
    void labelsAsPlainText();
};

void SettingsFileTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void SettingsFileTest::roundTripKeepsEveryField()
{
    const SettingsFile saved = sampleFile();
    QStringList problems;
    const SettingsFile read = SettingsFile::fromJson(saved.toJson(), &problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    QCOMPARE(read.relay.values, saved.relay.values);
    QCOMPARE(read.relay.values.size(), settingsFields().size());
    QCOMPARE(read.relay.identity.serialNumber, qint64(65555));
    QCOMPARE(read.relay.identity.deviceTypeCode, qint64(0x2D));
    QCOMPARE(read.relay.identity.softwareVersion, qint64(105));
    QCOMPARE(read.relay.identity.modules, qint64(0x0F));
    QCOMPARE(read.relay.identity.slaveId, 17);
    QCOMPARE(read.savedAt, saved.savedAt);
    QCOMPARE(read.programVersion, saved.programVersion);
}

void SettingsFileTest::documentIsStableAndReadable()
{
    const QByteArray json = sampleFile().toJson();
    QCOMPARE(sampleFile().toJson(), json);
    // One line per key: two files diff line by line.
    QVERIFY(json.count('\n') > settingsFields().size() * 4);

    const QJsonObject root = QJsonDocument::fromJson(json).object();
    QCOMPARE(
        root.value(QStringLiteral("format")).toString(), QLatin1String(SettingsFile::FormatName));
    QCOMPARE(root.value(QStringLiteral("formatVersion")).toInt(), SettingsFile::FormatVersion);
    QCOMPARE(
        root.value(QStringLiteral("savedAt")).toString(), QStringLiteral("2026-12-08T07:30:00Z"));
    const QJsonArray fields = root.value(QStringLiteral("fields")).toArray();
    QCOMPARE(fields.size(), settingsFields().size());
    // In table order, each with its register and the value as people read it.
    for (int i = 0; i < fields.size(); ++i) {
        const FieldDescription &description = settingsFields().at(i).description;
        const QJsonObject field = fields.at(i).toObject();
        QCOMPARE(field.value(QStringLiteral("name")).toString(), QLatin1String(description.name));
        QCOMPARE(field.value(QStringLiteral("register")).toInt(), int(description.address));
    }
    const QJsonObject kt = fields.at(1).toObject();
    QCOMPARE(kt.value(QStringLiteral("raw")).toInt(), 1234);
    QCOMPARE(kt.value(QStringLiteral("shown")).toString(), QStringLiteral("1234"));
    const auto delay = std::find_if(fields.begin(), fields.end(), [](const QJsonValue &field) {
        return field.toObject().value(QStringLiteral("name")).toString()
            == QLatin1String("mtzReactionDelay");
    });
    QCOMPARE(
        delay->toObject().value(QStringLiteral("shown")).toString(), QStringLiteral("0.1 sec"));
}

void SettingsFileTest::badFiles_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("expected");

    const QByteArray valid = sampleFile().toJson();
    QTest::newRow("not JSON") << QByteArray("{\"format\": ") << QStringList { "not valid JSON" };
    QTest::newRow("JSON array") << QByteArray("[1, 2]")
                                << QStringList { "not a relay settings file" };
    QTest::newRow("another format") << edited([](QJsonObject &root) {
        root.insert(QStringLiteral("format"), QStringLiteral("korvel-traffic"));
    }) << QStringList { "not a relay settings file" };
    QTest::newRow("newer format version")
        << edited([](QJsonObject &root) { root.insert(QStringLiteral("formatVersion"), 2); })
        << QStringList { "format version 2, newer" };
    QByteArray large = valid;
    large.insert(large.indexOf('{') + 1,
        QByteArray("\"padding\": \"") + QByteArray(SettingsFile::MaximumSize, 'x') + "\",");
    QTest::newRow("over 1 MB") << large << QStringList { "larger than 1 MB" };
    QTest::newRow("missing field") << edited([](QJsonObject &root) {
        QJsonArray fields = root.value(QStringLiteral("fields")).toArray();
        fields.removeAt(3);
        root.insert(QStringLiteral("fields"), fields);
    }) << QStringList { "\"diBlockToMode\": missing" };
    QTest::newRow("field listed twice") << edited([](QJsonObject &root) {
        QJsonArray fields = root.value(QStringLiteral("fields")).toArray();
        QJsonObject again = fields.at(5).toObject();
        again.insert(QStringLiteral("raw"), 3);
        fields.append(again);
        root.insert(QStringLiteral("fields"), fields);
    }) << QStringList { "\"mtzInstantResettingTime\": listed more than once" };
    QByteArray twiceRaw = valid;
    twiceRaw.replace("\"raw\": 1234,", "\"raw\": 1234, \"raw\": 99,");
    QVERIFY(twiceRaw != valid);
    QTest::newRow("key twice in a field") << twiceRaw << QStringList { "key \"raw\" appears" };
    QByteArray twiceFormat = valid;
    const QByteArray format = "\"format\": \"korvel-relay-settings\",";
    QVERIFY(twiceFormat.contains(format));
    twiceFormat.replace(format, format + format);
    QTest::newRow("key twice at the top") << twiceFormat << QStringList { "key \"format\"" };
    QTest::newRow("fraction") << edited(setRaw(QStringLiteral("currentTransFactor"),
        12.5)) << QStringList { "\"currentTransFactor\": the value is not an integer" };
    QTest::newRow("text") << edited(setRaw(QStringLiteral("mtzMode"), QStringLiteral("1")))
                          << QStringList { "\"mtzMode\": the value is not an integer" };
    QTest::newRow("no value") << edited(editField(QStringLiteral("toMode"), [](QJsonObject &field) {
        field.remove(QStringLiteral("raw"));
    })) << QStringList { "\"toMode\": the value is not an integer" };
    QTest::newRow("number above its range")
        << edited(setRaw(QStringLiteral("currentTransFactor"), 5001))
        << QStringList { "\"currentTransFactor\": 5,001 is outside its range, 1 to 5,000" };
    QTest::newRow("number below its range")
        << edited(setRaw(QStringLiteral("apvReadinessDelay"), 14))
        << QStringList { "\"apvReadinessDelay\": 14 sec is outside its range, 15 to 120 sec" };
    // Limits and step grow alike with the range: raw 451 is out at every range.
    QTest::newRow("pick-up current, range x1")
        << edited(setRaw(QStringLiteral("mtzPickupCurrent"), 451))
        << QStringList { "\"mtzPickupCurrent\": 4.51 A is outside its range, 1.00 to 4.50 A" };
    QTest::newRow("pick-up current, range x8") << edited([](QJsonObject &root) {
        setRaw(QStringLiteral("currentRange"), 4)(root);
        setRaw(QStringLiteral("toMode"), 1)(root); // in use, so its range holds
        setRaw(QStringLiteral("toPickupCurrent"), 19)(root);
    }) << QStringList { "\"toPickupCurrent\": 15.2 A is outside its range, 16.0 to 328.0 A" };
    QTest::newRow("code outside its table")
        << edited(setRaw(QStringLiteral("currentRange"), 9))
        << QStringList { "\"currentRange\": 9 is not one of its codes" };
    QTest::newRow("unknown field") << edited([](QJsonObject &root) {
        QJsonArray fields = root.value(QStringLiteral("fields")).toArray();
        fields.append(QJsonObject { { QStringLiteral("name"), QStringLiteral("mtzTurbo") },
            { QStringLiteral("register"), 99 }, { QStringLiteral("raw"), 1 } });
        root.insert(QStringLiteral("fields"), fields);
    }) << QStringList { "\"mtzTurbo\": no such field" };
    QTest::newRow("register of another field")
        << edited(editField(QStringLiteral("znzMode"),
               [](QJsonObject &field) { field.insert(QStringLiteral("register"), 41); }))
        << QStringList { "\"znzMode\": the register is not 40" };
    QTest::newRow("no identity") << edited(
        [](QJsonObject &root) { root.remove(QStringLiteral("device")); })
                                 << QStringList { "no integer \"deviceTypeCode\"",
                                        "no integer \"serialNumber\"",
                                        "no integer \"softwareVersion\"", "no integer \"modules\"",
                                        "no integer \"slaveId\"" };
    QTest::newRow("every offending field named") << edited([](QJsonObject &root) {
        setRaw(QStringLiteral("znzReactionDelay"), 0)(root);
        setRaw(QStringLiteral("apvMode"), 7)(root);
        setRaw(QStringLiteral("zeroCurrentTransFactor"), 2.5)(root);
    }) << QStringList { "\"znzReactionDelay\"", "\"apvMode\"", "\"zeroCurrentTransFactor\"" };
}

void SettingsFileTest::badFiles()
{
    QFETCH(QByteArray, json);
    QFETCH(QStringList, expected);

    QStringList problems;
    const SettingsFile file = SettingsFile::fromJson(json, &problems);
    const QString all = problems.join(QLatin1Char('\n'));
    for (const QString &text : expected)
        QVERIFY2(all.contains(text), qPrintable(QStringLiteral("%1 not in:\n%2").arg(text, all)));
    // Only what the row broke is reported.
    QVERIFY2(problems.size() <= expected.size(), qPrintable(all));
    // Nothing of a bad file is kept to be sent.
    QVERIFY(file.relay.values.isEmpty());
}

// A relay without auto-reclose holds 0 in its APV times, below their range: its own backup must
// open, with the value kept and marked; the same value where the module is there is refused.
void SettingsFileTest::unusedFieldOutOfRangeIsKept()
{
    const QByteArray withoutApv = edited([](QJsonObject &root) {
        QJsonObject device = root.value(QStringLiteral("device")).toObject();
        device.insert(QStringLiteral("modules"), 0x0E);
        root.insert(QStringLiteral("device"), device);
        setRaw(QStringLiteral("apvReadinessDelay"), 0)(root);
    });
    QStringList problems;
    const SettingsFile file = SettingsFile::fromJson(withoutApv, &problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    QCOMPARE(file.relay.values.value(49), qint64(0));
    QCOMPARE(file.unusedOutOfRange, QSet<quint16> { 49 });

    const SettingsFile withApv
        = SettingsFile::fromJson(edited(setRaw(QStringLiteral("apvReadinessDelay"), 0)), &problems);
    QCOMPARE(problems.size(), 1);
    QVERIFY(withApv.relay.values.isEmpty());
}

void SettingsFileTest::readRefusesLargeFileUnread()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(SettingsFile::MaximumSize + 1));
    file.close();
    QStringList problems;
    SettingsFile::read(path, &problems);
    QCOMPARE(problems, QStringList { QStringLiteral("The file is larger than 1 MB.") });

    SettingsFile::read(dir.filePath(QStringLiteral("missing.json")), &problems);
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.first().startsWith(QStringLiteral("Could not open the file")),
        qPrintable(problems.first()));
}

// A write that fails half-way, as on a full disk, keeps the file that was
// there and leaves nothing of its own behind.
void SettingsFileTest::writeLeavesNoPartialFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("relay.json"));
    QString error;
    QVERIFY2(sampleFile().write(path, &error), qPrintable(error));
    QStringList problems;
    QCOMPARE(SettingsFile::read(path, &problems).relay.values, sampleFile().relay.values);

    const QByteArray before = sampleFile().toJson();
    SettingsFile other = sampleFile();
    other.relay.identity.serialNumber = 70000;
    {
        const FileSizeLimit limit(before.size() / 2);
        QVERIFY(limit.isSet());
        QVERIFY(!other.write(path, &error));
    }
    QVERIFY(!error.isEmpty());
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
        QStringList { QStringLiteral("relay.json") });

    const QString unwritable = dir.filePath(QStringLiteral("no/such/folder/relay.json"));
    QVERIFY(!sampleFile().write(unwritable, &error));
    QVERIFY(!error.isEmpty());
}

void SettingsFileTest::labelsAsPlainText()
{
    QCOMPARE(plainLabel(settingsFieldNamed(QStringLiteral("zeroCurrentTransFactor"))->description),
        QStringLiteral("Kt0"));
    QCOMPARE(plainLabel(settingsFieldNamed(QStringLiteral("currentRange"))->description),
        QStringLiteral("IA, IC range"));
    QCOMPARE(plainLabel(settingsFieldNamed(QStringLiteral("mtzMode"))->description),
        QStringLiteral("MTZ mode"));
}

void SettingsFileTest::stampAndFingerprintAreKept()
{
    SettingsFile saved = sampleFile();
    qputenv("USER", "relay-tester");
    saved.stamp();
    QCOMPARE(saved.savedBy, QStringLiteral("relay-tester"));
    QVERIFY(saved.savedAt.secsTo(QDateTime::currentDateTimeUtc()) < 3600);

    const QJsonObject root = QJsonDocument::fromJson(saved.toJson()).object();
    QCOMPARE(root.value(QStringLiteral("savedBy")).toString(), QStringLiteral("relay-tester"));
    QCOMPARE(root.value(QStringLiteral("fingerprint")).toString(),
        fingerprintText(*settingsFingerprint(saved.relay.values)));

    QStringList problems;
    const SettingsFile read = SettingsFile::fromJson(saved.toJson(), &problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    QCOMPARE(read.savedBy, saved.savedBy);
    QCOMPARE(read.savedAt, saved.savedAt.toUTC());
    QCOMPARE(read.programVersion, saved.programVersion);
    QCOMPARE(read.relay.identity.serialNumber, saved.relay.identity.serialNumber);
    QCOMPARE(read.savedFingerprint, fingerprintText(*saved.fingerprint()));
    QVERIFY(!read.isAlteredSinceSaved());
    QCOMPARE(read.alterationWarning(), QString());
}

void SettingsFileTest::editedFileIsFlaggedAndStillOpens_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("altered");

    QTest::newRow("value changed")
        << edited(setRaw(QStringLiteral("currentTransFactor"), 1235)) << true;
    QTest::newRow("fingerprint changed") << edited([](QJsonObject &root) {
        root.insert(QStringLiteral("fingerprint"), QStringLiteral("0BADF00D"));
    }) << true;
    QTest::newRow("fingerprint not hexadecimal") << edited([](QJsonObject &root) {
        root.insert(QStringLiteral("fingerprint"), QStringLiteral("nonsense"));
    }) << true;
    // Files saved before fingerprints were kept open as they always did.
    QTest::newRow("no fingerprint") << edited([](QJsonObject &root) {
        root.remove(QStringLiteral("fingerprint"));
        root.remove(QStringLiteral("savedBy"));
    }) << false;
    QTest::newRow("fingerprint in lower case") << edited([](QJsonObject &root) {
        root.insert(QStringLiteral("fingerprint"),
            root.value(QStringLiteral("fingerprint")).toString().toLower());
    }) << false;
}

void SettingsFileTest::editedFileIsFlaggedAndStillOpens()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, altered);
    QStringList problems;
    const SettingsFile read = SettingsFile::fromJson(json, &problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    QCOMPARE(read.relay.values.size(), settingsFields().size());
    QCOMPARE(read.isAlteredSinceSaved(), altered);
    QCOMPARE(read.alterationWarning().isEmpty(), !altered);
}

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "tst_settingsfile.moc"
