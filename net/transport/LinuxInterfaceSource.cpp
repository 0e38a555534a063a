// The interface source on Linux. Everything here follows the network namespace
// of the process: QNetworkInterface asks the kernel over netlink and the route
// table is the namespace's own /proc/net/route.
#include "net/transport/LinuxInterfaceSource.h"

#include <QFile>
#include <QtDebug>
#include <QtEndian>

const char* const LinuxInterfaceSource::defaultRouteTablePath = "/proc/net/route";

std::unique_ptr<InterfaceSource> systemInterfaceSource()
{
    return std::make_unique<LinuxInterfaceSource>();
}

LinuxInterfaceSource::LinuxInterfaceSource(const QString& routeTablePath)
    : routeTablePath(routeTablePath)
{
}

QList<InterfaceReading> LinuxInterfaceSource::interfaces()
{
    QList<InterfaceReading> readings;
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces())
        readings << reading(iface);
    return readings;
}

InterfaceReading LinuxInterfaceSource::reading(const QNetworkInterface& iface)
{
    InterfaceReading r;
    r.system = iface;
    r.index = iface.index();
    r.name = iface.name();
    r.humanReadableName = iface.humanReadableName();
    r.flags = iface.flags();
    r.type = iface.type();
    r.addressEntries = iface.addressEntries();
    r.ifType = ifTypeOf(iface.type());
    return r;
}

int LinuxInterfaceSource::ifTypeOf(QNetworkInterface::InterfaceType type)
{
    switch (type) {
    case QNetworkInterface::Unknown:
        return 0;
    case QNetworkInterface::Loopback:
        return IanaIfType::SoftwareLoopback;
    case QNetworkInterface::Virtual:
        return IanaIfType::Tunnel;
    case QNetworkInterface::Ethernet:
        return IanaIfType::EthernetCsmacd;
    case QNetworkInterface::Fddi:
        return IanaIfType::Fddi;
    case QNetworkInterface::Ppp:
        return IanaIfType::Ppp;
    case QNetworkInterface::Ieee80211:
        return IanaIfType::Ieee80211;
    case QNetworkInterface::Ieee80216:
        return IanaIfType::Ieee80216Wman;
    case QNetworkInterface::Slip:
        return IanaIfType::Slip;
    case QNetworkInterface::Ieee1394:
        return IanaIfType::Ieee1394;
    case QNetworkInterface::Ieee802154:
    case QNetworkInterface::SixLoWPAN:
        return IanaIfType::Ieee802154;
    case QNetworkInterface::CanBus:
    case QNetworkInterface::Phonet:
        return IanaIfType::Other;
    }
    return IanaIfType::Other;
}

bool LinuxInterfaceSource::routes(QList<RouteEntry>& table)
{
    QFile file(routeTablePath);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "LinuxInterfaceSource::routes: cannot read" << routeTablePath << file.errorString();
        return false;
    }
    if (!parseRouteTable(file.readAll(), table))
        return false;
    for (RouteEntry& route : table)
        route.interfaceIndex = QNetworkInterface::interfaceIndexFromName(route.interfaceName);
    return true;
}

namespace {

// The kernel writes each address as the hex number of its network-order bytes
// read as a host integer.
bool parseAddress(const QByteArray& field, quint32& address)
{
    if (field.size() != 8)
        return false;
    bool ok = false;
    const quint32 raw = field.toUInt(&ok, 16);
    if (!ok)
        return false;
    address = qFromBigEndian(raw);
    return true;
}

} // namespace

bool LinuxInterfaceSource::parseRouteTable(const QByteArray& text, QList<RouteEntry>& table)
{
    table.clear();
    const QList<QByteArray> lines = text.split('\n');
    const QList<QByteArray> header = lines.value(0).simplified().split(' ');
    const int ifaceColumn = header.indexOf("Iface");
    const int destinationColumn = header.indexOf("Destination");
    const int gatewayColumn = header.indexOf("Gateway");
    const int maskColumn = header.indexOf("Mask");
    if (ifaceColumn < 0 || destinationColumn < 0 || gatewayColumn < 0 || maskColumn < 0)
        return false;
    const int columns = header.size();
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).simplified();
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.split(' ');
        RouteEntry route;
        if (fields.size() < columns || !parseAddress(fields.at(destinationColumn), route.destination)
            || !parseAddress(fields.at(gatewayColumn), route.gateway)
            || !parseAddress(fields.at(maskColumn), route.mask)) {
            qDebug() << "LinuxInterfaceSource: skipping malformed route" << line;
            continue;
        }
        route.interfaceName = QString::fromUtf8(fields.at(ifaceColumn));
        table << route;
    }
    return true;
}
