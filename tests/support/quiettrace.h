// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUIETTRACE_H
#define QUIETTRACE_H

#include <QLoggingCategory>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

// Quiets the Modbus frame trace while it lives: libmodbus prints every frame to standard output
// and the program logs a few debug lines per transaction, which over thousands of transactions
// would bury the test's own output. QtTest logs to standard output as well, warnings included, so
// nothing may be verified while this is in scope.
class QuietTrace
{
public:
    QuietTrace()
    {
        s_previousFilter = QLoggingCategory::installFilter(withoutDebug);
        std::fflush(stdout);
        m_savedStdout = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            close(null);
        }
    }
    ~QuietTrace()
    {
        std::fflush(stdout);
        if (m_savedStdout >= 0) {
            dup2(m_savedStdout, STDOUT_FILENO);
            close(m_savedStdout);
        }
        QLoggingCategory::installFilter(s_previousFilter);
    }
    QuietTrace(const QuietTrace &) = delete;
    QuietTrace &operator=(const QuietTrace &) = delete;

private:
    // The rules in force (QT_LOGGING_RULES) decide first; the program's debug lines then stay off.
    // Worker threads log too: a filter, unlike a message handler, is swapped under Qt's own lock.
    static void withoutDebug(QLoggingCategory *category)
    {
        // Not yet set while installFilter() applies this to the categories already there; their
        // settings are the previous filter's then.
        if (s_previousFilter)
            s_previousFilter(category);
        const char *name = category->categoryName();
        if (qstrcmp(name, "default") == 0 || qstrncmp(name, "korvel.", 7) == 0)
            category->setEnabled(QtDebugMsg, false);
    }

    static inline QLoggingCategory::CategoryFilter s_previousFilter = nullptr;
    int m_savedStdout = -1;
};

#endif // QUIETTRACE_H
