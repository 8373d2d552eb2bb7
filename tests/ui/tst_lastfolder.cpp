// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "settingsfolder.h"
#include "ui/lastfolder.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <QtTest>

class LastFolderTest : public QObject
{
    Q_OBJECT

private slots:
    void dialogsStartThereAndTheCallerMovesIt();

private:
    // What the next file dialog offers (a save dialog its file, an open
    // dialog its folder), read as it opens; it is then canceled.
    void readAndCancelNextDialog(QString *shown);
};

void LastFolderTest::readAndCancelNextDialog(QString *shown)
{
    // The dialog may not be up at the first tick: the timer looks again until it is.
    auto *timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [timer, shown] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        *shown = dialog->acceptMode() == QFileDialog::AcceptSave
            ? dialog->selectedFiles().value(0)
            : dialog->directory().absolutePath();
        dialog->reject();
        timer->deleteLater();
    });
    timer->start(10);
}

// Asking alone leaves the last folder as it was: each caller keeps the
// folder once it has used the file.
void LastFolderTest::dialogsStartThereAndTheCallerMovesIt()
{
    const SettingsFolder settings; // settings.ini in a fresh working directory
    QVERIFY(settings.isEntered());
    const QString last = settings.filePath(QStringLiteral("exports"));
    const QString other = settings.filePath(QStringLiteral("reports"));
    QVERIFY(QDir().mkpath(last) && QDir().mkpath(other));
    saveLastFolder(last);

    const QString offeredName = QDir(last).filePath(QStringLiteral("traffic.csv"));
    QCOMPARE(LastFolder::filePath(QStringLiteral("traffic.csv")), offeredName);
    QCOMPARE(LastFolder::filePath(QStringLiteral("/elsewhere/settings.json")),
        QStringLiteral("/elsewhere/settings.json"));

    QString offered;
    readAndCancelNextDialog(&offered);
    QVERIFY(LastFolder::askSaveFileName(
        nullptr, QStringLiteral("Save"), QStringLiteral("traffic.csv"), QStringLiteral("*.csv"))
                .isEmpty());
    QCOMPARE(offered, offeredName);
    QString opened;
    readAndCancelNextDialog(&opened);
    QVERIFY(LastFolder::askOpenFileName(nullptr, QStringLiteral("Open"), QStringLiteral("*.json"))
                .isEmpty());
    QCOMPARE(opened, last);
    QCOMPARE(loadLastFolder(), last);

    LastFolder::keepFolderOf(QDir(other).filePath(QStringLiteral("relay4.pdf")));
    QCOMPARE(loadLastFolder(), other);
}

QTEST_MAIN(LastFolderTest)
#include "tst_lastfolder.moc"
