// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations.h"
#include "app/xcbopengl.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(resources);
    skipXcbOpenGlIntegration();
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // A laptop at 125 % to 200 %: widgets and pixmaps follow the screen's
    // scale, as they do by default under Qt 6.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#endif
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    installTranslations(&application);
    // The installed icon theme's first, else the one built in; drawn from
    // SVG at whatever size and scale the desktop asks for.
    QApplication::setWindowIcon(QIcon::fromTheme(
        QStringLiteral("korvel-client"), QIcon(QStringLiteral(":/icons/korvel-client.svg"))));

    MainWindow window;
    window.show();
    return application.exec();
}
