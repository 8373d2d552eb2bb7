// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REGISTERSEQUENCEDATA_H
#define REGISTERSEQUENCEDATA_H

#include "devicedata/devicedata.h"

#include <QPair>
#include <QVector>

// Holding registers written one at a time (function 6), in the order given, the same register
// more than once if need be. The block reads nothing and holds no values of its own.
class RegisterSequenceData : public DeviceData
{
    Q_OBJECT

public:
    using Write = QPair<quint16, quint16>; // register, value

    explicit RegisterSequenceData(QObject *parent = nullptr);

    // Replaces the write requests; not while the block is being written.
    void setWrites(const QVector<Write> &writes);

protected:
    void resetData() override { }
};

#endif // REGISTERSEQUENCEDATA_H
