// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TRANSLATIONS_H
#define TRANSLATIONS_H

class QCoreApplication;

// Russian is the program's language whatever the system locale says: its own
// catalogue from the resources (":/translations/korvel-client_ru.qm"), Qt's
// own texts (standard buttons, file and print dialogs, the context menus of
// text fields) from the translations folder of the Qt the program runs on,
// and the Russian locale as the default for dates, times and "%L" numbers.
// The translators belong to the application. A catalogue that is missing
// leaves its texts in English.
void installTranslations(QCoreApplication *application);

#endif // TRANSLATIONS_H
