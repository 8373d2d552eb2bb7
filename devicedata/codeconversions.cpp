// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/codeconversions.h"

#include <QCoreApplication>

namespace {

struct CodeText
{
    qint64 code;
    // Source text and disambiguation, as QT_TRANSLATE_NOOP3 gives them.
    struct
    {
        const char *source;
        const char *comment;
    } text;
    // The setpoint codes are the setpoints panel's own texts.
    const char *context = "QObject";
};

const CodeText currentRangeTexts[] = {
    { 1, QT_TRANSLATE_NOOP3("QObject", "1 - 41", "phase current range") },
    { 2, QT_TRANSLATE_NOOP3("QObject", "2 - 82", "phase current range") },
    { 3, QT_TRANSLATE_NOOP3("QObject", "4 - 164", "phase current range") },
    { 4, QT_TRANSLATE_NOOP3("QObject", "8 - 328", "phase current range") },
};

const CodeText diBlockToModeTexts[] = {
    { 0, QT_TRANSLATE_NOOP3("QObject", "continuously", "DI Block TO mode") },
    { 20, QT_TRANSLATE_NOOP3("QObject", "2 sec", "DI Block TO mode") },
};

const CodeText onOffTexts[] = {
    { 0, QT_TRANSLATE_NOOP3("QObject", "off", "protection function mode") },
    { 1, QT_TRANSLATE_NOOP3("QObject", "on", "protection function mode") },
};

const CodeText crashTypeTexts[] = {
    { 1, QT_TRANSLATE_NOOP3("QObject", "MTZ", "crash type") },
    { 2, QT_TRANSLATE_NOOP3("QObject", "TO", "crash type") },
    { 3, QT_TRANSLATE_NOOP3("QObject", "ZNZ", "crash type") },
    { 4, QT_TRANSLATE_NOOP3("QObject", "APV 1", "crash type") },
    { 5, QT_TRANSLATE_NOOP3("QObject", "APV 2", "crash type") },
    { 6, QT_TRANSLATE_NOOP3("QObject", "AChR", "crash type") },
};

const CodeText mtzPickupCharacteristicTexts[] = {
    { 1, { QT_TRANSLATE_NOOP("SetpointsWidget", "independent"), nullptr }, "SetpointsWidget" },
    { 2, { QT_TRANSLATE_NOOP("SetpointsWidget", "normally inverse"), nullptr }, "SetpointsWidget" },
    { 3, { QT_TRANSLATE_NOOP("SetpointsWidget", "strongly inverse"), nullptr }, "SetpointsWidget" },
    { 4, { QT_TRANSLATE_NOOP("SetpointsWidget", "sharp"), nullptr }, "SetpointsWidget" },
    { 5, { QT_TRANSLATE_NOOP("SetpointsWidget", "flat"), nullptr }, "SetpointsWidget" },
};

const CodeText znzModeTexts[] = {
    { 0, { QT_TRANSLATE_NOOP("SetpointsWidget", "3I0"), nullptr }, "SetpointsWidget" },
    { 1, { QT_TRANSLATE_NOOP("SetpointsWidget", "3I0 & 3U0"), nullptr }, "SetpointsWidget" },
    { 2, { QT_TRANSLATE_NOOP("SetpointsWidget", "3I0 & 3U0 -->"), nullptr }, "SetpointsWidget" },
};

const CodeText apvModeTexts[] = {
    { 1, { QT_TRANSLATE_NOOP("SetpointsWidget", "single"), nullptr }, "SetpointsWidget" },
    { 2, { QT_TRANSLATE_NOOP("SetpointsWidget", "double"), nullptr }, "SetpointsWidget" },
};

bool hasData(const DataValue &value)
{
    return value.status == Valid || value.status == Outdated;
}

template<size_t N>
QString textOf(const CodeText (&table)[N], const DataValue &value)
{
    if (!hasData(value))
        return QString();
    for (const CodeText &entry : table) {
        if (entry.code == value.value)
            return QCoreApplication::translate(
                entry.context, entry.text.source, entry.text.comment);
    }
    return QString();
}

template<size_t N>
QVector<qint64> codesOf(const CodeText (&table)[N])
{
    QVector<qint64> codes;
    for (const CodeText &entry : table)
        codes.append(entry.code);
    return codes;
}

} // namespace

DataValue rangeMultiplier(const DataValue &currentRange)
{
    if (!hasData(currentRange) || currentRange.value < 1 || currentRange.value > 4)
        return {};
    // Each range code doubles the range of the one below.
    return { qint64(1) << (currentRange.value - 1), currentRange.status };
}

QString currentRangeText(const DataValue &currentRange)
{
    return textOf(currentRangeTexts, currentRange);
}

QString diBlockToModeText(const DataValue &mode)
{
    return textOf(diBlockToModeTexts, mode);
}

QString onOffText(const DataValue &mode)
{
    return textOf(onOffTexts, mode);
}

QString crashTypeText(const DataValue &crashType)
{
    return textOf(crashTypeTexts, crashType);
}

QVector<qint64> currentRangeCodes()
{
    return codesOf(currentRangeTexts);
}

QVector<qint64> diBlockToModeCodes()
{
    return codesOf(diBlockToModeTexts);
}

QVector<qint64> onOffCodes()
{
    return codesOf(onOffTexts);
}

QVector<qint64> crashTypeCodes()
{
    return codesOf(crashTypeTexts);
}

QString mtzPickupCharacteristicText(const DataValue &code)
{
    return textOf(mtzPickupCharacteristicTexts, code);
}

QVector<qint64> mtzPickupCharacteristicCodes()
{
    return codesOf(mtzPickupCharacteristicTexts);
}

QString znzModeText(const DataValue &code)
{
    return textOf(znzModeTexts, code);
}

QVector<qint64> znzModeCodes()
{
    return codesOf(znzModeTexts);
}

QString apvModeText(const DataValue &code)
{
    return textOf(apvModeTexts, code);
}

QVector<qint64> apvModeCodes()
{
    return codesOf(apvModeTexts);
}
