// Message 4/9, the answer to a start entry: a big-endian u32 checksum, a u16
// ID, discipline and age class bytes and a 256-byte text, 268 bytes in all.
// A pure codec.
#pragma once

#include <QString>
#include <QtGlobal>

struct Starter_t;

class StarterResponseMessage
{
public:
    static constexpr quint8 group = 4;
    static constexpr quint8 subType = 9;
    static constexpr int length = 268;
    static constexpr int textSize = 256;

    quint32 checksum = 0;
    int id = 0;
    quint8 disci = 0;
    quint8 ageClass = 0;
    char text[textSize] = {}; // always ends with a NUL

    // The entry's checksum, the low 16 bits of its ID, discipline and age class.
    static int encode(unsigned char* buffer, const Starter_t& starter, const QString& text);
    // False when the payload is too short.
    static bool decode(const unsigned char* payload, int length, StarterResponseMessage* out);
};
