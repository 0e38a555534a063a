// The messages that carry a list of big-endian u16 values after the frame,
// as many as fit into one message: starter requests (2/6, one value per
// entry), score factors (2/10, number and factor in thousandths) and the
// qualification list (3/4, two values). A pure codec.
#pragma once

#include "net/protocol/ProtocolLists.h"

class NumberListMessage
{
public:
    static constexpr int bufferSize = 1024;

    // Each writes the message into `buffer` (bufferSize bytes) and returns its
    // length; *leftOut gets the entries that did not fit.
    static int encodeStarterRequest(unsigned char* buffer, const StarterRequestList& list, int* leftOut);
    static int encodeFactorList(unsigned char* buffer, const FactorList& list, int* leftOut);
    static int encodeQualiList(unsigned char* buffer, const QualiList& list, int* leftOut);

    // Each reads the whole entries of a received payload.
    static StarterRequestList decodeStarterRequest(const unsigned char* payload, int length);
    static FactorList decodeFactorList(const unsigned char* payload, int length);
    static QualiList decodeQualiList(const unsigned char* payload, int length);
};
