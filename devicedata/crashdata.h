// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CRASHDATA_H
#define CRASHDATA_H

#include "devicedata/crashrecord.h"
#include "devicedata/devicedata.h"

// The newest crash record.
class CrashData : public DeviceData
{
    Q_OBJECT

public:
    explicit CrashData(QObject *parent = nullptr);

    const CrashRecord &crash() const { return m_crash; }

protected:
    void resetData() override;

private:
    CrashRecord m_crash;
};

#endif // CRASHDATA_H
