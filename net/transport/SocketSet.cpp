// The transport's sockets.
#include "net/transport/SocketSet.h"

#include "net/transport/UdpSocketLinux.h"

#include <QUdpSocket>
#include <QtDebug>

namespace {

bool isLoopback(const ExtendedNetworkInterface* iface)
{
    return iface->category() == ExtendedNetworkInterface::CategoryLoopback;
}

} // namespace

bool SocketSet::isExternal(const ExtendedNetworkInterface* iface)
{
    return iface->isMulticastCapable() && !isLoopback(iface);
}

bool SocketSet::hasExternal(const QList<ExtendedNetworkInterface*>& ifaces, const ExtendedNetworkInterface* except)
{
    for (const ExtendedNetworkInterface* iface : ifaces) {
        if (iface != except && isExternal(iface))
            return true;
    }
    return false;
}

SocketSet::~SocketSet()
{
    closeAll();
}

QUdpSocket* SocketSet::prepare(const ExtendedNetworkInterface* iface)
{
    QUdpSocket* socket = socketFor(iface);
    if (socket) {
        qDebug() << "Interface come up again: " << iface->humanReadableName();
        withdraw(socket);
        return socket;
    }
    socket = createSocket();
    table.insert(socket, iface);
    qDebug() << "socket descriptor" << socket->socketDescriptor() << "  ifaceptr" << iface;
    return socket;
}

void SocketSet::join(QUdpSocket* socket, const ExtendedNetworkInterface* iface)
{
    if (!joinGroup(socket, iface))
        socket->close();
    refreshSlots();
}

QUdpSocket* SocketSet::createSocket()
{
    auto* socket = new QUdpSocket;
    attach(socket);
    // A socket may also close by itself: its descriptor leaves the
    // heartbeat's reach before it closes. Entering the bound state is left
    // to open, which publishes the socket once it has joined.
    QObject::connect(socket, &QIODevice::aboutToClose, socket, [this, socket] { forgetDescriptor(socket); });
    QObject::connect(socket, &QAbstractSocket::stateChanged, socket, [this](QAbstractSocket::SocketState state) {
        if (state != QAbstractSocket::BoundState)
            refreshSlots();
    });
    return socket;
}

bool SocketSet::bind(QUdpSocket* socket, const ExtendedNetworkInterface* iface)
{
    QString error;
    const bool bound =
        isLoopback(iface) ? UdpSocketLinux::bindLoopback(socket, &error) : UdpSocketLinux::bindGroup(socket, &error);
    if (!bound)
        qWarning() << "TovkaNetIo::bindSocket failed on" << iface->humanReadableName() << ":" << error;
    qDebug() << "socket descriptor" << socket->socketDescriptor();
    return bound;
}

bool SocketSet::joinGroup(QUdpSocket* socket, const ExtendedNetworkInterface* iface)
{
    if (isLoopback(iface))
        return true;
    qDebug() << "setting up for Multicast ...";
    QString error;
    if (UdpSocketLinux::joinGroup(socket, *iface, &error))
        return true;
    qWarning() << "TovkaNetIo::newIface: joining the group failed on" << iface->humanReadableName() << ":" << error;
    return false;
}

bool SocketSet::close(const ExtendedNetworkInterface* iface)
{
    QUdpSocket* socket = socketFor(iface);
    if (!socket)
        return false;
    close(socket);
    return true;
}

void SocketSet::close(QUdpSocket* socket)
{
    withdraw(socket);
    refreshSlots();
}

void SocketSet::closeAll()
{
    for (QUdpSocket* socket : table.keys()) {
        // Its closing must not refresh a table that holds deleted sockets.
        QObject::disconnect(socket, nullptr, nullptr, nullptr);
        withdraw(socket);
        delete socket;
    }
    table.clear();
}

void SocketSet::rejoin()
{
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        if (isLoopback(it.value()))
            continue;
        qDebug() << it.value()->humanReadableName() << " rejoin Multicast ...";
        QString error;
        if (!UdpSocketLinux::rejoinMulticast(it.key(), *it.value(), &error))
            qWarning() << it.value()->humanReadableName() << "rejoin failed." << it.key()->socketDescriptor() << error;
    }
}

QUdpSocket* SocketSet::firstPending() const
{
    for (QUdpSocket* socket : table.keys()) {
        if (socket->state() == QAbstractSocket::BoundState && socket->hasPendingDatagrams())
            return socket;
    }
    return nullptr;
}

int SocketSet::readInPasses(QList<QUdpSocket*>* unread, int limit, const std::function<bool(QUdpSocket*)>& readOne)
{
    // Each socket until a read finds nothing, without asking first: Qt marks
    // a UDP socket as unread at each signal, even when nothing is pending any
    // more by the time its slot runs, and turns the socket's notification off
    // at the next signal until the socket is read.
    int total = 0;
    while (!unread->isEmpty() && total < limit) {
        for (auto it = unread->begin(); it != unread->end() && total < limit;) {
            if ((*it)->state() == QAbstractSocket::BoundState && readOne(*it)) {
                ++total;
                ++it;
            } else {
                it = unread->erase(it);
            }
        }
    }
    return total;
}

void SocketSet::refreshSlots()
{
    std::vector<SocketWriter::Slot> fresh;
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        SocketWriter::Slot slot;
        slot.descriptor = it.key()->socketDescriptor();
        slot.loopback = isLoopback(it.value());
        slot.usable = it.key()->state() == QAbstractSocket::BoundState && it.value()->isUsable();
        slot.localText = it.key()->localAddress().toString();
        fresh.push_back(slot);
    }
    writer.setSlots(std::move(fresh));
}

QUdpSocket* SocketSet::socketFor(const ExtendedNetworkInterface* iface) const
{
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        if (it.value() == iface)
            return it.key();
    }
    return nullptr;
}

void SocketSet::forgetDescriptor(QUdpSocket* socket)
{
    // The heartbeat thread must be done with the descriptor before it closes
    // and its number can be reused.
    const qintptr descriptor = socket->socketDescriptor();
    if (descriptor >= 0)
        writer.forget(descriptor);
}

void SocketSet::withdraw(QUdpSocket* socket)
{
    forgetDescriptor(socket);
    socket->close();
}
