// A headless program of the suite on a test host: runs one transport, with
// the protocol on it, at the address given on the command line and reports
// on standard output, one line each, what the transport signals and the
// messages it receives, decoded. Ends at its first line of input or at the
// input's end.
//   tovka_peer KIND SUBKIND INSTANCE
// reports: ready K/S/I | data K/S/I TEXT (control bytes as dots)
//          app+ K/S/I HOST | app- K/S/I HOST
//          plan from K/S/I area=A time=T start=S end=E slot=L starters=N names=a|b|...
#include "net/transport/TovkaNetIo.h"
#include "net/protocol/TovkaProtocol.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cstdio>
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

void watch(TovkaNetIo& transport, TovkaProtocol& protocol)
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

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}); // the transport talks a lot
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: tovka_peer KIND SUBKIND INSTANCE\n");
        return 2;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&input] {
        input.setEnabled(false);
        QCoreApplication::quit();
    });
    TovkaNetIo transport(args[1].toUInt(), args[2].toUInt(), args[3].toUInt());
    TovkaProtocol protocol(&transport);
    watch(transport, protocol);
    report("ready " + addressText(transport.ownAddress()));
    return QCoreApplication::exec();
}
