// Watches the computer's network interfaces: reads the interface list every
// 5 s, keeps one ExtendedNetworkInterface per interface for its whole life and
// signals interfaces that appear, become usable or stop being usable. It also
// writes two diagnostic HTML reports: the default route and an internet check.
#pragma once

#include "net/transport/ExtendedNetworkInterface.h"
#include "net/transport/InterfaceSource.h"

#include <QHostInfo>
#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>

class IfManager : public QObject
{
    Q_OBJECT
public:
    static const int rescanIntervalMs = 5000;

    // The hosts the internet check probes.
    struct ProbeEndpoints
    {
        QString webHost;            // looked up, then reached over TCP
        quint16 webPort = 80;
        QString resolverHost;       // a public name server, reached over TCP
        quint16 resolverPort = 53;
    };
    static ProbeEndpoints defaultProbeEndpoints();

    IfManager();    // the system's interfaces
    explicit IfManager(std::unique_ptr<InterfaceSource> source);
    ~IfManager() override;

    const QList<ExtendedNetworkInterface*>& interfaces() const;

    void defaultRoute(QString& report);
    bool internetReport(QString& report, int limit);
    void setProbeEndpoints(const ProbeEndpoints& endpoints);

signals:
    void ifUp(const ExtendedNetworkInterface*);
    void ifDown(const ExtendedNetworkInterface*);
    void newIface(const ExtendedNetworkInterface*);
    void rescaned();

public slots:
    void rescan();
    void lookedUp(QHostInfo info);

private:
    ExtendedNetworkInterface* findByIndex(int index) const;
    bool probeLookup(int limit);
    bool probeTcp(const QString& host, quint16 port, int limit, bool wait);
    static QString answer(bool yes);

    QTimer rescanTimer;
    QList<ExtendedNetworkInterface*> ifaceList;   // owned, in order of discovery
    QHostInfo hostInfo;
    ExtendedNetworkInterface* defaultRouteIface = nullptr;
    std::unique_ptr<InterfaceSource> source;
    ProbeEndpoints probe;
};
