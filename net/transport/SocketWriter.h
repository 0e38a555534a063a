// The transport's own datagram sink: writes each datagram on every usable
// socket, to the group or, on the loopback interface, to the loopback
// broadcast address. It keeps what the heartbeat thread may use of a socket
// under a lock of its own, so a socket leaves its reach before it closes.
#pragma once

#include "net/transport/DatagramSink.h"

#include <QString>
#include <QtGlobal>

#include <mutex>
#include <vector>

class SocketWriter : public DatagramSink
{
public:
    struct Slot
    {
        qintptr descriptor = -1;
        bool loopback = false;
        bool usable = false;
        QString localText;
    };
    struct Failure
    {
        QString socketText;
        QString error;
    };

    bool writeDatagram(const char* data, int size) override;

    void setSlots(std::vector<Slot> fresh);
    // Waits for a write in progress on the descriptor, then leaves it alone.
    void forget(qintptr descriptor);
    // The failed writes since the last call.
    std::vector<Failure> takeFailures();

private:
    std::mutex mutex;
    std::vector<Slot> sockets;
    std::vector<Failure> failures;
};
