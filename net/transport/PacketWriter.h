// Seals and writes every packet of the transport, from the GUI thread and the
// heartbeat thread alike. One lock guards the header buffer, the transmission
// counter, the sink, the silence after the own shutdown, the count of failed
// writes and the own address as the packets carry it. Plain logic: the
// transport reports the failures and asks for the reconnect.
#pragma once

#include "net/transport/DatagramSink.h"
#include "net/transport/OwnAddress.h"
#include "net/transport/SocketWriter.h"
#include "net/wire/PacketHeader.h"

#include <array>
#include <mutex>
#include <vector>

class PacketWriter
{
public:
    static constexpr int maxWriteFailures = 10; // a reconnect follows the next failure

    struct Report
    {
        bool written = false;                       // on some socket, in full
        std::vector<SocketWriter::Failure> failures;
        bool reconnectDue = false;
    };

    explicit PacketWriter(OwnAddress& own) : own(own) {}

    // Header and header.length payload bytes, under the own address.
    Report write(const PacketHeader& header, const uint8_t* payload);
    // The shutdown under the old address and the new address, in one hold
    // of the lock, so no heartbeat of the old address can follow.
    Report leaveFor(quint8 addressByte, quint8 instance);

    // Null puts the socket writer back.
    void setSink(DatagramSink* sink);
    SocketWriter& socketWriter() { return sockets; }

private:
    Report writeLocked(const PacketHeader& header, const uint8_t* payload);

    OwnAddress& own;
    std::mutex mutex;
    std::array<uint8_t, PacketHeader::MaxPacket> buffer{};
    quint32 transmissionCounter = 0;
    SocketWriter sockets;
    DatagramSink* sink = &sockets;
    bool silent = false; // after a shutdown until the next address
    int failures = 0;
};
