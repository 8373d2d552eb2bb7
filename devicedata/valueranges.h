// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef VALUERANGES_H
#define VALUERANGES_H

#include <limits>

// Limits and step of an editable relay value. For setpoints the step is also
// the value of one raw register unit, so editor value / step is what is written.
struct ValueRange
{
    double minimum = 0;
    double maximum = 0;
    double step = 0;
    int decimals = 0;

    // Pick-up currents follow the phase current range: their limits and step
    // grow with its multiplier, the precision stays.
    ValueRange scaled(double factor) const;
};

// Currents in amperes, [low, high), for which one display unit (A or kA) applies.
struct UnitRange
{
    double low = 0;
    double high = 0;

    bool contains(double current) const;
};

// The relay's editor limits, rows R1 to R15.
namespace ValueRanges {

constexpr ValueRange currentTransFactor { 1, 5000, 1, 0 }; // R1, Kt
constexpr ValueRange zeroCurrentTransFactor { 1, 2000, 1, 0 }; // R2, Kt0
constexpr ValueRange mtzInstantResettingTime { 0.1, 0.5, 0.1, 1 }; // R3, s
constexpr ValueRange mtzPickupCurrent { 1, 4.5, 0.01, 2 }; // R4, A, scaled by the range multiplier
constexpr ValueRange mtzReactionDelay { 0.1, 30, 0.1, 1 }; // R5, s
constexpr ValueRange toPickupCurrent { 2, 41, 0.1, 1 }; // R6, A, scaled by the range multiplier
constexpr ValueRange toReactionDelay { 0.05, 0.2, 0.01, 2 }; // R7, s
constexpr ValueRange mtzToResettingDelay { 0, 2, 0.1, 1 }; // R8, s
constexpr ValueRange znzPickupCurrent { 0.1, 2.7, 0.01, 2 }; // R9, A
constexpr ValueRange znzReactionDelay { 0.1, 10, 0.1, 1 }; // R10, s
constexpr ValueRange znzPickupVoltage { 15, 80, 0.1, 1 }; // R11, V
constexpr ValueRange znz3I03U0Angle { 0, 180, 1, 0 }; // R12, degrees, first and last angle
constexpr ValueRange apvReadinessDelay { 15, 120, 1, 0 }; // R13, s
constexpr ValueRange apvReactionDelay1st { 0.5, 8, 0.1, 1 }; // R14, s
constexpr ValueRange apvReactionDelay2nd { 5, 80, 1, 0 }; // R15, s

} // namespace ValueRanges

// Where current displays switch between amperes (unit 0) and kiloamperes
// (unit 1), pairs P1 to P8. The live pairs overlap so that a current hovering
// around the threshold does not make the display flicker between units; a
// crash current is a single value and switches at one point.
namespace UnitRanges {

constexpr double Unbounded = std::numeric_limits<double>::infinity();

constexpr UnitRange livePhaseCurrentAmperes { 0, 10000 }; // P1
constexpr UnitRange livePhaseCurrentKiloamperes { 9500, Unbounded }; // P2
constexpr UnitRange liveZeroCurrentAmperes { 0, 1000 }; // P3
constexpr UnitRange liveZeroCurrentKiloamperes { 950, Unbounded }; // P4
constexpr UnitRange crashPhaseCurrentAmperes { 0, 10000 }; // P5
constexpr UnitRange crashPhaseCurrentKiloamperes { 10000, Unbounded }; // P6
constexpr UnitRange crashZeroCurrentAmperes { 0, 1000 }; // P7
constexpr UnitRange crashZeroCurrentKiloamperes { 1000, Unbounded }; // P8

} // namespace UnitRanges

#endif // VALUERANGES_H
