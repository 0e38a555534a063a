// The Linux interface source inside the test's own network namespace: the
// loopback interface, a veth pair the test makes and removes, and the kernel's
// route table text.
#include "net/transport/IfManager.h"
#include "net/transport/LinuxInterfaceSource.h"

#include <QProcess>
#include <QtTest>

#include <unistd.h>

Q_DECLARE_METATYPE(QList<RouteEntry>)

namespace {

const char* const vethA = "vethifmA";
const char* const vethB = "vethifmB";

bool run(const QStringList& args)
{
    return QProcess::execute("ip", args) == 0;
}

// Only loopback and test links visible: this process has a namespace of its own.
bool inOwnNamespace()
{
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        const QString name = iface.name();
        if (name != "lo" && !name.startsWith("veth") && !name.startsWith("tap"))
            return false;
    }
    return true;
}

const ExtendedNetworkInterface* byName(const IfManager& manager, const QString& name)
{
    for (const ExtendedNetworkInterface* iface : manager.interfaces()) {
        if (iface->name() == name)
            return iface;
    }
    return nullptr;
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

const QByteArray header = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT"
                          "                                                       \n";

} // namespace

class TestLinuxInterfaceSource : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        if (QNetworkInterface::interfaceIndexFromName(vethA) > 0)
            run({"link", "del", vethA});
    }

    void parseRouteTable_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QList<RouteEntry>>("routes");

        QTest::newRow("default route present")
            << header + "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                        "eth0\t0001A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
            << true
            << QList<RouteEntry>{route("eth0", "0.0.0.0", "192.168.1.1", "0.0.0.0"),
                                 route("eth0", "192.168.1.0", "0.0.0.0", "255.255.255.0")};
        QTest::newRow("default route absent")
            << header + "veth0\t000210AC\t00000000\t0001\t0\t0\t0\t00F0FFFF\t0\t0\t0\n" << true
            << QList<RouteEntry>{route("veth0", "172.16.2.0", "0.0.0.0", "255.255.240.0")};
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
            QCOMPARE(table.at(i).interfaceName, routes.at(i).interfaceName);
            QCOMPARE(table.at(i).destination, routes.at(i).destination);
            QCOMPARE(table.at(i).gateway, routes.at(i).gateway);
            QCOMPARE(table.at(i).mask, routes.at(i).mask);
            QCOMPARE(table.at(i).interfaceIndex, 0);
        }
    }

    void loopbackOfTheNamespace()
    {
        IfManager manager;
        int ups = 0;
        connect(&manager, &IfManager::ifUp, [&ups] { ++ups; });
        manager.rescan();
        const ExtendedNetworkInterface* lo = byName(manager, "lo");
        QVERIFY(lo);
        QCOMPARE(lo->categoryName(), QString("Loopback"));
        QVERIFY(lo->isUsable());
        QVERIFY(lo->isMulticastCapable());
        QCOMPARE(lo->ipv4Address(), QHostAddress(QHostAddress::LocalHost));
        QVERIFY(ups >= 1);
    }

    void vethPairComesUpChangesAndVanishes()
    {
        if (geteuid() != 0)
            QSKIP("creating a veth pair needs root");
        if (!inOwnNamespace())
            QSKIP("not in a network namespace of its own");
        QVERIFY(run({"link", "add", vethA, "type", "veth", "peer", "name", vethB}));

        IfManager manager;
        QStringList events;
        const auto note = [&events](const char* what) {
            return [&events, what](const ExtendedNetworkInterface* i) { if (i->name() == vethA) events << what; };
        };
        connect(&manager, &IfManager::newIface, note("new"));
        connect(&manager, &IfManager::ifUp, note("up"));
        connect(&manager, &IfManager::ifDown, note("down"));
        manager.rescan();
        QCOMPARE(events, QStringList({"new"}));
        const ExtendedNetworkInterface* veth = byName(manager, vethA);
        QVERIFY(veth);
        QCOMPARE(veth->categoryName(), QString("LAN"));
        QVERIFY(!veth->isUsable());

        events.clear();
        QVERIFY(run({"addr", "add", "192.0.2.1/24", "dev", vethA}));
        QVERIFY(run({"link", "set", vethB, "up"}));
        QVERIFY(run({"link", "set", vethA, "up"}));
        QTRY_VERIFY((manager.rescan(), veth->isUsable()));
        QCOMPARE(events, QStringList({"up"}));
        QVERIFY(veth->isMulticastCapable());
        QCOMPARE(veth->ipv4Address(), QHostAddress("192.0.2.1"));

        events.clear();
        QVERIFY(run({"addr", "del", "192.0.2.1/24", "dev", vethA}));
        QVERIFY(run({"addr", "add", "192.0.2.2/24", "dev", vethA}));
        manager.rescan();
        QCOMPARE(events, QStringList({"up"}));
        QCOMPARE(veth->ipv4Address(), QHostAddress("192.0.2.2"));

        events.clear();
        QVERIFY(run({"link", "del", vethA}));
        manager.rescan();
        QCOMPARE(events, QStringList({"down"}));
        QCOMPARE(byName(manager, vethA), veth);
        QVERIFY(!veth->isUsable());
    }
};

QTEST_GUILESS_MAIN(TestLinuxInterfaceSource)
#include "tst_linuxinterfacesource.moc"
