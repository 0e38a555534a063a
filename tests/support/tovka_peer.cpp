// A headless program of the suite on a test host: runs one transport, with
// the protocol on it, at the address given on the command line, takes
// commands on standard input and reports on standard output, one line each,
// what the transport signals and the messages it receives, decoded.
//   tovka_peer KIND SUBKIND INSTANCE | tovka_peer --raw-echo
// commands: plan AREA K S I STARTERS  sends a plan of that many starters to K/S/I
//           send K S I TEXT           sends TEXT as a data packet
//           address K S I | announce | mute-acks | quit
// reports:  ready K/S/I | sent | muted | address 1/0 | queued SEQ | unknown command | gone
//           data K/S/I TEXT (control bytes as dots) | txsuccess SEQ | txfailure SEQ REASON
//           app+ K/S/I HOST | app- K/S/I HOST | warning TEXT
//           plan from K/S/I area=A time=T start=S end=E slot=L starters=N names=a|b|...
//           text from K/S/I type=T time=hh:mm:ss text=...
//           clock from K/S/I start=SECONDS | stop | reset | countdown=0/1
// With --raw-echo it instead answers every datagram sent to the raw echo
// group on its veth0 link, for round-trip comparisons.
#include "tests/support/RecordingSink.h"
#include "tests/support/SamplePlan.h"

#include "net/transport/TovkaNetIo.h"
#include "net/protocol/TovkaProtocol.h"

#include <QApplication>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QSocketNotifier>
#include <QUdpSocket>

#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

constexpr quint16 RawEchoPort = 20594;
const char* const RawEchoGroup = "239.255.5.98";

void report(const QString& line)
{
    std::fputs(qPrintable(line + '\n'), stdout);
    std::fflush(stdout);
}

QString addressText(const TovkaAddress& address)
{
    return QStringLiteral("%1/%2/%3").arg(address.kind).arg(address.subKind).arg(address.instance);
}

TovkaAddress addressOf(const QStringList& words, int first)
{
    return TovkaAddress(words[first].toUInt(), quint8(words[first + 1].toUInt()), quint8(words[first + 2].toUInt()));
}

// A payload as one line: control bytes would break it up.
QString lineText(const void* data, int length)
{
    QByteArray text(static_cast<const char*>(data), length);
    for (char& c : text)
        if (uchar(c) < 0x20 || uchar(c) == 0x7f)
            c = '.';
    return QString::fromUtf8(text);
}

// Calls back with every line read from standard input; quits at its end.
class CommandInput
{
public:
    explicit CommandInput(std::function<void(const QStringList&)> run)
        : notifier(STDIN_FILENO, QSocketNotifier::Read), run(std::move(run))
    {
        QObject::connect(&notifier, &QSocketNotifier::activated, [this] { read(); });
    }

private:
    void read()
    {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof(buffer));
        if (n <= 0) {
            notifier.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, int(n));
        int end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QStringList words = QString::fromUtf8(pending.left(end)).split(' ', Qt::SkipEmptyParts);
            pending.remove(0, end + 1);
            if (!words.isEmpty())
                run(words);
        }
    }

    QSocketNotifier notifier;
    std::function<void(const QStringList&)> run;
    QByteArray pending;
};

class Peer
{
public:
    Peer(quint32 kind, quint32 subKind, quint32 instance) : transport(kind, subKind, instance), protocol(&transport)
    {
        sink.setDownstream(&transport);
        transport.setDialogHook([](const QString&, const QString&) { return false; });
        watchTransport();
        watchProtocol();
        report("ready " + addressText(transport.ownAddress()));
    }

    void run(const QStringList& words)
    {
        const QString& command = words.first();
        if (command == "quit") {
            QCoreApplication::quit();
        } else if (command == "announce") {
            transport.announce();
        } else if (command == "mute-acks") {
            sink.dropType(PacketType::ACK);
            transport.setDatagramSink(&sink);
            report(QStringLiteral("muted"));
        } else if (command == "address" && words.size() == 4) {
            const TovkaAddress own = addressOf(words, 1);
            report(QStringLiteral("address %1").arg(transport.setOwnAddress(own.kind, own.subKind, own.instance) ? 1 : 0));
        } else if (command == "send" && words.size() >= 5) {
            const TovkaAddress to = addressOf(words, 1);
            const QByteArray text = words.mid(4).join(' ').toUtf8();
            report(QStringLiteral("queued %1").arg(transport.sendData(text.constData(), quint32(text.size()), &to)));
        } else if (command == "plan" && words.size() == 6) {
            const int area = words[1].toInt();
            const TovkaAddress to = addressOf(words, 2);
            protocol.sendBelegungsPlaner(area, samplePlan(words[5].toInt(), QStringLiteral("Peer %1.").arg(area),
                                                          1700000000 + area * 3600), &to);
            report(QStringLiteral("sent"));
        } else {
            report(QStringLiteral("unknown command"));
        }
    }

private:
    void watchTransport()
    {
        QObject::connect(&transport, qOverload<const void*, int, TovkaAddress&>(&TovkaNetIo::dataReceived),
                         [](const void* payload, int length, TovkaAddress& sender) {
                             report(QStringLiteral("data %1 %2").arg(addressText(sender), lineText(payload, length)));
                         });
        QObject::connect(&transport, &TovkaNetIo::TxSuccess,
                         [](int sequence) { report(QStringLiteral("txsuccess %1").arg(sequence)); });
        QObject::connect(&transport, &TovkaNetIo::TxFailure, [](int sequence, const QString& reason) {
            report(QStringLiteral("txfailure %1 %2").arg(sequence).arg(reason));
        });
        QObject::connect(&transport, &TovkaNetIo::newApp, [](const AppLocation& app) {
            report(QStringLiteral("app+ %1 %2").arg(addressText(app.address), app.hostNameText()));
        });
        QObject::connect(&transport, &TovkaNetIo::appLost, [](const AppLocation& app) {
            report(QStringLiteral("app- %1 %2").arg(addressText(app.address), app.hostNameText()));
        });
        QObject::connect(&transport, &TovkaNetIo::Warning, [](const QString& text) { report("warning " + text); });
    }

    void watchProtocol()
    {
        QObject::connect(&protocol, &TovkaProtocol::BelegungsPlanerReceived,
                         [](time_t time, int area, TrainingsData data, TovkaAddress from) {
                             QStringList names;
                             for (const TrainingsStarterEntry& entry : data.starters)
                                 names << entry.nameText();
                             report(QStringLiteral("plan from %1 area=%2 time=%3 start=%4 end=%5 slot=%6 starters=%7 names=%8")
                                        .arg(addressText(from)).arg(area).arg(qint64(time)).arg(qint64(data.start))
                                        .arg(qint64(data.end)).arg(qint64(data.slot)).arg(data.starters.size())
                                        .arg(names.join('|')));
                         });
        QObject::connect(&protocol, &TovkaProtocol::TextMessageReceived, [](NetTextMessage message, TovkaAddress from) {
            report(QStringLiteral("text from %1 type=%2 time=%3 text=%4")
                       .arg(addressText(from)).arg(message.type).arg(message.time.toString("hh:mm:ss"), message.text));
        });
        QObject::connect(&protocol, &TovkaProtocol::startClockReceived, [](int seconds, TovkaAddress from) {
            report(QStringLiteral("clock from %1 start=%2").arg(addressText(from)).arg(seconds));
        });
        QObject::connect(&protocol, &TovkaProtocol::stopClockReceived,
                         [](TovkaAddress from) { report(QStringLiteral("clock from %1 stop").arg(addressText(from))); });
        QObject::connect(&protocol, &TovkaProtocol::resetClockReceived,
                         [](TovkaAddress from) { report(QStringLiteral("clock from %1 reset").arg(addressText(from))); });
        QObject::connect(&protocol, &TovkaProtocol::countDownReceived, [](bool on, TovkaAddress from) {
            report(QStringLiteral("clock from %1 countdown=%2").arg(addressText(from)).arg(on ? 1 : 0));
        });
    }

    RecordingSink sink; // outlives the transport's last shutdown
    TovkaNetIo transport;
    TovkaProtocol protocol;
};

int runRawEcho()
{
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::AnyIPv4, RawEchoPort, QUdpSocket::ShareAddress))
        return 1;
    const QNetworkInterface link = QNetworkInterface::interfaceFromName(QStringLiteral("veth0"));
    if (!socket.joinMulticastGroup(QHostAddress(QString::fromLatin1(RawEchoGroup)), link))
        return 1;
    QObject::connect(&socket, &QUdpSocket::readyRead, [&socket] {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = socket.receiveDatagram();
            socket.writeDatagram(datagram.data(), datagram.senderAddress(), quint16(datagram.senderPort()));
        }
    });
    CommandInput input([](const QStringList& words) {
        if (words.first() == "quit")
            QCoreApplication::quit();
    });
    report(QStringLiteral("ready"));
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}); // the transport talks a lot
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains("--raw-echo"))
        return runRawEcho();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: tovka_peer KIND SUBKIND INSTANCE | tovka_peer --raw-echo\n");
        return 2;
    }
    int result = 0;
    {
        Peer peer(args[1].toUInt(), args[2].toUInt(), args[3].toUInt());
        CommandInput input([&peer](const QStringList& words) { peer.run(words); });
        result = QCoreApplication::exec();
    }
    report(QStringLiteral("gone"));
    return result;
}
