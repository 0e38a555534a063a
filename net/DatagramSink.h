// Where the transport's writer hands each finished datagram. The transport's
// own sink writes it on every usable socket; tests put a sink in front that
// records, drops, repeats or reorders datagrams.
#pragma once

#include <functional>

class DatagramSink
{
public:
    virtual ~DatagramSink() = default;

    // Called by the writer with its lock held, on the GUI or the heartbeat
    // thread. True when the datagram was written in full on some socket.
    virtual bool writeDatagram(const char* data, int size) = 0;

protected:
    // Passes a datagram on to the sockets of the transport whose writer is
    // calling writeDatagram. The sockets are only reachable from within that
    // call, on the writer's thread, where the writer's lock is held; anywhere
    // else nothing is written and the result is false.
    bool writeToSockets(const char* data, int size) const
    {
        return current.sink == this && (*current.sockets)(data, size);
    }

private:
    friend class TovkaNetIo;
    using SocketWriter = std::function<bool(const char* data, int size)>;

    // Runs writeDatagram with the sockets reachable for the length of the call.
    bool deliver(const char* data, int size, const SocketWriter& sockets)
    {
        const Reachable reachable(Delivery{this, &sockets});
        return writeDatagram(data, size);
    }

    struct Delivery
    {
        const DatagramSink* sink;
        const SocketWriter* sockets;
    };
    // Sets the sockets for one call and puts the previous ones back however it ends.
    class Reachable
    {
    public:
        explicit Reachable(Delivery delivery) : outer(current) { current = delivery; }
        ~Reachable() { current = outer; }
        Reachable(const Reachable&) = delete;
        Reachable& operator=(const Reachable&) = delete;

    private:
        Delivery outer;
    };
    // Per thread, so a call from any other thread finds no sockets.
    static inline thread_local Delivery current{nullptr, nullptr};
};
