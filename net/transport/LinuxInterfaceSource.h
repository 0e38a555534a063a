// The interface source on Linux: interfaces from the network namespace the
// process runs in (through QNetworkInterface, whose type stands in for the IANA
// interface type) and the IPv4 routes from the kernel's text table.
#pragma once

#include "net/transport/InterfaceSource.h"

#include <QByteArray>

class LinuxInterfaceSource : public InterfaceSource
{
public:
    static const char* const defaultRouteTablePath;

    explicit LinuxInterfaceSource(const QString& routeTablePath = QString::fromLatin1(defaultRouteTablePath));

    QList<InterfaceReading> interfaces() override;
    bool routes(QList<RouteEntry>& table) override;

    static InterfaceReading reading(const QNetworkInterface& iface);
    static int ifTypeOf(QNetworkInterface::InterfaceType type);
    // Parses the kernel's route table text; false when it is not such a table.
    // Malformed rows are skipped. Interface indexes are left 0.
    static bool parseRouteTable(const QByteArray& text, QList<RouteEntry>& table);

private:
    QString routeTablePath;
};
