// The planner program itself on a private host under the offscreen platform:
// it comes up at the monitor address, answers a ping with the ping's own
// payload, writes its debug log into the temporary directory, and, ended by
// SIGTERM, logs so and sends exactly one shutdown notice.
#include "tests/support/Datagram.h"
#include "tests/support/PrivateHost.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

namespace {

constexpr int generousMs = 90000;
const QHostAddress loopbackBroadcast(QStringLiteral("127.255.255.255"));
constexpr quint16 port = 20593;
const char* const testerHost = "tester";

struct Heard
{
    PacketHeader header;
    QByteArray payload;
};

// Listens beside the program on the loopback broadcast address.
class Listener
{
public:
    Listener() { bound = socket.bind(loopbackBroadcast, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint); }

    // Everything of the given type the program wrote so far whose payload
    // starts with the given bytes (our own datagrams left out).
    QList<Heard> heard(quint8 type, const QByteArray& payload = QByteArray())
    {
        while (socket.hasPendingDatagrams()) {
            QByteArray datagram(int(socket.pendingDatagramSize()), '\0');
            socket.readDatagram(datagram.data(), datagram.size());
            Heard heard;
            if (PacketHeader::check(bytes(datagram), datagram.size()).valid() &&
                PacketHeader::read(bytes(datagram), datagram.size(), &heard.header) &&
                PacketHeader::hostNameText(heard.header.hostName) != testerHost) {
                heard.payload = datagram.mid(PacketHeader::Size, heard.header.length);
                all.append(heard);
            }
        }
        QList<Heard> found;
        for (const Heard& heard : all)
            if (heard.header.type == type && heard.payload.startsWith(payload))
                found.append(heard);
        return found;
    }

    void send(const QByteArray& datagram) { socket.writeDatagram(datagram, loopbackBroadcast, port); }

    bool bound = false;

private:
    QUdpSocket socket;
    QList<Heard> all;
};

Datagram ping()
{
    Datagram ping;
    ping.from = TovkaAddress(KindChief, 1, 1);
    ping.host = testerHost;
    ping.payload = pingPayload(0x01020304, 567, testerHost);
    return ping;
}

} // namespace

class TestProgramRun : public QObject
{
    Q_OBJECT
private slots:
    void startsAnswersLogsAndShutsDownOnce()
    {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        Listener listener;
        QVERIFY(listener.bound);

        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", temp.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        // The top-level window lives as long as the process, by design.
        environment.insert("ASAN_OPTIONS", "detect_leaks=0");
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QCoreApplication::applicationDirPath() + "/BelegungsPlaner", QStringList());
        QVERIFY(program.waitForStarted(30000));

        // Its start-up ping, at the monitor address; the answer to ours.
        QTRY_VERIFY_WITH_TIMEOUT(!listener.heard(PacketType::PING).isEmpty(), generousMs);
        QCOMPARE(int(listener.heard(PacketType::PING).first().header.sourceAddress), 0);
        listener.send(ping().bytes());
        QTRY_VERIFY_WITH_TIMEOUT(!listener.heard(PacketType::PONG, ping().payload).isEmpty(), generousMs);
        QVERIFY(listener.heard(PacketType::SHUTDOWN).isEmpty());

        program.terminate();   // SIGTERM ends the event loop
        QVERIFY(program.waitForFinished(generousMs));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(listener.heard(PacketType::SHUTDOWN).size(), 1, generousMs);
        QCOMPARE(int(listener.heard(PacketType::SHUTDOWN).first().header.sourceAddress), 0);

        QFile log(temp.filePath("BelegungsPlaner.log"));
        QVERIFY2(log.open(QIODevice::ReadOnly), qPrintable(log.fileName()));
        const QByteArray text = log.readAll();
        QVERIFY(text.contains("Debug sizeof(TaktischWertung)=8"));
        QVERIFY(text.contains("SHUZTDOWN send"));
        QVERIFY(text.contains("terminated by a signal"));
    }
};

PRIVATE_HOST_TEST_MAIN(TestProgramRun, "planner-run", true)
#include "tst_program_run.moc"
