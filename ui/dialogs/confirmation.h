// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CONFIRMATION_H
#define CONFIRMATION_H

#include <QCoreApplication>
#include <QMessageBox>

// A question before something that cannot be taken back. Cancel is the
// default and the escape button, so that neither Return nor Escape does it;
// the text is shown as plain text, whatever names it quotes.
class Confirmation
{
    Q_DECLARE_TR_FUNCTIONS(Confirmation)

public:
    // True when the user pressed the button `acceptText`.
    static bool ask(QWidget *parent, QMessageBox::Icon icon, const QString &title,
        const QString &text, const QString &acceptText);
};

#endif // CONFIRMATION_H
