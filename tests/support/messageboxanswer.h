// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MESSAGEBOXANSWER_H
#define MESSAGEBOXANSWER_H

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

// Answers the next message box with the button of that text and keeps what
// it said; message boxes are modal, so this has to be armed beforehand.
class MessageBoxAnswer : public QObject
{
public:
    explicit MessageBoxAnswer(const QString &buttonText) : m_buttonText(buttonText)
    {
        connect(&m_timer, &QTimer::timeout, this, &MessageBoxAnswer::answer);
        m_timer.start(20);
    }

    QString text() const { return m_text; }
    QString informativeText() const { return m_informativeText; }
    bool answered() const { return m_answered; }

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        m_text = box->text();
        m_informativeText = box->informativeText();
        for (QAbstractButton *button : box->buttons()) {
            if (button->text().remove(QLatin1Char('&')) == m_buttonText) {
                m_answered = true;
                m_timer.stop();
                button->click();
                return;
            }
        }
    }

    QString m_buttonText;
    QTimer m_timer;
    QString m_text;
    QString m_informativeText;
    bool m_answered = false;
};

#endif // MESSAGEBOXANSWER_H
