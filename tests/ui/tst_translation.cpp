// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

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

QTEST_GUILESS_MAIN(TranslationTest)
#include "tst_translation.moc"
