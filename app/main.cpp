// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations.h"
#include "app/xcbopengl.h"
#include "ui/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(resources);
    skipXcbOpenGlIntegration();
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    installTranslations(&application);

    MainWindow window;
    window.show();
    return application.exec();
}
