// The interface manager: rescans the interface list, classifies the interfaces
// and writes the default-route and internet-check reports.
#include "net/transport/IfManager.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSet>
#include <QTcpSocket>
#include <QtDebug>

IfManager::ProbeEndpoints IfManager::defaultProbeEndpoints()
{
    ProbeEndpoints endpoints;
    endpoints.webHost = QStringLiteral("www.example.com");
    endpoints.resolverHost = QStringLiteral("9.9.9.9");
    return endpoints;
}

IfManager::IfManager()
    : IfManager(systemInterfaceSource())
{
}

IfManager::IfManager(std::unique_ptr<InterfaceSource> source)
    : rescanTimer(this), source(std::move(source)), probe(defaultProbeEndpoints())
{
    qRegisterMetaType<QHostInfo>("QHostInfo");
    connect(&rescanTimer, SIGNAL(timeout()), this, SLOT(rescan()));
    rescanTimer.start(rescanIntervalMs);
}

IfManager::~IfManager()
{
    qDeleteAll(ifaceList);
}

const QList<ExtendedNetworkInterface*>& IfManager::interfaces() const
{
    return ifaceList;
}

void IfManager::setProbeEndpoints(const ProbeEndpoints& endpoints)
{
    probe = endpoints;
}

ExtendedNetworkInterface* IfManager::findByIndex(int index) const
{
    for (ExtendedNetworkInterface* iface : ifaceList) {
        if (iface->index() == index)
            return iface;
    }
    return nullptr;
}

void IfManager::rescan()
{
    QList<ExtendedNetworkInterface*> changed;
    QSet<ExtendedNetworkInterface*> seen;
    for (const InterfaceReading& reading : source->interfaces()) {
        ExtendedNetworkInterface* entry = findByIndex(reading.index);
        if (!entry) {
            entry = new ExtendedNetworkInterface(reading);
            ifaceList << entry;
            seen << entry;
            if (entry->isUsable())
                changed << entry;
            qDebug() << "append new interface " << entry->humanReadableName() << entry->index();
            emit newIface(entry);
            continue;
        }
        seen << entry;
        const bool wasUsable = entry->isUsable();
        const QHostAddress oldAddress = entry->ipv4Address();
        *entry = reading;
        if (entry->isUsable() != wasUsable) {
            changed << entry;
        } else if (!oldAddress.isNull() && oldAddress != entry->ipv4Address()) {
            qDebug() << "IfManager:: rescan:  IPv4 changed during rescan!!";
            changed << entry;
        }
    }
    // An interface gone from the system's list can no longer carry a socket:
    // keep its entry (receivers hold its pointer) but report it down.
    for (ExtendedNetworkInterface* entry : qAsConst(ifaceList)) {
        if (seen.contains(entry) || !entry->isPresent())
            continue;
        if (entry->isUsable())
            changed << entry;
        entry->markVanished();
        qDebug() << "IfManager:: rescan: interface vanished" << entry->humanReadableName() << entry->index();
    }
    for (ExtendedNetworkInterface* entry : qAsConst(changed)) {
        const bool usable = entry->isUsable();
        qDebug() << "interface state changed " << entry->humanReadableName() << (usable ? "true" : "false");
        if (usable)
            emit ifUp(entry);
        else
            emit ifDown(entry);
    }
    emit rescaned();
}

void IfManager::lookedUp(QHostInfo info)
{
    hostInfo = info;
}

void IfManager::defaultRoute(QString& report)
{
    QList<RouteEntry> table;
    if (!source->routes(table)) {
        report += tr("Die Verbindungstabelle wurde nicht gefunden!");
        return;
    }
    qDebug("\tNumber of entries: %d\n", table.size());
    bool found = false;
    for (const RouteEntry& route : qAsConst(table)) {
        if (route.destination != 0)
            continue;
        found = true;
        report += tr("router: ") + QHostAddress(route.gateway).toString() + "<br>";
        defaultRouteIface = route.interfaceIndex > 0 ? findByIndex(route.interfaceIndex) : nullptr;
        report += tr("interface: ")
            + (defaultRouteIface ? defaultRouteIface->humanReadableName() : tr("unbekannt")) + "<br>";
    }
    if (!found)
        report += tr("Es wurde kein 'default' Eintrag gefunden!");
}

QString IfManager::answer(bool yes)
{
    if (yes)
        return "<font color=\"green\"><b>" + tr("JA") + "</b></font>";
    return "<font color=\"red\"><b>" + tr("NEIN") + "</b></font>";
}

// Looks up the web server's name, processing events while it waits.
bool IfManager::probeLookup(int limit)
{
    hostInfo = QHostInfo();     // a result of an earlier report must not count
    const int id = QHostInfo::lookupHost(probe.webHost, this, SLOT(lookedUp(QHostInfo)));
    const int slice = qMax(1, limit / 100);
    QElapsedTimer clock;
    clock.start();
    while (hostInfo.lookupId() != id && !clock.hasExpired(limit)) {
        QEventLoop loop;
        QTimer::singleShot(slice, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (hostInfo.lookupId() != id) {
        QHostInfo::abortHostLookup(id);
        return false;
    }
    return hostInfo.error() == QHostInfo::NoError;
}

bool IfManager::probeTcp(const QString& host, quint16 port, int limit, bool wait)
{
    if (!wait)
        return false;
    QTcpSocket socket;
    socket.connectToHost(host, port);
    const bool connected = socket.waitForConnected(limit);
    if (connected)
        socket.disconnectFromHost();
    socket.close();
    return connected;
}

bool IfManager::internetReport(QString& report, int limit)
{
    enum { NameResolved = 1, ResolverReached = 2, WebServerReached = 4 };
    int result = 0;
    report = "<html><b>" + tr("Internet Verbindungsübersicht") + "</b><br><br>";

    const bool resolved = probeLookup(limit);
    report += tr("Namensauflösung: ") + answer(resolved) + "<br>";
    if (resolved)
        result |= NameResolved;

    const bool resolverReached = probeTcp(probe.resolverHost, probe.resolverPort, limit, true);
    report += tr("Internet erreichbar: ") + answer(resolverReached) + "<br>";
    if (resolverReached)
        result |= ResolverReached;

    const bool webReached = probeTcp(probe.webHost, probe.webPort, limit, result & ResolverReached);
    report += tr("voll funktionsfähig: ") + answer(webReached);
    if (webReached)
        result |= WebServerReached;

    report += "<br><br>" + tr("Verbindungsdetails:") + "<br>";
    defaultRoute(report);
    if (result == NameResolved)
        report += "<br><br>" + tr("Es scheint, der Internetzugang ist durch <b>firewall und proxy</b> geschützt.");
    else if (result == ResolverReached)
        report += "<br><br>" + tr("Es scheint, der <b>Nameserver (DNS)</b> ist nicht oder falsch konfiguriert.");
    return result > (NameResolved | ResolverReached);
}
