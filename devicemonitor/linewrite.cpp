// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/linewrite.h"

#include "devicemonitor/trafficmodel.h"
#include "modbus/modbusrequest.h"

#include <QCoreApplication>

RegisterWrite lineWriteOf(const ModbusRequest &request)
{
    RegisterWrite write;
    switch (request.result()) {
    case ModbusRequest::NoResult:
        break;
    case ModbusRequest::Success:
        write.state = RegisterWrite::Acknowledged;
        break;
    case ModbusRequest::Timeout:
    case ModbusRequest::Error: {
        write.state = RegisterWrite::Failed;
        const ModbusTransaction &record = request.transaction();
        // A request failed without a transaction (the port closed before it went out, say) has
        // no record of its own.
        if (record.function != ModbusRequest::NoFunction) {
            write.failure = TrafficModel::resultText(record);
            write.refused = record.outcome == ModbusTransaction::Exception;
        } else {
            write.failure = request.result() == ModbusRequest::Timeout
                ? QCoreApplication::translate("LineWrite", "No answer")
                : QCoreApplication::translate("LineWrite", "The write failed");
        }
        break;
    }
    }
    return write;
}
