// Recording and lossy delivery of a transport's datagrams in tests.
#include "tests/support/RecordingSink.h"

#include "net/transport/TovkaNetIo.h"
#include "tests/support/Bytes.h"

#include <QThread>

RecordingSink::RecordingSink(TovkaNetIo* transport, quint32 seed)
    : downstream(transport ? &transport->socketWriter() : nullptr), random(seed), home(QThread::currentThread())
{
}

void RecordingSink::setDownstream(TovkaNetIo* transport)
{
    std::lock_guard<std::mutex> lock(mutex);
    downstream = transport ? &transport->socketWriter() : nullptr;
}

void RecordingSink::setLoss(double drop, double duplicate, double reorder)
{
    std::lock_guard<std::mutex> lock(mutex);
    dropChance = drop;
    duplicateChance = duplicate;
    reorderChance = reorder;
}

void RecordingSink::dropType(quint8 type)
{
    std::lock_guard<std::mutex> lock(mutex);
    droppedTypes.insert(type);
}

void RecordingSink::leaveOutOtherThreads(bool on)
{
    std::lock_guard<std::mutex> lock(mutex);
    homeThreadOnly = on;
}

void RecordingSink::setWriteHook(WriteHook writeHook)
{
    std::lock_guard<std::mutex> lock(mutex);
    hook = std::move(writeHook);
}

bool RecordingSink::writeDatagram(const char* data, int size)
{
    PacketHeader header;
    PacketHeader::read(reinterpret_cast<const uint8_t*>(data), size, &header);
    WriteHook run;
    {
        std::lock_guard<std::mutex> lock(mutex);
        run = hook;
    }
    if (run)
        run(header); // not under the sink's lock: a hook may wait a while
    std::lock_guard<std::mutex> lock(mutex);
    record.emplace_back(data, size_t(size));
    recordWriters.push_back(QThread::currentThread());
    if (!downstream || droppedTypes.count(header.type))
        return true;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    if (chance(random) < dropChance)
        return true;
    if (held.empty() && chance(random) < reorderChance) {
        held.assign(data, size_t(size));
        return true;
    }
    pass(data, size);
    if (chance(random) < duplicateChance)
        pass(data, size);
    if (!held.empty()) {
        const std::string late = held;
        held.clear();
        pass(late.data(), int(late.size()));
    }
    return true;
}

void RecordingSink::pass(const char* data, int size)
{
    ++passed;
    downstream->writeDatagram(data, size);
}

QList<QByteArray> RecordingSink::written() const
{
    std::lock_guard<std::mutex> lock(mutex);
    QList<QByteArray> copy;
    for (size_t i = 0; i < record.size(); ++i) {
        if (homeThreadOnly && recordWriters[i] != home)
            continue;
        copy.append(QByteArray(record[i].data(), int(record[i].size())));
    }
    return copy;
}

QList<PacketHeader> RecordingSink::headers() const
{
    QList<PacketHeader> result;
    for (const QByteArray& datagram : written()) {
        PacketHeader header;
        PacketHeader::read(bytes(datagram), datagram.size(), &header);
        result.append(header);
    }
    return result;
}

QList<QPair<PacketHeader, QByteArray>> RecordingSink::dataPackets() const
{
    QList<QPair<PacketHeader, QByteArray>> result;
    for (const QByteArray& datagram : written()) {
        PacketHeader header;
        if (PacketHeader::read(bytes(datagram), datagram.size(), &header) && header.type == PacketType::DATA)
            result.append({header, datagram.mid(PacketHeader::Size, header.length)});
    }
    return result;
}

int RecordingSink::count(quint8 type) const
{
    int n = 0;
    for (const PacketHeader& header : headers())
        n += header.type == type ? 1 : 0;
    return n;
}

int RecordingSink::passedOn() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return passed;
}

QList<QThread*> RecordingSink::writers(quint8 type) const
{
    std::lock_guard<std::mutex> lock(mutex);
    QList<QThread*> result;
    for (size_t i = 0; i < record.size(); ++i) {
        PacketHeader header;
        PacketHeader::read(reinterpret_cast<const uint8_t*>(record[i].data()), int(record[i].size()), &header);
        if (header.type == type)
            result.append(recordWriters[i]);
    }
    return result;
}

void RecordingSink::clear()
{
    std::lock_guard<std::mutex> lock(mutex);
    record.clear();
    recordWriters.clear();
}
