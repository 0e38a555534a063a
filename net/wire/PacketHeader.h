// The fixed 80-byte header in front of every datagram of the suite: its fields,
// their big-endian wire form, the checksum, the validity check of a received
// datagram and the data sequence successor. A pure codec: bytes in, values out.
#pragma once

#include "net/wire/TovkaAddress.h"

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <cstdint>

// The six packet types; a received type byte may hold any other value too.
namespace PacketType {
enum : quint8 {
    PING = 0,
    PONG = 1,
    SHUTDOWN = 2,
    ACK = 3,
    DATA = 4,
    STATISTIC = 5,
};
}

// A host name as carried on the wire: NUL-terminated UTF-8 in a fixed field.
using HostNameField = std::array<char, 60>;

// The verdict on a received datagram, with the sums for the reader's log line.
struct PacketCheck
{
    enum Verdict {
        Valid,
        TooShort,         // fewer bytes than a header
        LengthTooLarge,   // length field above the largest payload
        Truncated,        // fewer bytes than the length field claims
        ChecksumMismatch,
        WrongVersion,     // sound packet of another protocol version
    };
    Verdict verdict = TooShort;
    quint32 computed = 0;
    quint32 received = 0;

    bool valid() const { return verdict == Valid; }
};

struct PacketHeader
{
    static constexpr int Size = 80;
    static constexpr int MaxPayload = 1024;
    static constexpr int MaxPacket = Size + MaxPayload;
    static constexpr quint8 ProtocolVersion = 12;
    static constexpr int HostNameSize = 60;
    static constexpr int HostNameMaxText = HostNameSize - 1;
    // Sequence numbers run from 1 to here, then start again at 1.
    static constexpr quint32 LastSequence = 0x7ffffffe;

    quint32 checksum = 0;
    quint32 sequence = 0;
    quint16 length = 0;
    quint8 version = ProtocolVersion;
    quint8 sourceAddress = 0;
    quint8 sourceInstance = 0;
    quint8 destinationAddress = 0;
    quint8 destinationInstance = 0;
    quint8 type = PacketType::PING;
    HostNameField hostName{};
    quint16 delay = 0;
    quint16 transmissionCounter = 0;

    // A header of the given type from the given sender: version 12, sequence,
    // destination and delay 0, and the fixed length of a ping or a pong.
    static PacketHeader make(quint8 type, quint8 sourceAddress, quint8 sourceInstance);

    TovkaAddress source() const;
    TovkaAddress destination() const;
    void setDestination(const TovkaAddress& address);

    // Writes the 80 header bytes, the checksum field as it stands.
    void write(uint8_t* out) const;
    // Reads a header from the first 80 bytes; false when size is smaller.
    static bool read(const uint8_t* data, int size, PacketHeader* out);

    // Writes header and payload (header.length bytes) into out and seals it.
    // Returns the datagram length, or -1 when the length field is above the
    // largest payload, the payload is missing or out is too small.
    static int build(const PacketHeader& header, const uint8_t* payload, uint8_t* out, int outSize);
    // Computes the checksum of an encoded packet and stores it at offset 0.
    // Returns the datagram length (80 + length field) or -1 when unsound.
    static int seal(uint8_t* packet, int size);
    // The sum of every byte from offset 4 to the payload's end, as unsigned
    // bytes; false when the packet is shorter than its length field claims
    // or the length field is above the largest payload.
    static bool checksumOf(const uint8_t* packet, int size, quint32* sum);
    // Judges a received datagram of size bytes without reading past them.
    static PacketCheck check(const uint8_t* data, int size);

    // The data sequence number that follows s: s + 1, or 1 instead of 0x7fffffff.
    static quint32 nextSequence(quint32 s);

    // Fills a host-name field with at most 59 bytes of text and zeros after it.
    static void setHostName(HostNameField* field, const char* text);
    // The text of a host-name field up to its NUL, at most 59 bytes.
    static QByteArray hostNameText(const HostNameField& field);
};
