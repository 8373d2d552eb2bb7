// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RELAYMAP_H
#define RELAYMAP_H

// The simulated relay's map, in protocol addresses as on the wire: the one place that says where
// a register, a coil or a record lies, for the relay that serves it and the console that shows
// and changes it.

#include <QtGlobal>

// Holding registers.
constexpr int DeviceTypeRegister = 0;
constexpr int SoftwareVersionRegister = 1;
constexpr int SerialHighRegister = 2;
constexpr int SerialLowRegister = 3;
constexpr int ModbusIdRegister = 8;
constexpr int BaudRateRegister = 9;
constexpr int YearMonthRegister = 12;
constexpr int DayHourRegister = 13;
constexpr int MinuteSecondRegister = 14;
constexpr int DstRegister = 15;
constexpr int PhaseARegister = 16;
constexpr int PhaseCRegister = 18;
constexpr int ZeroCurrentRegister = 19;
constexpr int ZeroVoltageRegister = 20;
constexpr int AngleRegister = 21;
constexpr int LastMeasurementRegister = 21;
constexpr int ModulesRegister = 24;
constexpr int CurrentRangeRegister = 25;
constexpr int KtRegister = 26;
constexpr int Kt0Register = 27;
constexpr int FirstSetpointRegister = 32;
constexpr int MtzPickupRegister = 34;
constexpr int ToPickupRegister = 37;
constexpr int ZnzPickupRegister = 43;
constexpr int LastSettingRegister = 51;
constexpr int CrashCountRegister = 0x4000;
constexpr int FirstCrashRegister = 0x4010;
constexpr int CrashRecordSize = 8;
constexpr int MaxCrashRecords = 60;
constexpr int LastCrashRegister = FirstCrashRegister + CrashRecordSize * MaxCrashRecords - 1;
constexpr int RegisterCount = LastCrashRegister + 1;

// Discrete inputs and coils.
constexpr int FirstDiscreteInput = 0x1000;
constexpr int DiscreteInputCount = 4;
constexpr int FirstLed = 0x1008;
constexpr int LastLed = 0x100F;
constexpr int LedMtz = 0x1008;
constexpr int LedTo = 0x1009;
constexpr int LedZnz = 0x100A;
constexpr int LedApv = 0x100B;
constexpr int LedAChR = 0x100C;
constexpr int LedApvReady = 0x100F;
constexpr int CheckbackCoil = 0x2000;
constexpr int ClearCrashLogCoil = 0x4000;
constexpr int CoilCount = ClearCrashLogCoil - FirstLed + 1;

constexpr quint16 RelayTypeCode = 0x8D90;
constexpr quint16 ModuleApv = 0x01;
constexpr quint16 ModuleZnz3I0 = 0x02;
constexpr quint16 ModuleZnz3I03U0 = 0x04;

enum CrashType { CrashMtz = 1, CrashTo, CrashZnz, CrashApv1, CrashApv2, CrashAChR };

inline int ledFor(int crashType)
{
    static constexpr int CrashLeds[] = { LedMtz, LedTo, LedZnz, LedApv, LedApv, LedAChR };
    return crashType >= CrashMtz && crashType <= CrashAChR ? CrashLeds[crashType - 1] : 0;
}

#endif // RELAYMAP_H
