// Message 4/9, the answer to a start entry: a big-endian u32 checksum, a u16
// ID, discipline and age class bytes and a 256-byte text, 268 bytes in all.
// Only its decoder is built: this program has no start entries to answer.
#pragma once

#include <QtGlobal>

class StarterResponseMessage
{
public:
    static constexpr int length = 268;
    static constexpr int textSize = 256;

    quint32 checksum = 0;
    int id = 0;
    char text[textSize] = {}; // always ends with a NUL

    // False when the payload is too short.
    static bool decode(const unsigned char* payload, int length, StarterResponseMessage* out);
};
