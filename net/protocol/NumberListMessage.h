// The messages that carry a list of big-endian u16 values after the frame,
// starter requests (2/6, one value per entry), score factors (2/10, number
// and factor in thousandths) and the qualification list (3/4, two values).
// A pure codec.
#pragma once

#include "net/protocol/ProtocolLists.h"

class NumberListMessage
{
public:
    static constexpr int bufferSize = 1024;

    // Each returns the length of the whole list's message and writes it into
    // `buffer` (bufferSize bytes) only when it fits; a longer list writes nothing.
    static int encodeStarterRequest(unsigned char* buffer, const StarterRequestList& list);
    static int encodeFactorList(unsigned char* buffer, const FactorList& list);
    static int encodeQualiList(unsigned char* buffer, const QualiList& list);

    // Each reads the whole entries of a received payload.
    static StarterRequestList decodeStarterRequest(const unsigned char* payload, int length);
    static FactorList decodeFactorList(const unsigned char* payload, int length);
    static QualiList decodeQualiList(const unsigned char* payload, int length);
};
