// The display's score record of one starter (body of message 2/2, 44 bytes):
// a number, two bytes, two values and a 32-byte text, passed through as sent.
#pragma once

#include <QtGlobal>

#include <cstdint>

struct NetStarter
{
    static constexpr int Size = 44;
    static constexpr int TextSize = 32;

    quint16 number = 0;
    quint8 extra[2] = {};
    quint32 value1 = 0;
    quint32 value2 = 0;
    char text[TextSize] = {};

    // Big-endian integers, the bytes as they are.
    void write(uint8_t* out) const;
    static NetStarter read(const uint8_t* in);
};
