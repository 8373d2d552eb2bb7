// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RELAYHEALTHTEXT_H
#define RELAYHEALTHTEXT_H

#include "devicemonitor/relayhealth.h"
#include "devicemonitor/turnaroundstats.h"

#include <QCoreApplication>
#include <QString>

// One relay's health in words, the same counts wherever they are shown: in
// the tooltip of its row in the device list and in the traffic view's list
// of every relay.
class RelayHealthText
{
    Q_DECLARE_TR_FUNCTIONS(RelayHealthText)

public:
    enum Layout {
        // A count a line, "The relay has stopped answering." above them
        // once it has; the relay is not named.
        Lines,
        // One line that names the relay and says whether it still answers.
        OneLine,
    };

    // The relay's turnaround follows the counts once it has answered at all.
    static QString text(int deviceId, const RelayHealth &health, Layout layout,
        const TurnaroundStats::Summary &turnaround = {});
    // The turnaround of the whole line, a sentence of its own.
    static QString lineTurnaroundText(const TurnaroundStats::Summary &turnaround);
};

#endif // RELAYHEALTHTEXT_H
