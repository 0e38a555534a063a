// One network interface with its classification, as the interface manager
// keeps it.
#include "net/transport/ExtendedNetworkInterface.h"

#include <QAbstractSocket>
#include <QtDebug>

ExtendedNetworkInterface::ExtendedNetworkInterface(const InterfaceReading& reading)
    : QNetworkInterface(reading.system), reading(reading)
{
    classify();
}

ExtendedNetworkInterface& ExtendedNetworkInterface::operator=(const InterfaceReading& newReading)
{
    const bool indexChanged = newReading.index != reading.index;
    QNetworkInterface::operator=(newReading.system);
    reading = newReading;
    present = true;
    if (indexChanged) {
        mediumType = MediumNone;
        tunnel = false;
        cachedCategory = CategoryUnknown;
        classify();
    }
    return *this;
}

void ExtendedNetworkInterface::classify()
{
    cachedCategory = CategoryUnknown;
    switch (reading.ifType) {
    case 0:
        // The platform could not tell: the flags alone decide.
        return;
    case IanaIfType::EthernetCsmacd:
    case IanaIfType::Iso88025TokenRing:
    case IanaIfType::Fddi:
        mediumType = MediumWired;
        break;
    case IanaIfType::Ppp:
    case IanaIfType::Atm:
        mediumType = MediumPointToPoint;
        tunnel = true;
        break;
    case IanaIfType::SoftwareLoopback:
        cachedCategory = CategoryLoopback;
        break;
    case IanaIfType::Ieee80211:
        mediumType = MediumWlan;
        break;
    case IanaIfType::Tunnel:
        cachedCategory = CategoryTunnel;
        break;
    case IanaIfType::Ieee80216Wman:
        mediumType = MediumWiMax;
        break;
    case IanaIfType::WwanPp:
        mediumType = MediumPointToPoint;
        break;
    case IanaIfType::WwanPp2:
        mediumType = MediumPointToPoint2;
        break;
    default:
        mediumType = MediumOther;
        break;
    }
    qDebug() << "IFTYPE to decod:" << reading.name << reading.ifType << cachedCategory;
}

int ExtendedNetworkInterface::index() const { return reading.index; }
QString ExtendedNetworkInterface::name() const { return reading.name; }
QString ExtendedNetworkInterface::humanReadableName() const
{
    return reading.humanReadableName.isEmpty() ? reading.name : reading.humanReadableName;
}

int ExtendedNetworkInterface::category() const
{
    if (cachedCategory == CategoryUnknown)
        cachedCategory = computeCategory();
    return cachedCategory;
}

int ExtendedNetworkInterface::computeCategory() const
{
    if (tunnel)
        return CategoryTunnel;
    if (reading.flags & IsPointToPoint)
        return CategoryPointToPoint;
    if (reading.flags & IsLoopBack)
        return CategoryLoopback;
    switch (mediumType) {
    case MediumWired:
        return CategoryLan;
    case MediumWlan:
        return CategoryWlan;
    case MediumNone:
        return CategoryUnknown;
    default:
        return CategoryMobile;
    }
}

QString ExtendedNetworkInterface::categoryName() const
{
    return categoryName(category());
}

QString ExtendedNetworkInterface::categoryName(int category)
{
    static const char* const names[] = {"UNKNOWN", "Loopback", "LAN", "WLAN", "Mobile", "point-to-point", "Tunnel"};
    if (category < 0 || category > CategoryTunnel)
        return QString::fromLatin1(names[CategoryUnknown]);
    return QString::fromLatin1(names[category]);
}

bool ExtendedNetworkInterface::isUsable() const
{
    if (!present)
        return false;
    const InterfaceFlags needed = IsUp | IsRunning;
    return (reading.flags & needed) == needed && !ipv4Address().isNull();
}

bool ExtendedNetworkInterface::isMulticastCapable() const
{
    if (!isUsable())
        return false;
    switch (category()) {
    case CategoryLoopback:
        return true;
    case CategoryMobile:
    case CategoryPointToPoint:
    case CategoryTunnel:
        return false;
    default:
        return reading.flags.testFlag(CanMulticast);
    }
}

QHostAddress ExtendedNetworkInterface::ipv4Address() const
{
    for (const QNetworkAddressEntry& entry : reading.addressEntries) {
        if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
            return entry.ip();
    }
    return QHostAddress();
}

bool ExtendedNetworkInterface::isPresent() const { return present; }
void ExtendedNetworkInterface::markVanished() { present = false; }

bool ExtendedNetworkInterface::operator==(const ExtendedNetworkInterface& other) const
{
    return reading.index == other.reading.index;
}
