// No test may reach this machine's real network: only loopback and our test links.
#include <QNetworkInterface>
#include <QtTest>

class TestSandbox : public QObject
{
    Q_OBJECT
private slots:
    void onlyTestInterfacesAreVisible()
    {
        QStringList foreign;
        for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces())
            if (iface.name() != "lo" && !iface.name().startsWith("veth") && !iface.name().startsWith("tap"))
                foreign << iface.name();
        QVERIFY2(foreign.isEmpty(), qPrintable("tests must run in their own network namespace; visible: " + foreign.join(", ")));
    }
};

QTEST_GUILESS_MAIN(TestSandbox)
#include "tst_sandbox.moc"
