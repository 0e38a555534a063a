// The Linux side of the transport's sockets. A UDP socket bound to an
// interface's unicast address hears no multicast here, and one bound to
// 127.0.0.1 hears no 127.255.255.255 broadcast, so an external interface's
// socket is bound to the group address and told to hear only the group it
// joined on its own interface, and a loopback socket is bound to the
// broadcast address. Writes go through the native descriptor so the
// heartbeat thread never touches a QUdpSocket.
#pragma once

#include <QHostAddress>
#include <QNetworkInterface>
#include <QString>

class QUdpSocket;

class UdpSocketLinux
{
public:
    static constexpr quint16 port = 20593;
    static constexpr int multicastTtl = 8;
    // Room for a burst of some thousand datagrams while the event loop is
    // busy elsewhere; the kernel caps it at net.core.rmem_max.
    static constexpr int receiveBufferBytes = 1 << 20;

    static const QHostAddress& multicastGroup();    // 239.255.5.97
    static const QHostAddress& loopbackBroadcast(); // 127.255.255.255

    // Binds an external interface's socket to the group, joins it on that
    // interface and sends through it. False with the error text on failure.
    static bool bindMulticast(QUdpSocket* socket, const QNetworkInterface& iface, QString* error);
    // The two steps of bindMulticast: bind to the group, then join it on the
    // interface and send through that interface.
    static bool bindGroup(QUdpSocket* socket, QString* error);
    static bool joinGroup(QUdpSocket* socket, const QNetworkInterface& iface, QString* error);
    // Binds a loopback interface's socket to the loopback broadcast address.
    static bool bindLoopback(QUdpSocket* socket, QString* error);
    // Leaves and joins the group again on the interface (the rejoin work-around).
    static bool rejoinMulticast(QUdpSocket* socket, const QNetworkInterface& iface, QString* error);

    // Writes one datagram to the group, or to the loopback broadcast address,
    // on port 20593. Returns the bytes written, or -1 with errno's text.
    static qint64 writeDatagram(qintptr descriptor, bool loopback, const char* data, int size, QString* error);
};
