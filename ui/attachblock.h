// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ATTACHBLOCK_H
#define ATTACHBLOCK_H

#include "devicedata/devicedata.h"

#include <QPointer>

// Makes `held` point at `block` and has the receiver's state slot follow it:
// the previous block is let go, and the slot runs at once with the state the
// new block is in, so the panel shows what the block holds now.
template<typename Block, typename Receiver>
void attachBlock(QPointer<Block> &held, Block *block, Receiver *receiver,
    void (Receiver::*onStateChanged)(DeviceData::State))
{
    if (held)
        QObject::disconnect(held, &DeviceData::stateChanged, receiver, nullptr);
    held = block;
    if (!block)
        return;
    QObject::connect(block, &DeviceData::stateChanged, receiver, onStateChanged);
    (receiver->*onStateChanged)(block->state());
}

#endif // ATTACHBLOCK_H
