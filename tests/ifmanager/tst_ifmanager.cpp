// The interface manager with a hand-fed interface source: classification of
// every interface type, the signals of each rescan transition and the default
// route report.
#include "net/transport/IfManager.h"
#include "net/transport/LinuxInterfaceSource.h"
#include "tests/ifmanager/FakeInterfaceSource.h"

#include <QtTest>

using Flags = QNetworkInterface::InterfaceFlags;
Q_DECLARE_METATYPE(QNetworkInterface::InterfaceFlags)
Q_DECLARE_METATYPE(QNetworkInterface::InterfaceType)

namespace {

const Flags up = FakeInterfaceSource::upFlags;
const Flags loopback = QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::IsLoopBack;
const Flags pointToPoint = QNetworkInterface::IsUp | QNetworkInterface::IsRunning
    | QNetworkInterface::IsPointToPoint | QNetworkInterface::CanMulticast;

// Records every signal of a manager as "kind:name" in the order they came.
struct SignalLog
{
    QStringList events;
    explicit SignalLog(IfManager& manager)
    {
        const auto note = [this](const QString& kind) {
            return [this, kind](const ExtendedNetworkInterface* i) { events << kind + i->name(); };
        };
        QObject::connect(&manager, &IfManager::newIface, note("new:"));
        QObject::connect(&manager, &IfManager::ifUp, note("up:"));
        QObject::connect(&manager, &IfManager::ifDown, note("down:"));
        QObject::connect(&manager, &IfManager::rescaned, [this] { events << "rescaned"; });
    }
    QStringList take()
    {
        QStringList taken = events;
        events.clear();
        return taken;
    }
};

} // namespace

class TestIfManager : public QObject
{
    Q_OBJECT

    FakeInterfaceSource* source = nullptr;
    std::unique_ptr<IfManager> manager;

    IfManager& makeManager()
    {
        auto owned = std::make_unique<FakeInterfaceSource>();
        source = owned.get();
        manager = std::make_unique<IfManager>(std::move(owned));
        return *manager;
    }

private slots:
    void cleanup()
    {
        manager.reset();
        source = nullptr;
    }

    void classification_data()
    {
        QTest::addColumn<int>("ifType");
        QTest::addColumn<Flags>("flags");
        QTest::addColumn<QString>("ipv4");
        QTest::addColumn<int>("medium");
        QTest::addColumn<bool>("tunnel");
        QTest::addColumn<QString>("category");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<bool>("multicast");

        QTest::newRow("ethernet") << 6 << up << "192.0.2.1" << 1 << false << "LAN" << true << true;
        QTest::newRow("ethernet without multicast flag")
            << 6 << Flags(QNetworkInterface::IsUp | QNetworkInterface::IsRunning) << "192.0.2.1" << 1 << false
            << "LAN" << true << false;
        QTest::newRow("ppp") << 23 << pointToPoint << "192.0.2.1" << 3 << true << "Tunnel" << true << false;
        QTest::newRow("loopback") << 24 << loopback << "127.0.0.1" << 0 << false << "Loopback" << true << true;
        QTest::newRow("wlan") << 71 << up << "192.0.2.1" << 2 << false << "WLAN" << true << true;
        QTest::newRow("unlisted type") << 1 << up << "192.0.2.1" << 6 << false << "Mobile" << true << false;
        QTest::newRow("ethernet point-to-point")
            << 6 << pointToPoint << "192.0.2.1" << 1 << false << "point-to-point" << true << false;
        QTest::newRow("type unknown, flags only")
            << 0 << up << "192.0.2.1" << 0 << false << "UNKNOWN" << true << true;
        QTest::newRow("ethernet down") << 6 << Flags(QNetworkInterface::CanMulticast) << "192.0.2.1" << 1 << false
                                       << "LAN" << false << false;
        QTest::newRow("ethernet without IPv4") << 6 << up << "" << 1 << false << "LAN" << false << false;
    }

    void classification()
    {
        QFETCH(int, ifType);
        QFETCH(Flags, flags);
        QFETCH(QString, ipv4);

        const ExtendedNetworkInterface iface(FakeInterfaceSource::reading(3, "if3", ifType, ipv4, flags));
        QTEST(iface.medium(), "medium");
        QTEST(iface.isTunnel(), "tunnel");
        QTEST(iface.categoryName(), "category");
        QTEST(iface.isUsable(), "usable");
        QTEST(iface.isMulticastCapable(), "multicast");
        QCOMPARE(iface.ipv4Address().isNull(), !ipv4.contains('.'));
    }

    // The Linux layer gives every interface type of the namespace an IANA type.
    void linuxTypes_data()
    {
        QTest::addColumn<QNetworkInterface::InterfaceType>("type");
        QTest::addColumn<Flags>("flags");
        QTest::addColumn<QString>("category");
        QTest::addColumn<bool>("multicast");

        QTest::newRow("Loopback") << QNetworkInterface::Loopback << loopback << "Loopback" << true;
        QTest::newRow("Ethernet") << QNetworkInterface::Ethernet << up << "LAN" << true;
        QTest::newRow("Wifi") << QNetworkInterface::Wifi << up << "WLAN" << true;
        QTest::newRow("Ppp") << QNetworkInterface::Ppp << pointToPoint << "Tunnel" << false;
        QTest::newRow("Ieee80216") << QNetworkInterface::Ieee80216 << up << "Mobile" << false;
        QTest::newRow("Slip") << QNetworkInterface::Slip << pointToPoint << "point-to-point" << false;
        QTest::newRow("Unknown") << QNetworkInterface::Unknown << up << "UNKNOWN" << true;
        QTest::newRow("Unknown point-to-point") << QNetworkInterface::Unknown << pointToPoint << "point-to-point"
                                                << false;
    }

    void linuxTypes()
    {
        QFETCH(QNetworkInterface::InterfaceType, type);
        QFETCH(Flags, flags);
        const ExtendedNetworkInterface iface(
            FakeInterfaceSource::reading(2, "x", LinuxInterfaceSource::ifTypeOf(type), "192.0.2.7", flags));
        QTEST(iface.categoryName(), "category");
        QTEST(iface.isMulticastCapable(), "multicast");
    }

    // Category numbers out of range, equality by index and reassignment.
    void identityIsTheIndex()
    {
        QCOMPARE(ExtendedNetworkInterface::categoryName(7), QString("UNKNOWN"));
        QCOMPARE(ExtendedNetworkInterface::categoryName(-1), QString("UNKNOWN"));
        ExtendedNetworkInterface iface(FakeInterfaceSource::reading(4, "a", 6, "192.0.2.1"));
        QVERIFY(iface == ExtendedNetworkInterface(FakeInterfaceSource::reading(4, "b", 71, "")));
        QVERIFY(iface != ExtendedNetworkInterface(FakeInterfaceSource::reading(5, "a", 6, "192.0.2.1")));
        QCOMPARE(iface.categoryName(), QString("LAN"));
        iface = FakeInterfaceSource::reading(4, "a", 71, "192.0.2.1");
        QCOMPARE(iface.categoryName(), QString("LAN"));
        iface = FakeInterfaceSource::reading(9, "a", 71, "192.0.2.1");
        QCOMPARE(iface.categoryName(), QString("WLAN"));
        QCOMPARE(iface.index(), 9);
    }

    void timerAndQueuedRequestRescan()
    {
        IfManager& m = makeManager();
        QTimer* timer = m.findChild<QTimer*>();
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 5000);
        SignalLog log(m);
        QVERIFY(QMetaObject::invokeMethod(&m, "rescan", Qt::QueuedConnection));
        QVERIFY(log.take().isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(log.take(), QStringList({"rescaned"}));
        source->list << FakeInterfaceSource::reading(2, "eth0", 6, "192.0.2.1");
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QCOMPARE(log.take(), QStringList({"new:eth0", "up:eth0", "rescaned"}));
    }

    void newInterfaces()
    {
        IfManager& m = makeManager();
        SignalLog log(m);
        source->list << FakeInterfaceSource::reading(1, "lo", 24, "127.0.0.1", loopback)
                     << FakeInterfaceSource::reading(2, "eth0", 6, "")
                     << FakeInterfaceSource::reading(3, "wlan0", 71, "192.0.2.9");
        m.rescan();
        // Every new interface is announced; only usable ones come up.
        QCOMPARE(log.take(), QStringList({"new:lo", "new:eth0", "new:wlan0", "up:lo", "up:wlan0", "rescaned"}));
        QCOMPARE(m.interfaces().size(), 3);
        QCOMPARE(m.interfaces().at(1)->name(), QString("eth0"));

        m.rescan();
        QCOMPARE(log.take(), QStringList({"rescaned"}));
    }

    void upAndDownFollowTheIpv4Address()
    {
        IfManager& m = makeManager();
        source->list << FakeInterfaceSource::reading(2, "eth0", 6, "");
        m.rescan();
        const ExtendedNetworkInterface* eth0 = m.interfaces().value(0);
        SignalLog log(m);

        source->list[0] = FakeInterfaceSource::reading(2, "eth0", 6, "192.0.2.1");
        m.rescan();
        QCOMPARE(log.take(), QStringList({"up:eth0", "rescaned"}));
        QVERIFY(eth0->isUsable());

        source->list[0] = FakeInterfaceSource::reading(2, "eth0", 6, "");
        m.rescan();
        QCOMPARE(log.take(), QStringList({"down:eth0", "rescaned"}));
        QVERIFY(!eth0->isUsable());

        source->list[0] = FakeInterfaceSource::reading(2, "eth0", 6, "192.0.2.1", Flags(QNetworkInterface::IsUp));
        m.rescan();
        QCOMPARE(log.take(), QStringList({"rescaned"}));

        source->list[0] = FakeInterfaceSource::reading(2, "eth0", 6, "192.0.2.1");
        m.rescan();
        QCOMPARE(log.take(), QStringList({"up:eth0", "rescaned"}));
        QCOMPARE(m.interfaces().size(), 1);
        QCOMPARE(m.interfaces().at(0), eth0);

        source->list[0] = FakeInterfaceSource::reading(2, "eth0", 6, "192.0.2.2");   // a changed address
        m.rescan();
        QCOMPARE(log.take(), QStringList({"up:eth0", "rescaned"}));
        QCOMPARE(eth0->ipv4Address(), QHostAddress("192.0.2.2"));
    }

    void vanishedInterfaceGoesDownAndComesBack()
    {
        IfManager& m = makeManager();
        source->list << FakeInterfaceSource::reading(2, "eth0", 6, "192.0.2.1")
                     << FakeInterfaceSource::reading(3, "eth1", 6, "");
        m.rescan();
        const ExtendedNetworkInterface* eth0 = m.interfaces().at(0);
        SignalLog log(m);
        bool usableAtSignal = true;
        connect(&m, &IfManager::ifDown, [&](const ExtendedNetworkInterface* i) { usableAtSignal = i->isUsable(); });

        source->list.clear();
        m.rescan();
        // Only the usable one is reported, already unusable; both entries stay.
        QCOMPARE(log.take(), QStringList({"down:eth0", "rescaned"}));
        QVERIFY(!usableAtSignal);
        QCOMPARE(m.interfaces().size(), 2);
        QCOMPARE(m.interfaces().at(0), eth0);
        QVERIFY(!eth0->isPresent());
        QVERIFY(!eth0->isMulticastCapable());

        m.rescan();
        QCOMPARE(log.take(), QStringList({"rescaned"}));

        source->list << FakeInterfaceSource::reading(2, "eth0", 6, "192.0.2.1");
        m.rescan();
        QCOMPARE(log.take(), QStringList({"up:eth0", "rescaned"}));
        QVERIFY(eth0->isUsable());
        QCOMPARE(m.interfaces().size(), 2);
    }

    void defaultRoute_data()
    {
        QTest::addColumn<bool>("readable");
        QTest::addColumn<int>("routeDestination");
        QTest::addColumn<int>("routeIndex");
        QTest::addColumn<QString>("expected");

        QTest::newRow("table unreadable") << false << 0 << 0 << "Die Verbindungstabelle wurde nicht gefunden!";
        QTest::newRow("no default route") << true << 0x0a000000 << 2 << "Es wurde kein 'default' Eintrag gefunden!";
        QTest::newRow("default route") << true << 0 << 2 << "router: 192.0.2.254<br>interface: eth0<br>";
        QTest::newRow("default route, unknown interface") << true << 0 << 9
                                                          << "router: 192.0.2.254<br>interface: unbekannt<br>";
        QTest::newRow("default route, no interface") << true << 0 << 0
                                                     << "router: 192.0.2.254<br>interface: unbekannt<br>";
    }

    void defaultRoute()
    {
        QFETCH(bool, readable);
        QFETCH(int, routeDestination);
        QFETCH(int, routeIndex);
        IfManager& m = makeManager();
        source->list << FakeInterfaceSource::reading(2, "eth0", 6, "192.0.2.1");
        m.rescan();
        source->routesReadable = readable;
        RouteEntry route;
        route.destination = quint32(routeDestination);
        route.gateway = QHostAddress("192.0.2.254").toIPv4Address();
        route.interfaceIndex = routeIndex;
        source->table << route;

        QString report = "before:";
        m.defaultRoute(report);
        QFETCH(QString, expected);
        QCOMPARE(report, "before:" + expected);
    }
};

QTEST_GUILESS_MAIN(TestIfManager)
#include "tst_ifmanager.moc"
