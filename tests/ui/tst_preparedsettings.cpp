// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/deviceinfodata.h"
#include "devicedata/settingsfile.h"
#include "devicemonitor/settingscomparisonmodel.h"
#include "mainwindowfixture.h"
#include "messageboxanswer.h"
#include "referencecrc32.h"
#include "settingsfolder.h"
#include "ui/indicators/steppedspinbox.h"
#include "ui/settingsfiles/newsettingsdialog.h"
#include "ui/settingsfiles/preparedsettingsdialog.h"
#include "ui/settingsfiles/settingscomparisondialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTableView>
#include <QtTest>

namespace {

constexpr int LineTimeoutMs = 10000;
constexpr int SlaveId = 2;
constexpr qint64 AllModules = 0x0F;
constexpr qint64 ProtectionOn = 1;

int rowNamed(const char *name)
{
    const QVector<SettingsField> &fields = settingsFields();
    for (int row = 0; row < fields.size(); ++row) {
        if (qstrcmp(fields.at(row).description.name, name) == 0)
            return row;
    }
    return -1;
}

QModelIndex fileCell(const SettingsComparisonModel *model, const char *name)
{
    return model->index(rowNamed(name), SettingsComparisonModel::FileColumn);
}

// The value typed into the editor the table's delegate makes for the cell, as a user does.
void typeInto(QTableView *table, const QModelIndex &cell, double value)
{
    QAbstractItemDelegate *delegate = table->itemDelegate();
    QWidget *editor = delegate->createEditor(table->viewport(), QStyleOptionViewItem(), cell);
    auto *spinBox = qobject_cast<SteppedSpinBox *>(editor);
    QVERIFY(spinBox);
    delegate->setEditorData(editor, cell);
    spinBox->setValue(value);
    delegate->setModelData(editor, table->model(), cell);
    delete editor;
}

void chooseIn(QTableView *table, const QModelIndex &cell, qint64 code)
{
    QAbstractItemDelegate *delegate = table->itemDelegate();
    QWidget *editor = delegate->createEditor(table->viewport(), QStyleOptionViewItem(), cell);
    auto *combo = qobject_cast<QComboBox *>(editor);
    QVERIFY(combo);
    delegate->setEditorData(editor, cell);
    combo->setCurrentIndex(combo->findData(code));
    QVERIFY(combo->currentIndex() >= 0);
    delegate->setModelData(editor, table->model(), cell);
    delete editor;
}

} // namespace

// Settings prepared in the office without a relay, saved, and sent to relay 2 of a simulated
// line later.
class PreparedSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newSettingsAskModulesAndRange();
    void newSaveOpenSendEndsWithEqualFingerprints();
    void valueOutsideItsRangeIsNotSaved();
    void editedFileOpensWithoutRelayFlagged();

private:
    MainWindow *openWindow(bool connected);

    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<SettingsFolder> m_dir;
};

void PreparedSettingsTest::initTestCase()
{
    useProgramInEnglish();
    m_bus.reset(new RelayBus({ SlaveId }));
    QString error;
    QVERIFY2(startStillBus(*m_bus, &error), qPrintable(error));
}

void PreparedSettingsTest::init()
{
    m_dir.reset(new SettingsFolder);
    QVERIFY(m_dir->isEntered());
    saveConnectionTo(*m_bus);
}

void PreparedSettingsTest::cleanup()
{
    closeMainWindows();
    m_dir.reset();
}

MainWindow *PreparedSettingsTest::openWindow(bool connected)
{
    MainWindow *window = openMainWindow();
    if (connected)
        connectAndScan(window, QStringLiteral("2"));
    return window;
}

void PreparedSettingsTest::newSettingsAskModulesAndRange()
{
    NewSettingsDialog dialog;
    QCOMPARE(dialog.modules(), qint64(0));
    child<QCheckBox>(&dialog, "moduleAPVCheckBox")->setChecked(true);
    child<QCheckBox>(&dialog, "module3U0CheckBox")->setChecked(true);
    QCOMPARE(dialog.modules(), qint64(0x01 | 0x08));
    auto *range = child<QComboBox>(&dialog, "currentRangeComboBox");
    range->setCurrentIndex(range->findData(4));
    QCOMPARE(dialog.currentRange(), qint64(4));

    const SettingsFile file = SettingsFile::prepared(dialog.modules(), dialog.currentRange());
    QCOMPARE(file.relay.values.value(25), qint64(4));
    QCOMPARE(file.relay.values.size(), settingsFields().size());
    // Every value one that opening the file accepts.
    QStringList problems;
    SettingsFile::fromJson(file.toJson(), &problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

// New -> edit -> Save with no relay; Open with relay 2 -> Send all: the relay's registers, worked
// out here, give the fingerprint the file was saved with.
void PreparedSettingsTest::newSaveOpenSendEndsWithEqualFingerprints()
{
    MainWindow *offline = openWindow(false);
    QVERIFY(child<QAction>(offline, "actionNewSettings")->isEnabled());
    QVERIFY(child<QAction>(offline, "actionOpenSettings")->isEnabled());
    QVERIFY(!child<QAction>(offline, "actionSaveSettings")->isEnabled());

    // Range code 2: the pick-up currents count steps of 0.02 A.
    PreparedSettingsDialog *editor = settingsFileActions(offline)->prepareNew(AllModules, 2);
    QVERIFY(editor);
    SettingsComparisonModel *model = editor->comparisonModel();
    auto *table = child<QTableView>(editor, "preparedTableView");
    QVERIFY(table->isColumnHidden(SettingsComparisonModel::RelayColumn));

    // MTZ off: its time is not in use and not editable until MTZ is switched on.
    const QModelIndex delay = fileCell(model, "mtzReactionDelay");
    QVERIFY(!(model->flags(delay) & Qt::ItemIsEditable));
    chooseIn(table, fileCell(model, "mtzMode"), ProtectionOn);
    QVERIFY(model->flags(delay) & Qt::ItemIsEditable);
    const QModelIndex pickup = fileCell(model, "mtzPickupCurrent");
    typeInto(table, pickup, 3.5);
    QCOMPARE(model->fileValues().value(34), qint64(175));
    QCOMPARE(pickup.data().toString(), QStringLiteral("3.50"));
    typeInto(table, delay, 5.5);
    QCOMPARE(model->fileValues().value(35), qint64(55));
    const QString fingerprint = fingerprintText(*settingsFingerprint(model->fileValues()));
    QCOMPARE(child<QLabel>(editor, "fingerprintLabel")->text(),
        QStringLiteral("Settings fingerprint: %1").arg(fingerprint));

    // Edits are not given up unasked.
    {
        MessageBoxAnswer answer(QStringLiteral("Cancel"));
        QVERIFY(!editor->close());
        QVERIFY(answer.answered());
        QVERIFY(editor->isVisible());
    }

    const QString path = m_dir->filePath(QStringLiteral("prepared.json"));
    QVERIFY(editor->save(path));
    QStringList problems;
    const SettingsFile saved = SettingsFile::read(path, &problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    QCOMPARE(saved.savedFingerprint, fingerprint);
    QVERIFY(saved.isPreparedWithoutRelay());
    QCOMPARE(saved.relay.identity.modules, AllModules);
    QCOMPARE(saved.relay.identity.deviceTypeCode, OwnDeviceTypeCode);
    // Saved: it closes without a question.
    QVERIFY(editor->close());
    offline->close();

    MainWindow *window = openWindow(true);
    m_bus->clearReceivedWrites();
    SettingsComparisonDialog *dialog
        = settingsFileActions(window)->open(path, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isReady(), LineTimeoutMs);
    // No serial number or software version to differ in: the modules and type agree.
    QVERIFY(child<QLabel>(dialog, "warningLabel")->isHidden());
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendAllButton")->click();
        QVERIFY(answer.answered());
    }
    auto *state = child<QLabel>(dialog, "stateLabel");
    QTRY_COMPARE_WITH_TIMEOUT(
        state->text(), QStringLiteral("Settings written and verified (Device 2)"), LineTimeoutMs);
    QVERIFY(!m_bus->receivedWrites().isEmpty());
    QCOMPARE(referenceFingerprintText(*m_bus, SlaveId), fingerprint);
    QCOMPARE(child<QLabel>(dialog, "fingerprintLabel")->text(),
        QStringLiteral("Settings fingerprint: file %1, relay %1: identical").arg(fingerprint));
}

// A field out of its range while its protection was off comes into use: what Open would refuse
// is not saved, and the editor does not take such a value itself.
void PreparedSettingsTest::valueOutsideItsRangeIsNotSaved()
{
    SettingsFile file = SettingsFile::prepared(AllModules, 2);
    file.relay.values.insert(35, 9999);
    const QString path = m_dir->filePath(QStringLiteral("unused.json"));
    QString error;
    QVERIFY2(file.write(path, &error), qPrintable(error));
    // As a relay holds a protection switched off.
    QStringList problems;
    QCOMPARE(SettingsFile::read(path, &problems).unusedOutOfRange, QSet<quint16> { 35 });
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));

    MainWindow *window = openWindow(false);
    PreparedSettingsDialog *editor = settingsFileActions(window)->openWithoutRelay(path);
    QVERIFY(editor);
    SettingsComparisonModel *model = editor->comparisonModel();
    const QModelIndex delay = fileCell(model, "mtzReactionDelay");
    QVERIFY(!model->setData(delay, 9998));
    QVERIFY(model->setData(fileCell(model, "mtzMode"), ProtectionOn));
    QVERIFY(!model->setData(delay, 9998));
    QVERIFY(!model->setData(delay, QStringLiteral("many")));
    QCOMPARE(model->fileValues().value(35), qint64(9999));

    const QString target = m_dir->filePath(QStringLiteral("refused.json"));
    MessageBoxAnswer answer(QStringLiteral("OK"));
    QVERIFY(!editor->save(target));
    QVERIFY(answer.answered());
    QVERIFY2(answer.text().contains(QStringLiteral("Field \"mtzReactionDelay\"")),
        qPrintable(answer.text()));
    QVERIFY(!QFile::exists(target));

    // Back in range, it saves.
    QVERIFY(model->setData(delay, 20));
    QVERIFY(editor->save(target));
    QVERIFY(QFile::exists(target));
}

void PreparedSettingsTest::editedFileOpensWithoutRelayFlagged()
{
    SettingsFile file = SettingsFile::prepared(AllModules, 1);
    const QString path = m_dir->filePath(QStringLiteral("edited.json"));
    QString error;
    QVERIFY2(file.write(path, &error), qPrintable(error));
    QFile edited(path);
    QVERIFY(edited.open(QIODevice::ReadOnly));
    QByteArray json = edited.readAll();
    edited.close();
    const QString fingerprint = fingerprintText(*file.fingerprint());
    QVERIFY(json.contains(fingerprint.toLatin1()));
    json.replace(fingerprint.toLatin1(), QByteArrayLiteral("00000000"));
    QVERIFY(edited.open(QIODevice::WriteOnly | QIODevice::Truncate));
    edited.write(json);
    edited.close();

    MainWindow *window = openWindow(false);
    PreparedSettingsDialog *editor = settingsFileActions(window)->openWithoutRelay(path);
    QVERIFY(editor);
    const QLabel *warning = child<QLabel>(editor, "warningLabel");
    QVERIFY(!warning->isHidden());
    QVERIFY2(warning->text().contains(QStringLiteral("changed after it was saved")),
        qPrintable(warning->text()));
    QCOMPARE(editor->comparisonModel()->fileValues(), file.relay.values);
}

QTEST_MAIN(PreparedSettingsTest)
#include "tst_preparedsettings.moc"
