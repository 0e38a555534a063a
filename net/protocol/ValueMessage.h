// Messages whose body is a single value: a byte (count-down 1/4, traffic
// light 2/3, place 2/4, pause 2/8) or a big-endian u16 (start clock 1/1,
// score request 3/1, current exercise 4/4). A pure codec.
#pragma once

#include <QtGlobal>

class ValueMessage
{
public:
    static constexpr int byteLength = 5;
    static constexpr int numberLength = 6;

    // Write the message into `buffer`; return its length.
    static int encodeByte(unsigned char* buffer, quint8 group, quint8 sub, quint8 value);
    static int encodeNumber(unsigned char* buffer, quint8 group, quint8 sub, quint16 value);
    // False when the payload is too short for the value.
    static bool decodeByte(const unsigned char* payload, int length, quint8* value);
    static bool decodeNumber(const unsigned char* payload, int length, quint16* value);
};
