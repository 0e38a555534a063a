// Message 2/12, the award ceremony: two big-endian u16 numbers. Older
// senders send only the first. A pure codec.
#pragma once

#include <QtGlobal>

class SiegerehrungMessage
{
public:
    static constexpr quint8 group = 2;
    static constexpr quint8 subType = 12;
    static constexpr int length = 8;
    static constexpr int minimumLength = 6;

    static int encode(unsigned char* buffer, int first, int second);
    // False below the minimum length; a missing second number reads as 0.
    static bool decode(const unsigned char* payload, int length, int* first, int* second);
};
