// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/resultoutput.h"

#include "common/logging.h"

#include <cstdio>
#include <fcntl.h>
#ifdef Q_OS_WIN
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define close _close
#define open _open
#define fileno _fileno
constexpr const char *NullDevice = "NUL";
#else
#include <unistd.h>
constexpr const char *NullDevice = "/dev/null";
#endif

namespace {

QTextStream *messageStream = nullptr;

void writeMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    *messageStream << qFormatLogMessage(type, context, message) << '\n';
    messageStream->flush();
}

// `stream` keeps writing where `file` does now; `file` itself then goes to `target` (a
// descriptor). False, with nothing changed, when no descriptor is to spare.
bool divert(FILE *file, int target, QFile *kept)
{
    std::fflush(file);
    const int own = dup(fileno(file));
    if (own < 0)
        return false;
    dup2(target, fileno(file));
    return kept->open(own, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
}

} // namespace

ResultOutput::ResultOutput()
{
    const int library
        = lcModbus().isDebugEnabled() ? dup(fileno(stderr)) : open(NullDevice, O_WRONLY);
    // Without descriptors to spare the library shares the streams.
    if (library < 0 || !divert(stdout, library, &m_resultFile))
        m_resultFile.open(stdout, QIODevice::WriteOnly);
    if (library < 0 || !divert(stderr, library, &m_errorsFile))
        m_errorsFile.open(stderr, QIODevice::WriteOnly);
    if (library >= 0)
        close(library);
    m_result.setDevice(&m_resultFile);
    m_errors.setDevice(&m_errorsFile);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    m_result.setCodec("UTF-8");
    m_errors.setCodec("UTF-8");
#endif
    messageStream = &m_errors;
    qInstallMessageHandler(writeMessage);
}

ResultOutput::~ResultOutput()
{
    qInstallMessageHandler(nullptr);
    messageStream = nullptr;
}
