// The interface manager: classification and the signals of each rescan, fed
// by hand; the internet report from a route table file and loopback probes;
// the Linux source following a veth pair in the test's own namespace.
#include "net/transport/IfManager.h"
#include "net/transport/LinuxInterfaceSource.h"

#include <QProcess>
#include <QTcpServer>
#include <QtTest>

#include <unistd.h>

using Flags = QNetworkInterface::InterfaceFlags;
Q_DECLARE_METATYPE(QNetworkInterface::InterfaceFlags)
Q_DECLARE_METATYPE(QNetworkInterface::InterfaceType)

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
    QNetworkAddressEntry entry; // a null address for an empty text
    entry.setIp(QHostAddress(ipv4));
    r.addressEntries << entry;
    return r;
}

// Hands out the interfaces a spec names: "eth0:192.0.2.1 wlan0: lo:127.0.0.1";
// a trailing "!" leaves the interface not running.
class FakeInterfaceSource : public InterfaceSource
{
public:
    QString spec;

    bool routes(QList<RouteEntry>&) override { return false; }
    QList<InterfaceReading> interfaces() override
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
};

// Every signal of a manager as "kind:name".
void recordSignals(IfManager& manager, QStringList* events)
{
    const auto note = [events](const QString& kind) {
        return [events, kind](const ExtendedNetworkInterface* i) { *events << kind + i->name(); };
    };
    QObject::connect(&manager, &IfManager::newIface, note("new:"));
    QObject::connect(&manager, &IfManager::ifUp, note("up:"));
    QObject::connect(&manager, &IfManager::ifDown, note("down:"));
    QObject::connect(&manager, &IfManager::rescaned, [events] { *events << "rescaned"; });
}

bool ip(const QStringList& args) { return QProcess::execute("ip", args) == 0; }

} // namespace

class TestIfManager : public QObject
{
    Q_OBJECT

private slots:
    // Through the Linux layer's type mapping, as the program sees them.
    void classification_data()
    {
        QTest::addColumn<QNetworkInterface::InterfaceType>("type");
        QTest::addColumn<Flags>("flags");
        QTest::addColumn<QString>("expected");
        using I = QNetworkInterface;
        QTest::newRow("loopback") << I::Loopback << loopback << "Loopback usable multicast";
        QTest::newRow("ethernet") << I::Ethernet << up << "LAN usable multicast";
        QTest::newRow("ethernet without multicast") << I::Ethernet << Flags(I::IsUp | I::IsRunning) << "LAN usable";
        QTest::newRow("ethernet point-to-point") << I::Ethernet << pointToPoint << "point-to-point usable";
        QTest::newRow("wifi") << I::Wifi << up << "WLAN usable multicast";
        QTest::newRow("ppp") << I::Ppp << pointToPoint << "Tunnel usable";
        QTest::newRow("wimax") << I::Ieee80216 << up << "Mobile usable";
        QTest::newRow("virtual") << I::Virtual << up << "Tunnel usable";
        QTest::newRow("unknown") << I::Unknown << up << "UNKNOWN usable multicast";
    }
    void classification()
    {
        QFETCH(QNetworkInterface::InterfaceType, type);
        QFETCH(Flags, flags);
        const ExtendedNetworkInterface iface(reading(3, "if3", LinuxInterfaceSource::ifTypeOf(type), "192.0.2.1", flags));
        QTEST(iface.categoryName() + (iface.isUsable() ? " usable" : "") + (iface.isMulticastCapable() ? " multicast" : ""),
              "expected");
    }

    void rescanTransitions_data()
    {
        QTest::addColumn<QStringList>("scans"); // the interfaces at each rescan
        QTest::addColumn<QStringList>("signalled"); // at the last one
        QTest::newRow("new interfaces") << QStringList{"lo:127.0.0.1 eth0: wlan0:192.0.2.9"}
            << QStringList{"new:lo", "new:eth0", "new:wlan0", "up:lo", "up:wlan0", "rescaned"};
        QTest::newRow("address comes") << QStringList{"eth0:", "eth0:192.0.2.1"}
                                       << QStringList{"up:eth0", "rescaned"};
        QTest::newRow("address goes") << QStringList{"eth0:192.0.2.1", "eth0:"}
                                      << QStringList{"down:eth0", "rescaned"};
        QTest::newRow("not running") << QStringList{"eth0:", "eth0:192.0.2.1!"} << QStringList{"rescaned"};
        QTest::newRow("address changes") << QStringList{"eth0:192.0.2.1", "eth0:192.0.2.2"}
                                         << QStringList{"up:eth0", "rescaned"};
        QTest::newRow("vanish") << QStringList{"eth0:192.0.2.1 wlan0:", ""} << QStringList{"down:eth0", "rescaned"};
        QTest::newRow("come back") << QStringList{"eth0:192.0.2.1 wlan0:", "", "eth0:192.0.2.1"}
                                   << QStringList{"up:eth0", "rescaned"};
    }
    void rescanTransitions()
    {
        QFETCH(QStringList, scans);
        auto owned = std::make_unique<FakeInterfaceSource>();
        FakeInterfaceSource* source = owned.get();
        IfManager m(std::move(owned));
        QStringList events;
        recordSignals(m, &events);
        QTimer* timer = m.findChild<QTimer*>();
        QVERIFY(timer->isActive());
        for (const QString& scan : scans) {
            events.clear();
            source->spec = scan;
            QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        }
        QTEST(events, "signalled");
        // Entries are kept, once each, and follow the last scan.
        const QString last = scans.last();
        QCOMPARE(m.interfaces().size(), scans.first().count(':'));
        for (const ExtendedNetworkInterface* iface : m.interfaces()) {
            const QString item = last.section(iface->name() + ':', 1).section(' ', 0, 0);
            QCOMPARE(iface->isPresent(), last.contains(iface->name()));
            QCOMPARE(iface->isUsable(), item.contains('.') && !item.endsWith('!'));
            if (iface->isUsable())
                QCOMPARE(iface->ipv4Address(), QHostAddress(item));
        }
    }

    // The route table as the kernel writes it (on a little-endian machine),
    // and probes of listeners on the loopback.
    void internetReport_data()
    {
        QTest::addColumn<QByteArray>("routes"); // null: no table at all
        QTest::addColumn<QString>("reachable"); // the probes that answer
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("details");
        const QByteArray header = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT"
                                  "                                                       \n";
        const QByteArray viaLo = "lo\t00000000\t0200007F\t0003\t0\t0\t100\t00000000\t0\t0\t0\n";
        const QString loDetails = "router: 127.0.0.2<br>interface: lo<br>";
        QTest::newRow("everything reached") << header + viaLo << "name resolver web" << "+++" << loDetails;
        QTest::newRow("web server refuses")
            << header + "veth0\t000210AC\t00000000\t0001\t0\t0\t0\t00F0FFFF\t0\t0\t0\n" + viaLo << "name resolver"
            << "++-" << loDetails;
        QTest::newRow("only the name resolves")
            << header + "eth0\t0000000G\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                        "eth0\t00000000\n"
                        "eth0\t000000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                        "eth0\t-0000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                        "eth1\t00000000\t0201A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0"
            << "name web" << "+--"
            << "router: 192.168.1.2<br>interface: unbekannt<br><br><br>Es scheint, der Internetzugang ist durch "
               "<b>firewall und proxy</b> geschützt.";
        QTest::newRow("name lookup fails")
            << header << "resolver web" << "-+-"
            << "Es wurde kein 'default' Eintrag gefunden!<br><br>Es scheint, der <b>Nameserver (DNS)</b> ist nicht "
               "oder falsch konfiguriert.";
        QTest::newRow("no route table") << QByteArray() << "" << "---" << "Die Verbindungstabelle wurde nicht gefunden!";
        QTest::newRow("not a route table") << QByteArray("Inter-|   Receive\n face |bytes\n") << "" << "---"
                                           << "Die Verbindungstabelle wurde nicht gefunden!";
    }
    void internetReport()
    {
        QFETCH(QByteArray, routes);
        QFETCH(QString, reachable);
        QFETCH(QString, answers);
        QFETCH(QString, details);
        QTemporaryDir dir;
        QFile table(dir.filePath("route"));
        QVERIFY(routes.isNull() || (table.open(QIODevice::WriteOnly) && table.write(routes) == routes.size()));
        table.close();
        QTcpServer server;
        QTcpServer closed;
        QVERIFY(server.listen(QHostAddress::LocalHost) && closed.listen(QHostAddress::LocalHost));
        const quint16 refused = closed.serverPort();
        closed.close();
        IfManager m(std::make_unique<LinuxInterfaceSource>(table.fileName()));
        m.rescan();
        IfManager::ProbeEndpoints endpoints;
        endpoints.webHost = reachable.contains("name") ? "localhost" : "";
        endpoints.webPort = reachable.contains("web") ? server.serverPort() : refused;
        endpoints.resolverHost = "127.0.0.1";
        endpoints.resolverPort = reachable.contains("resolver") ? server.serverPort() : refused;
        m.setProbeEndpoints(endpoints);

        QString text = "replaced";
        QCOMPARE(m.internetReport(text, 5000), answers == "+++");
        QStringList said;
        for (const QChar answer : answers)
            said << (answer == '+' ? "<font color=\"green\"><b>JA</b></font>" : "<font color=\"red\"><b>NEIN</b></font>");
        QCOMPARE(text, "<html><b>Internet Verbindungsübersicht</b><br><br>Namensauflösung: " + said[0]
                           + "<br>Internet erreichbar: " + said[1] + "<br>voll funktionsfähig: " + said[2]
                           + "<br><br>Verbindungsdetails:<br>" + details);
    }

    // The Linux source in this process's own namespace: a veth pair that comes
    // up with an address, then vanishes.
    void linuxSourceFollowsAVethPair()
    {
        for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces())
            if (geteuid() != 0 || !QRegularExpression("^(lo|veth.*|tap.*)$").match(iface.name()).hasMatch())
                QSKIP("needs root in a network namespace of its own");
        IfManager manager;
        QStringList events;
        recordSignals(manager, &events);
        QVERIFY(ip({"link", "add", "vethifmA", "type", "veth", "peer", "name", "vethifmB"}));
        QVERIFY(ip({"addr", "add", "192.0.2.1/24", "dev", "vethifmA"}) && ip({"link", "set", "vethifmB", "up"})
                && ip({"link", "set", "vethifmA", "up"}));
        QTRY_VERIFY((manager.rescan(), events.contains("up:vethifmA")));
        const ExtendedNetworkInterface* veth = *std::find_if(manager.interfaces().begin(), manager.interfaces().end(),
            [](const ExtendedNetworkInterface* iface) { return iface->name() == "vethifmA"; });
        QCOMPARE(veth->categoryName(), QString("LAN"));
        QVERIFY(veth->isMulticastCapable());
        QCOMPARE(veth->ipv4Address(), QHostAddress("192.0.2.1"));
        QVERIFY(ip({"link", "del", "vethifmA"}));
        manager.rescan();
        QVERIFY(events.contains("down:vethifmA") && !veth->isPresent());
    }
};

QTEST_GUILESS_MAIN(TestIfManager)
#include "tst_ifmanager.moc"
