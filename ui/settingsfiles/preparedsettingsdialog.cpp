// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settingsfiles/preparedsettingsdialog.h"

#include "devicemonitor/settingscomparisonmodel.h"
#include "ui/lastfolder.h"
#include "ui/settingsfiles/settingsfielddelegate.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

PreparedSettingsDialog::PreparedSettingsDialog(
    const SettingsFile &file, const QString &fileName, QWidget *parent)
    : QDialog(parent),
      m_file(file),
      m_model(new SettingsComparisonModel(this)),
      m_table(new QTableView(this)),
      m_fileLabel(new QLabel(this)),
      m_fingerprintLabel(new QLabel(this)),
      m_warningLabel(new QLabel(file.alterationWarning(), this))
{
    setWindowTitle(tr("Settings prepared without a relay"));
    resize(760, 560);
    m_model->setPreparedSettings(file.relay.identity, file.relay.values);
    m_table->setObjectName(QStringLiteral("preparedTableView"));
    m_table->setModel(m_model);
    m_table->setItemDelegate(new SettingsFieldDelegate(m_model, m_table));
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
        | QAbstractItemView::SelectedClicked);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnHidden(SettingsComparisonModel::RelayColumn, true);

    m_fileLabel->setObjectName(QStringLiteral("fileLabel"));
    m_fileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_fingerprintLabel->setObjectName(QStringLiteral("fingerprintLabel"));
    m_fingerprintLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_warningLabel->setObjectName(QStringLiteral("warningLabel"));
    m_warningLabel->setWordWrap(true);
    m_warningLabel->setStyleSheet(QStringLiteral("QLabel { color: red; }"));
    m_warningLabel->setVisible(!m_warningLabel->text().isEmpty());

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *saveButton = buttons->addButton(tr("Save…"), QDialogButtonBox::ActionRole);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    saveButton->setAutoDefault(false);
    buttons->addButton(QDialogButtonBox::Close)->setObjectName(QStringLiteral("closeButton"));
    connect(saveButton, &QPushButton::clicked, this, &PreparedSettingsDialog::askAndSave);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_model, &SettingsComparisonModel::dataChanged, this, [this] {
        m_edited = true;
        showFingerprint();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fileLabel);
    layout->addWidget(m_warningLabel);
    layout->addWidget(m_fingerprintLabel);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    showFileName(fileName);
    showFingerprint();
}

SettingsFile PreparedSettingsDialog::editedFile() const
{
    SettingsFile file = m_file;
    file.relay.values = m_model->fileValues();
    return file;
}

void PreparedSettingsDialog::askAndSave()
{
    // A file opened or saved before is offered again where it is.
    const QString path = LastFolder::askSaveFileName(this, tr("Save settings"),
        m_fileName.isEmpty() ? QStringLiteral("settings.json") : m_fileName,
        tr("Relay settings (*.json);;All files (*)"));
    if (!path.isEmpty())
        save(path);
}

bool PreparedSettingsDialog::save(const QString &path)
{
    SettingsFile file = editedFile();
    file.stamp();
    const QByteArray json = file.toJson();
    // Nothing is saved that Open would refuse.
    QStringList problems;
    SettingsFile::fromJson(json, &problems);
    QString error;
    if (problems.isEmpty() && file.write(path, &error)) {
        LastFolder::keepFolderOf(path);
        showFileName(path);
        // The file now holds these values with their own fingerprint.
        m_warningLabel->hide();
        m_edited = false;
        emit statusMessage(tr("Settings saved to \"%1\"").arg(QDir::toNativeSeparators(path)));
        return true;
    }
    const QString reason = problems.isEmpty()
        ? tr("Could not write \"%1\": %2").arg(QDir::toNativeSeparators(path), error)
        : tr("These values cannot be saved; nothing was written:") + QLatin1Char('\n')
            + problems.join(QLatin1Char('\n'));
    QMessageBox::warning(this, tr("Settings not saved"), reason);
    return false;
}

bool PreparedSettingsDialog::mayDiscardEdits()
{
    return !m_edited
        || QMessageBox::question(this, tr("Settings not saved"),
               tr("The settings were changed and not saved. Close without saving?"),
               QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Cancel)
        == QMessageBox::Discard;
}

void PreparedSettingsDialog::closeEvent(QCloseEvent *event)
{
    if (mayDiscardEdits())
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void PreparedSettingsDialog::reject()
{
    if (mayDiscardEdits()) {
        // Asked once: the close that follows does not ask again.
        m_edited = false;
        QDialog::reject();
    }
}

void PreparedSettingsDialog::showFingerprint()
{
    const std::optional<quint32> fingerprint = settingsFingerprint(m_model->fileValues());
    m_fingerprintLabel->setText(
        tr("Settings fingerprint: %1")
            .arg(fingerprint ? fingerprintText(*fingerprint) : QStringLiteral("-")));
}

void PreparedSettingsDialog::showFileName(const QString &fileName)
{
    m_fileName = fileName;
    m_fileLabel->setText(fileName.isEmpty()
            ? tr("New settings, not saved yet")
            : tr("File: %1").arg(QDir::toNativeSeparators(fileName)));
}
