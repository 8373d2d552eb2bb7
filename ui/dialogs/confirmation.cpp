// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/confirmation.h"

#include <QPushButton>

bool Confirmation::ask(QWidget *parent, QMessageBox::Icon icon, const QString &title,
    const QString &text, const QString &acceptText)
{
    QMessageBox question(icon, title, text, QMessageBox::NoButton, parent);
    question.setTextFormat(Qt::PlainText);
    QPushButton *acceptButton = question.addButton(acceptText, QMessageBox::AcceptRole);
    QPushButton *cancelButton = question.addButton(tr("Cancel"), QMessageBox::RejectRole);
    question.setDefaultButton(cancelButton);
    question.setEscapeButton(cancelButton);
    question.exec();
    return question.clickedButton() == acceptButton;
}
