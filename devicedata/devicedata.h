// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICEDATA_H
#define DEVICEDATA_H

#include "devicedata/datavalue.h"
#include "modbus/modbusrequest.h"

#include <QObject>
#include <QThread>
#include <QVector>

#include <atomic>
#include <functional>

// Base of every data block: a mirror of one group of relay registers or coils.
//
// A block declares its Modbus traffic once, in its constructor, as a read and a
// write list of ModbusRequests; DeviceDataManager walks those lists and moves
// the block through its states. Reply handlers run on the Modbus worker thread,
// so they never touch the block's fields there: they decode into a local record
// and hand it over with updateRecord(), which applies it on the block's own
// thread before the transaction's end is reported. Panels may therefore read a
// block at any moment on the GUI thread.
//
// A decoded reply still on its way to the block's thread when the block is
// reset, or when its request is failed or canceled, belongs to a relay or a
// read the block no longer stands for: every reply carries the block's
// generation from the moment it was decoded and is dropped if that changed.
class DeviceData : public QObject
{
    Q_OBJECT

public:
    enum State { Inactive = 0, Reading = 1, Writing = 2, Resetting = 3 };
    Q_ENUM(State)

    explicit DeviceData(QObject *parent = nullptr);

    QVector<ModbusRequest> &readRequests() { return m_readRequests; }
    QVector<ModbusRequest> &writeRequests() { return m_writeRequests; }
    const QVector<ModbusRequest> &readRequests() const { return m_readRequests; }

    State state() const { return m_state; }
    void setState(State state);

    bool isReadSuccessful() const;
    bool isWriteSuccessful() const;
    // The last read was stopped on the way (a refresh was stopped, say): some
    // of its requests never came back, so it says nothing about the relay.
    bool isReadStopped() const;

    void reset();
    // Whether the block holds values read from the relay since its last reset.
    bool hasData() const { return m_hasData; }
    // Drops every decoded reply not yet applied; the manager calls it when it
    // gives up on a request.
    void discardRepliesInFlight() { ++m_generation; }

signals:
    void stateChanged(DeviceData::State currentState, DeviceData::State previousState);

protected:
    virtual void resetData() = 0;

    // The common reply rule: on success the decoded record replaces the held
    // one, every value Valid; on failure the held values turn Outdated.
    // Called from reply handlers on the worker thread; `decode` runs there,
    // the assignment on the block's thread.
    template<typename Record, typename Decode>
    void updateRecord(Record &record, ModbusRequest::Result result, Decode decode)
    {
        updateRecord(record, result, std::move(decode), [](Record &held) { markOutdated(held); });
    }
    // The same with the record's own way of turning outdated.
    template<typename Record, typename Decode, typename MarkOutdated>
    void updateRecord(
        Record &record, ModbusRequest::Result result, Decode decode, MarkOutdated outdate)
    {
        if (result == ModbusRequest::Success) {
            applyReply([this, &record, decoded = decode()] {
                record = decoded;
                m_hasData = true;
            });
        } else {
            discardRepliesInFlight();
            applyReply([&record, outdate] { outdate(record); });
        }
    }

    // Runs `apply` on the block's thread unless the block was reset, or gave
    // up on its request, in the meantime. Called from reply handlers.
    template<typename Function>
    void applyReply(Function apply)
    {
        const int generation = m_generation;
        runOnOwnThread([this, generation, apply = std::move(apply)] {
            if (generation == m_generation)
                apply();
        });
    }

private:
    template<typename Function>
    void runOnOwnThread(Function function)
    {
        if (QThread::currentThread() == thread())
            function();
        else
            postToOwnThread(std::move(function));
    }
    void postToOwnThread(std::function<void()> function);

    QVector<ModbusRequest> m_readRequests;
    QVector<ModbusRequest> m_writeRequests;
    State m_state = Inactive;
    std::atomic<int> m_generation { 0 };
    bool m_hasData = false;
};

Q_DECLARE_METATYPE(DeviceData::State)

#endif // DEVICEDATA_H
