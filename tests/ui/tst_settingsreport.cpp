// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "devicedata/crashcountdata.h"
#include "devicedata/crashlogdata.h"
#include "devicedata/deviceinfodata.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/identitytext.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/reportpages.h"
#include "devicemonitor/settingsreport.h"
#include "filesizelimit.h"
#include "messageboxanswer.h"
#include "namedchild.h"
#include "referencecrc32.h"
#include "relaybus.h"
#include "simulatedline.h"
#include "ui/mainwindow.h"
#include "ui/settingsfiles/settingsfileactions.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int RelayId = 1;

// Registers of the values the cases look for.
constexpr int SerialHighRegister = 2;
constexpr int SerialLowRegister = 3;
constexpr int CurrentRangeRegister = 25;
constexpr int MtzModeRegister = 32;
constexpr int MtzPickupCurrentRegister = 34;
constexpr int ApvModeRegister = 48;

// The text of a PDF file with its layout kept, a row of a table on one line.
QString pdfText(const QString &path)
{
    QProcess process;
    process.start(
        QStringLiteral("pdftotext"), { QStringLiteral("-layout"), path, QStringLiteral("-") });
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qWarning("pdftotext failed on %s: %s", qPrintable(path),
            process.readAllStandardError().constData());
    // The PDF's fonts join "ff" and "fi" into ligatures; the checks read letters.
    return QString::fromUtf8(process.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC);
}

// The one line of `text` starting with `label` (after indentation), or a null string.
QString lineOf(const QString &text, const QString &label)
{
    QString found;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (!line.trimmed().startsWith(label))
            continue;
        if (!found.isNull())
            return QStringLiteral("(more than one line starts with %1)").arg(label);
        found = line.simplified();
    }
    return found;
}

// Answers the next file dialog with `path`, keeping the file it offered.
class FileDialogAnswer : public QObject
{
public:
    explicit FileDialogAnswer(const QString &path) : m_path(path)
    {
        connect(&m_timer, &QTimer::timeout, this, &FileDialogAnswer::answer);
        m_timer.start(20);
    }

    QString offered;
    bool answered = false;

private:
    // The dialog lists its folders in the background and may put its own
    // name back meanwhile: it is accepted only once it holds the path.
    void answer()
    {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (offered.isNull())
            offered = dialog->selectedFiles().value(0);
        if (dialog->selectedFiles().value(0) != m_path) {
            // The dialog leaves its name field alone while it has the focus.
            if (QWidget *focused = dialog->focusWidget())
                focused->clearFocus();
            dialog->selectFile(m_path);
            return;
        }
        m_timer.stop();
        answered = true;
        static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
    }

    QString m_path;
    QTimer m_timer;
};

// Answers the next print dialog: print to the PDF file `path`. With no
// printer installed, a file is the one destination the dialog offers.
class PrintDialogAnswer : public QObject
{
public:
    explicit PrintDialogAnswer(const QString &path) : m_path(path)
    {
        connect(&m_timer, &QTimer::timeout, this, &PrintDialogAnswer::answer);
        m_timer.start(20);
    }

    bool answered = false;

private:
    void answer()
    {
        auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        auto *fileName
            = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("filename")) : nullptr;
        if (!fileName || !fileName->isEnabled())
            return;
        m_timer.stop();
        fileName->setText(m_path);
        answered = true;
        dialog->accept();
    }

    QString m_path;
    QTimer m_timer;
};

} // namespace

// The commissioning report, read back from the PDF it is written to.
class SettingsReportTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void reportCarriesTheRelaysValues();
    void untrustedValuesAreMarked();
    void unusedSettingsAreMarked_data();
    void unusedSettingsAreMarked();
    void unwritableFileFails();
    void windowOffersReportsOfTheSelectedRelay();
    void windowExportsTheCurrentRelay();
    void journalSectionListsThisRelaysWritesSince();
    void windowExportNamesAFileItCannotWrite();
    void windowPrintsTheCurrentRelay();
    void windowPrintNamesAFolderGoneMeanwhile();
    void windowMakesNoReportOfASilentRelay();
    void windowReportsARelayMissingFromTheList();

private:
    bool readAll();
    // Relay 4 current, found by a scan or, unlisted, set without one.
    void openWindowOnRelay4(bool scanned = true);
    ReportSources sources() const;
    QString writtenReportText();

    QScopedPointer<SimulatedLine> m_line;
    QScopedPointer<QObject> m_blocks;
    QScopedPointer<QTemporaryDir> m_dir;
    DeviceInfoData *m_deviceInfo = nullptr;
    ModulesData *m_modules = nullptr;
    DeviceTimeData *m_deviceTime = nullptr;
    MeterageConfigurationData *m_meterage = nullptr;
    ProtectionConfigurationData *m_protection = nullptr;
    SetpointsData *m_setpoints = nullptr;
    CrashCountData *m_crashCount = nullptr;
    CrashLogData *m_crashLog = nullptr;

    // The main window's fixture: relay 4 on a line of its own.
    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<MainWindow> m_window;
    QAction *m_exportAction = nullptr;
    QAction *m_printAction = nullptr;
    QString m_exports;
    bool m_mtzWasOn = false;
};

void SettingsReportTest::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
        "pdftotext is missing: scripts/test installs it (poppler-utils)");
}

void SettingsReportTest::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_line.reset(new SimulatedLine({ RelayId }));
    QVERIFY(m_line->start());
    m_blocks.reset(new QObject);
    m_deviceInfo = new DeviceInfoData(m_blocks.data());
    m_modules = new ModulesData(m_blocks.data());
    m_deviceTime = new DeviceTimeData(m_blocks.data());
    m_meterage = new MeterageConfigurationData(m_blocks.data());
    m_protection = new ProtectionConfigurationData(m_blocks.data());
    m_setpoints = new SetpointsData(m_blocks.data());
    m_crashCount = new CrashCountData(m_blocks.data());
    m_crashLog = new CrashLogData(m_blocks.data());
}

void SettingsReportTest::cleanup()
{
    if (m_window)
        m_window->close();
    m_window.reset();
    m_bus.reset();
    m_blocks.reset();
    m_line.reset();
    QDir::setCurrent(QDir::tempPath());
    m_dir.reset();
}

bool SettingsReportTest::readAll()
{
    for (DeviceData *block : std::initializer_list<DeviceData *> { m_deviceInfo, m_modules,
             m_deviceTime, m_meterage, m_protection, m_setpoints, m_crashCount }) {
        if (!m_line->read(RelayId, block))
            return false;
    }
    // As the crash log panel's Refresh reads it.
    m_crashLog->setCrashCount(int(m_crashCount->crashCount().value));
    return m_line->read(RelayId, m_crashLog);
}

ReportSources SettingsReportTest::sources() const
{
    ReportSources sources;
    sources.deviceId = RelayId;
    sources.deviceInfo = m_deviceInfo->deviceInfo();
    sources.modules = m_modules;
    sources.deviceTime = m_deviceTime;
    sources.meterageConfiguration = m_meterage;
    sources.protectionConfiguration = m_protection;
    sources.setpoints = m_setpoints;
    sources.crashCount = m_crashCount;
    sources.crashLog = m_crashLog;
    return sources;
}

QString SettingsReportTest::writtenReportText()
{
    const SettingsReport report(sources());
    const QString path = m_dir->filePath(QStringLiteral("report.pdf"));
    if (!ReportPages::writePdf(report.html(), report.title(), path))
        return QString();
    return pdfText(path);
}

void SettingsReportTest::reportCarriesTheRelaysValues()
{
    RelayBus &bus = m_line->bus();
    QVERIFY(bus.setHoldingRegister(RelayId, SerialHighRegister, 0));
    QVERIFY(bus.setHoldingRegister(RelayId, SerialLowRegister, 42017));
    // Range code 2 doubles the pick-up current's register steps of 0.01 A.
    QVERIFY(bus.setHoldingRegister(RelayId, CurrentRangeRegister, 2));
    QVERIFY(bus.setHoldingRegister(RelayId, MtzModeRegister, 1));
    QVERIFY(bus.setHoldingRegister(RelayId, MtzPickupCurrentRegister, 175));
    // Enough records for more than one page.
    bus.setCrashCount(RelayId, 40);
    QVERIFY(readAll());
    QCOMPARE(m_crashLog->crashListModel()->rowCount(), 40);

    const QString text = writtenReportText();
    QVERIFY(!text.isEmpty());
    QVERIFY2(text.startsWith(QStringLiteral("Commissioning report\n")), qPrintable(text));
    // Seven digits, the leading zeros kept.
    QCOMPARE(
        lineOf(text, QStringLiteral("Serial number")), QStringLiteral("Serial number 0042017"));
    QVERIFY(text.contains(QStringLiteral("Program: Korvel-client")));
    QCOMPARE(lineOf(text, QStringLiteral("Settings fingerprint")),
        QStringLiteral("Settings fingerprint %1").arg(referenceFingerprintText(bus, RelayId)));

    // MTZ's pick-up current is the first of three with that label.
    const QRegularExpression mtzPickup(QStringLiteral("Pick-up current +3\\.50 +A\\s"));
    QVERIFY2(text.contains(mtzPickup), qPrintable(text));
    QCOMPARE(lineOf(text, QStringLiteral("MTZ mode")), QStringLiteral("MTZ mode on"));

    // A crash record as the crash log panel shows it, in one row.
    const CrashListModel *crashes = m_crashLog->crashListModel();
    const QString crashRow
        = QStringLiteral("%1 %2 %3")
              .arg(crashes->index(0, CrashListModel::NumberColumn).data().toString(),
                  crashes->index(0, CrashListModel::TimeColumn).data().toString(),
                  crashes->index(0, CrashListModel::TypeColumn).data().toString());
    QVERIFY2(text.simplified().contains(crashRow), qPrintable(crashRow));

    // Every page says which of how many it is; pdftotext ends each with a form feed.
    const int pages = text.count(QLatin1Char('\f'));
    QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
    for (int page = 1; page <= pages; ++page) {
        const QString footer = QStringLiteral("Page %1 of %2").arg(page).arg(pages);
        QVERIFY2(text.contains(footer), qPrintable(footer));
    }
}

void SettingsReportTest::untrustedValuesAreMarked()
{
    QVERIFY(m_line->read(RelayId, m_deviceInfo));
    QVERIFY(m_line->read(RelayId, m_meterage));
    QVERIFY(m_line->read(RelayId, m_setpoints));
    const QString readText = writtenReportText();
    // The legend names the mark in quotes; a value carries it after a space.
    const QRegularExpression outdatedMark(QStringLiteral(" \\(outdated\\)"));
    QVERIFY2(!readText.contains(outdatedMark), qPrintable(readText));

    // A later read fails: what was read stays, marked; the protection
    // configuration, never read, has no value at all.
    m_line->bus().setRelayOnline(RelayId, false);
    QVERIFY(m_line->read(RelayId, m_setpoints));
    QCOMPARE(m_setpoints->setpoints().mtzPickupCurrent.status, Outdated);

    const QString text = writtenReportText();
    const QString kt = lineOf(text, QStringLiteral("Kt "));
    QVERIFY2(!kt.contains(QStringLiteral("outdated")), qPrintable(kt));
    const QString mtzMode = lineOf(text, QStringLiteral("MTZ mode"));
    QVERIFY2(mtzMode.endsWith(QStringLiteral("(outdated)")), qPrintable(mtzMode));
    QCOMPARE(lineOf(text, QStringLiteral("MTZ instant resetting time")),
        QStringLiteral("MTZ instant resetting time - sec"));
    QCOMPARE(lineOf(text, QStringLiteral("Device time")), QStringLiteral("Device time -"));
    QCOMPARE(lineOf(text, QStringLiteral("Settings fingerprint")),
        QStringLiteral("Settings fingerprint -"));
    QVERIFY(text.contains(QStringLiteral("The crash records were not read.")));
    // The legend tells what the marks mean.
    QVERIFY(text.simplified().contains(QStringLiteral("\"(outdated)\": the last value read")));
}

void SettingsReportTest::unusedSettingsAreMarked_data()
{
    QTest::addColumn<int>("modules");
    QTest::addColumn<int>("apvMode");
    QTest::addColumn<bool>("apvUsed");
    QTest::addColumn<bool>("secondShotUsed");

    QTest::newRow("no APV module") << int(ModuleZnz3U0) << 2 << false << false;
    QTest::newRow("single shot") << int(ModuleApv) << 1 << true << false;
    QTest::newRow("double shot") << int(ModuleApv) << 2 << true << true;
}

void SettingsReportTest::unusedSettingsAreMarked()
{
    QFETCH(int, modules);
    QFETCH(int, apvMode);
    QFETCH(bool, apvUsed);
    QFETCH(bool, secondShotUsed);

    m_line->bus().setModules(RelayId, quint16(modules));
    QVERIFY(m_line->bus().setHoldingRegister(RelayId, ApvModeRegister, quint16(apvMode)));
    QVERIFY(m_line->read(RelayId, m_modules));
    QVERIFY(m_line->read(RelayId, m_setpoints));

    const QString text = writtenReportText();
    // Unused settings keep their values: only the mark tells them apart.
    const QString readiness = lineOf(text, QStringLiteral("Readiness time"));
    QVERIFY2(
        readiness.contains(QRegularExpression(QStringLiteral("\\d+ sec"))), qPrintable(readiness));
    QCOMPARE(readiness.endsWith(QStringLiteral("not used")), !apvUsed);
    const QString secondShot = lineOf(text, QStringLiteral("Reaction time, 2nd"));
    QCOMPARE(secondShot.endsWith(QStringLiteral("not used")), !secondShotUsed);
}

// The report that is written to an existing folder fails in a missing one,
// and a disk that fills up half-way keeps the report written before.
void SettingsReportTest::unwritableFileFails()
{
    const SettingsReport report(sources());
    const QString path = m_dir->filePath(QStringLiteral("report.pdf"));
    QVERIFY(ReportPages::writePdf(report.html(), report.title(), path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    file.close();
    QVERIFY(written.startsWith("%PDF-"));

    const QString missing = m_dir->filePath(QStringLiteral("missing/report.pdf"));
    QVERIFY(!ReportPages::writePdf(report.html(), report.title(), missing));
    QVERIFY(!QFileInfo::exists(missing));

    {
        const FileSizeLimit limit(written.size() - 1000);
        QVERIFY(limit.isSet());
        QVERIFY(!ReportPages::writePdf(report.html(), report.title(), path));
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), written);
    QCOMPARE(QDir(m_dir->path())
                 .entryList({ QStringLiteral("report.pdf*") }, QDir::Files | QDir::Hidden),
        QStringList { QStringLiteral("report.pdf") });
}

// The main window on relay 4 of a line of its own, serial number 0042017,
// the relay selected and its setpoints read once by their tab. The tab is
// then left and the relay changes its MTZ mode: a report must read the
// relay afresh rather than print what the tab held.
void SettingsReportTest::openWindowOnRelay4(bool scanned)
{
    m_bus.reset(new RelayBus({ 4 }));
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
    QVERIFY(m_bus->setHoldingRegister(4, SerialHighRegister, 0));
    QVERIFY(m_bus->setHoldingRegister(4, SerialLowRegister, 42017));
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    saveConnectionSettings(settings);
    m_exports = m_dir->filePath(QStringLiteral("exports"));
    QVERIFY(QDir().mkpath(m_exports));
    saveLastFolder(m_dir->path());

    m_window.reset(new MainWindow);
    m_window->show();
    m_exportAction = child<QAction>(m_window.data(), "actionExportReport");
    m_printAction = child<QAction>(m_window.data(), "actionPrintReport");
    QVERIFY(!m_exportAction->isEnabled());
    QVERIFY(!m_printAction->isEnabled());

    auto *monitor = child<DeviceMonitor>(m_window.data(), "deviceMonitor");
    child<QAction>(m_window.data(), "actionConnect")->trigger();
    if (scanned) {
        child<QLineEdit>(m_window.data(), "scanRangeLineEdit")->setText(QStringLiteral("4"));
        child<QAbstractButton>(m_window.data(), "scanButton")->click();
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(monitor->isConnected(), 10000);
        monitor->setCurrentDeviceId(4);
    }
    QTRY_COMPARE_WITH_TIMEOUT(monitor->currentDeviceId(), 4, 10000);
    QTRY_VERIFY(m_exportAction->isEnabled());
    QVERIFY(m_printAction->isEnabled());
    auto *tabs = child<QTabWidget>(m_window.data(), "tabWidget");
    tabs->setCurrentWidget(child<QWidget>(m_window.data(), "setpointsWidget"));
    const SetpointsData *setpoints = m_window->findChild<SetpointsData *>();
    QTRY_COMPARE_WITH_TIMEOUT(setpoints->setpoints().mtzPickupCurrent.status, Valid, 10000);

    tabs->setCurrentWidget(child<QWidget>(m_window.data(), "monitorWidget"));
    m_mtzWasOn = setpoints->setpoints().mtzMode.value == 1;
    QVERIFY(m_bus->setHoldingRegister(4, MtzModeRegister, m_mtzWasOn ? 0 : 1));
}

// Export and print are offered while a relay is selected, and only then.
void SettingsReportTest::windowOffersReportsOfTheSelectedRelay()
{
    openWindowOnRelay4();
    if (QTest::currentTestFailed())
        return;
    child<QAction>(m_window.data(), "actionDisconnect")->trigger();
    QVERIFY(!m_exportAction->isEnabled());
    QVERIFY(!m_printAction->isEnabled());
}

// The File menu's export: named after the relay and the day, in the folder
// last used, with what the relay holds now.
void SettingsReportTest::windowExportsTheCurrentRelay()
{
    openWindowOnRelay4();
    if (QTest::currentTestFailed())
        return;
    const QString path = QDir(m_exports).filePath(QStringLiteral("relay4.pdf"));
    {
        FileDialogAnswer answer(path);
        m_exportAction->trigger();
        QVERIFY(answer.answered);
        QVERIFY(!m_exportAction->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(m_exportAction->isEnabled(), 10000);
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(QFileInfo(answer.offered).absolutePath(), m_dir->path());
        QCOMPARE(QFileInfo(answer.offered).fileName(),
            QStringLiteral("korvel-report-0042017-%1.pdf")
                .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    }
    QCOMPARE(loadLastFolder(), m_exports);
    const QString text = pdfText(path);
    QCOMPARE(
        lineOf(text, QStringLiteral("Serial number")), QStringLiteral("Serial number 0042017"));
    QCOMPARE(lineOf(text, QStringLiteral("Device ID")), QStringLiteral("Device ID 4"));
    // The clock comes from the window's last read, and says when that was;
    // the crash records were never read.
    const QString clockReadAt = lineOf(text, QStringLiteral("Clock read at"));
    QVERIFY2(clockReadAt.contains(QRegularExpression(QStringLiteral("Clock read at .*\\d"))),
        qPrintable(clockReadAt));
    QVERIFY(!text.contains(QStringLiteral("Crash records read at")));
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Pick-up current +[0-9.]+ +A\\s"))),
        qPrintable(text));
    QCOMPARE(lineOf(text, QStringLiteral("MTZ mode")),
        m_mtzWasOn ? QStringLiteral("MTZ mode off") : QStringLiteral("MTZ mode on"));
    QCOMPARE(m_window->statusBar()->currentMessage(),
        QStringLiteral("Report of Device 4 written to \"%1\"").arg(path));
}

// A file that cannot be written says so, naming it. A folder of that name
// stops root too, and keeps the dialog in a folder it may list.
void SettingsReportTest::windowExportNamesAFileItCannotWrite()
{
    openWindowOnRelay4();
    if (QTest::currentTestFailed())
        return;
    const QString occupied = QDir(m_exports).filePath(QStringLiteral("occupied.pdf"));
    QVERIFY(QDir().mkpath(occupied));
    FileDialogAnswer answer(occupied);
    MessageBoxAnswer message(QStringLiteral("OK"));
    m_exportAction->trigger();
    QVERIFY(answer.answered);
    QTRY_VERIFY_WITH_TIMEOUT(message.answered(), 10000);
    QVERIFY2(message.text().contains(QStringLiteral("\"%1\"").arg(occupied)),
        qPrintable(message.text()));
    QTRY_VERIFY_WITH_TIMEOUT(m_exportAction->isEnabled(), 10000);
}

// Printing reads afresh too, past the hidden tab's old mode, and paints the same pages.
void SettingsReportTest::windowPrintsTheCurrentRelay()
{
    openWindowOnRelay4();
    if (QTest::currentTestFailed())
        return;
    const QString printed = QDir(m_exports).filePath(QStringLiteral("printed.pdf"));
    {
        PrintDialogAnswer answer(printed);
        m_printAction->trigger();
        QVERIFY(answer.answered);
        QTRY_VERIFY_WITH_TIMEOUT(m_printAction->isEnabled(), 10000);
    }
    const QString text = pdfText(printed);
    QCOMPARE(
        lineOf(text, QStringLiteral("Serial number")), QStringLiteral("Serial number 0042017"));
    QCOMPARE(lineOf(text, QStringLiteral("MTZ mode")),
        m_mtzWasOn ? QStringLiteral("MTZ mode off") : QStringLiteral("MTZ mode on"));
    QVERIFY2(text.contains(QStringLiteral("Page 1 of ")), qPrintable(text));
    QCOMPARE(m_window->statusBar()->currentMessage(),
        QStringLiteral("Report of Device 4 written to \"%1\"").arg(printed));
}

// The dialog checks the file; a folder removed while the relay is read is
// named in the failure, not a printer without a name.
void SettingsReportTest::windowPrintNamesAFolderGoneMeanwhile()
{
    openWindowOnRelay4();
    if (QTest::currentTestFailed())
        return;
    const QString gone = m_dir->filePath(QStringLiteral("gone"));
    QVERIFY(QDir().mkpath(gone));
    const QString unprinted = QDir(gone).filePath(QStringLiteral("printed.pdf"));
    PrintDialogAnswer answer(unprinted);
    MessageBoxAnswer message(QStringLiteral("OK"));
    m_printAction->trigger();
    QVERIFY(answer.answered);
    QVERIFY(QDir(gone).removeRecursively());
    QTRY_VERIFY_WITH_TIMEOUT(message.answered(), 10000);
    QVERIFY2(message.text().startsWith(
                 QStringLiteral("The report could not be written to \"%1\".").arg(unprinted)),
        qPrintable(message.text()));
}

// A relay that does not answer the fresh read gets no report.
void SettingsReportTest::windowMakesNoReportOfASilentRelay()
{
    openWindowOnRelay4();
    if (QTest::currentTestFailed())
        return;
    m_bus->setRelayOnline(4, false);
    const QString unread = QDir(m_exports).filePath(QStringLiteral("silent.pdf"));
    FileDialogAnswer answer(unread);
    MessageBoxAnswer message(QStringLiteral("OK"));
    m_exportAction->trigger();
    QVERIFY(answer.answered);
    QTRY_VERIFY_WITH_TIMEOUT(message.answered(), 60000);
    QVERIFY2(
        message.text().endsWith(QStringLiteral("No report was made.")), qPrintable(message.text()));
    QVERIFY(!QFileInfo::exists(unread));
}

// A relay worked with that is not in the device list, set without a scan: its report and its
// settings file are named by its ID until the fresh read names it, and the report is made.
void SettingsReportTest::windowReportsARelayMissingFromTheList()
{
    openWindowOnRelay4(false);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(
        child<DeviceMonitor>(m_window.data(), "deviceMonitor")->deviceListModel()->rowOfDevice(4),
        -1);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    QCOMPARE(
        QFileInfo(
            child<SettingsFileActions>(m_window.data(), "settingsFileActions")->defaultFileName())
            .fileName(),
        QStringLiteral("settings-4-%1.json").arg(today));

    const QString path = QDir(m_exports).filePath(QStringLiteral("unlisted.pdf"));
    FileDialogAnswer answer(path);
    m_exportAction->trigger();
    QVERIFY(answer.answered);
    QTRY_VERIFY_WITH_TIMEOUT(m_exportAction->isEnabled(), 10000);
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(lineOf(pdfText(path), QStringLiteral("Serial number")),
        QStringLiteral("Serial number 0042017"));
    QCOMPARE(m_window->statusBar()->currentMessage(),
        QStringLiteral("Report of Device 4 written to \"%1\"").arg(path));
}

// Only this relay's entries, only since the day chosen, each register with its outcome.
void SettingsReportTest::journalSectionListsThisRelaysWritesSince()
{
    QVERIFY(readAll());
    const qint64 serial = m_deviceInfo->deviceInfo().serialNumber.value;
    JournalStore journal(m_dir->filePath(QStringLiteral("journal.sqlite")));
    QVERIFY(journal.open());
    const auto add = [&journal](qint64 serialNumber, int daysAgo, const QString &field,
                         JournalOutcome outcome) {
        JournalEntry entry;
        entry.when = QDateTime::currentDateTimeUtc().addDays(-daysAgo);
        entry.slaveId = RelayId;
        entry.identityKnown = true;
        entry.serialNumber = serialNumber;
        entry.kind = JournalEntry::SetpointsSet;
        JournalRegister reg;
        reg.field = field;
        reg.hasOld = true;
        reg.oldShown = QStringLiteral("1.00 A");
        reg.newShown = QStringLiteral("4.50 A");
        reg.outcome = outcome;
        reg.detail
            = outcome == JournalOutcome::Changed ? QStringLiteral("holds 2.00 A") : QString();
        entry.registers.append(reg);
        return journal.addEntry(entry).has_value();
    };
    QVERIFY(add(serial, 0, QStringLiteral("Written today"), JournalOutcome::Changed));
    QVERIFY(add(serial, 3, QStringLiteral("Written days ago"), JournalOutcome::Verified));
    QVERIFY(add(serial + 1, 0, QStringLiteral("Another relay"), JournalOutcome::Verified));

    ReportSources withJournal = sources();
    withJournal.journal = &journal;
    QString html = SettingsReport(withJournal).html();
    QVERIFY2(html.contains(QStringLiteral("Journal of writes since")), qPrintable(html));
    QVERIFY(html.contains(QStringLiteral("Written today")));
    QVERIFY(html.contains(QStringLiteral("changed by the relay: holds 2.00 A")));
    QVERIFY(!html.contains(QStringLiteral("Written days ago")));
    QVERIFY(!html.contains(QStringLiteral("Another relay")));

    withJournal.journalSince = QDate::currentDate().addDays(-7);
    html = SettingsReport(withJournal).html();
    QVERIFY(html.contains(QStringLiteral("Written days ago")));
    QVERIFY(!html.contains(QStringLiteral("Another relay")));
    // Without a journal, no section.
    QVERIFY(!SettingsReport(sources()).html().contains(QStringLiteral("Journal of writes")));
}

QTEST_MAIN(SettingsReportTest)

#include "tst_settingsreport.moc"
