// A headless program of the suite for the tests: it joins the network at the
// address given on the command line, prints every message it receives,
// decoded, one line each, and sends a training plan when told so on stdin.
//
//   tovka_peer KIND SUBKIND INSTANCE
// stdin:  plan AREA KIND SUBKIND INSTANCE STARTERS   sends a plan of that many starters
//         quit                                       leaves (with a shutdown notice)
// stdout: ready K/S/I | app+ K/S/I HOST | app- K/S/I HOST
//         plan from K/S/I area=A time=T start=S end=E slot=L starters=N names=a|b|...
//         text from K/S/I type=T time=hh:mm:ss text=...
//         clock from K/S/I start=SECONDS | stop | reset | countdown=0/1
#include "net/AppLocation.h"
#include "net/TovkaNetIo.h"
#include "net/TovkaProtocol.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {

QString addressText(const TovkaAddress& address)
{
    return QString("%1/%2/%3").arg(address.kind).arg(address.subKind).arg(address.instance);
}

void say(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

TrainingsData samplePlan(int area, int starters)
{
    TrainingsData data;
    data.start = 1700000000 + area * 3600;
    data.end = data.start + 3600;
    data.slot = 300;
    for (int i = 0; i < starters; ++i)
        data.starters.append(TrainingsStarterEntry(data.start + i * data.slot, QString("Peer %1.%2").arg(area).arg(i + 1)));
    return data;
}

class Peer : public QObject
{
public:
    Peer(quint32 kind, quint8 subKind, quint8 instance) : net(kind, subKind, instance), protocol(&net)
    {
        connect(&net, &TovkaNetIo::newApp, this, [](AppLocation app) {
            say(QString("app+ %1 %2").arg(addressText(app.address), app.hostNameText()));
        });
        connect(&net, &TovkaNetIo::appLost, this, [](AppLocation app) {
            say(QString("app- %1 %2").arg(addressText(app.address), app.hostNameText()));
        });
        connect(&protocol, &TovkaProtocol::BelegungsPlanerReceived, this,
                [](time_t time, int area, TrainingsData data, TovkaAddress from) {
                    QStringList names;
                    for (const TrainingsStarterEntry& entry : data.starters)
                        names << entry.nameText();
                    say(QString("plan from %1 area=%2 time=%3 start=%4 end=%5 slot=%6 starters=%7 names=%8")
                            .arg(addressText(from)).arg(area).arg(qint64(time)).arg(qint64(data.start))
                            .arg(qint64(data.end)).arg(qint64(data.slot)).arg(data.starters.size())
                            .arg(names.join('|')));
                });
        connect(&protocol, &TovkaProtocol::TextMessageReceived, this, [](NetTextMessage message, TovkaAddress from) {
            say(QString("text from %1 type=%2 time=%3 text=%4")
                    .arg(addressText(from)).arg(message.type).arg(message.time.toString("hh:mm:ss"), message.text));
        });
        connect(&protocol, &TovkaProtocol::startClockReceived, this, [](int seconds, TovkaAddress from) {
            say(QString("clock from %1 start=%2").arg(addressText(from)).arg(seconds));
        });
        connect(&protocol, &TovkaProtocol::stopClockReceived, this,
                [](TovkaAddress from) { say(QString("clock from %1 stop").arg(addressText(from))); });
        connect(&protocol, &TovkaProtocol::resetClockReceived, this,
                [](TovkaAddress from) { say(QString("clock from %1 reset").arg(addressText(from))); });
        connect(&protocol, &TovkaProtocol::countDownReceived, this, [](bool on, TovkaAddress from) {
            say(QString("clock from %1 countdown=%2").arg(addressText(from)).arg(on ? 1 : 0));
        });

        input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(input, &QSocketNotifier::activated, this, [this] { readCommand(); });
        say(QString("ready %1").arg(addressText(net.ownAddress())));
    }

private:
    void readCommand()
    {
        char line[256];
        if (!std::fgets(line, sizeof line, stdin)) {
            input->setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        const QStringList words = QString::fromUtf8(line).simplified().split(' ', Qt::SkipEmptyParts);
        if (words.value(0) == "quit") {
            QCoreApplication::quit();
        } else if (words.value(0) == "plan" && words.size() == 6) {
            const TovkaAddress to(words[2].toUInt(), quint8(words[3].toUInt()), quint8(words[4].toUInt()));
            protocol.sendBelegungsPlaner(words[1].toInt(), samplePlan(words[1].toInt(), words[5].toInt()), &to);
            say("sent");
        } else {
            say("unknown command");
        }
    }

    TovkaNetIo net;
    TovkaProtocol protocol;
    QSocketNotifier* input = nullptr;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: tovka_peer KIND SUBKIND INSTANCE\n");
        return 2;
    }
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    Peer peer(args[1].toUInt(), quint8(args[2].toUInt()), quint8(args[3].toUInt()));
    return app.exec();
}
