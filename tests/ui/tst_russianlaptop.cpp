// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations.h"
#include "namedchild.h"
#include "settingsfolder.h"
#include "ui/mainwindow.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGraphicsTextItem>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QtCharts/QChartView>
#include <QtTest>

#include <optional>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
QT_CHARTS_USE_NAMESPACE
#endif

namespace {

// The most common screen of field laptops, and room for a title bar and a
// task bar on it.
const QSize LaptopScreen(1366, 768);
const QSize LaptopWindow(1366 - 8, 768 - 32 - 4 - 40);

const QChar Ellipsis(0x2026);

// Where a person can look at what the test saw.
QString picturePath(const QString &name)
{
    return QDir(QStringLiteral(KORVEL_PICTURE_FOLDER)).filePath(name + QStringLiteral(".png"));
}

void savePicture(QWidget *widget, const QString &name)
{
    QDir().mkpath(QStringLiteral(KORVEL_PICTURE_FOLDER));
    QVERIFY(widget->grab().save(picturePath(name)));
}

// A text the widget cuts off: shorter than what it needs, or shortened.
QString cutText(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        if (label->text().isEmpty() || label->wordWrap())
            return {};
        if (label->width() < label->minimumSizeHint().width() || label->text().contains(Ellipsis))
            return label->text();
    } else if (const auto *box = qobject_cast<const QGroupBox *>(widget)) {
        if (box->width() < box->minimumSizeHint().width()
            || box->width() < box->fontMetrics().horizontalAdvance(box->title()))
            return box->title();
    } else if (const auto *tabs = qobject_cast<const QTabBar *>(widget)) {
        for (int tab = 0; tab < tabs->count(); ++tab) {
            if (tabs->tabRect(tab).width()
                < tabs->fontMetrics().horizontalAdvance(tabs->tabText(tab)))
                return tabs->tabText(tab);
        }
    }
    return {};
}

} // namespace

// The program as a Russian-speaking engineer meets it on a 1366 x 768 laptop.
// Under a display server of that size (ctest runs it in Xvfb) it also checks
// where the window opens; its pictures stay in the build tree.
class RussianLaptopTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowFitsTheScreen();
    void nothingIsCutOff();
    void trendNamesItsQuantities();
    void qtDialogsSpeakRussian();
    void iconDrawnAtEveryScale();

private:
    bool onLaptopScreen() const;

    std::optional<SettingsFolder> m_folder;
};

void RussianLaptopTest::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    installTranslations(QCoreApplication::instance());
}

void RussianLaptopTest::init()
{
    m_folder.emplace();
    QVERIFY(m_folder->isEntered());
}

void RussianLaptopTest::cleanup()
{
    m_folder.reset();
}

bool RussianLaptopTest::onLaptopScreen() const
{
    return QGuiApplication::primaryScreen()->size() == LaptopScreen;
}

// On first start the window, frame included, lies within the screen's free
// area; at a laptop's size all of it shows without scrolling the window.
void RussianLaptopTest::windowFitsTheScreen()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(window.width() <= area.width() && window.height() <= area.height() - 32,
        qPrintable(QStringLiteral("%1 x %2 in %3 x %4")
                       .arg(window.width())
                       .arg(window.height())
                       .arg(area.width())
                       .arg(area.height())));
    if (onLaptopScreen()) {
        QVERIFY(area.contains(window.frameGeometry()));
        savePicture(&window, QStringLiteral("first-start"));
    }

    // Even the smallest window keeps every panel reachable.
    QVERIFY(window.minimumSizeHint().height() < 400);

    window.resize(LaptopWindow);
    auto *content = child<QScrollArea>(&window, QStringLiteral("contentScrollArea"));
    // The panels scroll on their own: the device's identity, modules and
    // clock at the window's bottom stay in view.
    QTRY_VERIFY(!content->verticalScrollBar()->isVisible());
    QVERIFY(!content->horizontalScrollBar()->isVisible());
}

// No title, label or tab of the window shortened at laptop size, in Russian.
void RussianLaptopTest::nothingIsCutOff()
{
    MainWindow window;
    window.resize(LaptopWindow);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *tabs = child<QTabWidget>(&window, QStringLiteral("tabWidget"));
    QStringList cut;
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        QTest::qWait(50);
        const QList<QWidget *> widgets = window.findChildren<QWidget *>();
        for (const QWidget *widget : widgets) {
            if (!widget->isVisible())
                continue;
            const QString text = cutText(widget);
            if (!text.isEmpty() && !cut.contains(text))
                cut.append(text);
        }
        savePicture(&window, QStringLiteral("tab-%1").arg(tab));
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(" | "))));
}

// The chart's own texts: its legend and the titles of its axes, which the
// chart shortens with "…" when they do not fit.
void RussianLaptopTest::trendNamesItsQuantities()
{
    MainWindow window;
    window.resize(LaptopWindow);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The chart is built once it is seen: the monitor scrolls to it.
    auto *trend = child<QWidget>(&window, QStringLiteral("meterageTrendWidget"));
    for (QWidget *parent = trend->parentWidget(); parent; parent = parent->parentWidget()) {
        if (auto *area = qobject_cast<QScrollArea *>(parent)) {
            area->ensureWidgetVisible(trend);
            break;
        }
    }
    QChartView *view = nullptr;
    QTRY_VERIFY((view = window.findChild<QChartView *>(QStringLiteral("trendChartView"))));
    QTest::qWait(50);
    QStringList texts;
    const QList<QGraphicsItem *> items = view->scene()->items();
    for (const QGraphicsItem *item : items) {
        if (const auto *text = dynamic_cast<const QGraphicsTextItem *>(item))
            texts.append(text->toPlainText());
    }
    for (const char *expected : { "IA", "IC", "3I0", "3U0", "Ток, A", "Напряжение, V" })
        QVERIFY2(texts.contains(QString::fromUtf8(expected)),
            qPrintable(texts.join(QStringLiteral(" | "))));
    QVERIFY2(
        !texts.join(QString()).contains(Ellipsis), qPrintable(texts.join(QStringLiteral(" | "))));
    savePicture(view, QStringLiteral("trend"));
}

// Qt's own dialogs and standard buttons come in Russian, beside the window.
void RussianLaptopTest::qtDialogsSpeakRussian()
{
    MainWindow window;
    QMessageBox question(QMessageBox::Question, window.windowTitle(), QStringLiteral("?"),
        QMessageBox::Save | QMessageBox::Cancel, &window);
    question.show();
    QVERIFY(QTest::qWaitForWindowExposed(&question));
    QCOMPARE(question.button(QMessageBox::Save)->text(), QStringLiteral("Сохранить"));
    QCOMPARE(question.button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
    savePicture(&question, QStringLiteral("message-box"));
    question.close();

    QFileDialog files(&window);
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setAcceptMode(QFileDialog::AcceptSave);
    files.show();
    QVERIFY(QTest::qWaitForWindowExposed(&files));
    auto *buttons = files.findChild<QDialogButtonBox *>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
    QCOMPARE(child<QLabel>(&files, QStringLiteral("fileNameLabel"))->text(),
        QStringLiteral("&Имя файла:"));
    savePicture(&files, QStringLiteral("file-dialog"));
    files.close();
}

// The window icon is drawn from SVG: as large as a 200 % desktop asks, where
// a bitmap would stop at its own size.
void RussianLaptopTest::iconDrawnAtEveryScale()
{
    const QIcon icon(QStringLiteral(":/icons/korvel-client.svg"));
    for (int side : { 16, 48, 256, 512 })
        QCOMPARE(icon.pixmap(QSize(side, side)).size(), QSize(side, side));
}

QTEST_MAIN(RussianLaptopTest)
#include "tst_russianlaptop.moc"
