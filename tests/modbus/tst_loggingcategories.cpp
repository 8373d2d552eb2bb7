// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicemonitor.h"
#include "modbus/rtumodbus.h"

#include <QProcess>
#include <QtTest>

namespace {

const char EmitOption[] = "--emit-diagnostics";

// What the child run prints: one fixed line of the transport and one of the
// monitor, neither of which needs a line to talk to.
void emitDiagnostics()
{
    RtuModbus modbus;
    modbus.closePort(); // "Already closed"
    DeviceMonitor monitor;
    monitor.reset(); // "!!! Cann`t reset !!! DeviceData list is empty"
}

} // namespace

// The diagnostics go through the korvel.* logging categories: a user
// switches them with QT_LOGGING_RULES, and by default the fixed lines reach
// the output as before. Each case runs this program again with the rules
// in its environment, as a user would start the client.
class LoggingCategoriesTest : public QObject
{
    Q_OBJECT

private slots:
    void rulesSwitchCategories_data();
    void rulesSwitchCategories();

private:
    static QString diagnostics(const QString &rules);
};

QString LoggingCategoriesTest::diagnostics(const QString &rules)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_LOGGING_CONF"));
    if (rules.isNull())
        environment.remove(QStringLiteral("QT_LOGGING_RULES"));
    else
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
    environment.insert(
        QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{category}: %{message}"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(EmitOption) });
    if (!child.waitForFinished(30000) || child.exitCode() != 0)
        return QStringLiteral("the child run failed");
    return QString::fromLocal8Bit(child.readAllStandardError());
}

void LoggingCategoriesTest::rulesSwitchCategories_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<bool>("modbusShown");
    QTest::addColumn<bool>("monitorShown");
    QTest::newRow("no rules") << QString() << true << true;
    QTest::newRow("transport off") << QStringLiteral("korvel.modbus.debug=false") << false << true;
    QTest::newRow("monitor off") << QStringLiteral("korvel.monitor.debug=false") << true << false;
    QTest::newRow("all off, transport on")
        << QStringLiteral("korvel.*.debug=false;korvel.modbus.debug=true") << true << false;
}

void LoggingCategoriesTest::rulesSwitchCategories()
{
    QFETCH(QString, rules);
    QFETCH(bool, modbusShown);
    QFETCH(bool, monitorShown);
    const QString output = diagnostics(rules);
    QCOMPARE(output.contains(QStringLiteral("korvel.modbus: Already closed")), modbusShown);
    QCOMPARE(output.contains(
                 QStringLiteral("korvel.monitor: !!! Cann`t reset !!! DeviceData list is empty")),
        monitorShown);
}

int main(int argc, char *argv[])
{
    if (argc == 2 && qstrcmp(argv[1], EmitOption) == 0) {
        QCoreApplication application(argc, argv);
        emitDiagnostics();
        return 0;
    }
    QCoreApplication application(argc, argv);
    LoggingCategoriesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_loggingcategories.moc"
