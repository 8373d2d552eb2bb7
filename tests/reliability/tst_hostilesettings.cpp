// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "damagedsettings.h"
#include "devicemonitor/devicemonitor.h"
#include "mainwindowfixture.h"
#include "messageboxanswer.h"
#include "namedchild.h"
#include "settingsfolder.h"
#include "testtimeouts.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolBar>
#include <QValidator>
#include <QtTest>

#include <optional>
#include <random>

// The program started on a settings.ini full of damage: every key holding text where a number
// belongs, huge or negative numbers, nothing, serialized junk or random bytes. It must come up
// with defaults or values within bounds, let the user try to connect, and close cleanly, leaving a
// file the next start reads without trouble.

namespace {

// Text the scan range field could hold: a range, or one still being typed.
bool scanRangeFieldTakes(QLineEdit *field)
{
    QString text = field->text();
    int position = 0;
    return field->validator()->validate(text, position) != QValidator::Invalid;
}

} // namespace

class HostileSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void programStarts_data();
    void programStarts();

private:
    std::optional<SettingsFolder> m_folder;
};

void HostileSettingsTest::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void HostileSettingsTest::init()
{
    m_folder.emplace();
    QVERIFY(m_folder->isEntered());
}

void HostileSettingsTest::cleanup()
{
    closeMainWindows();
    m_folder.reset();
}

void HostileSettingsTest::programStarts_data()
{
    QTest::addColumn<QByteArray>("contents");

    QTest::newRow("text") << everyKey("seventeen");
    QTest::newRow("empty") << everyKey("");
    QTest::newRow("huge") << everyKey("99999999999999999999");
    QTest::newRow("negative") << everyKey("-2147483648");
    QTest::newRow("largest") << everyKey("2147483647");
    QTest::newRow("serialized junk")
        << everyKey("@Variant(\\0\\0\\0\\x7f\\xff\\xff\\xff\\xff\\0\\0)");
    QTest::newRow("far and huge window")
        << QByteArray("[ui]\nwindow_position=@Point(-2147483648 2147483647)\n"
                      "window_size=@Size(16777215 16777215)\nwindow_maximized=true\n");
    QTest::newRow("negative window") << QByteArray("[ui]\nwindow_size=@Size(-5 -7)\n");

    std::mt19937 random(424242);
    for (int file = 0; file < 4; ++file) {
        QByteArray junk;
        for (int i = 0; i < 3000; ++i)
            junk += char(std::uniform_int_distribution<int>(0, 255)(random));
        QTest::newRow(qPrintable(QStringLiteral("random bytes %1").arg(file)))
            << everyKey(junk.left(40)) + junk;
    }
}

void HostileSettingsTest::programStarts()
{
    QFETCH(QByteArray, contents);
    writeSettingsFile(contents);

    auto *window = new MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<MainWindow> guard(window);
    window->show();
    QTest::qWait(50);

    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    const DeviceSettings device = monitor->deviceSettings();
    QVERIFY(device.readinessDelay >= 0 && device.readinessDelay <= 3600000);
    QVERIFY(device.responseTimeout >= 0 && device.responseTimeout <= 3600000);
    QVERIFY(monitor->autoRefreshDelay() >= 50 && monitor->autoRefreshDelay() <= 3600000);
    QVERIFY(scanRangeFieldTakes(child<QLineEdit>(window, "scanRangeLineEdit")));
    const Qt::ToolBarArea area = window->toolBarArea(child<QToolBar>(window, "toolBar"));
    QVERIFY(area == Qt::TopToolBarArea || area == Qt::LeftToolBarArea);
    QCOMPARE(child<QLabel>(window, "connectionStateLabel")->text(), QStringLiteral("Disconnected"));

    // No port of that name exists: the user is told, and the program carries on.
    {
        MessageBoxAnswer answer(QStringLiteral("OK"));
        child<QAction>(window, "actionConnect")->trigger();
        QVERIFY(answer.answered());
        QVERIFY(answer.text().startsWith(QStringLiteral("Couldn`t open port")));
    }
    QVERIFY(!monitor->isConnected());

    window->close();
    QTRY_VERIFY(guard.isNull());

    // What the program saved starts it the same way.
    DeviceSettings saved;
    loadDeviceSettings(saved);
    QCOMPARE(saved.readinessDelay, device.readinessDelay);
    QCOMPARE(saved.responseTimeout, device.responseTimeout);
    auto *again = new MainWindow;
    again->setAttribute(Qt::WA_DeleteOnClose);
    again->show();
    QVERIFY(scanRangeFieldTakes(child<QLineEdit>(again, "scanRangeLineEdit")));
    again->close();
}

QTEST_MAIN(HostileSettingsTest)
#include "tst_hostilesettings.moc"
