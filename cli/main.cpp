// SPDX-License-Identifier: GPL-3.0-or-later
// korvel-line: a whole line of relays scanned, backed up, compared with its folder and
// reported on, from a script or a terminal, without a window.
#include "app/settings.h"
#include "app/translations.h"
#include "cli/linecommand.h"
#include "cli/lineoptions.h"
#include "cli/resultoutput.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QTimer>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(resources);
    // It shows nothing: the report's pages are painted offscreen, with no display needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window's diagnostics would bury the result; QT_LOGGING_RULES still brings them back.
    QLoggingCategory::setFilterRules(QStringLiteral("korvel.*.debug=false"));
    QGuiApplication application(argc, argv);
    QGuiApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    installTranslations(&application);

    ResultOutput output;
    ConnectionSettings saved;
    loadConnectionSettings(saved);
    DeviceSettings timing;
    loadDeviceSettings(timing);
    QString error;
    QString help;
    const std::optional<LineOptions> options
        = LineArguments::parse(QGuiApplication::arguments(), saved, &error, &help);
    if (!options) {
        if (!help.isEmpty()) {
            output.result() << help;
            return LineCommand::Success;
        }
        output.errors() << error << '\n' << LineArguments::usage();
        return LineCommand::Failure;
    }

    LineCommand command(*options, timing, &output.result(), &output.errors());
    QObject::connect(&command, &LineCommand::finished, &application, &QCoreApplication::exit,
        Qt::QueuedConnection);
    QTimer::singleShot(0, &command, &LineCommand::start);
    return QGuiApplication::exec();
}
