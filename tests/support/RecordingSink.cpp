// Recording, and passing on, of a transport's datagrams in tests.
#include "tests/support/RecordingSink.h"

#include "net/transport/TovkaNetIo.h"
#include "tests/support/Bytes.h"

#include <QThread>

namespace {

PacketHeader headerOf(const QByteArray& datagram)
{
    PacketHeader header;
    PacketHeader::read(bytes(datagram), datagram.size(), &header);
    return header;
}

} // namespace

RecordingSink::RecordingSink() : home(QThread::currentThread()) {}

void RecordingSink::setDownstream(TovkaNetIo* transport)
{
    std::lock_guard<std::mutex> lock(mutex);
    downstream = transport ? &transport->socketWriter() : nullptr;
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
    const PacketHeader header = headerOf(QByteArray::fromRawData(data, size));
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
    if (downstream && !droppedTypes.count(header.type))
        downstream->writeDatagram(data, size);
    return true;
}

QList<QByteArray> RecordingSink::written() const
{
    std::lock_guard<std::mutex> lock(mutex);
    QList<QByteArray> copy;
    for (size_t i = 0; i < record.size(); ++i)
        if (!homeThreadOnly || recordWriters[i] == home)
            copy.append(QByteArray(record[i].data(), int(record[i].size())));
    return copy;
}

QList<PacketHeader> RecordingSink::headers() const
{
    QList<PacketHeader> result;
    for (const QByteArray& datagram : written())
        result.append(headerOf(datagram));
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

QList<QThread*> RecordingSink::writers(quint8 type) const
{
    std::lock_guard<std::mutex> lock(mutex);
    QList<QThread*> result;
    for (size_t i = 0; i < record.size(); ++i)
        if (headerOf(QByteArray::fromRawData(record[i].data(), int(record[i].size()))).type == type)
            result.append(recordWriters[i]);
    return result;
}

void RecordingSink::clear()
{
    std::lock_guard<std::mutex> lock(mutex);
    record.clear();
    recordWriters.clear();
}
