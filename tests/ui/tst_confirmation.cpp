// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/confirmation.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// Answers the question once it is shown, with a key or a click on a button.
class Answer : public QObject
{
public:
    Answer(int key, const QString &buttonText) : m_key(key), m_buttonText(buttonText)
    {
        connect(&m_timer, &QTimer::timeout, this, &Answer::answer);
        m_timer.start(20);
    }

    Qt::TextFormat textFormat() const { return m_textFormat; }

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        m_timer.stop();
        m_textFormat = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->textFormat();
        if (m_buttonText.isEmpty()) {
            QTest::keyClick(box, Qt::Key(m_key));
            return;
        }
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == m_buttonText)
                button->click();
        }
    }

    int m_key;
    QString m_buttonText;
    QTimer m_timer;
    Qt::TextFormat m_textFormat = Qt::AutoText;
};

} // namespace

class ConfirmationTest : public QObject
{
    Q_OBJECT

private slots:
    void onlyTheAcceptButtonConfirms_data();
    void onlyTheAcceptButtonConfirms();
};

void ConfirmationTest::onlyTheAcceptButtonConfirms_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("confirmed");

    QTest::newRow("Return") << int(Qt::Key_Return) << QString() << false;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << QString() << false;
    QTest::newRow("Cancel") << 0 << QStringLiteral("Cancel") << false;
    QTest::newRow("the accept button") << 0 << QStringLiteral("Clear") << true;
}

void ConfirmationTest::onlyTheAcceptButtonConfirms()
{
    QFETCH(int, key);
    QFETCH(QString, button);
    QFETCH(bool, confirmed);

    QWidget parent;
    parent.show();
    Answer answer(key, button);
    // A name quoted in the question is shown as it is, never as markup.
    QCOMPARE(Confirmation::ask(&parent, QMessageBox::Question, QStringLiteral("Log clearing"),
                 QStringLiteral("Clear the log of <b>Relay 1</b>?"), QStringLiteral("Clear")),
        confirmed);
    QCOMPARE(answer.textFormat(), Qt::PlainText);
}

QTEST_MAIN(ConfirmationTest)
#include "tst_confirmation.moc"
