// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ATTACHBLOCK_H
#define ATTACHBLOCK_H

#include "devicedata/devicedata.h"

#include <QPointer>

// Makes `held` point at `block` and has the receiver's state slot follow it:
// the previous block is let go, and the slot runs at once with the state the
// new block is in, so the panel shows what the block holds now. The slot
// takes the current state, or the current and the previous one; called at
// once, it is given the current state for both.
template<typename Block, typename Receiver, typename... States>
void attachBlock(QPointer<Block> &held, Block *block, Receiver *receiver,
    void (Receiver::*onStateChanged)(States...))
{
    static_assert(sizeof...(States) == 1 || sizeof...(States) == 2);
    if (held)
        QObject::disconnect(held, &DeviceData::stateChanged, receiver, nullptr);
    held = block;
    if (!block)
        return;
    QObject::connect(block, &DeviceData::stateChanged, receiver, onStateChanged);
    if constexpr (sizeof...(States) == 1)
        (receiver->*onStateChanged)(block->state());
    else
        (receiver->*onStateChanged)(block->state(), block->state());
}

#endif // ATTACHBLOCK_H
