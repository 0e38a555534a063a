// A headless program of the suite on a test host: runs one transport, with
// the protocol on it, at the address given on the command line, takes
// commands on standard input and reports on standard output, one line each,
// what the transport signals and the messages it receives, decoded.
//   tovka_peer KIND SUBKIND INSTANCE
// commands: mute-acks (acknowledges nothing any more) | quit
// reports:  ready K/S/I | muted | unknown command | gone | warning TEXT
//           data K/S/I TEXT (control bytes as dots) | app+ K/S/I HOST | app- K/S/I HOST
//           plan from K/S/I area=A time=T start=S end=E slot=L starters=N names=a|b|...
#include "tests/support/RecordingSink.h"

#include "net/transport/TovkaNetIo.h"
#include "net/protocol/TovkaProtocol.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

void report(const QString& line)
{
    std::fputs(qPrintable(line + '\n'), stdout);
    std::fflush(stdout);
}

QString addressText(const TovkaAddress& address)
{
    return QStringLiteral("%1/%2/%3").arg(address.kind).arg(address.subKind).arg(address.instance);
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
        } else if (command == "mute-acks") {
            sink.dropType(PacketType::ACK);
            transport.setDatagramSink(&sink);
            report(QStringLiteral("muted"));
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
    }

    RecordingSink sink; // outlives the transport's last shutdown
    TovkaNetIo transport;
    TovkaProtocol protocol;
};

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}); // the transport talks a lot
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: tovka_peer KIND SUBKIND INSTANCE\n");
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
