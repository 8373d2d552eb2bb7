// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settingsfiles/planquestion.h"

#include "app/settings.h"
#include "devicedata/identitytext.h"
#include "devicedata/sendplan.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

bool askToWritePlan(QWidget *parent, const QString &title, const SendPlan &plan,
    const QStringList &notesBefore, const QStringList &notesAfter, int readinessDelayMs)
{
    const RelayIdentity &relay = plan.relay().identity;
    const QString serial = serialNumberText(relay.serialNumber);
    const int count = plan.target().size();
    const QString question = count == 1 ? QCoreApplication::translate("SettingsComparisonDialog",
                                 "Write 1 value to Device %1, serial %2?")
                                              .arg(relay.slaveId)
                                              .arg(serial)
                                        : QCoreApplication::translate("SettingsComparisonDialog",
                                            "Write %1 values to Device %2, serial %3?")
                                              .arg(count)
                                              .arg(relay.slaveId)
                                              .arg(serial);
    ConnectionSettings connection;
    loadConnectionSettings(connection);
    QStringList details = notesBefore;
    details.append(QCoreApplication::translate("SettingsComparisonDialog", "In this order:"));
    details += plan.describe(connection.serialPortSettings.baudRate(), readinessDelayMs);
    details += notesAfter;

    QMessageBox box(QMessageBox::Question, title, question, QMessageBox::NoButton, parent);
    box.setInformativeText(details.join(QLatin1Char('\n')));
    QPushButton *writeButton = box.addButton(
        QCoreApplication::translate("SettingsComparisonDialog", "Write"), QMessageBox::AcceptRole);
    QPushButton *cancelButton = box.addButton(
        QCoreApplication::translate("SettingsComparisonDialog", "Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(cancelButton);
    box.setEscapeButton(cancelButton);
    box.exec();
    return box.clickedButton() == writeButton;
}
