// SPDX-License-Identifier: GPL-3.0-or-later
// The reference for the program's own start-up and memory: an empty main window with four tabs
// and nothing behind them, linked against Qt Widgets alone. It starts on the same platform terms
// as the program: no OpenGL integration under X.
//
//   korvel-bench-emptywindow --result FILE [--hold MS]
// Shows the window, waits until it has been painted and HOLD milliseconds more, writes the
// paint time and the peak RSS to FILE and quits.

#include "app/xcbopengl.h"
#include "benchsupport.h"
#include "firstpaintprobe.h"

#include <QApplication>
#include <QMainWindow>
#include <QTabWidget>
#include <QTimer>

int main(int argc, char *argv[])
{
    WindowResult measured;
    measured.mainEnteredNs = bench::nowNs();
    skipXcbOpenGlIntegration();
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const int resultAt = arguments.indexOf(QStringLiteral("--result"));
    const int holdAt = arguments.indexOf(QStringLiteral("--hold"));
    if (resultAt < 0 || resultAt + 1 >= arguments.size())
        return 2;
    const QString result = arguments.at(resultAt + 1);
    const int holdMs
        = holdAt > 0 && holdAt + 1 < arguments.size() ? arguments.at(holdAt + 1).toInt() : 0;

    QMainWindow window;
    auto *tabs = new QTabWidget(&window);
    tabs->setTabPosition(QTabWidget::South);
    for (const char *title : { "Monitor", "Configuration", "Setpoints", "Crash log" })
        tabs->addTab(new QWidget(tabs), QString::fromLatin1(title));
    window.setCentralWidget(tabs);
    window.resize(586, 393);
    measured.builtNs = bench::nowNs();

    FirstPaintProbe probe(&window);
    QObject::connect(&probe, &FirstPaintProbe::painted, &application, [&] {
        QTimer::singleShot(holdMs, &application, [&] {
            measured.paintedNs = probe.paintedAtNs();
            measured.cpuAtPaintNs = probe.cpuAtPaintNs();
            measured.peakRssKb = bench::peakRssKb();
            const bool written = writeWindowResult(result, measured);
            QApplication::exit(written ? 0 : 1);
        });
    });
    window.show();
    return application.exec();
}
