// The transport's packet writer.
#include "net/transport/PacketWriter.h"

PacketWriter::Report PacketWriter::write(const PacketHeader& header, const uint8_t* payload)
{
    std::lock_guard<std::mutex> lock(mutex);
    return writeLocked(header, payload);
}

PacketWriter::Report PacketWriter::leaveFor(quint8 addressByte, quint8 instance)
{
    std::lock_guard<std::mutex> lock(mutex);
    Report report = writeLocked(own.header(PacketType::SHUTDOWN), nullptr);
    own.take(addressByte, instance);
    silent = false;
    return report;
}

void PacketWriter::setSink(DatagramSink* newSink)
{
    std::lock_guard<std::mutex> lock(mutex);
    sink = newSink ? newSink : &sockets;
}

PacketWriter::Report PacketWriter::writeLocked(const PacketHeader& header, const uint8_t* payload)
{
    Report report;
    // The program has left its address: nothing more goes out under it.
    if (silent)
        return report;
    PacketHeader sealed = header;
    sealed.sourceAddress = own.addressByte();
    sealed.sourceInstance = own.instance();
    sealed.hostName = own.hostName();
    sealed.transmissionCounter = quint16(transmissionCounter);
    const int size = PacketHeader::build(sealed, payload, buffer.data(), int(buffer.size()));
    if (size < 0)
        return report;
    ++transmissionCounter;
    report.written = sink->writeDatagram(reinterpret_cast<const char*>(buffer.data()), size);
    if (sealed.type == PacketType::SHUTDOWN)
        silent = true;
    // Every failure after the tenth asks for a reconnect; successes do not
    // start the count again.
    report.failures = sockets.takeFailures();
    for (size_t i = 0; i < report.failures.size(); ++i) {
        if (failures > maxWriteFailures) {
            failures = 0;
            report.reconnectDue = true;
        } else {
            ++failures;
        }
    }
    return report;
}
