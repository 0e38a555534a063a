// One program heard on the network: its address, its computer's host name,
// when it was last heard and the counters of its last packet.
#pragma once

#include "net/wire/TovkaAddress.h"

#include <QString>

class AppLocation
{
public:
    static constexpr int hostNameSize = 60; // NUL-terminated, at most 59 bytes of text

    TovkaAddress address;
    char hostName[hostNameSize] = {};
    qint64 lastHeard = 0;  // seconds on the transport's clock, 0 = only built from a packet
    qint64 lastUpdate = 0; // seconds on the transport's clock
    quint32 transmissionCounter = 0;
    quint32 lastSequence = 0;

    // Copies at most 59 bytes and always ends the name with a NUL.
    void setHostName(const char* name, int maxLength = hostNameSize);
    QString hostNameText() const;

    // Same program: same kind, sub-kind and instance on the same host.
    bool isSameApp(const AppLocation& other) const;
};
