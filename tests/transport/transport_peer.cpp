// A program of the suite on a test host: runs one transport at the address
// given on the command line, takes commands on standard input and reports
// what the transport signals on standard output, one line each.
//   commands: address K S I | send K S I TEXT | announce | mute-acks | quit
//   reports:  ready | muted | address 1/0 | queued SEQ | data SEQ K.S.I TEXT |
//             txsuccess SEQ | txfailure SEQ REASON | newapp K.S.I HOST |
//             applost K.S.I HOST | warning TEXT
// With --raw-echo it instead answers every datagram sent to the raw echo
// group on its veth0 link, for round-trip comparisons.
#include "LossySink.h"

#include "net/TovkaNetIo.h"

#include <QApplication>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QSocketNotifier>
#include <QUdpSocket>

#include <cstdio>
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
    return QStringLiteral("%1.%2.%3").arg(address.kind).arg(address.subKind).arg(address.instance);
}

void watchTransport(TovkaNetIo& transport)
{
    QObject::connect(&transport, qOverload<const void*, int, TovkaAddress&>(&TovkaNetIo::dataReceived),
                     [&transport](const void* payload, int length, TovkaAddress& sender) {
                         Q_UNUSED(transport);
                         const QString text = QString::fromUtf8(static_cast<const char*>(payload), length);
                         report(QStringLiteral("data %1 %2").arg(addressText(sender), text));
                     });
    QObject::connect(&transport, &TovkaNetIo::TxSuccess, [](int sequence) { report(QStringLiteral("txsuccess %1").arg(sequence)); });
    QObject::connect(&transport, &TovkaNetIo::TxFailure, [](int sequence, const QString& reason) {
        report(QStringLiteral("txfailure %1 %2").arg(sequence).arg(reason));
    });
    QObject::connect(&transport, &TovkaNetIo::newApp, [](const AppLocation& app) {
        report(QStringLiteral("newapp %1 %2").arg(addressText(app.address), app.hostNameText()));
    });
    QObject::connect(&transport, &TovkaNetIo::appLost, [](const AppLocation& app) {
        report(QStringLiteral("applost %1 %2").arg(addressText(app.address), app.hostNameText()));
    });
    QObject::connect(&transport, &TovkaNetIo::Warning, [](const QString& text) { report("warning " + text); });
}

void runCommand(TovkaNetIo& transport, LossySink& sink, const QString& line)
{
    const QStringList words = line.split(' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return;
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
        const bool ok = transport.setOwnAddress(words[1].toUInt(), quint8(words[2].toUInt()), quint8(words[3].toUInt()));
        report(QStringLiteral("address %1").arg(ok ? 1 : 0));
    } else if (command == "send" && words.size() >= 5) {
        const TovkaAddress to(words[1].toUInt(), quint8(words[2].toUInt()), quint8(words[3].toUInt()));
        const QByteArray text = words.mid(4).join(' ').toUtf8();
        report(QStringLiteral("queued %1").arg(transport.sendData(text.constData(), quint32(text.size()), &to)));
    }
}

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
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&input] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof(buffer));
        if (n <= 0 || QByteArray(buffer, int(n)).contains("quit")) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });
    report(QStringLiteral("ready"));
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains("--raw-echo"))
        return runRawEcho();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: transport_peer KIND SUBKIND INSTANCE | --raw-echo\n");
        return 2;
    }
    int result = 0;
    {
        LossySink sink;
        TovkaNetIo transport(args[1].toUInt(), args[2].toUInt(), args[3].toUInt());
        sink.setDownstream(&transport);
        transport.setDialogHook([](const QString&, const QString&) { return false; });
        watchTransport(transport);
        QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
        QByteArray pending;
        QObject::connect(&input, &QSocketNotifier::activated, [&] {
            char buffer[4096];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof(buffer));
            if (n <= 0) {
                input.setEnabled(false);
                QCoreApplication::quit();
                return;
            }
            pending.append(buffer, int(n));
            int end;
            while ((end = pending.indexOf('\n')) >= 0) {
                const QString line = QString::fromUtf8(pending.left(end)).trimmed();
                pending.remove(0, end + 1);
                runCommand(transport, sink, line);
            }
        });
        report(QStringLiteral("ready"));
        result = QCoreApplication::exec();
    }
    report(QStringLiteral("gone"));
    return result;
}
