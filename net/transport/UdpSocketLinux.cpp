// Binding, group membership and descriptor writes of the transport's sockets on Linux.
#include "net/transport/UdpSocketLinux.h"

#include <QUdpSocket>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

const char* const MulticastGroupText = "239.255.5.97";
const char* const LoopbackBroadcastText = "127.255.255.255";

QString errnoText(int number)
{
    char buffer[256];
    // The GNU variant returns the text, which need not be in the buffer.
    return QString::fromLocal8Bit(strerror_r(number, buffer, sizeof(buffer)));
}

bool setIntOption(QUdpSocket* socket, int level, int option, int value, QString* error)
{
    if (::setsockopt(int(socket->socketDescriptor()), level, option, &value, sizeof(value)) == 0)
        return true;
    if (error)
        *error = errnoText(errno);
    return false;
}

bool bindTo(QUdpSocket* socket, const QHostAddress& address, QString* error)
{
    if (socket->bind(address, UdpSocketLinux::port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, UdpSocketLinux::receiveBufferBytes);
        return true;
    }
    if (error)
        *error = socket->errorString();
    return false;
}

bool setSendOptions(QUdpSocket* socket)
{
    socket->setSocketOption(QAbstractSocket::MulticastTtlOption, UdpSocketLinux::multicastTtl);
    socket->setSocketOption(QAbstractSocket::MulticastLoopbackOption, 1);
    return true;
}

sockaddr_in destination(bool loopback)
{
    sockaddr_in to;
    std::memset(&to, 0, sizeof(to));
    to.sin_family = AF_INET;
    to.sin_port = htons(UdpSocketLinux::port);
    to.sin_addr.s_addr = htonl(loopback ? UdpSocketLinux::loopbackBroadcast().toIPv4Address()
                                        : UdpSocketLinux::multicastGroup().toIPv4Address());
    return to;
}

} // namespace

const QHostAddress& UdpSocketLinux::multicastGroup()
{
    static const QHostAddress group(QString::fromLatin1(MulticastGroupText));
    return group;
}

const QHostAddress& UdpSocketLinux::loopbackBroadcast()
{
    static const QHostAddress broadcast(QString::fromLatin1(LoopbackBroadcastText));
    return broadcast;
}

bool UdpSocketLinux::bindMulticast(QUdpSocket* socket, const QNetworkInterface& iface, QString* error)
{
    return bindGroup(socket, error) && joinGroup(socket, iface, error);
}

bool UdpSocketLinux::bindGroup(QUdpSocket* socket, QString* error)
{
    if (!bindTo(socket, multicastGroup(), error))
        return false;
    // Without this a socket bound to the group hears it from every interface
    // on which any socket of the host joined it.
    if (!setIntOption(socket, IPPROTO_IP, IP_MULTICAST_ALL, 0, error))
        return false;
    return setSendOptions(socket);
}

bool UdpSocketLinux::joinGroup(QUdpSocket* socket, const QNetworkInterface& iface, QString* error)
{
    if (!socket->joinMulticastGroup(multicastGroup(), iface)) {
        if (error)
            *error = socket->errorString();
        return false;
    }
    socket->setMulticastInterface(iface);
    return true;
}

bool UdpSocketLinux::bindLoopback(QUdpSocket* socket, QString* error)
{
    if (!bindTo(socket, loopbackBroadcast(), error))
        return false;
    return setSendOptions(socket);
}

bool UdpSocketLinux::rejoinMulticast(QUdpSocket* socket, const QNetworkInterface& iface, QString* error)
{
    socket->leaveMulticastGroup(multicastGroup(), iface);
    if (socket->joinMulticastGroup(multicastGroup(), iface))
        return true;
    if (error)
        *error = socket->errorString();
    return false;
}

qint64 UdpSocketLinux::writeDatagram(qintptr descriptor, bool loopback, const char* data, int size, QString* error)
{
    const sockaddr_in to = destination(loopback);
    ssize_t written;
    do {
        written = ::sendto(int(descriptor), data, size_t(size), MSG_NOSIGNAL,
                           reinterpret_cast<const sockaddr*>(&to), sizeof(to));
    } while (written < 0 && errno == EINTR);
    if (written < 0 && error)
        *error = errnoText(errno);
    return written;
}
