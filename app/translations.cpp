// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations.h"
#include "common/logging.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

QString qtTranslationsFolder()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
}

} // namespace

void installTranslations(QCoreApplication *application)
{
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);

    auto *own = new QTranslator(application);
    (void)own->load(QStringLiteral(":/translations/korvel-client_ru.qm"));
    QCoreApplication::installTranslator(own);

    // qtbase holds every text of the widgets the program uses; Debian ships it
    // in qttranslations5-l10n (Qt 5) and qt6-translations-l10n (Qt 6).
    auto *qt = new QTranslator(application);
    const QString folder = qtTranslationsFolder();
    if (qt->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"), folder))
        QCoreApplication::installTranslator(qt);
    else
        qCWarning(lcUi).noquote() << "Qt's Russian texts (qtbase_ru.qm) are not in" << folder
                                  << "- standard dialogs stay in English";
}
