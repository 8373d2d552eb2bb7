// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RESULTOUTPUT_H
#define RESULTOUTPUT_H

#include <QFile>
#include <QTextStream>

// Standard output and standard error for korvel-line's own words. libmodbus writes a trace of
// every frame to standard output, where a script reads the result, and every failed frame to
// standard error, where the reasons of a failure go. While this lives, what libmodbus writes
// goes to standard error when the transport's diagnostics (korvel.modbus) are on, else nowhere;
// the result, the errors and Qt's messages go to the real streams. Made once, before the line is
// opened.
class ResultOutput
{
public:
    ResultOutput();
    ~ResultOutput();
    ResultOutput(const ResultOutput &) = delete;
    ResultOutput &operator=(const ResultOutput &) = delete;

    // UTF-8 text, each.
    QTextStream &result() { return m_result; }
    QTextStream &errors() { return m_errors; }

private:
    QFile m_resultFile;
    QFile m_errorsFile;
    QTextStream m_result;
    QTextStream m_errors;
};

#endif // RESULTOUTPUT_H
