// The transport's sockets, one per multicast-capable interface, in a table
// ordered by socket: opening (bind, and join the group on an external
// interface), closing, the rejoin work-around, and what the socket writer may
// use of them. A socket closed when its interface goes down keeps its entry
// and is bound anew when the interface returns. Plain class: the transport
// connects each new socket to its reader.
#pragma once

#include "net/transport/ExtendedNetworkInterface.h"
#include "net/transport/SocketWriter.h"

#include <QList>
#include <QMap>

#include <functional>

class QUdpSocket;

class SocketSet
{
public:
    using Attach = std::function<void(QUdpSocket* socket)>;

    // An interface whose socket joins the group: multicast-capable, not the loopback.
    static bool isExternal(const ExtendedNetworkInterface* iface);
    // Whether the list holds an external interface other than `except`.
    static bool hasExternal(const QList<ExtendedNetworkInterface*>& ifaces,
                            const ExtendedNetworkInterface* except = nullptr);

    SocketSet(SocketWriter& writer, Attach attach) : writer(writer), attach(std::move(attach)) {}
    ~SocketSet();
    SocketSet(const SocketSet&) = delete;
    SocketSet& operator=(const SocketSet&) = delete;

    // Opening an interface's socket takes three steps: prepare gives the
    // socket to bind, a new one or, for an interface come up again, its old
    // one closed; bind binds it; join joins the group on an external
    // interface. A socket that could not be bound or join is closed: the
    // writer and the reader skip it.
    QUdpSocket* prepare(const ExtendedNetworkInterface* iface);
    bool bind(QUdpSocket* socket, const ExtendedNetworkInterface* iface);
    void join(QUdpSocket* socket, const ExtendedNetworkInterface* iface);
    // Closes the interface's socket; false when it has none.
    bool close(const ExtendedNetworkInterface* iface);
    void close(QUdpSocket* socket);
    // Closes and deletes every socket and empties the table.
    void closeAll();
    // Leaves and joins the group again on every external interface.
    void rejoin();

    bool contains(QUdpSocket* socket) const { return table.contains(socket); }
    QList<QUdpSocket*> sockets() const { return table.keys(); }
    QList<const ExtendedNetworkInterface*> interfaces() const { return table.values(); }
    // The first bound socket with a datagram waiting, or null.
    QUdpSocket* firstPending() const;
    // Reads the sockets in passes, one datagram from each bound socket per
    // pass, each until a read finds nothing, at most limit datagrams in all.
    // Returns how many were read; *unread keeps the sockets not done.
    static int readInPasses(QList<QUdpSocket*>* unread, int limit, const std::function<bool(QUdpSocket*)>& readOne);

    // Tells the writer which sockets it may write on.
    void refreshSlots();

private:
    QUdpSocket* socketFor(const ExtendedNetworkInterface* iface) const;
    QUdpSocket* createSocket();
    bool joinGroup(QUdpSocket* socket, const ExtendedNetworkInterface* iface);
    void forgetDescriptor(QUdpSocket* socket);
    void withdraw(QUdpSocket* socket);

    SocketWriter& writer;
    Attach attach;
    QMap<QUdpSocket*, const ExtendedNetworkInterface*> table; // the sockets owned, the interfaces not
};
