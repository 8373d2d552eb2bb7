// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINEDOCKWIDGET_H
#define LINEDOCKWIDGET_H

#include "devicemonitor/linefolder.h"

#include <QDockWidget>

#include <functional>
#include <optional>
#include <utility>

class DeviceMonitor;
class JournalStore;
class LineReader;
class LineSend;
class LineTableModel;
class QAction;
class QLabel;
class QModelIndex;
class QProgressBar;
class QPushButton;
class QTableView;

// The line view: a line folder's relays read in one go, each row against its file, with a
// progress bar and a way to stop; the line backed up into the folder, asking before any file is
// overwritten; the relays chosen (by default those that differ) sent their files, after one
// question that lists each; the line's report. A click on a row asks for that relay's
// comparison.
class LineDockWidget : public QDockWidget
{
    Q_OBJECT

public:
    // The scan range to read, none while the window's range is not a valid one.
    using ScanRange = std::function<std::optional<std::pair<int, int>>()>;

    LineDockWidget(DeviceMonitor *monitor, const JournalStore *journal, ScanRange scanRange,
        QWidget *parent = nullptr);
    ~LineDockWidget() override;

    // File → "New line folder…" and "Open line folder…".
    QAction *newFolderAction() const { return m_newFolderAction; }
    QAction *openFolderAction() const { return m_openFolderAction; }

    // The folder at `path`, made a line folder first when `create`; false after telling why.
    bool openFolder(const QString &path, bool create);
    const std::optional<LineFolder> &folder() const { return m_folder; }
    LineReader *reader() const { return m_reader; }
    LineTableModel *model() const { return m_model; }

    void readLine();
    void cancel();
    // Saves the relays read into the folder; asks before overwriting any file.
    void backUp();
    // Sends the rows selected, or every row that differs, their files, after asking.
    void sendToLine();
    bool writeReport(const QString &path);

signals:
    void statusMessage(const QString &text);
    // The relay's comparison with its file, as File → "Compare with file…" shows it.
    void comparisonRequested(int slaveId, const QString &filePath);

private:
    void askForFolder(bool create);
    void askAndWriteReport();
    void onLineRead();
    void onRowActivated(const QModelIndex &index);
    void onRelaySent(int index);
    void onLineSent();
    void updateActions();

    DeviceMonitor *m_monitor;
    const JournalStore *m_journal;
    ScanRange m_scanRange;
    LineReader *m_reader;
    LineSend *m_send;
    LineTableModel *m_model;
    std::optional<LineFolder> m_folder;
    // The relay the window showed before the read, shown again after it.
    int m_shownBefore = -1;
    QAction *m_newFolderAction;
    QAction *m_openFolderAction;
    QLabel *m_folderLabel;
    QPushButton *m_readButton;
    QPushButton *m_cancelButton;
    QPushButton *m_backupButton;
    QPushButton *m_sendButton;
    QPushButton *m_reportButton;
    QProgressBar *m_progress;
    QTableView *m_table;
};

#endif // LINEDOCKWIDGET_H
