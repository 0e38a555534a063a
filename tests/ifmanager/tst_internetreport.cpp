// The internet-connection report, probed against listeners on loopback only:
// its probe endpoints are replaced before every report.
#include "net/transport/IfManager.h"
#include "tests/ifmanager/FakeInterfaceSource.h"

#include <QTcpServer>
#include <QtTest>

namespace {

const QString yes = "<font color=\"green\"><b>JA</b></font>";
const QString no = "<font color=\"red\"><b>NEIN</b></font>";

// A loopback port that refuses connections.
quint16 closedPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return 0;
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

} // namespace

class TestInternetReport : public QObject
{
    Q_OBJECT

    QTcpServer server;
    FakeInterfaceSource* source = nullptr;
    std::unique_ptr<IfManager> manager;

private slots:
    void init()
    {
        QVERIFY(server.listen(QHostAddress::LocalHost));
        auto owned = std::make_unique<FakeInterfaceSource>();
        source = owned.get();
        source->list << FakeInterfaceSource::reading(1, "lo", 24, "127.0.0.1");
        RouteEntry route;
        route.gateway = QHostAddress("127.0.0.2").toIPv4Address();
        route.interfaceIndex = 1;
        source->table << route;
        manager = std::make_unique<IfManager>(std::move(owned));
        manager->rescan();
    }

    void cleanup()
    {
        manager.reset();
        server.close();
    }

    void report_data()
    {
        QTest::addColumn<QString>("webHost");
        QTest::addColumn<bool>("webOpen");
        QTest::addColumn<bool>("resolverOpen");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("advice");
        QTest::addColumn<bool>("result");

        QTest::newRow("everything reached") << "localhost" << true << true << yes + yes + yes << "" << true;
        QTest::newRow("web server refuses") << "localhost" << false << true << yes + yes + no << "" << false;
        QTest::newRow("only the name resolves")
            << "localhost" << true << false << yes + no + no
            << "<br><br>Es scheint, der Internetzugang ist durch <b>firewall und proxy</b> geschützt." << false;
        QTest::newRow("name lookup fails")
            << "" << true << true << no + yes + no
            << "<br><br>Es scheint, der <b>Nameserver (DNS)</b> ist nicht oder falsch konfiguriert." << false;
        QTest::newRow("nothing reached") << "" << false << false << no + no + no << "" << false;
    }

    void report()
    {
        QFETCH(QString, webHost);
        QFETCH(bool, webOpen);
        QFETCH(bool, resolverOpen);
        QFETCH(QString, answers);
        QFETCH(QString, advice);

        const quint16 refused = closedPort();
        QVERIFY(refused);
        IfManager::ProbeEndpoints endpoints;
        endpoints.webHost = webHost;
        endpoints.webPort = webOpen ? server.serverPort() : refused;
        endpoints.resolverHost = "127.0.0.1";
        endpoints.resolverPort = resolverOpen ? server.serverPort() : refused;
        manager->setProbeEndpoints(endpoints);

        QString text = "replaced";
        const bool result = manager->internetReport(text, 5000);
        QTEST(result, "result");

        const QStringList parts = answers.split("</font>", Qt::SkipEmptyParts);
        const QString expected = "<html><b>Internet Verbindungsübersicht</b><br><br>"
            "Namensauflösung: " + parts.value(0) + "</font><br>"
            "Internet erreichbar: " + parts.value(1) + "</font><br>"
            "voll funktionsfähig: " + parts.value(2) + "</font>"
            "<br><br>Verbindungsdetails:<br>"
            "router: 127.0.0.2<br>interface: lo<br>" + advice;
        QCOMPARE(text, expected);
    }
};

QTEST_GUILESS_MAIN(TestInternetReport)
#include "tst_internetreport.moc"
