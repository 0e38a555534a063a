// Where the transport's writer hands each finished datagram. The transport's
// own sink writes it on every usable socket; tests put a sink in front that
// records, drops, repeats or reorders datagrams.
#pragma once

class DatagramSink
{
public:
    virtual ~DatagramSink() = default;

    // Called by the writer with its lock held, on the GUI or the heartbeat
    // thread. True when the datagram was written in full on some socket.
    virtual bool writeDatagram(const char* data, int size) = 0;
};
