// The interface manager: classification of each interface type, the signals
// of each rescan transition, the default route and internet reports, all
// against a hand-fed interface source; then the Linux source itself, its
// route table text and a veth pair in the test's own namespace.
#include "net/transport/IfManager.h"
#include "net/transport/LinuxInterfaceSource.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QtTest>

#include <unistd.h>

using Flags = QNetworkInterface::InterfaceFlags;
Q_DECLARE_METATYPE(QNetworkInterface::InterfaceFlags)
Q_DECLARE_METATYPE(QNetworkInterface::InterfaceType)
Q_DECLARE_METATYPE(QList<RouteEntry>)

namespace {

const Flags up = QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast
    | QNetworkInterface::CanMulticast;
const Flags loopback = QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::IsLoopBack;
const Flags pointToPoint = QNetworkInterface::IsUp | QNetworkInterface::IsRunning
    | QNetworkInterface::IsPointToPoint | QNetworkInterface::CanMulticast;

InterfaceReading reading(int index, const QString& name, int ifType, const QString& ipv4, Flags flags = up)
{
    InterfaceReading r;
    r.index = index;
    r.name = name;
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

// The interfaces a spec names: "eth0:192.0.2.1 wlan0: lo:127.0.0.1"; a
// trailing "!" leaves the interface not running.
QList<InterfaceReading> readings(const QString& spec)
{
    QList<InterfaceReading> list;
    for (const QString& item : spec.split(' ', Qt::SkipEmptyParts)) {
        const QString name = item.section(':', 0, 0);
        QString ipv4 = item.section(':', 1);
        const bool running = !ipv4.endsWith('!');
        ipv4.remove('!');
        const int index = name == "lo" ? 1 : name == "eth0" ? 2 : 3;
        const int type = name == "lo" ? 24 : name == "eth0" ? 6 : 71;
        const Flags flags = name == "lo" ? loopback : running ? up : Flags(QNetworkInterface::IsUp);
        list << reading(index, name, type, ipv4, flags);
    }
    return list;
}

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
};

// Every signal of a manager as "kind:name"; an interface going down while
// still usable shows as "down:name!".
QStringList* recordSignals(IfManager& manager, QStringList* events)
{
    const auto note = [events](const QString& kind) {
        return [events, kind](const ExtendedNetworkInterface* i) {
            *events << kind + i->name() + (kind == "down:" && i->isUsable() ? "!" : "");
        };
    };
    QObject::connect(&manager, &IfManager::newIface, note("new:"));
    QObject::connect(&manager, &IfManager::ifUp, note("up:"));
    QObject::connect(&manager, &IfManager::ifDown, note("down:"));
    QObject::connect(&manager, &IfManager::rescaned, [events] { *events << "rescaned"; });
    return events;
}

RouteEntry route(const QString& iface, const QString& destination, const QString& gateway, const QString& mask)
{
    RouteEntry r;
    r.interfaceName = iface;
    r.destination = QHostAddress(destination).toIPv4Address();
    r.gateway = QHostAddress(gateway).toIPv4Address();
    r.mask = QHostAddress(mask).toIPv4Address();
    return r;
}

bool ip(const QStringList& args) { return QProcess::execute("ip", args) == 0; }

} // namespace

class TestIfManager : public QObject
{
    Q_OBJECT

    FakeInterfaceSource* source = nullptr;
    std::unique_ptr<IfManager> manager;
    QStringList events;

    IfManager& makeManager(const QString& spec = QString())
    {
        auto owned = std::make_unique<FakeInterfaceSource>();
        source = owned.get();
        source->list = readings(spec);
        manager = std::make_unique<IfManager>(std::move(owned));
        manager->rescan();
        recordSignals(*manager, &events);
        events.clear();
        return *manager;
    }

private slots:
    void cleanup()
    {
        manager.reset();
        events.clear();
        if (QNetworkInterface::interfaceIndexFromName("vethifmA") > 0)
            ip({"link", "del", "vethifmA"});
    }

    // Through the Linux layer's type mapping, as the program sees them.
    void classification_data()
    {
        QTest::addColumn<QNetworkInterface::InterfaceType>("type");
        QTest::addColumn<Flags>("flags");
        QTest::addColumn<QString>("ipv4");
        QTest::addColumn<QString>("category");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<bool>("multicast");
        using I = QNetworkInterface;
        QTest::newRow("loopback") << I::Loopback << loopback << "127.0.0.1" << "Loopback" << true << true;
        QTest::newRow("ethernet") << I::Ethernet << up << "192.0.2.1" << "LAN" << true << true;
        QTest::newRow("ethernet without multicast flag")
            << I::Ethernet << Flags(I::IsUp | I::IsRunning) << "192.0.2.1" << "LAN" << true << false;
        QTest::newRow("ethernet point-to-point")
            << I::Ethernet << pointToPoint << "192.0.2.1" << "point-to-point" << true << false;
        QTest::newRow("ethernet down") << I::Ethernet << Flags(I::CanMulticast) << "192.0.2.1" << "LAN" << false
                                       << false;
        QTest::newRow("ethernet without IPv4") << I::Ethernet << up << "" << "LAN" << false << false;
        QTest::newRow("wifi") << I::Wifi << up << "192.0.2.1" << "WLAN" << true << true;
        QTest::newRow("ppp") << I::Ppp << pointToPoint << "192.0.2.1" << "Tunnel" << true << false;
        QTest::newRow("wimax") << I::Ieee80216 << up << "192.0.2.1" << "Mobile" << true << false;
        QTest::newRow("slip") << I::Slip << pointToPoint << "192.0.2.1" << "point-to-point" << true << false;
        QTest::newRow("unknown") << I::Unknown << up << "192.0.2.1" << "UNKNOWN" << true << true;
        QTest::newRow("unknown point-to-point") << I::Unknown << pointToPoint << "192.0.2.1" << "point-to-point"
                                                << true << false;
    }
    void classification()
    {
        QFETCH(QNetworkInterface::InterfaceType, type);
        QFETCH(Flags, flags);
        QFETCH(QString, ipv4);
        const ExtendedNetworkInterface iface(reading(3, "if3", LinuxInterfaceSource::ifTypeOf(type), ipv4, flags));
        QTEST(iface.categoryName(), "category");
        QTEST(iface.isUsable(), "usable");
        QTEST(iface.isMulticastCapable(), "multicast");
        QCOMPARE(iface.ipv4Address().isNull(), ipv4.isEmpty());
    }

    // Category numbers out of range, equality by index and reassignment.
    void identityIsTheIndex()
    {
        QCOMPARE(ExtendedNetworkInterface::categoryName(7), QString("UNKNOWN"));
        QCOMPARE(ExtendedNetworkInterface::categoryName(-1), QString("UNKNOWN"));
        ExtendedNetworkInterface iface(reading(4, "a", 6, "192.0.2.1"));
        QVERIFY(iface == ExtendedNetworkInterface(reading(4, "b", 71, "")));
        QVERIFY(iface != ExtendedNetworkInterface(reading(5, "a", 6, "192.0.2.1")));
        iface = reading(4, "a", 71, "192.0.2.1");
        QCOMPARE(iface.categoryName(), QString("LAN"));
        iface = reading(9, "a", 71, "192.0.2.1");
        QCOMPARE(iface.categoryName(), QString("WLAN"));
        QCOMPARE(iface.index(), 9);
    }

    void rescanTransitions_data()
    {
        QTest::addColumn<QStringList>("scans"); // the interfaces at each rescan after the first
        QTest::addColumn<QStringList>("signalled"); // at the last one
        QTest::newRow("new interfaces") << QStringList{"lo:127.0.0.1 eth0: wlan0:192.0.2.9"}
            << QStringList{"new:lo", "new:eth0", "new:wlan0", "up:lo", "up:wlan0", "rescaned"};
        QTest::newRow("unchanged") << QStringList{"eth0:192.0.2.1", "eth0:192.0.2.1"} << QStringList{"rescaned"};
        QTest::newRow("address comes") << QStringList{"eth0:", "eth0:192.0.2.1"}
                                       << QStringList{"up:eth0", "rescaned"};
        QTest::newRow("address goes") << QStringList{"eth0:192.0.2.1", "eth0:"}
                                      << QStringList{"down:eth0", "rescaned"};
        QTest::newRow("not running") << QStringList{"eth0:", "eth0:192.0.2.1!"} << QStringList{"rescaned"};
        QTest::newRow("running again") << QStringList{"eth0:192.0.2.1!", "eth0:192.0.2.1"}
                                       << QStringList{"up:eth0", "rescaned"};
        QTest::newRow("address changes") << QStringList{"eth0:192.0.2.1", "eth0:192.0.2.2"}
                                         << QStringList{"up:eth0", "rescaned"};
        QTest::newRow("vanish") << QStringList{"eth0:192.0.2.1 wlan0:", ""} << QStringList{"down:eth0", "rescaned"};
        QTest::newRow("stay away") << QStringList{"eth0:192.0.2.1", "", ""} << QStringList{"rescaned"};
        QTest::newRow("come back") << QStringList{"eth0:192.0.2.1 wlan0:", "", "eth0:192.0.2.1"}
                                   << QStringList{"up:eth0", "rescaned"};
    }
    void rescanTransitions()
    {
        QFETCH(QStringList, scans);
        IfManager& m = makeManager();
        for (const QString& scan : scans) {
            events.clear();
            source->list = readings(scan);
            m.rescan();
        }
        QTEST(events, "signalled");
        // Entries are kept, once each, and follow the last scan.
        const QString last = scans.last();
        QCOMPARE(m.interfaces().size(), scans.first().count(':'));
        for (const ExtendedNetworkInterface* iface : m.interfaces()) {
            const QString item = last.section(iface->name() + ':', 1).section(' ', 0, 0);
            QCOMPARE(iface->isPresent(), last.contains(iface->name()));
            QCOMPARE(iface->isUsable(), item.contains('.') && !item.endsWith('!'));
            QCOMPARE(iface->isMulticastCapable(), iface->isUsable());
            if (iface->isUsable())
                QCOMPARE(iface->ipv4Address(), QHostAddress(item));
        }
    }

    void timerAndQueuedRequestRescan()
    {
        IfManager& m = makeManager();
        QTimer* timer = m.findChild<QTimer*>();
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 5000);
        QVERIFY(QMetaObject::invokeMethod(&m, "rescan", Qt::QueuedConnection));
        QVERIFY(events.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(events, QStringList({"rescaned"}));
        source->list = readings("eth0:192.0.2.1");
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QCOMPARE(events, QStringList({"rescaned", "new:eth0", "up:eth0", "rescaned"}));
    }

    void defaultRoute_data()
    {
        QTest::addColumn<bool>("readable");
        QTest::addColumn<int>("destination");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");
        QTest::newRow("table unreadable") << false << 0 << 0 << "Die Verbindungstabelle wurde nicht gefunden!";
        QTest::newRow("no default route") << true << 0x0a000000 << 2 << "Es wurde kein 'default' Eintrag gefunden!";
        QTest::newRow("default route") << true << 0 << 2 << "router: 192.0.2.254<br>interface: eth0<br>";
        QTest::newRow("unknown interface") << true << 0 << 9 << "router: 192.0.2.254<br>interface: unbekannt<br>";
    }
    void defaultRoute()
    {
        QFETCH(bool, readable);
        QFETCH(int, destination);
        QFETCH(int, index);
        IfManager& m = makeManager("eth0:192.0.2.1");
        source->routesReadable = readable;
        RouteEntry route;
        route.destination = quint32(destination);
        route.gateway = QHostAddress("192.0.2.254").toIPv4Address();
        route.interfaceIndex = index;
        source->table << route;
        QString report = "before:";
        m.defaultRoute(report);
        QFETCH(QString, expected);
        QCOMPARE(report, "before:" + expected);
    }

    // Probed against listeners on the loopback only.
    void internetReport_data()
    {
        QTest::addColumn<QString>("webHost");
        QTest::addColumn<bool>("webOpen");
        QTest::addColumn<bool>("resolverOpen");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("advice");
        QTest::newRow("everything reached") << "localhost" << true << true << "+++" << "";
        QTest::newRow("web server refuses") << "localhost" << false << true << "++-" << "";
        QTest::newRow("only the name resolves")
            << "localhost" << true << false << "+--"
            << "<br><br>Es scheint, der Internetzugang ist durch <b>firewall und proxy</b> geschützt.";
        QTest::newRow("name lookup fails")
            << "" << true << true << "-+-"
            << "<br><br>Es scheint, der <b>Nameserver (DNS)</b> ist nicht oder falsch konfiguriert.";
        QTest::newRow("nothing reached") << "" << false << false << "---" << "";
    }
    void internetReport()
    {
        QFETCH(QString, webHost);
        QFETCH(bool, webOpen);
        QFETCH(bool, resolverOpen);
        QFETCH(QString, answers);
        QFETCH(QString, advice);
        QTcpServer server;
        QTcpServer closed;
        QVERIFY(server.listen(QHostAddress::LocalHost) && closed.listen(QHostAddress::LocalHost));
        const quint16 refused = closed.serverPort();
        closed.close();
        IfManager& m = makeManager("lo:127.0.0.1");
        RouteEntry route;
        route.gateway = QHostAddress("127.0.0.2").toIPv4Address();
        route.interfaceIndex = 1;
        source->table << route;
        IfManager::ProbeEndpoints endpoints;
        endpoints.webHost = webHost;
        endpoints.webPort = webOpen ? server.serverPort() : refused;
        endpoints.resolverHost = "127.0.0.1";
        endpoints.resolverPort = resolverOpen ? server.serverPort() : refused;
        m.setProbeEndpoints(endpoints);

        QString text = "replaced";
        QCOMPARE(m.internetReport(text, 5000), answers == "+++");
        QStringList said;
        for (const QChar answer : answers)
            said << (answer == '+' ? "<font color=\"green\"><b>JA</b></font>" : "<font color=\"red\"><b>NEIN</b></font>");
        QCOMPARE(text, "<html><b>Internet Verbindungsübersicht</b><br><br>Namensauflösung: " + said[0]
                           + "<br>Internet erreichbar: " + said[1] + "<br>voll funktionsfähig: " + said[2]
                           + "<br><br>Verbindungsdetails:<br>router: 127.0.0.2<br>interface: lo<br>" + advice);
    }

    void parseRouteTable_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QList<RouteEntry>>("routes");
        const QByteArray header = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT"
                                  "                                                       \n";
        QTest::newRow("two routes")
            << header + "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                        "veth0\t000210AC\t00000000\t0001\t0\t0\t0\t00F0FFFF\t0\t0\t0\n"
            << true
            << QList<RouteEntry>{route("eth0", "0.0.0.0", "192.168.1.1", "0.0.0.0"),
                                 route("veth0", "172.16.2.0", "0.0.0.0", "255.255.240.0")};
        QTest::newRow("header only") << header << true << QList<RouteEntry>();
        QTest::newRow("empty") << QByteArray() << false << QList<RouteEntry>();
        QTest::newRow("not a route table") << QByteArray("Inter-|   Receive\n face |bytes\n") << false
                                           << QList<RouteEntry>();
        QTest::newRow("malformed rows skipped")
            << header + "eth0\t0000000G\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                        "eth0\t00000000\n"
                        "eth0\t000000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                        "eth0\t-0000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                        "\n"
                        "eth1\t00000000\t0201A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0"
            << true << QList<RouteEntry>{route("eth1", "0.0.0.0", "192.168.1.2", "0.0.0.0")};
    }
    void parseRouteTable()
    {
#if Q_BYTE_ORDER != Q_LITTLE_ENDIAN
        QSKIP("the samples are written as a little-endian kernel writes them");
#endif
        QFETCH(QByteArray, text);
        QFETCH(QList<RouteEntry>, routes);
        QList<RouteEntry> table{route("stale", "1.2.3.4", "1.2.3.4", "1.2.3.4")};
        QTEST(LinuxInterfaceSource::parseRouteTable(text, table), "valid");
        QCOMPARE(table.size(), routes.size());
        for (int i = 0; i < routes.size(); ++i) {
            const RouteEntry& r = table.at(i);
            QCOMPARE(QVariantList({r.interfaceName, r.destination, r.gateway, r.mask, r.interfaceIndex}),
                     QVariantList({routes[i].interfaceName, routes[i].destination, routes[i].gateway, routes[i].mask, 0}));
        }
    }

    // The Linux source in this process's own namespace: the loopback, and a
    // veth pair that comes up, changes its address and vanishes.
    void linuxSourceFollowsAVethPair()
    {
        for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces())
            if (geteuid() != 0 || !QRegularExpression("^(lo|veth.*|tap.*)$").match(iface.name()).hasMatch())
                QSKIP("needs root in a network namespace of its own");
        QVERIFY(ip({"link", "add", "vethifmA", "type", "veth", "peer", "name", "vethifmB"}));
        IfManager manager;
        recordSignals(manager, &events);
        manager.rescan();
        const auto byName = [&manager](const QString& name) {
            for (const ExtendedNetworkInterface* iface : manager.interfaces())
                if (iface->name() == name)
                    return iface;
            return static_cast<const ExtendedNetworkInterface*>(nullptr);
        };
        QVERIFY(events.contains("new:vethifmA") && events.contains("up:lo") && !events.contains("up:vethifmA"));
        QCOMPARE(byName("lo")->categoryName(), QString("Loopback"));
        QCOMPARE(byName("lo")->ipv4Address(), QHostAddress(QHostAddress::LocalHost));
        const ExtendedNetworkInterface* veth = byName("vethifmA");
        QCOMPARE(veth->categoryName(), QString("LAN"));

        events.clear();
        QVERIFY(ip({"addr", "add", "192.0.2.1/24", "dev", "vethifmA"}) && ip({"link", "set", "vethifmB", "up"})
                && ip({"link", "set", "vethifmA", "up"}));
        QTRY_VERIFY((manager.rescan(), veth->isUsable()));
        QVERIFY(events.contains("up:vethifmA"));
        QVERIFY(veth->isMulticastCapable());
        QCOMPARE(veth->ipv4Address(), QHostAddress("192.0.2.1"));

        events.clear();
        QVERIFY(ip({"link", "del", "vethifmA"}));
        manager.rescan();
        QVERIFY(events.contains("down:vethifmA"));
        QCOMPARE(byName("vethifmA"), veth);
    }
};

QTEST_GUILESS_MAIN(TestIfManager)
#include "tst_ifmanager.moc"
