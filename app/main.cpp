// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mainwindow.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(resources);
    // Qt's xcb backend loads an OpenGL driver (Mesa, with LLVM) at start-up
    // even for a program that draws only widgets: some 50 MB and a tenth of
    // a second spent on nothing. A user who wants it can still set it.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));

    // Russian is the program's language whatever the system locale says.
    QTranslator translator;
    (void)translator.load(QStringLiteral(":/translations/korvel-client_ru.qm"));
    QApplication::installTranslator(&translator);

    MainWindow window;
    window.show();
    return application.exec();
}
