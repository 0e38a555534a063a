// Where the transport's writer hands each finished datagram. The transport's
// own socket writer is one; a test or tool wraps it in a sink of its own
// (a decorator) that records, drops, repeats or reorders datagrams and passes
// the rest on to it.
#pragma once

class DatagramSink
{
public:
    virtual ~DatagramSink() = default;

    // Called by the writer with its lock held, on the GUI or the heartbeat
    // thread. True when the datagram was written in full on some socket.
    virtual bool writeDatagram(const char* data, int size) = 0;
};
