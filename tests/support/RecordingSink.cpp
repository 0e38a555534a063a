// Recording, and passing on, of a transport's datagrams in tests.
#include "tests/support/RecordingSink.h"

#include "net/transport/TovkaNetIo.h"
#include "tests/support/Bytes.h"

namespace {

PacketHeader headerOf(const QByteArray& datagram)
{
    PacketHeader header;
    PacketHeader::read(bytes(datagram), datagram.size(), &header);
    return header;
}

} // namespace

void RecordingSink::setDownstream(TovkaNetIo* transport, quint8 type)
{
    std::lock_guard<std::mutex> lock(mutex);
    downstream = &transport->socketWriter();
    droppedType = type;
}

void RecordingSink::setWriteHook(std::function<void(const PacketHeader& header)> writeHook)
{
    std::lock_guard<std::mutex> lock(mutex);
    hook = std::move(writeHook);
}

bool RecordingSink::writeDatagram(const char* data, int size)
{
    const PacketHeader header = headerOf(QByteArray::fromRawData(data, size));
    std::unique_lock<std::mutex> lock(mutex);
    const auto run = hook;
    lock.unlock(); // a hook may wait a while
    if (run)
        run(header);
    lock.lock();
    record.emplace_back(std::string(data, size_t(size)), QThread::currentThread());
    if (downstream && header.type != droppedType)
        downstream->writeDatagram(data, size);
    return true;
}

QList<QByteArray> RecordingSink::written() const
{
    std::lock_guard<std::mutex> lock(mutex);
    QList<QByteArray> copy;
    for (const auto& [datagram, writer] : record)
        if (!homeThreadOnly || writer == home)
            copy.append(QByteArray(datagram.data(), int(datagram.size())));
    return copy;
}

QList<PacketHeader> RecordingSink::headers(int type) const
{
    QList<PacketHeader> result;
    for (const QByteArray& datagram : written())
        if (type < 0 || headerOf(datagram).type == type)
            result.append(headerOf(datagram));
    return result;
}

QList<QPair<PacketHeader, QByteArray>> RecordingSink::dataPackets() const
{
    QList<QPair<PacketHeader, QByteArray>> result;
    for (const QByteArray& datagram : written()) {
        const PacketHeader header = headerOf(datagram);
        if (header.type == PacketType::DATA)
            result.append({header, datagram.mid(PacketHeader::Size, header.length)});
    }
    return result;
}

void RecordingSink::clear()
{
    std::lock_guard<std::mutex> lock(mutex);
    record.clear();
}
