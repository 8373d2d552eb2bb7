// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

void countMatches(
    const QRegularExpression &expression, const QString &text, QMap<QString, int> &counts)
{
    QRegularExpressionMatchIterator it = expression.globalMatch(text);
    while (it.hasNext())
        ++counts[it.next().captured(1)];
}

// What a translation must carry over from its source unchanged: the
// quantities and units an engineer reads values by, the placeholders and the
// rich-text tags. Units count only where they stand as units (" A", "Current,
// A", "A)"), not as the article of "A scan started". Tags are cut out first
// so that "I<sub>A</sub>" still shows its A.
QMap<QString, int> technicalTokens(const QString &text)
{
    static const QRegularExpression tag(QStringLiteral("(</?[a-zA-Z][^>]*>)"));
    static const QRegularExpression placeholder(QStringLiteral("(%L?[1-9])"));
    static const QRegularExpression quantity(
        QStringLiteral("(?<![\\w])(IA|IC|3I0|3U0|Kt0|Kt)(?![\\w])"),
        QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression unit(QStringLiteral("(?<![\\w])(kA|A|V)(?=$|[^\\w\\s])"),
        QRegularExpression::UseUnicodePropertiesOption);
    QMap<QString, int> counts;
    countMatches(tag, text, counts);
    countMatches(placeholder, text, counts);
    QString plain = text;
    plain.replace(tag, QStringLiteral("\x01"));
    countMatches(quantity, plain, counts);
    countMatches(unit, plain, counts);
    const QChar degree(0x00b0);
    if (plain.contains(degree))
        counts.insert(QString(degree), plain.count(degree));
    return counts;
}

// Marks a translator leaves on a guess: "3I0 {3U?}", "[?]", "???".
QStringList guessMarks(const QString &source, const QString &translation)
{
    QStringList marks;
    for (const char *mark : { "{", "}", "?}", "[?]", "??", "TODO", "FIXME" }) {
        const QString text = QLatin1String(mark);
        if (translation.contains(text) && !source.contains(text))
            marks.append(text);
    }
    return marks;
}

// Empty when the translation keeps its source's tokens and carries no guess.
QString tokenFaults(const QString &source, const QString &translation)
{
    QStringList faults;
    const QMap<QString, int> expected = technicalTokens(source);
    const QMap<QString, int> found = technicalTokens(translation);
    if (expected != found) {
        QStringList keys = expected.keys() + found.keys();
        keys.removeDuplicates();
        for (const QString &key : qAsConst(keys)) {
            if (expected.value(key) != found.value(key))
                faults.append(QStringLiteral("\"%1\" %2 times instead of %3")
                                  .arg(key)
                                  .arg(found.value(key))
                                  .arg(expected.value(key)));
        }
    }
    const QStringList marks = guessMarks(source, translation);
    for (const QString &mark : marks)
        faults.append(QStringLiteral("guess mark \"%1\"").arg(mark));
    return faults.join(QStringLiteral(", "));
}

} // namespace

// The Russian catalogue is compiled into the program; these are the words a
// Russian-speaking engineer knows the program by.
class TranslationTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void knownTranslations_data();
    void knownTranslations();
    void nothingLeftUnfinished();
    void tokenCheck_data();
    void tokenCheck();
    void translationsKeepTheirTokens();
    void qtTextsAndDatesInRussian();

private:
    QTranslator m_translator;
};

void TranslationTest::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QVERIFY(m_translator.load(QStringLiteral(":/translations/korvel-client_ru.qm")));
}

void TranslationTest::knownTranslations_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("russian");

    QTest::newRow("Connect") << "MainWindow"
                             << "Connect" << QStringLiteral("Открыть порт");
    QTest::newRow("Disconnect") << "MainWindow"
                                << "Disconnect" << QStringLiteral("Закрыть порт");
    QTest::newRow("Scan") << "MainWindow"
                          << "Scan" << QStringLiteral("Поиск");
    QTest::newRow("Setpoints") << "MainWindow"
                               << "Setpoints" << QStringLiteral("Уставки");
    QTest::newRow("Crash log") << "MainWindow"
                               << "Crash log" << QStringLiteral("Память аварий");
    QTest::newRow("Checkback") << "MonitorWidget"
                               << "Checkback" << QStringLiteral("Квитирование");
    // Whole sentences, in the word order Russian needs.
    QTest::newRow("write failed") << "MainWindow"
                                  << "Write failed: setpoints (Device %1)"
                                  << QStringLiteral("Не удалось записать уставки в устройство %1");
    QTest::newRow("silent device")
        << "MainWindow"
        << "Device %1 does not answer" << QStringLiteral("Устройство %1 не отвечает");
    QTest::newRow("dialout")
        << "DeviceMonitor"
        << "You are not allowed to use this port. Ask your administrator to add your user to "
           "the \"dialout\" group, then log out and log in again."
        << QStringLiteral("Нет прав на работу с этим портом. Попросите администратора добавить "
                          "вашего пользователя в группу \"dialout\", затем выйдите из системы "
                          "и войдите снова.");
}

void TranslationTest::knownTranslations()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, russian);
    QCOMPARE(m_translator.translate(qPrintable(context), qPrintable(source)), russian);
}

// Every message of the catalogue has its translation; a form's placeholder
// texts are kept out of it in the forms themselves.
void TranslationTest::nothingLeftUnfinished()
{
    QFile file(QStringLiteral(KORVEL_TRANSLATION_SOURCE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    int messages = 0;
    QStringList unfinished;
    QString source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            ++messages;
            const bool open = !xml.attributes().value(QLatin1String("type")).isEmpty();
            if (open || xml.readElementText().isEmpty())
                unfinished.append(source);
        }
    }
    QVERIFY(!xml.hasError());
    QVERIFY2(unfinished.isEmpty(), qPrintable(unfinished.join(QStringLiteral(" | "))));
    QVERIFY(messages > 100);
}

void TranslationTest::tokenCheck_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("translation");
    QTest::addColumn<bool>("sound");

    QTest::newRow("a guess in braces") << "3U0"
                                       << "3I0 {3U?}" << false;
    QTest::newRow("voltage named as a current") << "3U0"
                                                << "3I0" << false;
    QTest::newRow("quantity kept") << "3U0"
                                   << "3U0" << true;
    QTest::newRow("unit in Cyrillic") << "Current, A" << QStringLiteral("Ток, А") << false;
    QTest::newRow("unit suffix kept") << " kA"
                                      << " kA" << true;
    QTest::newRow("kiloamperes as amperes") << " kA"
                                            << " A" << false;
    QTest::newRow("ratio in Cyrillic") << "Kt:" << QStringLiteral("Kт:") << false;
    QTest::newRow("subscript kept")
        << "I<sub>A</sub>, I<sub>C</sub> range:"
        << QStringLiteral("Диапазон I<sub>A</sub>, I<sub>C</sub>:") << true;
    QTest::newRow("subscript dropped") << "3U<sub>0</sub>:"
                                       << "3U0:" << false;
    QTest::newRow("degrees dropped") << " °" << QStringLiteral(" град") << false;
    QTest::newRow("placeholder lost")
        << "Device %1 does not answer" << QStringLiteral("Устройство не отвечает") << false;
    QTest::newRow("placeholders reordered") << "%1 of %2" << QStringLiteral("%2: %1") << true;
    QTest::newRow("article is no unit")
        << "A scan started; the operation with Device %1 was stopped."
        << QStringLiteral("Начат поиск; операция с устройством %1 прервана.") << true;
    QTest::newRow("question left open") << "Scan" << QStringLiteral("Поиск ??") << false;
}

void TranslationTest::tokenCheck()
{
    QFETCH(QString, source);
    QFETCH(QString, translation);
    QFETCH(bool, sound);
    const QString faults = tokenFaults(source, translation);
    QVERIFY2(faults.isEmpty() == sound, qPrintable(faults));
}

// A translation that renames a quantity or a unit shows a value as something
// it is not: a voltage read as a current.
void TranslationTest::translationsKeepTheirTokens()
{
    QFile file(QStringLiteral(KORVEL_TRANSLATION_SOURCE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    QStringList faulty;
    int checked = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QString translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (translation.isEmpty())
                continue; // shows its source
            ++checked;
            const QString faults = tokenFaults(source, translation);
            if (!faults.isEmpty())
                faulty.append(QStringLiteral("%1 \"%2\" -> \"%3\": %4")
                                  .arg(context, source, translation, faults));
        }
    }
    QVERIFY(!xml.hasError());
    QVERIFY2(faulty.isEmpty(), qPrintable(faulty.join(QLatin1Char('\n'))));
    QVERIFY(checked > 100);
}

// Qt's own texts come from Qt's catalogue, the program's from its own; dates
// read the Russian way whatever the system locale.
void TranslationTest::qtTextsAndDatesInRussian()
{
    installTranslations(QCoreApplication::instance());
    QCOMPARE(QCoreApplication::translate("MainWindow", "Connect"), QStringLiteral("Открыть порт"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Save"), QStringLiteral("Сохранить"));
    QCOMPARE(
        QCoreApplication::translate("QFileDialog", "File &name:"), QStringLiteral("&Имя файла:"));
    QCOMPARE(
        QLocale().toString(QDate(2026, 12, 8), QLocale::ShortFormat), QStringLiteral("08.12.2026"));
    QCOMPARE(QStringLiteral("%L1").arg(1234.5, 0, 'f', 2), QStringLiteral("1\u00a0234,50"));
}

QTEST_GUILESS_MAIN(TranslationTest)
#include "tst_translation.moc"
