// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/crashlogdata.h"

#include <algorithm>

namespace {

constexpr quint16 FirstRecordRegister = 0x4010;

quint16 recordAddress(int record)
{
    return quint16(FirstRecordRegister + record * CrashRecordSize);
}

} // namespace

CrashLogData::CrashLogData(QObject *parent)
    : DeviceData(parent), m_crashListModel(new CrashListModel(this))
{
    for (int page = 0; page < PageCount; ++page) {
        readRequests().append(ModbusRequest(ModbusRequest::ReadHoldingRegisters,
            recordAddress(page * RecordsPerPage), CrashRecordSize,
            [this, page](ModbusRequest::Result result, const ModbusRegisters &registers) {
                onPageReply(page, result, registers);
            }));
    }
}

void CrashLogData::setCrashCount(int count)
{
    m_crashCount = count;
    for (int page = 0; page < PageCount; ++page) {
        const int records = std::clamp(count - page * RecordsPerPage, 0, RecordsPerPage);
        ModbusRequest &request = readRequests()[page];
        request.setCount(quint16(records * CrashRecordSize));
        request.setEnabled(records > 0);
    }
}

void CrashLogData::resetData()
{
    m_crashListModel->clear();
    setCrashCount(0);
}

void CrashLogData::onPageReply(
    int page, ModbusRequest::Result result, const ModbusRegisters &registers)
{
    // Worker thread: decode whatever the reply holds; how many rows the page
    // covers is decided on the GUI thread, which owns the count.
    QVector<CrashRecord> records;
    const bool succeeded = result == ModbusRequest::Success;
    if (succeeded) {
        const int first = page * RecordsPerPage;
        const int available = std::min(registers.count() / int(CrashRecordSize), RecordsPerPage);
        for (int i = 0; i < available; ++i)
            records.append(decodeCrashRecord(registers, recordAddress(first + i)));
    } else {
        discardRepliesInFlight();
    }
    applyReply([this, page, succeeded, records] { applyPage(page, succeeded, records); });
}

void CrashLogData::applyPage(int page, bool succeeded, const QVector<CrashRecord> &records)
{
    const int first = page * RecordsPerPage;
    const int rows = std::min(m_crashCount - first, RecordsPerPage);
    if (rows <= 0)
        return;
    // Rows stay in record order even if an earlier page never arrived.
    while (m_crashListModel->rowCount() < first)
        m_crashListModel->appendRecord(CrashRecord());
    for (int i = 0; i < rows; ++i) {
        // A failed page shows empty rows rather than records of an earlier read.
        const CrashRecord record = succeeded && i < records.size() ? records.at(i) : CrashRecord();
        const int row = first + i;
        if (row < m_crashListModel->rowCount())
            m_crashListModel->setRecord(row, record);
        else
            m_crashListModel->appendRecord(record);
    }
}
