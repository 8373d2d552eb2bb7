// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/xcbopengl.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(resources);
    skipXcbOpenGlIntegration();
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
