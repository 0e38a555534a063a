// The protocol frame on a transport that writes into a list: the dispatch of
// every group, short and unknown payloads, the time correction by the packet's
// delay field, and the bytes of the messages this program sends.
#include "tests/protocol/ProtocolRig.h"
#include "tests/support/SamplePlan.h"

#include "net/protocol/TrainingPlanMessage.h"
#include "tests/support/DebugCapture.h"

#include <QtTest>

#include <cstring>
#include <ctime>

namespace {

const TovkaAddress peer(KindAnzeige, 1, 0);
const TovkaAddress self(KindBelegungsPlaner, 0, 0);

time_t fixedClock() { return 0x01020304; }

QByteArray bytes(std::initializer_list<int> values, int length = -1)
{
    QByteArray result;
    for (int value : values)
        result.append(char(value));
    if (length >= 0)
        result = result.leftJustified(length, '\0', true);
    return result;
}

QByteArray planPayload(int area, const TrainingsData& data, time_t now)
{
    QByteArray buffer(TovkaProtocol::bufferSize, 0);
    const int length =
        TrainingPlanMessage::encode(reinterpret_cast<unsigned char*>(buffer.data()), area, data, now);
    return buffer.left(length);
}

TrainingsData planOf(int starters)
{
    return samplePlan(starters, QStringLiteral("Nr "), 1700000000, 7200, 240);
}

// A data packet from another program, as it arrives.
Datagram dataPacket(const QByteArray& payload, quint16 delay)
{
    Datagram data;
    data.type = PacketType::DATA;
    data.from = peer;
    data.to = self;
    data.sequence = 1;
    data.delay = delay;
    data.payload = payload;
    return data;
}

} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        ::tzset();
    }

    // Other programs of the suite connect by these signatures, in this order.
    void signalsAndSlotsInOrder()
    {
        const QStringList expected = {
            "startClockReceived(int,TovkaAddress)", "stopClockReceived(TovkaAddress)",
            "resetClockReceived(TovkaAddress)", "countDownReceived(bool,TovkaAddress)",
            "WettkampfReceived(Competition,TovkaAddress)",
            "KampfrichterReceived(QString,QString,QString,TovkaAddress)", "StarterReceived(NetImport&)",
            "CurrentUebungReceived(int,TovkaAddress)", "WbFreigebenReceived()", "WbAbschliessenReceived()",
            "UebungsWertungReceived(NetUebungsWertung_t,TovkaAddress)", "FullWertungReceived(Wertung_t,TovkaAddress)",
            "StarterResponseReceived(int,int,const char*,TovkaAddress)", "StatusRequestReceived(TovkaAddress)",
            "NextStarterReceived(const NetStarterLong*,TovkaAddress)",
            "RequestedStarterReceived(const NetStarterLong*,TovkaAddress)",
            "AnzeigeWertungReceived(const NetStarter*,TovkaAddress)", "AmpelReceived(bool,TovkaAddress)",
            "PlatzReceived(int,TovkaAddress)", "PauseReceived(bool,TovkaAddress)",
            "ErgebnisListReceived(StartErgebnisList&,TovkaAddress)",
            "StarterRequestReceived(StarterRequestList&,TovkaAddress)",
            "BelegungsPlanerReceived(time_t,int,TrainingsData,TovkaAddress)",
            "FactorListReceived(FactorList&,TovkaAddress)", "RecordReceived(int,QString)",
            "SiegerehrungReceived(int,int)", "WholeWertungReceived(Starter_t,WertungList&,TovkaAddress)",
            "RequestWertungReceived(short,TovkaAddress)", "RequestWettkampfReceived(const TovkaAddress*)",
            "RequestErgebnisListReceived(TovkaAddress)", "QualiListReceived(QualiList&,TovkaAddress)",
            "ReadyReceived(TovkaAddress)", "TextMessageReceived(NetTextMessage,TovkaAddress)",
            "sendStartClock(int,const TovkaAddress*)", "sendStartClock(int)", "sendStopClock(const TovkaAddress*)",
            "sendStopClock()", "sendResetClock(const TovkaAddress*)", "sendResetClock()",
            "sendCountDown(bool,const TovkaAddress*)", "sendCountDown(bool)",
            "sendWettkampf(Competition,const TovkaAddress*)", "sendWettkampf(Competition)",
            "sendKampfrichter(QString,QString,QString,const TovkaAddress*)", "sendKampfrichter(QString,QString,QString)",
            "sendStarter(Wertungsbogen&,const TovkaAddress*,bool)", "sendStarter(Wertungsbogen&,const TovkaAddress*)",
            "sendCurrentUebung(int,const TovkaAddress*)", "sendCurrentUebung(int)",
            "sendWbFreigeben(const TovkaAddress*)", "sendWbAbschliessen(const TovkaAddress*)",
            "sendUebungsWertung(Wertung_t,int)", "sendFullWertung(Wertung_t,const TovkaAddress*)",
            "sendFullWertung(Wertung_t)", "sendStarterResponse(Starter_t,QString,const TovkaAddress*)",
            "sendStarterResponse(Starter_t,QString)", "sendStatusRequest(const TovkaAddress*)",
            "sendNextStarter(Wertungsbogen&,const TovkaAddress*)", "sendAnzeigeWertung(NetStarter&,const TovkaAddress*)",
            "sendAmpel(bool,const TovkaAddress*)", "sendPlatz(int,const TovkaAddress*)",
            "sendPause(bool,const TovkaAddress*)", "sendErgebnisList(StartErgebnisList&,const TovkaAddress*)",
            "sendStarterRequest(StarterRequestList&,const TovkaAddress*)",
            "sendRequestedStarter(StartErgebnisList_t*,const char*,const TovkaAddress*)",
            "sendBelegungsPlaner(int,TrainingsData,const TovkaAddress*)", "sendBelegungsPlaner(int,TrainingsData)",
            "sendFactorList(FactorList,const TovkaAddress*)", "sendFactorList(FactorList)",
            "sendRecord(int,QString)", "sendSiegerehrung(int,int)", "sendWholeWertung(Wertungsbogen&)",
            "sendAllKampfrichter(QString,QString,QString,QString,QString,QString,QString)",
            "sendRequestWertung(short,const TovkaAddress*)", "sendWettkampfRequest(const TovkaAddress*)",
            "sendErgebnisListRequest(const TovkaAddress*)", "sendQualiList(QualiList&,const TovkaAddress*)",
            "sendReady(const TovkaAddress*)", "sendTextMessage(NetTextMessage,TovkaAddress)",
            "sendTextMessage(QString)", "dataReceived(const void*,int,TovkaAddress&)"};
        const QMetaObject& meta = TovkaProtocol::staticMetaObject;
        QStringList actual;
        int signalCount = 0;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            actual << QString::fromLatin1(meta.method(i).methodSignature());
            signalCount += meta.method(i).methodType() == QMetaMethod::Signal ? 1 : 0;
        }
        QCOMPARE(actual, expected);
        QCOMPARE(signalCount, 33);
        QCOMPARE(actual.size(), 81);
    }

    // Unknown groups and sub-types, and payloads too short for their message.
    void dispatchesByGroupAndSubType_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("line");
        QTest::newRow("3 bytes") << bytes({1, 2, 0}) << "TovkaProtocol: msg to short (3 < 4)";
        QTest::newRow("empty") << QByteArray() << "TovkaProtocol: msg to short (0 < 4)";
        QTest::newRow("group 0") << bytes({0, 1, 0, 0}) << "unknown message ID=0";
        QTest::newRow("group 6") << bytes({6, 1, 0, 0}) << "unknown message ID=6";
        QTest::newRow("clock sub 5") << bytes({1, 5, 0, 0}) << "TovkaProtocol::handleClockMsg unknown sub=5";
        QTest::newRow("display sub 13") << bytes({2, 13, 0, 0}) << "TovkaProtocol::handleAnzeigeMsg unknown sub=13";
        QTest::newRow("chief sub 6") << bytes({3, 6, 0, 0}) << "TovkaProtocol::handleObmannMsg unknown sub=6";
        QTest::newRow("jury sub 11") << bytes({4, 11, 0, 0}) << "TovkaProtocol::handleGerichtMsg unknown sub=11";
        QTest::newRow("office sub 4") << bytes({5, 4, 0, 0}) << "TovkaProtocol::handleBueroMsg unknown sub=4";
        QTest::newRow("plan of 27 bytes") << bytes({2, 9}, 27)
                                          << "TovkaProtocol::recvBelegungsPlaner: msg to short (27 < 28)";
        QTest::newRow("text of 7 bytes") << bytes({5, 3}, 7)
                                         << "TovkaProtocol::handleBueroMsg text message to short (7 < 8)";
        QTest::newRow("ampel 4") << bytes({2, 3, 0, 0}) << "TovkaProtocol::handleAnzeigeMsg 2/3 to short (4 < 5)";
        QTest::newRow("platz 4") << bytes({2, 4, 0, 0}) << "TovkaProtocol::handleAnzeigeMsg 2/4 to short (4 < 5)";
        QTest::newRow("pause 4") << bytes({2, 8, 0, 0}) << "TovkaProtocol::handleAnzeigeMsg 2/8 to short (4 < 5)";
        QTest::newRow("record 67") << bytes({2, 11}, 67) << ">>>>>>>>> TovkaProtocol::recvRecord  INVALID size <<<<<<<<<<<<";
        QTest::newRow("record 69") << bytes({2, 11}, 69) << ">>>>>>>>> TovkaProtocol::recvRecord  INVALID size <<<<<<<<<<<<";
        QTest::newRow("sieger 5") << bytes({2, 12}, 5) << "TovkaProtocol::handleAnzeigeMsg 2/12 to short (5 < 6)";
        QTest::newRow("wertung 5") << bytes({3, 1}, 5) << "TovkaProtocol::handleObmannMsg 3/1 to short (5 < 6)";
        QTest::newRow("judges 99") << bytes({4, 2}, 99) << "TovkaProtocol::handleGerichtMsg 4/2 to short (99 < 100)";
        QTest::newRow("uebung 5") << bytes({4, 4}, 5) << "TovkaProtocol::handleGerichtMsg 4/4 to short (5 < 6)";
        QTest::newRow("all judges 291") << bytes({5, 2}, 291) << "TovkaProtocol::handleBueroMsg 5/2 to short (291 < 292)";
    }
    void dispatchesByGroupAndSubType()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QString, line);
        ProtocolRig rig;
        int emitted = 0;
        TovkaProtocol& p = rig.protocol;
        const auto count = [&] { ++emitted; };
        connect(&p, &TovkaProtocol::AmpelReceived, this, count);
        connect(&p, &TovkaProtocol::PlatzReceived, this, count);
        connect(&p, &TovkaProtocol::PauseReceived, this, count);
        connect(&p, &TovkaProtocol::BelegungsPlanerReceived, this, count);
        connect(&p, &TovkaProtocol::TextMessageReceived, this, count);
        connect(&p, &TovkaProtocol::stopClockReceived, this, count);
        connect(&p, &TovkaProtocol::RecordReceived, this, count);
        connect(&p, &TovkaProtocol::SiegerehrungReceived, this, count);
        connect(&p, &TovkaProtocol::RequestWertungReceived, this, count);
        connect(&p, &TovkaProtocol::KampfrichterReceived, this, count);
        connect(&p, &TovkaProtocol::CurrentUebungReceived, this, count);
        DebugCapture capture;
        rig.deliver(payload, peer);
        QVERIFY2(capture.contains(line), qPrintable(capture.lines().join('\n')));
        QCOMPARE(emitted, 0);
        if (payload.size() >= TovkaProtocol::frameSize)
            QVERIFY(capture.contains(QString("TovkaProtocol::dataReceived type: %1/%2")
                                         .arg(quint8(payload[0])).arg(quint8(payload[1]))));
    }

    // Sent byte for byte, then received: hostile lengths are dropped and the
    // start time is corrected by the packet's delay.
    void clockMessages()
    {
        ProtocolRig rig;
        const TovkaAddress clock(KindTimekeeper, 1, 0);
        rig.protocol.sendStartClock(300, &clock);
        rig.protocol.sendStopClock(&clock);
        rig.protocol.sendResetClock(&clock);
        rig.protocol.sendCountDown(true, &clock);
        const auto packets = rig.sink.dataPackets();
        QCOMPARE(packets.size(), 4);
        QCOMPARE(int(packets[0].first.destinationAddress), 0x81);
        QCOMPARE(packets[0].second, bytes({1, 1, 0, 0, 0x01, 0x2c}));
        QCOMPARE(packets[1].second, bytes({1, 2, 0, 0}));
        QCOMPARE(packets[2].second, bytes({1, 3, 0, 0}));
        QCOMPARE(packets[3].second, bytes({1, 4, 0, 0, 1}));

        QList<QString> seen;
        connect(&rig.protocol, &TovkaProtocol::stopClockReceived, this,
                [&](TovkaAddress from) { seen << QString("stop %1/%2").arg(from.kind).arg(from.subKind); });
        connect(&rig.protocol, &TovkaProtocol::resetClockReceived, this, [&](TovkaAddress) { seen << "reset"; });
        connect(&rig.protocol, &TovkaProtocol::startClockReceived, this,
                [&](int seconds, TovkaAddress) { seen << QString("start %1").arg(seconds); });
        connect(&rig.protocol, &TovkaProtocol::countDownReceived, this,
                [&](bool on, TovkaAddress) { seen << QString("count %1").arg(on); });
        const auto deliver = [&](const QByteArray& payload) { rig.deliver(payload, peer); };
        deliver(bytes({1, 2, 0x55, 0x66}));           // reserved bytes have no effect
        deliver(bytes({1, 3, 0, 0, 9, 9, 9}));        // any length
        deliver(bytes({1, 1, 0, 0, 0x01, 0x2c}));     // 300 s
        deliver(bytes({1, 1, 0, 0, 0x01, 0x2c, 0}));  // 7 bytes: dropped
        deliver(bytes({1, 4, 0, 0, 1}));
        deliver(bytes({1, 4, 0, 0, 0, 0}));           // 6 bytes: dropped
        rig.receive(dataPacket(packets[0].second, 1600));
        QCOMPARE(seen, QList<QString>({"stop 4/1", "reset", "start 300", "count 1", "start 302"}));
    }

    void planIsDecodedWithTheDelayOfItsPacket_data()
    {
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("added");
        QTest::newRow("499 ms") << 499 << 0;
        QTest::newRow("1500 ms") << 1500 << 2;
    }
    // The received bytes stay untouched by the correction.
    void planIsDecodedWithTheDelayOfItsPacket()
    {
        QFETCH(int, delay);
        QFETCH(int, added);
        ProtocolRig rig;
        const TrainingsData plan = planOf(3);
        time_t time = 0;
        int area = 0;
        TrainingsData received;
        TovkaAddress from;
        connect(&rig.protocol, &TovkaProtocol::BelegungsPlanerReceived, this,
                [&](time_t t, int a, TrainingsData d, TovkaAddress s) { time = t; area = a; received = d; from = s; });
        QByteArray payload = planPayload(2, plan, 1700000000);
        payload[2] = char(0xEE);    // reserved bytes have no effect
        payload[21] = char(0x77);
        const QByteArray sent = payload;
        rig.receive(dataPacket(payload, quint16(delay)));
        QCOMPARE(payload, sent);
        QCOMPARE(qint64(time), qint64(1700000000 + added));
        QCOMPARE(area, 2);
        QVERIFY(received == plan);
        QVERIFY(from == peer);
    }

    void planGoesToThePlannerKindByDefault()
    {
        ProtocolRig rig;
        rig.protocol.setClock(fixedClock);
        const TrainingsData plan = planOf(2);
        rig.protocol.sendBelegungsPlaner(3, plan);
        const auto packets = rig.sink.dataPackets();
        QCOMPARE(packets.size(), 1);
        QCOMPARE(int(packets[0].first.destinationAddress), 0x70);
        QCOMPARE(int(packets[0].first.destinationInstance), 0);
        // start, end, slot, the clock, 4 reserved bytes, area 3, then two entries
        const QByteArray header = QByteArray::fromHex("02090000" "6553f100" "65540d20" "000000f0" "01020304"
                                                      "00000000" "00000003");
        const QByteArray first = QByteArray::fromHex("6553f100" "4e722031").leftJustified(64, '\0');    // "Nr 1"
        const QByteArray second = QByteArray::fromHex("6553f1f0" "4e722032").leftJustified(64, '\0');   // "Nr 2"
        QCOMPARE(packets[0].second.toHex(), (header + first + second).toHex());

        const TovkaAddress display(KindAnzeige, 2, 0);
        rig.protocol.sendBelegungsPlaner(2, planOf(1), &display);
        QCOMPARE(int(rig.sink.dataPackets().last().first.destinationAddress), 0x42);
    }

    void moreThanFifteenStartersAreCutWithANotice()
    {
        ProtocolRig rig;
        DebugCapture capture;
        rig.protocol.sendBelegungsPlaner(4, planOf(18));
        const auto packets = rig.sink.dataPackets();
        QCOMPARE(packets.size(), 1);
        QCOMPARE(packets[0].second.size(), 988);
        QVERIFY(capture.contains("area 4: 3 starters left out"));
    }

    void noByteOfAnEarlierMessageGoesOutAgain()
    {
        ProtocolRig rig;
        rig.protocol.sendTextMessage(QString(800, 'x'));
        rig.protocol.sendBelegungsPlaner(1, planOf(1));
        const auto packets = rig.sink.dataPackets();
        QCOMPARE(packets.size(), 2);
        const QByteArray plan = packets[1].second;
        QCOMPARE(plan.mid(20, 4), QByteArray(4, '\0'));
        QCOMPARE(plan.mid(2, 2), QByteArray(2, '\0'));
        QCOMPARE(plan.mid(28 + 4 + 5), QByteArray(plan.size() - 37, '\0'));   // after "Nr 1"
    }

    // 0x01020304 s is 16:57:40 UTC; the test runs in UTC.
    void textMessagesGoOut()
    {
        ProtocolRig rig;
        rig.protocol.setClock(fixedClock);
        emit rig.net.sendTextMessage("abc");   // the transport's queue notice goes to the office
        rig.protocol.sendTextMessage(NetTextMessage(QTime(7, 8, 9), 5, "hi"), TovkaAddress(KindChief, 2, 1));
        rig.protocol.sendTextMessage(NetTextMessage(QTime(), 6, "ho"), TovkaAddress(KindChief, 2, 1));
        const auto packets = rig.sink.dataPackets();
        QCOMPARE(packets.size(), 3);
        QCOMPARE(int(packets[0].first.destinationAddress), 0x30);
        QCOMPARE(packets[0].second, bytes({5, 3, 0, 0, 16, 57, 40, 2, 'a', 'b', 'c', 0}));
        QCOMPARE(int(packets[1].first.destinationAddress), 0x12);
        QCOMPARE(int(packets[1].first.destinationInstance), 1);
        QCOMPARE(packets[1].second, bytes({5, 3, 0, 0, 7, 8, 9, 5, 'h', 'i', 0}));
        QCOMPARE(packets[2].second, bytes({5, 3, 0, 0, 16, 57, 40, 6, 'h', 'o', 0}));   // no time: the clock's

        NetTextMessage received;
        connect(&rig.protocol, &TovkaProtocol::TextMessageReceived, this,
                [&](NetTextMessage message, TovkaAddress) { received = message; });
        rig.deliver(packets[1].second, peer);
        QCOMPARE(received.text, QString("hi"));
        QCOMPARE(received.time, QTime(7, 8, 9));
        QCOMPARE(received.type, 5);
    }

    // Every simple message of the display, chief, jury and office groups, byte
    // for byte, then handed back to the protocol.
    void simpleMessagesByteExactAndBack()
    {
        ProtocolRig rig;
        TovkaProtocol& p = rig.protocol;
        const TovkaAddress chief(KindChief, 2, 0);
        const QString recordText = QString::fromUtf8("Rekord für Anna");
        p.sendAmpel(true, &chief);
        p.sendPlatz(200, &chief);
        p.sendPause(false, &chief);
        p.sendRecord(205, recordText);
        p.sendSiegerehrung(0x0102, 0x0304);
        p.sendRequestWertung(-2, &chief);
        p.sendWettkampfRequest(&chief);
        p.sendErgebnisListRequest(&chief);
        p.sendReady(&chief);
        p.sendKampfrichter(QString(40, 'A'), "", "C", &chief);
        p.sendCurrentUebung(0x1234, &chief);
        p.sendWbFreigeben(&chief);
        p.sendWbAbschliessen(&chief);
        p.sendStatusRequest(&chief);
        p.sendAllKampfrichter("Chief", "An1", "Sc1", "", "Sc2", "An3", "");
        QList<QPair<QByteArray, int>> expected;
        const auto next = [&](const QByteArray& payload, int destination) { expected.append({payload, destination}); };
        next(bytes({2, 3, 0, 0, 1}), 0x12);
        next(bytes({2, 4, 0, 0, 200}), 0x12);
        next(bytes({2, 8, 0, 0, 0}), 0x12);
        next(bytes({2, 11, 0, 0, 0, 205}, 68).replace(6, 16, recordText.toUtf8()), 0x42);
        for (int area = 1; area <= 3; ++area)
            next(bytes({2, 12, 0, 0, 1, 2, 3, 4}), 0x40 + area);
        next(bytes({3, 1, 0, 0, 0xFF, 0xFE}), 0x12);
        next(bytes({3, 2, 0, 0}), 0x12);
        next(bytes({3, 3, 0, 0}), 0x12);
        next(bytes({3, 5, 0, 0}), 0x12);
        next(bytes({4, 2, 0, 0}, 100).replace(4, 31, QByteArray(31, 'A')).replace(68, 1, "C"), 0x12);
        next(bytes({4, 4, 0, 0, 0x12, 0x34}), 0x12);
        next(bytes({4, 5, 0, 0}), 0x12);
        next(bytes({4, 6, 0, 0}), 0x12);
        next(bytes({4, 10, 0, 0}), 0x12);
        QByteArray all = bytes({5, 2, 0, 0}, 292);
        all.replace(4, 3, "An1").replace(36, 3, "Sc1").replace(68, 5, "Chief");
        all.replace(132, 3, "Sc2").replace(164, 5, "Chief");
        all.replace(196, 3, "An3").replace(260, 5, "Chief");
        next(all, 0x30);
        const auto packets = rig.sink.dataPackets();
        QCOMPARE(packets.size(), expected.size());
        for (int i = 0; i < packets.size(); ++i) {
            QCOMPARE(packets[i].second, expected[i].first);
            QCOMPARE(int(packets[i].first.destinationAddress), expected[i].second);
        }

        QStringList seen;
        const auto tag = [](TovkaAddress from) { return QString(" %1/%2/%3").arg(from.kind).arg(from.subKind).arg(from.instance); };
        connect(&p, &TovkaProtocol::AmpelReceived, this, [&](bool on, TovkaAddress f) { seen << QString("ampel %1").arg(on) + tag(f); });
        connect(&p, &TovkaProtocol::PlatzReceived, this, [&](int place, TovkaAddress) { seen << QString("platz %1").arg(place); });
        connect(&p, &TovkaProtocol::PauseReceived, this, [&](bool on, TovkaAddress) { seen << QString("pause %1").arg(on); });
        connect(&p, &TovkaProtocol::RecordReceived, this, [&](int n, QString t) { seen << QString("record %1 %2").arg(n).arg(t); });
        connect(&p, &TovkaProtocol::SiegerehrungReceived, this, [&](int a, int b) { seen << QString("sieger %1 %2").arg(a).arg(b); });
        connect(&p, &TovkaProtocol::RequestWertungReceived, this, [&](short n, TovkaAddress) { seen << QString("wertung %1").arg(n); });
        connect(&p, &TovkaProtocol::RequestWettkampfReceived, this, [&](const TovkaAddress* f) { seen << "wettkampf" + tag(*f); });
        connect(&p, &TovkaProtocol::RequestErgebnisListReceived, this, [&](TovkaAddress) { seen << "ergebnisse"; });
        connect(&p, &TovkaProtocol::ReadyReceived, this, [&](TovkaAddress) { seen << "ready"; });
        connect(&p, &TovkaProtocol::KampfrichterReceived, this,
                [&](QString a, QString b, QString c, TovkaAddress f) { seen << QString("judges %1|%2|%3").arg(a, b, c) + tag(f); });
        connect(&p, &TovkaProtocol::CurrentUebungReceived, this, [&](int n, TovkaAddress) { seen << QString("uebung %1").arg(n); });
        connect(&p, &TovkaProtocol::WbFreigebenReceived, this, [&] { seen << "frei"; });
        connect(&p, &TovkaProtocol::WbAbschliessenReceived, this, [&] { seen << "zu"; });
        connect(&p, &TovkaProtocol::StatusRequestReceived, this, [&](TovkaAddress) { seen << "status"; });
        for (const auto& packet : packets)
            rig.deliver(packet.second, TovkaAddress(KindJury, 2, 3));
        rig.deliver(bytes({2, 12, 0, 0, 0, 5}), peer);   // six bytes: no second number
        QCOMPARE(seen, QStringList({"ampel 1 2/2/3", "platz -56", "pause 0", "record 205 " + recordText,
                                    "sieger 258 772", "sieger 258 772", "sieger 258 772", "wertung -2",
                                    "wettkampf 2/2/3", "ergebnisse", "ready",
                                    QString("judges %1||C 2/2/3").arg(QString(31, 'A')), "uebung 4660", "frei",
                                    "zu", "status", "judges An1|Sc1|Chief 2/2/1", "judges |Sc2|Chief 2/2/2",
                                    "judges An3||Chief 2/2/3", "sieger 5 0"}));
    }

    void displayScoreRecordPassesThrough()
    {
        ProtocolRig rig;
        NetStarter record;
        record.number = 0x0102;
        record.extra[0] = 0xAB;
        record.value1 = 0x03040506;
        record.value2 = 0xFFFFFFFE;
        qstrncpy(record.text, "Zeitwertung", sizeof record.text);
        const TovkaAddress display(KindAnzeige, 1, 0);
        rig.protocol.sendAnzeigeWertung(record, &display);
        const auto packets = rig.sink.dataPackets();
        QCOMPARE(packets.size(), 1);
        QByteArray expected = bytes({2, 2, 0, 0, 1, 2, 0xAB, 0, 3, 4, 5, 6, 0xFF, 0xFF, 0xFF, 0xFE}, 48);
        expected.replace(16, 11, "Zeitwertung");
        QCOMPARE(packets[0].second, expected);

        NetStarter received;
        connect(&rig.protocol, &TovkaProtocol::AnzeigeWertungReceived, this,
                [&](const NetStarter* starter, TovkaAddress) { received = *starter; });
        rig.deliver(expected, peer);
        QCOMPARE(received.number, quint16(0x0102));
        QCOMPARE(received.value2, quint32(0xFFFFFFFE));
        QCOMPARE(QByteArray(received.text), QByteArray("Zeitwertung"));
    }

    void requestedStarterRoundTrip()
    {
        ProtocolRig rig;
        const TovkaAddress display(KindAnzeige, 2, 0);
        rig.protocol.sendRequestedStarter(nullptr, "nichts", &display);
        QCOMPARE(rig.sink.dataPackets().size(), 0);

        StartErgebnisList_t element;
        element.number = 42;
        element.submitted = 12345;
        element.category = 0x77;
        qstrncpy(element.name, "Anna Berg", sizeof element.name);
        std::memset(element.clubs, 'c', sizeof element.clubs);   // no NUL at all
        qstrncpy(element.association, "BDR", sizeof element.association);
        qstrncpy(element.nation, "GER", sizeof element.nation);
        rig.protocol.sendRequestedStarter(&element, "Platz 1", &display);
        const auto packets = rig.sink.dataPackets();
        QCOMPARE(packets.size(), 1);
        const QByteArray payload = packets[0].second;
        QCOMPARE(payload.size(), 180);
        QCOMPARE(payload.left(12), bytes({2, 7, 0, 0, 0, 42, 0, 0, 0, 0, 0x30, 0x39}));
        QCOMPARE(payload.mid(48 + 31, 1), QByteArray(1, '\0'));   // clubs cut to 31 bytes

        NetStarterLong received;
        connect(&rig.protocol, &TovkaProtocol::RequestedStarterReceived, this,
                [&](const NetStarterLong* starter, TovkaAddress) { received = *starter; });
        rig.deliver(payload, peer);
        QCOMPARE(received.number, quint16(42));
        QCOMPARE(received.category, quint32(0x77));
        QCOMPARE(QByteArray(received.name), QByteArray("Anna Berg"));
        QCOMPARE(QByteArray(received.clubs), QByteArray(31, 'c'));
        QCOMPARE(QByteArray(received.categoryName), QByteArray("Platz 1"));
        QCOMPARE(QByteArray(received.nation), QByteArray("GER"));
    }

    void olderStarterRecordIsAccepted()
    {
        ProtocolRig rig;
        int next = 0;
        NetStarterLong received;
        connect(&rig.protocol, &TovkaProtocol::NextStarterReceived, this,
                [&](const NetStarterLong* starter, TovkaAddress) { received = *starter; ++next; });
        QByteArray payload = bytes({2, 1, 0, 0, 0, 9}, 144);
        payload.replace(16, 4, "Team");
        payload[143] = 5;                                  // category code
        DebugCapture capture;
        rig.deliver(payload, peer);
        QCOMPARE(next, 1);
        QVERIFY(capture.contains("handle older NetStarterLong size: 144 / 176"));
        QCOMPARE(received.number, quint16(9));
        QCOMPARE(received.category, quint32(5));
        QCOMPARE(QByteArray(received.name), QByteArray("Team"));
        QCOMPARE(QByteArray(received.nation), QByteArray());

        rig.deliver(payload.left(143), peer);
        QCOMPARE(next, 1);
        QVERIFY(capture.contains("TovkaProtocol::handleAnzeigeMsg 2/1 to short (143 < 144)"));
    }

    void resultListSplitsIntoMessages()
    {
        ProtocolRig rig;
        StartErgebnisList list;
        list.owning = true;
        for (int i = 0; i < 132; ++i) {
            auto* entry = new StartErgebnisList_t;
            entry->number = i == 5 || i == 6 ? 0 : i + 1;     // two without a number are left out
            entry->place = i + 1;
            entry->result = 1000 + i;
            entry->notPlaced = i == 1;
            list.append(entry);
        }
        const TovkaAddress display(KindAnzeige, 1, 0);
        rig.protocol.sendErgebnisList(list, &display);
        QCOMPARE(list.cursor, 132);
        const auto packets = rig.sink.dataPackets();
        QCOMPARE(packets.size(), 2);
        QCOMPARE(packets[0].second.size(), 1020);
        QCOMPARE(packets[1].second.size(), 28);
        QCOMPARE(packets[0].second.mid(4, 16), bytes({0, 1, 0, 1, 0, 0, 0x03, 0xE8, 0, 2, 0xFF, 0xFF, 0, 0, 0x03, 0xE9}));

        QList<QList<int>> received;
        connect(&rig.protocol, &TovkaProtocol::ErgebnisListReceived, this, [&](StartErgebnisList& got, TovkaAddress) {
            QList<int> row;
            for (const StartErgebnisList_t* entry : got)
                row << entry->number << entry->place << entry->notPlaced << entry->result;
            received << row;
        });
        rig.deliver(packets[0].second, peer);
        QCOMPARE(received.size(), 1);
        QCOMPARE(received[0].size(), 127 * 4);
        QCOMPARE(received[0].mid(0, 8), QList<int>({1, 1, 0, 1000, 2, 100, 1, 1001}));

        StartErgebnisList empty;
        rig.protocol.sendErgebnisList(empty, &display);
        QCOMPARE(rig.sink.dataPackets().last().second, bytes({2, 5, 0, 0}));
        rig.deliver(bytes({2, 5, 0, 0, 0, 1, 0, 1, 0, 0, 0}), peer);   // eleven bytes: no whole entry
        QCOMPARE(received.size(), 2);
        QVERIFY(received[1].isEmpty());
    }

    void starterRequestFactorAndQualiLists()
    {
        ProtocolRig rig;
        const TovkaAddress any(KindChief, 1, 0);
        StarterRequestList requests;
        requests << 1 << 65535 << 7;
        rig.protocol.sendStarterRequest(requests, &any);
        FactorList factors;
        factors << qMakePair(3, 1.2345) << qMakePair(4, 0.5);
        rig.protocol.sendFactorList(factors);
        QualiList quali;
        quali << qMakePair(10, 20);
        rig.protocol.sendQualiList(quali, &any);
        const auto packets = rig.sink.dataPackets();
        QCOMPARE(packets.size(), 3);
        QCOMPARE(packets[0].second, bytes({2, 6, 0, 0, 0, 1, 0xFF, 0xFF, 0, 7}));
        QCOMPARE(packets[1].second, bytes({2, 10, 0, 0, 0, 3, 0x04, 0xD2, 0, 4, 0x01, 0xF4}));
        QCOMPARE(packets[2].second, bytes({3, 4, 0, 0, 0, 10, 0, 20}));

        QStringList seen;
        connect(&rig.protocol, &TovkaProtocol::StarterRequestReceived, this, [&](StarterRequestList& list, TovkaAddress) {
            QStringList numbers;
            for (int n : list)
                numbers << QString::number(n);
            seen << "requ " + numbers.join(',');
        });
        connect(&rig.protocol, &TovkaProtocol::FactorListReceived, this, [&](FactorList& list, TovkaAddress) {
            QStringList pairs;
            for (const auto& pair : list)
                pairs << QString("%1:%2").arg(pair.first).arg(pair.second);
            seen << "factor " + pairs.join(',');
        });
        connect(&rig.protocol, &TovkaProtocol::QualiListReceived, this, [&](QualiList& list, TovkaAddress) {
            seen << QString("quali %1 %2:%3").arg(list.size()).arg(list.value(0).first).arg(list.value(0).second);
        });
        DebugCapture capture;
        for (const auto& packet : packets)
            rig.deliver(packet.second, peer);
        rig.deliver(bytes({2, 6, 0, 0, 0, 5, 0}), peer);   // the odd byte is not a number
        QCOMPARE(seen, QStringList({"requ 1,65535,7", "factor 3:1.234,4:0.5", "quali 1 10:20", "requ 5"}));
        QVERIFY(capture.contains("Requ: 65535"));
        QVERIFY(capture.contains("TovkaProtocol::handleObmannMsg TovkaQuali"));

        for (int i = 4; i <= 600; ++i)   // 600 in all
            requests << i;
        rig.protocol.sendStarterRequest(requests, nullptr);
        QCOMPARE(rig.sink.dataPackets().last().second.size(), 1024);
        QVERIFY(capture.contains("TovkaProtocol::sendStarterRequest: 90 entries left out, only 510 fit into one message"));
    }

    // From the tactical value on: value, start number, exercise, status,
    // further, three reserved bytes, then the record that travels.
    void exerciseScoreCarriesItsRecord_data()
    {
        QTest::addColumn<int>("exercise");
        QTest::addColumn<QByteArray>("tail");
        QTest::newRow("extra record 1") << 0 << QByteArray::fromHex("00000000" "2345" "00" "06" "00" "000000" "c9");
        QTest::newRow("exercise 12") << 12 << QByteArray::fromHex("01020304" "2345" "0c" "06" "09" "000000" "0c");
        QTest::newRow("exercise 30") << 30 << QByteArray::fromHex("00000000" "2345" "1e" "06" "00" "000000" "1e");
        QTest::newRow("extra record 2") << 31 << QByteArray::fromHex("00000000" "2345" "1f" "06" "00" "000000" "ca");
    }
    void exerciseScoreCarriesItsRecord()
    {
        QFETCH(int, exercise);
        QFETCH(QByteArray, tail);
        Wertung_t score;
        score.deduction1 = 150;
        score.deduction2 = 0x10000;
        score.startNumber = 0x12345;        // the low 16 bits travel
        score.status = 6;
        for (int i = 0; i < Wertung_t::exerciseCount; ++i)
            score.exercises[i][0] = quint8(i + 1);
        score.extra1[0] = 201;
        score.extra2[0] = 202;
        score.tactical[3] = {0x01020304, 12, 9};
        score.tactical[4] = {0x05060708, 12, 7};   // only the first entry of the exercise counts

        ProtocolRig rig;
        rig.protocol.sendUebungsWertung(score, exercise);
        const auto packets = rig.sink.dataPackets();
        QCOMPARE(packets.size(), 1);
        QCOMPARE(int(packets[0].first.destinationAddress), 0x10);   // the transport's default
        const QByteArray expected = (bytes({4, 7, 0, 0, 0, 0, 0, 150, 0, 1, 0, 0}) + tail).leftJustified(32, '\0');
        QCOMPARE(packets[0].second.toHex(), expected.toHex());

        NetUebungsWertung_t received;
        connect(&rig.protocol, &TovkaProtocol::UebungsWertungReceived, this,
                [&](const NetUebungsWertung_t& got, TovkaAddress) { received = got; });
        rig.deliver(expected, peer);
        QCOMPARE(received.tacticalValue, exercise == 12 ? 0x01020304u : 0u);
        QCOMPARE(received.startNumber, quint16(0x2345));
        QCOMPARE(int(received.marks[0]), int(quint8(expected[24])));
    }

    void fullScoreRoundTrip()
    {
        Wertung_t score;
        score.judge = 2;   // not carried
        qstrncpy(score.chief, "Obmann", sizeof score.chief);
        score.deduction1 = 1234;
        score.deduction2 = 56;
        score.startNumber = 17;
        score.status = 5;
        for (int i = 0; i < Wertung_t::tacticalCount; ++i)
            score.tactical[i] = {quint32(100 * i), quint8(i + 1), quint8(i)};
        for (int i = 0; i < Wertung_t::exerciseCount; ++i)
            for (int m = 0; m < Wertung_t::markCount; ++m)
                score.exercises[i][m] = quint8(i * 5 + m);
        score.extra1[4] = 77;
        score.extra2[0] = 88;

        ProtocolRig rig;
        const TovkaAddress office(KindBuero, 0, 0);
        rig.protocol.sendFullWertung(score, &office);
        const auto packets = rig.sink.dataPackets();
        QCOMPARE(packets.size(), 1);
        const QByteArray payload = packets[0].second;
        QCOMPARE(payload.size(), 248);
        QCOMPARE(payload.left(16), bytes({4, 8, 0, 0, 0, 0, 0x04, 0xD2, 0, 0, 0, 56, 0, 17, 5, 0}));
        QCOMPARE(payload.mid(16 + 8, 8), bytes({0, 0, 0, 100, 2, 1, 0, 0}));
        QCOMPARE(int(quint8(payload[88 + 149])), 149);
        QCOMPARE(int(payload[238 + 4]), 77);
        QCOMPARE(int(payload[243]), 88);

        Wertung_t received;
        received.judge = 42;
        connect(&rig.protocol, &TovkaProtocol::FullWertungReceived, this,
                [&](const Wertung_t& got, TovkaAddress) { received = got; });
        rig.deliver(payload, peer);
        QCOMPARE(received.totalDeduction(), quint32(1290));
        QCOMPARE(received.startNumber, 17);
        QCOMPARE(received.tactical[8].value, quint32(800));
        QCOMPARE(int(received.tactical[8].exercise), 9);
        QCOMPARE(std::memcmp(received.exercises, score.exercises, sizeof score.exercises), 0);
        QCOMPARE(int(received.extra2[0]), 88);
        // What the message does not carry arrives empty.
        QCOMPARE(received.judge, 0);
        QCOMPARE(received.chief[0], '\0');

        received = Wertung_t();
        rig.deliver(payload.left(247), peer);
        QCOMPARE(received.startNumber, 0);
    }

    void starterResponseTextStaysInItsField()
    {
        ProtocolRig rig;
        QList<QString> seen;
        connect(&rig.protocol, &TovkaProtocol::StarterResponseReceived, this,
                [&](int id, int checksum, const char* text, TovkaAddress) {
                    seen << QString("%1 %2 %3").arg(id).arg(checksum).arg(QString::fromLatin1(text).size());
                });
        QByteArray payload = bytes({4, 9, 0, 0, 0xFF, 0xFF, 0xFF, 0xFE, 0x01, 0x02, 3, 4}, 268);
        payload.replace(12, 256, QByteArray(256, 'x'));   // no NUL in the field
        rig.deliver(payload, peer);
        rig.deliver(payload.left(267), peer);
        QCOMPARE(seen, QList<QString>({"258 -2 255"}));
    }

    void nothingGoesOutFromTheMonitorAddress()
    {
        ProtocolRig rig(TovkaAddress(KindNetMon, 0, 0));
        rig.protocol.sendBelegungsPlaner(1, planOf(1));
        QCOMPARE(rig.sink.dataPackets().size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
