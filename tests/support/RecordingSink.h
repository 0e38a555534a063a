// A datagram sink for tests: records every datagram a transport writes and,
// when given a transport, passes it on to that transport's socket writer,
// except datagrams of chosen packet types.
#pragma once

#include "net/transport/DatagramSink.h"
#include "net/wire/PacketHeader.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QThread>

#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

class TovkaNetIo;

class RecordingSink : public DatagramSink
{
public:
    // Declare the sink before the transport it passes on to, so it outlives
    // the shutdown the transport writes when it goes.
    void setDownstream(TovkaNetIo* transport);
    void dropType(quint8 type);
    // The heartbeat is written on the transport's own thread, whenever its
    // timer fires: with this on, what the test reads holds only what the
    // sink's own thread wrote.
    void leaveOutOtherThreads(bool on);
    // Runs on the writing thread before each datagram is recorded, with the
    // transport's writer lock held, so it may hold the writer up.
    void setWriteHook(std::function<void(const PacketHeader& header)> hook);

    bool writeDatagram(const char* data, int size) override;

    QList<QByteArray> written() const;
    QList<PacketHeader> headers() const;
    // The data packets written so far: header and payload.
    QList<QPair<PacketHeader, QByteArray>> dataPackets() const;
    int count(quint8 type) const;
    void clear();

private:
    mutable std::mutex mutex;
    DatagramSink* downstream = nullptr;
    std::set<quint8> droppedTypes;
    QThread* const home = QThread::currentThread();
    bool homeThreadOnly = false;
    std::function<void(const PacketHeader& header)> hook;
    // Plain strings: implicitly shared Qt containers handed between threads
    // confuse the thread sanitizer, as Qt itself is not instrumented.
    std::vector<std::pair<std::string, QThread*>> record;
};
