// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLANQUESTION_H
#define PLANQUESTION_H

#include <QStringList>

class QWidget;
class SendPlan;

// Asks before `plan` goes out, as a send and a panel's Set both do: the question names how many
// values go to which relay, its details the order of the writes and what the relay protects with
// meanwhile, between the notes given for before and after it. True: write.
bool askToWritePlan(QWidget *parent, const QString &title, const SendPlan &plan,
    const QStringList &notesBefore, const QStringList &notesAfter, int readinessDelayMs);

#endif // PLANQUESTION_H
