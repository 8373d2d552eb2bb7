// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CRASHLOGDATA_H
#define CRASHLOGDATA_H

#include "devicedata/crashlistmodel.h"
#include "devicedata/devicedata.h"

// The relay's stored crash records, newest first, read in up to four pages
// of 15 records into a CrashListModel.
//
// Before a read, setCrashCount() sizes the pages to the relay's count, so only
// the stored records go out on the line. Page handlers decode on the Modbus
// worker and hand their records to the GUI thread, where the model is changed.
class CrashLogData : public DeviceData
{
    Q_OBJECT

public:
    static constexpr int PageCount = 4;
    static constexpr int RecordsPerPage = 15;
    static constexpr int MaxRecords = PageCount * RecordsPerPage;

    explicit CrashLogData(QObject *parent = nullptr);

    CrashListModel *crashListModel() const { return m_crashListModel; }
    int crashCount() const { return m_crashCount; }
    void setCrashCount(int count);

protected:
    void resetData() override;

private:
    void onPageReply(int page, ModbusRequest::Result result, const ModbusRegisters &registers);
    void applyPage(int page, bool succeeded, const QVector<CrashRecord> &records);

    CrashListModel *m_crashListModel;
    int m_crashCount = 0;
};

#endif // CRASHLOGDATA_H
