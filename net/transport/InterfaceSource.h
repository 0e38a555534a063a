// The seam between the interface manager and the operating system: one reading
// of every network interface and of the IPv4 routing table. The system's source
// lives in the platform file; tests feed the manager made-up readings.
#pragma once

#include <QList>
#include <QNetworkAddressEntry>
#include <QNetworkInterface>
#include <QString>

#include <memory>

// IANA interface types (ifType) the classification tells apart.
namespace IanaIfType {
enum : int {
    Other = 1,
    EthernetCsmacd = 6,
    Iso88025TokenRing = 9,
    Fddi = 15,
    Ppp = 23,
    SoftwareLoopback = 24,
    Slip = 28,
    Atm = 37,
    Ieee80211 = 71,
    Tunnel = 131,
    Ieee1394 = 144,
    Ieee80216Wman = 237,
    WwanPp = 243,
    WwanPp2 = 244,
    Ieee802154 = 259,
};
}

// One interface as the system reported it at one moment.
struct InterfaceReading
{
    QNetworkInterface system;   // the system's own object; invalid for made-up readings
    int index = 0;
    QString name;
    QString humanReadableName;
    QNetworkInterface::InterfaceFlags flags;
    QNetworkInterface::InterfaceType type = QNetworkInterface::Unknown;
    QList<QNetworkAddressEntry> addressEntries;
    int ifType = 0;             // IANA interface type; 0 when the platform cannot tell
};

// One row of the IPv4 routing table; addresses in host order.
struct RouteEntry
{
    quint32 destination = 0;
    quint32 gateway = 0;
    quint32 mask = 0;
    int interfaceIndex = 0;     // 0 when the interface is not known
    QString interfaceName;
};

class InterfaceSource
{
public:
    virtual ~InterfaceSource() = default;

    virtual QList<InterfaceReading> interfaces() = 0;
    // False when the routing table cannot be read.
    virtual bool routes(QList<RouteEntry>& table) = 0;
};

// The source of the platform this program runs on.
std::unique_ptr<InterfaceSource> systemInterfaceSource();
