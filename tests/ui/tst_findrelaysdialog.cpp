// SPDX-License-Identifier: GPL-3.0-or-later
#include "namedchild.h"
#include "relaybus.h"
#include "testtimeouts.h"
#include "ui/dialogs/findrelaysdialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

// The dialog over a real line whose relays are set to 38400 baud, odd parity.
class FindRelaysDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void oneClickTakesTheFoundSettings();
    void relayAtSeveralSettingsIsOneRow();
    void cancelStopsTheSearchFirst();

private:
    // The buttons of the relays found so far.
    static QList<QPushButton *> resultButtons(FindRelaysDialog *dialog);

    RelayBus m_bus { { 2 } };
};

void FindRelaysDialogTest::initTestCase()
{
    m_bus.setRelayLineSettings(38400, 'O');
    QString error;
    QVERIFY2(m_bus.start(&error), qPrintable(error));
}

QList<QPushButton *> FindRelaysDialogTest::resultButtons(FindRelaysDialog *dialog)
{
    QList<QPushButton *> buttons;
    const QList<QPushButton *> all = dialog->findChildren<QPushButton *>();
    for (QPushButton *button : all) {
        if (button->text().startsWith(QLatin1String("Device ")))
            buttons.append(button);
    }
    return buttons;
}

void FindRelaysDialogTest::oneClickTakesTheFoundSettings()
{
    ConnectionSettings settings;
    settings.portName = m_bus.portPath();
    FindRelaysDialog dialog(settings);
    dialog.show();
    child<QSpinBox>(&dialog, "firstIdSpinBox")->setValue(1);
    child<QSpinBox>(&dialog, "lastIdSpinBox")->setValue(3);
    child<QPushButton>(&dialog, "findButton")->click();

    auto *status = child<QLabel>(&dialog, "statusLabel");
    QTRY_VERIFY_WITH_TIMEOUT(
        status->text().startsWith(QLatin1String("Relays found: 1")), PassWaitMs);
    auto *progress = child<QProgressBar>(&dialog, "progressBar");
    QCOMPARE(progress->value(), 45);
    QCOMPARE(progress->maximum(), 45);
    const QList<QPushButton *> results = resultButtons(&dialog);
    QCOMPARE(results.size(), 1);
    QCOMPARE(results.first()->text(), QStringLiteral("Device 2: 38400 baud, odd parity"));
    QCOMPARE(settings.serialPortSettings.baudRate(), 19200);

    results.first()->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings.serialPortSettings.baudRate(), 38400);
    QCOMPARE(settings.serialPortSettings.parity(), int(SerialPortSettings::OddParity));
    QCOMPARE(settings.portName, m_bus.portPath());
}

// A relay that hears every request answers at all fifteen settings: one row, one button each.
void FindRelaysDialogTest::relayAtSeveralSettingsIsOneRow()
{
    RelayBus bus({ 7 });
    QVERIFY(bus.start());
    ConnectionSettings settings;
    settings.portName = bus.portPath();
    FindRelaysDialog dialog(settings);
    dialog.setTryWait(10);
    dialog.show();
    child<QSpinBox>(&dialog, "firstIdSpinBox")->setValue(7);
    child<QSpinBox>(&dialog, "lastIdSpinBox")->setValue(7);
    child<QPushButton>(&dialog, "findButton")->click();

    QTRY_VERIFY_WITH_TIMEOUT(
        child<QLabel>(&dialog, "statusLabel")->text().startsWith(QLatin1String("Relays found: 1.")),
        PassWaitMs);
    QCOMPARE(resultButtons(&dialog).size(), 1);
    QCOMPARE(
        resultButtons(&dialog).first()->text(), QStringLiteral("Device 7: 9600 baud, no parity"));
    const QList<QPushButton *> row = dialog.findChildren<QPushButton *>("resultButton");
    QCOMPARE(row.size(), 15);
    QCOMPARE(row.at(1)->text(), QStringLiteral("9600 baud, even parity"));

    row.at(1)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings.serialPortSettings.baudRate(), 9600);
    QCOMPARE(settings.serialPortSettings.parity(), int(SerialPortSettings::EvenParity));
}

void FindRelaysDialogTest::cancelStopsTheSearchFirst()
{
    ConnectionSettings settings;
    settings.portName = m_bus.portPath();
    FindRelaysDialog dialog(settings);
    dialog.show();
    child<QSpinBox>(&dialog, "lastIdSpinBox")->setValue(50);
    child<QPushButton>(&dialog, "findButton")->click();
    auto *progress = child<QProgressBar>(&dialog, "progressBar");
    QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 2, PassWaitMs);

    dialog.reject();
    QVERIFY(dialog.isVisible());
    QCOMPARE(child<QLabel>(&dialog, "statusLabel")->text(), QStringLiteral("Search canceled"));
    QVERIFY(child<QPushButton>(&dialog, "findButton")->isEnabled());
    const int reached = progress->value();
    QTest::qWait(100);
    QCOMPARE(progress->value(), reached);

    dialog.reject();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(settings.serialPortSettings.baudRate(), 19200);
}

QTEST_MAIN(FindRelaysDialogTest)
#include "tst_findrelaysdialog.moc"
