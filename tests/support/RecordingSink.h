// A datagram sink for tests: records every datagram a transport writes and,
// when given a transport, passes it on to that transport's socket writer,
// except datagrams of one packet type.
#pragma once

#include "net/transport/DatagramSink.h"
#include "net/wire/PacketHeader.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QThread>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class TovkaNetIo;

class RecordingSink : public DatagramSink
{
public:
    // Declare the sink before the transport it passes on to, so it outlives
    // the shutdown the transport writes when it goes.
    void setDownstream(TovkaNetIo* transport, quint8 droppedType);
    // Runs on the writing thread before each datagram is recorded, with the
    // transport's writer lock held, so it may hold the writer up.
    void setWriteHook(std::function<void(const PacketHeader& header)> hook);

    bool writeDatagram(const char* data, int size) override;

    QList<QByteArray> written() const;
    // Those of one type only, with a type given.
    QList<PacketHeader> headers(int type = -1) const;
    // The data packets written so far: header and payload.
    QList<QPair<PacketHeader, QByteArray>> dataPackets() const;
    void clear();

    // The heartbeat is written on the transport's own thread, whenever its
    // timer fires: with this on, what the test reads holds only what the
    // sink's own thread wrote.
    std::atomic<bool> homeThreadOnly{false};

private:
    mutable std::mutex mutex;
    DatagramSink* downstream = nullptr;
    int droppedType = -1;
    QThread* const home = QThread::currentThread();
    std::function<void(const PacketHeader& header)> hook;
    // Plain strings: implicitly shared Qt containers handed between threads
    // confuse the thread sanitizer, as Qt itself is not instrumented.
    std::vector<std::pair<std::string, QThread*>> record;
};
