// One network interface as the interface manager keeps it: the system's
// interface plus its medium, tunnel flag and category (loopback, LAN, WLAN,
// mobile, point-to-point, tunnel), and whether the transport can use it.
#pragma once

#include "net/transport/InterfaceSource.h"

#include <QHostAddress>
#include <QNetworkInterface>

class ExtendedNetworkInterface : public QNetworkInterface
{
public:
    enum Medium {
        MediumNone = 0,
        MediumWired = 1,
        MediumWlan = 2,
        MediumPointToPoint = 3,
        MediumPointToPoint2 = 4,
        MediumOther = 6,
        MediumWiMax = 8,
    };
    enum Category {
        CategoryUnknown = 0,
        CategoryLoopback = 1,
        CategoryLan = 2,
        CategoryWlan = 3,
        CategoryMobile = 4,
        CategoryPointToPoint = 5,
        CategoryTunnel = 6,
    };

    explicit ExtendedNetworkInterface(const InterfaceReading& reading);
    // Takes over a new reading; classifies again when the index changed.
    ExtendedNetworkInterface& operator=(const InterfaceReading& reading);

    // These answer from the last reading, so made-up readings behave like the
    // system's; the QNetworkInterface base is the system's object (for socket
    // calls) and stays invalid for made-up readings.
    int index() const;
    QString name() const;
    QString humanReadableName() const;

    int category() const;
    QString categoryName() const;
    static QString categoryName(int category);

    bool isUsable() const;
    bool isMulticastCapable() const;
    QHostAddress ipv4Address() const;   // null when there is none

    // An interface gone from the system's list stays unusable until it returns.
    bool isPresent() const;
    void markVanished();

    bool operator==(const ExtendedNetworkInterface& other) const;

private:
    void classify();
    int computeCategory() const;

    InterfaceReading reading;
    int mediumType = MediumNone;
    bool tunnel = false;
    mutable int cachedCategory = CategoryUnknown;   // 0 while not yet determined
    bool present = true;
};
