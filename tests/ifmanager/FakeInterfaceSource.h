// An interface source the tests fill by hand: the interface list and routing
// table it returns change whenever a test changes them.
#pragma once

#include "net/transport/InterfaceSource.h"

#include <QHostAddress>

class FakeInterfaceSource : public InterfaceSource
{
public:
    QList<InterfaceReading> list;
    QList<RouteEntry> table;
    bool routesReadable = true;

    QList<InterfaceReading> interfaces() override { return list; }
    bool routes(QList<RouteEntry>& out) override
    {
        out = table;
        return routesReadable;
    }

    static const QNetworkInterface::InterfaceFlags upFlags;

    // An interface with the given IPv4 address ("" for none).
    static InterfaceReading reading(int index, const QString& name, int ifType, const QString& ipv4,
                                    QNetworkInterface::InterfaceFlags flags = upFlags)
    {
        InterfaceReading r;
        r.index = index;
        r.name = name;
        r.humanReadableName = name;
        r.flags = flags;
        r.ifType = ifType;
        if (!ipv4.isEmpty()) {
            QNetworkAddressEntry entry;
            entry.setIp(QHostAddress(ipv4));
            entry.setPrefixLength(24);
            r.addressEntries << entry;
        }
        return r;
    }
};

inline const QNetworkInterface::InterfaceFlags FakeInterfaceSource::upFlags =
    QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast
    | QNetworkInterface::CanMulticast;
