// The transport's socket writer.
#include "net/transport/SocketWriter.h"

#include "net/transport/UdpSocketLinux.h"

bool SocketWriter::writeDatagram(const char* data, int size)
{
    std::lock_guard<std::mutex> lock(mutex);
    bool written = false;
    for (const Slot& slot : sockets) {
        if (!slot.usable || slot.descriptor < 0)
            continue;
        QString error;
        if (UdpSocketLinux::writeDatagram(slot.descriptor, slot.loopback, data, size, &error) == size)
            written = true;
        else
            failures.push_back(Failure{slot.localText + QStringLiteral(" size=%1").arg(size), error});
    }
    return written;
}

void SocketWriter::setSlots(std::vector<Slot> fresh)
{
    std::lock_guard<std::mutex> lock(mutex);
    sockets.swap(fresh);
}

void SocketWriter::forget(qintptr descriptor)
{
    std::lock_guard<std::mutex> lock(mutex);
    for (Slot& slot : sockets) {
        if (slot.descriptor == descriptor) {
            slot.usable = false;
            slot.descriptor = -1;
        }
    }
}

std::vector<SocketWriter::Failure> SocketWriter::takeFailures()
{
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Failure> taken;
    taken.swap(failures);
    return taken;
}
