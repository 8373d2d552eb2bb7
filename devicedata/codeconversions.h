// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CODECONVERSIONS_H
#define CODECONVERSIONS_H

#include "devicedata/datavalue.h"
#include "devicedata/fieldtable.h"

// Relay codes and what they mean: one table per code field, and the crash
// type. The setpoints' codes are the setpoints panel's own texts.

// The factor every current conversion applies for the phase current range
// code: 1, 2, 4 or 8 with the code's status, {0, NoData} for no data or an
// unknown code.
DataValue rangeMultiplier(const DataValue &currentRange);
// The factor a pick-up current is shown and compared with: rangeMultiplier()'s,
// or 1 without data or for an unknown code, so that a raw value still reads as
// a number.
qint64 shownRangeMultiplier(const DataValue &currentRange);

// The texts of the codes of the tables below, translated in the context
// QObject: empty for a value without data and for a code the table lacks.
QString currentRangeText(const DataValue &currentRange);
QString diBlockToModeText(const DataValue &mode);
QString onOffText(const DataValue &mode);
QString crashTypeText(const DataValue &crashType);

namespace CodeTexts {

inline constexpr CodeText currentRange[] = {
    { 1, { "QObject", QT_TRANSLATE_NOOP3("QObject", "1 - 41", "phase current range") } },
    { 2, { "QObject", QT_TRANSLATE_NOOP3("QObject", "2 - 82", "phase current range") } },
    { 3, { "QObject", QT_TRANSLATE_NOOP3("QObject", "4 - 164", "phase current range") } },
    { 4, { "QObject", QT_TRANSLATE_NOOP3("QObject", "8 - 328", "phase current range") } },
};

inline constexpr CodeText diBlockToMode[] = {
    { 0, { "QObject", QT_TRANSLATE_NOOP3("QObject", "continuously", "DI Block TO mode") } },
    { 20, { "QObject", QT_TRANSLATE_NOOP3("QObject", "2 sec", "DI Block TO mode") } },
};

inline constexpr CodeText onOff[] = {
    { 0, { "QObject", QT_TRANSLATE_NOOP3("QObject", "off", "protection function mode") } },
    { 1, { "QObject", QT_TRANSLATE_NOOP3("QObject", "on", "protection function mode") } },
};

inline constexpr CodeText crashType[] = {
    { 1, { "QObject", QT_TRANSLATE_NOOP3("QObject", "MTZ", "crash type") } },
    { 2, { "QObject", QT_TRANSLATE_NOOP3("QObject", "TO", "crash type") } },
    { 3, { "QObject", QT_TRANSLATE_NOOP3("QObject", "ZNZ", "crash type") } },
    { 4, { "QObject", QT_TRANSLATE_NOOP3("QObject", "APV 1", "crash type") } },
    { 5, { "QObject", QT_TRANSLATE_NOOP3("QObject", "APV 2", "crash type") } },
    { 6, { "QObject", QT_TRANSLATE_NOOP3("QObject", "AChR", "crash type") } },
};

inline constexpr CodeText mtzPickupCharacteristic[] = {
    { 1, { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "independent") } } },
    { 2, { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "normally inverse") } } },
    { 3, { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "strongly inverse") } } },
    { 4, { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "sharp") } } },
    { 5, { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "flat") } } },
};

inline constexpr CodeText znzMode[] = {
    { 0, { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "3I0") } } },
    { 1, { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "3I0 & 3U0") } } },
    { 2, { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "3I0 & 3U0 -->") } } },
};

inline constexpr CodeText apvMode[] = {
    { 1, { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "single") } } },
    { 2, { "SetpointsWidget", { QT_TRANSLATE_NOOP("SetpointsWidget", "double") } } },
};

} // namespace CodeTexts

namespace CodeTables {

inline constexpr CodeTable currentRange { CodeTexts::currentRange };
inline constexpr CodeTable diBlockToMode { CodeTexts::diBlockToMode };
inline constexpr CodeTable onOff { CodeTexts::onOff };
inline constexpr CodeTable crashType { CodeTexts::crashType };
inline constexpr CodeTable mtzPickupCharacteristic { CodeTexts::mtzPickupCharacteristic };
inline constexpr CodeTable znzMode { CodeTexts::znzMode };
inline constexpr CodeTable apvMode { CodeTexts::apvMode };

} // namespace CodeTables

#endif // CODECONVERSIONS_H
