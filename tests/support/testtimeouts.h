// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTTIMEOUTS_H
#define TESTTIMEOUTS_H

// How long the tests wait. The waits are generous: sanitizer builds and a loaded machine are
// slow, and a passing test never sits one out.

// One read or write seen through the window, a program starting or ending.
constexpr int StepWaitMs = 5000;
// A scan, a whole pass of reads, a transaction on a worker thread.
constexpr int PassWaitMs = 10000;

// Response timeouts over the simulated line: generous where the relay answers, short where
// silence is expected.
constexpr int AnsweringRelayTimeoutMs = 2000;
constexpr int SilentRelayTimeoutMs = 150;

#endif // TESTTIMEOUTS_H
