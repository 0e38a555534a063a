// The protocol frame on a transport that writes into a list: every message
// byte for byte and back through the decoder, short, unknown and older
// payloads, and the time correction by the packet's delay. Then the codecs'
// bounds: names and texts cut at their fields, entry counts following the
// length, times and birth dates packed, the starter record and the import of
// a received one.
#include "tests/protocol/ProtocolRig.h"
#include "tests/support/SamplePlan.h"

#include "net/protocol/NetImport.h"
#include "net/protocol/NetTextMessage.h"
#include "net/protocol/TrainingPlanMessage.h"
#include "net/protocol/WertungList.h"
#include "records/ExpandedAthlete.h"
#include "records/Starter_t.h"
#include "rules/Wertungsbogen.h"

#include <QtTest>

#include <cstring>
#include <ctime>
#include <functional>
#include <vector>

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

// Message 4/3 with the record as its body.
QByteArray starterPayload(const NetStarter_t& record)
{
    QByteArray payload = bytes({4, 3}, TovkaProtocol::starterLength);
    record.write(reinterpret_cast<uint8_t*>(payload.data()) + 4);
    return payload;
}

QString tag(const TovkaAddress& from)
{
    return QString(" %1/%2/%3").arg(from.kind).arg(from.subKind).arg(from.instance);
}

// Every signal of the protocol as a line of text.
struct Recorder
{
    explicit Recorder(TovkaProtocol& p)
    {
        QObject::connect(&p, &TovkaProtocol::startClockReceived, [this](int s, TovkaAddress) { add(QString("start %1").arg(s)); });
        QObject::connect(&p, &TovkaProtocol::stopClockReceived, [this](TovkaAddress f) { add("stop" + tag(f)); });
        QObject::connect(&p, &TovkaProtocol::resetClockReceived, [this](TovkaAddress) { add("reset"); });
        QObject::connect(&p, &TovkaProtocol::countDownReceived, [this](bool on, TovkaAddress) { add(QString("count %1").arg(on)); });
        QObject::connect(&p, &TovkaProtocol::AmpelReceived, [this](bool on, TovkaAddress) { add(QString("ampel %1").arg(on)); });
        QObject::connect(&p, &TovkaProtocol::PlatzReceived, [this](int n, TovkaAddress) { add(QString("platz %1").arg(n)); });
        QObject::connect(&p, &TovkaProtocol::PauseReceived, [this](bool on, TovkaAddress) { add(QString("pause %1").arg(on)); });
        QObject::connect(&p, &TovkaProtocol::RecordReceived, [this](int n, QString t) { add(QString("record %1 %2").arg(n).arg(t)); });
        QObject::connect(&p, &TovkaProtocol::SiegerehrungReceived, [this](int a, int b) { add(QString("sieger %1 %2").arg(a).arg(b)); });
        QObject::connect(&p, &TovkaProtocol::RequestWertungReceived, [this](short n, TovkaAddress) { add(QString("wertung %1").arg(n)); });
        QObject::connect(&p, &TovkaProtocol::RequestWettkampfReceived, [this](const TovkaAddress* f) { add("wettkampf" + tag(*f)); });
        QObject::connect(&p, &TovkaProtocol::RequestErgebnisListReceived, [this](TovkaAddress) { add("ergebnisse"); });
        QObject::connect(&p, &TovkaProtocol::ReadyReceived, [this](TovkaAddress) { add("ready"); });
        QObject::connect(&p, &TovkaProtocol::KampfrichterReceived, [this](QString a, QString b, QString c, TovkaAddress f) {
            add(QString("judges %1|%2|%3").arg(a, b, c) + tag(f));
        });
        QObject::connect(&p, &TovkaProtocol::CurrentUebungReceived, [this](int n, TovkaAddress) { add(QString("uebung %1").arg(n)); });
        QObject::connect(&p, &TovkaProtocol::WbFreigebenReceived, [this] { add("frei"); });
        QObject::connect(&p, &TovkaProtocol::WbAbschliessenReceived, [this] { add("zu"); });
        QObject::connect(&p, &TovkaProtocol::StatusRequestReceived, [this](TovkaAddress) { add("status"); });
        QObject::connect(&p, &TovkaProtocol::AnzeigeWertungReceived, [this](const NetStarter* s, TovkaAddress) {
            add(QString("anzeige %1 %2 %3").arg(s->number).arg(s->value2).arg(s->text));
        });
        const auto starterLong = [this](const char* what, const NetStarterLong* s) {
            add(QString("%1 %2 %3 %4|%5|%6|%7").arg(what).arg(s->number).arg(s->category)
                    .arg(s->name, QString::fromLatin1(s->clubs), s->categoryName, s->nation));
        };
        QObject::connect(&p, &TovkaProtocol::NextStarterReceived,
                         [starterLong](const NetStarterLong* s, TovkaAddress) { starterLong("next", s); });
        QObject::connect(&p, &TovkaProtocol::RequestedStarterReceived,
                         [starterLong](const NetStarterLong* s, TovkaAddress) { starterLong("requested", s); });
        QObject::connect(&p, &TovkaProtocol::ErgebnisListReceived, [this](StartErgebnisList& list, TovkaAddress) {
            QStringList rows;
            for (const StartErgebnisList_t* e : list)
                rows << QString("%1:%2:%3:%4").arg(e->number).arg(e->place).arg(e->notPlaced).arg(e->result);
            add("ergebnis " + rows.join(','));
        });
        QObject::connect(&p, &TovkaProtocol::StarterRequestReceived, [this](StarterRequestList& list, TovkaAddress) {
            QStringList numbers;
            for (int n : list)
                numbers << QString::number(n);
            add("requ " + numbers.join(','));
        });
        QObject::connect(&p, &TovkaProtocol::FactorListReceived, [this](FactorList& list, TovkaAddress) {
            QStringList pairs;
            for (const auto& pair : list)
                pairs << QString("%1:%2").arg(pair.first).arg(pair.second);
            add("factor " + pairs.join(','));
        });
        QObject::connect(&p, &TovkaProtocol::QualiListReceived, [this](QualiList& list, TovkaAddress) {
            add(QString("quali %1 %2:%3").arg(list.size()).arg(list.value(0).first).arg(list.value(0).second));
        });
        QObject::connect(&p, &TovkaProtocol::UebungsWertungReceived, [this](const NetUebungsWertung_t& w, TovkaAddress) {
            add(QString("uebungswertung %1 %2 %3").arg(w.tacticalValue).arg(w.startNumber).arg(w.marks[0]));
        });
        QObject::connect(&p, &TovkaProtocol::FullWertungReceived, [this](const Wertung_t& w, TovkaAddress) {
            add(QString("full %1 %2 %3:%4 %5 %6").arg(w.totalDeduction()).arg(w.startNumber).arg(w.tactical[8].value)
                    .arg(w.tactical[8].exercise).arg(w.exercises[29][4]).arg(w.judge));
        });
        QObject::connect(&p, &TovkaProtocol::StarterResponseReceived, [this](int id, int sum, const char* t, TovkaAddress) {
            add(QString("response %1 %2 %3").arg(id).arg(sum).arg(QString::fromLatin1(t).size()));
        });
        QObject::connect(&p, &TovkaProtocol::BelegungsPlanerReceived, [this](time_t t, int area, TrainingsData d, TovkaAddress) {
            add(QString("plan %1 %2 %3").arg(qint64(t)).arg(area).arg(d.starters.size()));
        });
        QObject::connect(&p, &TovkaProtocol::WettkampfReceived, [this](const Competition& c, TovkaAddress) {
            add(QString("competition %1 %2|%3|%4").arg(c.Datum.toString(Qt::ISODate), c.Ort, c.Veranstalter, c.Name));
        });
        // What a receiver makes of a starter: club, athletes, entry, scores.
        QObject::connect(&p, &TovkaProtocol::StarterReceived, [this](NetImport& import) {
            import.run();
            WertungList scores;
            import.getEntries(scores);
            QStringList athletes;
            for (const Athlete& a : import.athletes)
                athletes << QString("%1 %2 %3 %4 %5").arg(a.Vorname, a.Nachname, a.Geburtsdatum.toString(Qt::ISODate),
                                                          QString::number(a.Verein), a.Nation);
            const ACCompetitorData entry = import.competitors.value(0);
            const QString codes = entry.figure(0).text() + ',' + entry.figure(1).text();
            QStringList status;
            for (const Wertung_t* score : scores)
                status << QString("%1:%2").arg(score->starterRef).arg(score->status);
            add(QString("starter %1/%2 [%3] %4 %5,%6 d%7 g%8 a%9 n%10 %11 y%12 %13 scores %14")
                    .arg(import.clubs.value(0).Name, import.clubs.value(0).Verband, athletes.join(", "), entry.WbName)
                    .arg(entry.athleteId(0)).arg(entry.athleteId(1)).arg(entry.disci()).arg(entry.gender())
                    .arg(entry.ageClass()).arg(entry.netInfo).arg(codes)
                    .arg(import.getYear()).arg(import.isTeam() ? "team" : "single").arg(status.join(',')));
        });
        QObject::connect(&p, &TovkaProtocol::WholeWertungReceived, [this](const Starter_t& s, WertungList& list, TovkaAddress) {
            QStringList scores;
            for (const Wertung_t* score : list)
                scores << QString("%1:%2:%3").arg(score->judge).arg(score->startNumber).arg(score->totalDeduction());
            add(QString("whole %1 %2 %3 %4 %5 [%6]").arg(s.netInfo).arg(s.gender).arg(s.ageClass)
                    .arg(QString::fromUtf8(s.name), QString::fromLatin1(s.codes[29], int(qstrnlen(s.codes[29], 8))), scores.join(',')));
        });
        QObject::connect(&p, &TovkaProtocol::TextMessageReceived, [this](NetTextMessage m, TovkaAddress) {
            add(QString("text %1 %2 %3").arg(m.time.toString("hh:mm:ss")).arg(m.type).arg(m.text));
        });
    }
    void add(const QString& line) { lines << line; }
    QStringList lines;
};

using Send = std::function<void(TovkaProtocol&)>;

using Bytes = std::vector<unsigned char>;

Bytes encodePlan(int area, const TrainingsData& data, time_t now)
{
    Bytes buffer(1024, 0xAA);   // stale bytes that must never go out
    const int length = TrainingPlanMessage::encode(buffer.data(), area, data, now);
    buffer.resize(size_t(length));
    return buffer;
}

} // namespace

Q_DECLARE_METATYPE(Send)

class TestProtocol : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        ::tzset();
    }

    // Each message as its send slot writes it, then handed back to the
    // decoder as a jury program 2/2/3 sent it.
    void everyMessageByteExactAndBack_data()
    {
        QTest::addColumn<Send>("send");
        QTest::addColumn<QByteArrayList>("payloads");
        QTest::addColumn<int>("destination");
        QTest::addColumn<QStringList>("received");
        const TovkaAddress chief(KindChief, 2, 0);
        const auto to = [chief](const std::function<void(TovkaProtocol&, const TovkaAddress*)>& send) {
            return Send([send, chief](TovkaProtocol& p) { send(p, &chief); });
        };
        const auto row = [](const char* name, const Send& send, const QByteArrayList& payloads, int destination,
                            const QStringList& received) {
            QTest::newRow(name) << send << payloads << destination << received;
        };
        row("start clock", to([](TovkaProtocol& p, auto d) { p.sendStartClock(300, d); }),
            {bytes({1, 1, 0, 0, 0x01, 0x2c})}, 0x12, {"start 300"});
        row("stop clock", to([](TovkaProtocol& p, auto d) { p.sendStopClock(d); }), {bytes({1, 2, 0, 0})}, 0x12,
            {"stop 2/2/3"});
        row("reset clock", to([](TovkaProtocol& p, auto d) { p.sendResetClock(d); }), {bytes({1, 3, 0, 0})}, 0x12,
            {"reset"});
        row("count-down", to([](TovkaProtocol& p, auto d) { p.sendCountDown(true, d); }),
            {bytes({1, 4, 0, 0, 1})}, 0x12, {"count 1"});
        row("traffic light", to([](TovkaProtocol& p, auto d) { p.sendAmpel(true, d); }), {bytes({2, 3, 0, 0, 1})},
            0x12, {"ampel 1"});
        row("place", to([](TovkaProtocol& p, auto d) { p.sendPlatz(200, d); }), {bytes({2, 4, 0, 0, 200})}, 0x12,
            {"platz -56"});
        row("pause", to([](TovkaProtocol& p, auto d) { p.sendPause(false, d); }), {bytes({2, 8, 0, 0, 0})}, 0x12,
            {"pause 0"});
        const QString recordText = QString::fromUtf8("Rekord für Anna");
        row("record", [recordText](TovkaProtocol& p) { p.sendRecord(205, recordText); },
            {bytes({2, 11, 0, 0, 0, 205}, 68).replace(6, 16, recordText.toUtf8())}, 0x42,
            {"record 205 " + recordText});
        const QByteArray ceremony = bytes({2, 12, 0, 0, 1, 2, 3, 4});
        row("award ceremony, to three displays", [](TovkaProtocol& p) { p.sendSiegerehrung(0x0102, 0x0304); },
            {ceremony, ceremony, ceremony}, 0x43, {"sieger 258 772", "sieger 258 772", "sieger 258 772"});
        row("score request", to([](TovkaProtocol& p, auto d) { p.sendRequestWertung(-2, d); }),
            {bytes({3, 1, 0, 0, 0xFF, 0xFE})}, 0x12, {"wertung -2"});
        row("competition request", to([](TovkaProtocol& p, auto d) { p.sendWettkampfRequest(d); }),
            {bytes({3, 2, 0, 0})}, 0x12, {"wettkampf 2/2/3"});
        row("result list request", to([](TovkaProtocol& p, auto d) { p.sendErgebnisListRequest(d); }),
            {bytes({3, 3, 0, 0})}, 0x12, {"ergebnisse"});
        row("ready", to([](TovkaProtocol& p, auto d) { p.sendReady(d); }), {bytes({3, 5, 0, 0})}, 0x12, {"ready"});
        row("judges", to([](TovkaProtocol& p, auto d) { p.sendKampfrichter(QString(40, 'A'), "", "C", d); }),
            {bytes({4, 2, 0, 0}, 100).replace(4, 31, QByteArray(31, 'A')).replace(68, 1, "C")}, 0x12,
            {QString("judges %1||C 2/2/3").arg(QString(31, 'A'))});
        Competition cup;
        cup.Datum = QDate(2026, 5, 17);
        cup.Ort = QString::fromUtf8("Zell am Sée");
        cup.Name = QString(40, 'N');   // cut to 31 bytes
        cup.ID = 9;                    // not carried
        row("competition", to([cup](TovkaProtocol& p, auto d) { p.sendWettkampf(cup, d); }),
            {bytes({4, 1, 0, 0, 17, 5, 0x07, 0xEA}, 106).replace(8, 12, cup.Ort.toUtf8())
                 .replace(72, 31, QByteArray(31, 'N')).replace(104, 1, bytes({1}))},
            0x12, {QString("competition 2026-05-17 %1||%2").arg(cup.Ort, QString(31, 'N'))});
        Starter_t entry;
        entry.id = 0x12345;   // the low 16 bits travel
        entry.checksum = 0x01020304;
        entry.disci = 4;
        entry.ageClass = 3;
        row("starter response", to([entry](TovkaProtocol& p, auto d) { p.sendStarterResponse(entry, "ok", d); }),
            {bytes({4, 9, 0, 0, 1, 2, 3, 4, 0x23, 0x45, 4, 3, 'o', 'k'}, 268)}, 0x12, {"response 9029 16909060 2"});
        // From a score sheet without entry list and catalogue: no club texts,
        // no athletes, no category, the rules year 2006.
        Starter_t start;
        start.netInfo = 0x10102;
        start.given = 1250;
        start.disci = 4;
        start.gender = 1;
        start.ageClass = 4;
        qstrncpy(start.name, "Berg/Kurz", sizeof start.name);
        qstrncpy(start.codes[0], "4101a", 8);
        qstrncpy(start.codes[6], "4107a", 8);
        const auto sheetOf = [start](int scores, const std::function<void(TovkaProtocol&, Wertungsbogen&)>& send) {
            return Send([start, scores, send](TovkaProtocol& p) {
                Starter_t entry = start;
                Wertungsbogen sheet(nullptr, &entry, nullptr, nullptr);
                Wertung_t records[4];
                WertungList list;
                for (int i = 0; i < scores; ++i) {
                    records[i].startNumber = 258;
                    records[i].status = 5;
                    records[i].deduction1 = quint32(10 * i);
                    list.append(&records[i]);
                }
                sheet.setWertungen(list);
                send(p, sheet);
            });
        };
        const QByteArray code = QByteArray("4101a").leftJustified(48, '\0') + "4107a";
        row("next starter", sheetOf(0, [chief](TovkaProtocol& p, Wertungsbogen& s) { p.sendNextStarter(s, &chief); }),
            {bytes({2, 1, 0, 0, 1, 2, 0, 7, 0, 0, 4, 0xE2}, 180).replace(16, 9, "Berg/Kurz").replace(143, 1, bytes({108}))},
            0x12, {"next 258 108 Berg/Kurz|||"});
        row("starter, one absent score of a team",
            sheetOf(1, [chief](TovkaProtocol& p, Wertungsbogen& s) { p.sendStarter(s, &chief, true); }),
            {bytes({4, 3}, 760).replace(36, 9, "Berg/Kurz").replace(476, 4, bytes({1, 4, 4, 2}))
                 .replace(516, 4, bytes({1, 2, 0x07, 0xD6})).replace(520, 53, code)},
            0x12, {"starter / []  0,0 d0 g0 a0 n0 , y2006 single scores 258:5"});
        row("whole score, three of four", sheetOf(4, [](TovkaProtocol& p, Wertungsbogen& s) { p.sendWholeWertung(s); }),
            {bytes({5, 1, 0, 0, 1, 2, 1, 4}, 1016).replace(12, 9, "Berg/Kurz").replace(44, 53, code)
                 .replace(292, 3, bytes({1, 2, 5})).replace(528, 4, bytes({0, 0, 0, 10})).replace(536, 3, bytes({1, 2, 5}))
                 .replace(772, 4, bytes({0, 0, 0, 20})).replace(780, 3, bytes({1, 2, 5}))},
            0x30, {"whole 258 1 4 Berg/Kurz  [1:258:0,2:258:10,3:258:20]"});
        row("current exercise", to([](TovkaProtocol& p, auto d) { p.sendCurrentUebung(0x1234, d); }),
            {bytes({4, 4, 0, 0, 0x12, 0x34})}, 0x12, {"uebung 4660"});
        row("release sheet", to([](TovkaProtocol& p, auto d) { p.sendWbFreigeben(d); }), {bytes({4, 5, 0, 0})}, 0x12,
            {"frei"});
        row("close sheet", to([](TovkaProtocol& p, auto d) { p.sendWbAbschliessen(d); }), {bytes({4, 6, 0, 0})},
            0x12, {"zu"});
        row("status request", to([](TovkaProtocol& p, auto d) { p.sendStatusRequest(d); }),
            {bytes({4, 10, 0, 0})}, 0x12, {"status"});
        QByteArray all = bytes({5, 2, 0, 0}, 292);
        all.replace(4, 3, "An1").replace(36, 3, "Sc1").replace(68, 5, "Chief");
        all.replace(132, 3, "Sc2").replace(164, 5, "Chief").replace(196, 3, "An3").replace(260, 5, "Chief");
        row("all judges", [](TovkaProtocol& p) { p.sendAllKampfrichter("Chief", "An1", "Sc1", "", "Sc2", "An3", ""); },
            {all}, 0x30, {"judges An1|Sc1|Chief 2/2/1", "judges |Sc2|Chief 2/2/2", "judges An3||Chief 2/2/3"});
        QByteArray display = bytes({2, 2, 0, 0, 1, 2, 0xAB, 0, 3, 4, 5, 6, 0xFF, 0xFF, 0xFF, 0xFE}, 48);
        display.replace(16, 11, "Zeitwertung");
        row("display score", to([](TovkaProtocol& p, auto d) {
                NetStarter record;
                record.number = 0x0102;
                record.extra[0] = 0xAB;
                record.value1 = 0x03040506;
                record.value2 = 0xFFFFFFFE;
                qstrncpy(record.text, "Zeitwertung", sizeof record.text);
                p.sendAnzeigeWertung(record, d);
            }),
            {display}, 0x12, {"anzeige 258 4294967294 Zeitwertung"});
        QByteArray requested = bytes({2, 7, 0, 0, 0, 42, 0, 0, 0, 0, 0x30, 0x39}, 180);
        requested.replace(16, 9, "Anna Berg").replace(48, 31, QByteArray(31, 'c')).replace(80, 7, "Platz 1");
        requested.replace(140, 4, bytes({0, 0, 0, 0x77})).replace(144, 3, "BDR").replace(176, 3, "GER");
        row("requested starter", to([](TovkaProtocol& p, auto d) {
                p.sendRequestedStarter(nullptr, "nichts", d); // nothing to send
                StartErgebnisList_t element;
                element.number = 42;
                element.submitted = 12345;
                element.category = 0x77;
                qstrncpy(element.name, "Anna Berg", sizeof element.name);
                std::memset(element.clubs, 'c', sizeof element.clubs); // no NUL at all
                qstrncpy(element.association, "BDR", sizeof element.association);
                qstrncpy(element.nation, "GER", sizeof element.nation);
                p.sendRequestedStarter(&element, "Platz 1", d);
            }),
            {requested}, 0x12, {QString("requested 42 119 Anna Berg|%1|Platz 1|GER").arg(QString(31, 'c'))});
        row("result list", to([](TovkaProtocol& p, auto d) {
                StartErgebnisList list;
                list.owning = true;
                for (int i = 0; i < 3; ++i) {
                    auto* entry = new StartErgebnisList_t;
                    entry->number = i == 1 ? 0 : i + 1; // without a number: left out
                    entry->place = i + 1;
                    entry->result = 1000 + i;
                    entry->notPlaced = i == 2;
                    list.append(entry);
                }
                p.sendErgebnisList(list, d);
            }),
            {bytes({2, 5, 0, 0, 0, 1, 0, 1, 0, 0, 0x03, 0xE8, 0, 3, 0xFF, 0xFF, 0, 0, 0x03, 0xEA})}, 0x12,
            {"ergebnis 1:1:0:1000,3:100:1:1002"});
        row("starter request", to([](TovkaProtocol& p, auto d) {
                StarterRequestList list;
                list << 1 << 65535 << 7;
                p.sendStarterRequest(list, d);
            }),
            {bytes({2, 6, 0, 0, 0, 1, 0xFF, 0xFF, 0, 7})}, 0x12, {"requ 1,65535,7"});
        row("factor list", to([](TovkaProtocol& p, auto d) {
                FactorList list;
                list << qMakePair(3, 1.2345) << qMakePair(4, 0.5) << qMakePair(5, 1001 / 1000.0);   // as received
                p.sendFactorList(list, d);
            }),
            {bytes({2, 10, 0, 0, 0, 3, 0x04, 0xD2, 0, 4, 0x01, 0xF4, 0, 5, 0x03, 0xE9})}, 0x12,
            {"factor 3:1.234,4:0.5,5:1.001"});
        row("qualification list", to([](TovkaProtocol& p, auto d) {
                QualiList list;
                list << qMakePair(10, 20);
                p.sendQualiList(list, d);
            }),
            {bytes({3, 4, 0, 0, 0, 10, 0, 20})}, 0x12, {"quali 1 10:20"});
        Wertung_t score;
        score.deduction1 = 150;
        score.deduction2 = 0x10000;
        score.startNumber = 0x12345; // the low 16 bits travel
        score.status = 6;
        score.judge = 2; // not carried
        for (int i = 0; i < Wertung_t::exerciseCount; ++i)
            score.exercises[i][0] = quint8(i + 1);
        score.exercises[29][4] = 99;
        score.tactical[3] = {0x01020304, 12, 9};
        score.tactical[4] = {0x05060708, 12, 7}; // only the first entry of the exercise counts
        score.tactical[8] = {800, 9, 0};
        row("exercise score, to the default", [score](TovkaProtocol& p) { p.sendUebungsWertung(score, 12); },
            {(bytes({4, 7, 0, 0, 0, 0, 0, 150, 0, 1, 0, 0}) + QByteArray::fromHex("01020304" "2345" "0c" "06" "09" "000000" "0c"))
                 .leftJustified(32, '\0')},
            0x10, {"uebungswertung 16909060 9029 12"});
        row("full score", to([score](TovkaProtocol& p, auto d) { p.sendFullWertung(score, d); }), {}, 0x12,
            {"full 65686 9029 800:9 99 0"});
        row("training plan, to the planners", [](TovkaProtocol& p) { p.sendBelegungsPlaner(3, planOf(2)); },
            {QByteArray::fromHex("02090000" "6553f100" "65540d20" "000000f0" "01020304" "00000000" "00000003"
                                 "6553f100" "4e722031").leftJustified(92, '\0')
             + QByteArray::fromHex("6553f1f0" "4e722032").leftJustified(64, '\0')},
            0x70, {"plan 16909060 3 2"});
        row("queue notice, to the office", [](TovkaProtocol& p) { p.sendTextMessage(QString("abc")); },
            {bytes({5, 3, 0, 0, 16, 57, 40, 2, 'a', 'b', 'c', 0})}, 0x30, {"text 16:57:40 2 abc"});
        row("text without time", [](TovkaProtocol& p) { p.sendTextMessage(NetTextMessage(QTime(), 6, "ho"), TovkaAddress(1, 2, 1)); },
            {bytes({5, 3, 0, 0, 16, 57, 40, 6, 'h', 'o', 0})}, 0x12, {"text 16:57:40 6 ho"});
    }

    void everyMessageByteExactAndBack()
    {
        QFETCH(Send, send);
        QFETCH(QByteArrayList, payloads);
        QFETCH(int, destination);
        QFETCH(QStringList, received);
        ProtocolRig rig;
        rig.protocol.setClock(fixedClock);
        Recorder recorder(rig.protocol);
        send(rig.protocol);
        const auto packets = rig.sink.dataPackets();
        QVERIFY(!packets.isEmpty());
        QCOMPARE(int(packets.last().first.destinationAddress), destination);
        for (int i = 0; i < payloads.size(); ++i)
            QCOMPARE(packets[i].second.toHex(), payloads[i].toHex());
        for (const auto& packet : packets)
            rig.deliver(packet.second, TovkaAddress(KindJury, 2, 3));
        QCOMPARE(recorder.lines, received);
    }

    // Received messages, odd lengths the decoders must cope with among them:
    // decoding leaves the received bytes as they were.
    void hostileAndOlderLengths_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QStringList>("received");
        QByteArray older = bytes({2, 1, 0, 0, 0, 9}, 144);
        older.replace(16, 4, "Team");
        older[143] = 5; // category code
        QByteArray response = bytes({4, 9, 0, 0, 0xFF, 0xFF, 0xFF, 0xFE, 0x01, 0x02, 3, 4}, 268);
        response.replace(12, 256, QByteArray(256, 'x')); // no NUL in the field
        QTest::newRow("reserved bytes") << bytes({1, 2, 0x55, 0x66}) << QStringList{"stop 2/2/3"};
        QTest::newRow("reset of any length") << bytes({1, 3, 0, 0, 9, 9, 9}) << QStringList{"reset"};
        QTest::newRow("start clock of 7") << bytes({1, 1, 0, 0, 1, 0x2c, 0}) << QStringList{};
        QTest::newRow("count-down of 6") << bytes({1, 4, 0, 0, 0, 0}) << QStringList{};
        QTest::newRow("older next starter") << older << QStringList{"next 9 5 Team|||"};
        QTest::newRow("next starter of 143") << older.left(143) << QStringList{"next 9 0 Team|||"};
        QTest::newRow("next starter of 4") << bytes({2, 1, 0, 0}) << QStringList{"next 0 0 |||"};
        QTest::newRow("ceremony of 6") << bytes({2, 12, 0, 0, 0, 5}) << QStringList{"sieger 5 0"};
        QTest::newRow("odd starter request") << bytes({2, 6, 0, 0, 0, 5, 0}) << QStringList{"requ 5"};
        QTest::newRow("result list of 11") << bytes({2, 5, 0, 0, 0, 1, 0, 1, 0, 0, 0}) << QStringList{"ergebnis "};
        QTest::newRow("response without NUL") << response << QStringList{"response 258 -2 255"};
        QTest::newRow("response of 267") << response.left(267) << QStringList{};
        QTest::newRow("full score of 247") << bytes({4, 8}, 247) << QStringList{};
        // Unknown groups and sub-types, and payloads one byte short of their message.
        for (const QByteArray& tooShort : {bytes({1, 2, 0}), bytes({0, 1, 0, 0}), bytes({6, 1, 0, 0}), bytes({1, 5, 0, 0}),
                                           bytes({2, 13, 0, 0}), bytes({3, 6, 0, 0}), bytes({4, 11, 0, 0}),
                                           bytes({5, 4, 0, 0}), bytes({2, 9}, 27), bytes({2, 11}, 69), bytes({4, 2}, 99),
                                           bytes({4, 1}, 105), bytes({4, 3}, 759), bytes({5, 1}, 268), bytes({5, 1}, 400),
                                           bytes({5, 3}, 7)})
            QTest::addRow("refused %s of %d", tooShort.toHex().left(4).constData(), tooShort.size()) << tooShort << QStringList{};
        QTest::newRow("text of 8") << bytes({5, 3, 0, 0, 1, 2, 3, 7}) << QStringList{"text 01:02:03 7 "};
        QTest::newRow("text without NUL") << bytes({5, 3, 0, 0, 1, 2, 3, 7}).leftJustified(1024, 't')
                                          << QStringList{"text 01:02:03 7 " + QString(900, 't')};
        // A received starter becomes a club, its athletes, one entry and, for a
        // starter who is absent or has a certificate, one score.
        NetStarter_t record;
        qstrncpy(record.clubs, "RV Zell", sizeof record.clubs);
        qstrncpy(record.association, "BDR", sizeof record.association);
        qstrncpy(record.sheetName, "Berg/Kurz", sizeof record.sheetName);
        qstrncpy(record.nation, "GER", sizeof record.nation);
        const char* names[3][2] = {{"Anna", "Berg"}, {"Max", ""}, {"Eva", "Kurz"}};   // Max has no last name
        for (int i = 0; i < 3; ++i) {
            qstrncpy(record.athletes[i].firstName, names[i][0], NetSprotler_t::NameSize);
            qstrncpy(record.athletes[i].lastName, names[i][1], NetSprotler_t::NameSize);
            record.athletes[i].gender = 2;
        }
        record.athletes[0].birth = NetSprotler_t::packBirthDate(QDate(2007, 3, 15));
        record.athletes[2].birth = 99 * 512 + 11 * 32 + 31;
        record.sex = 2;
        record.disci = 4;
        record.ageClass = 3;
        record.number = 1234;
        record.rulesYear = 2024;
        qstrncpy(record.codes[0], "4101a", 8);
        qstrncpy(record.codes[1], "4102b", 8);
        const QString pair = "starter RV Zell/BDR [Anna Berg 2007-03-15 -1 GER, Eva Kurz 1999-12-31 -1 GER] Berg/Kurz "
                             "-1,-2 d4 g2 a3 n1234 4101a,4102b y2024 %1 scores %2";
        QTest::newRow("starter of two athletes") << starterPayload(record) << QStringList{pair.arg("single", "")};
        record.entryType = NetStarter_t::Absent;
        QTest::newRow("absent starter") << starterPayload(record) << QStringList{pair.arg("single", "1234:5")};
        record.entryType = NetStarter_t::Team;
        QTest::newRow("team starter") << starterPayload(record) << QStringList{pair.arg("team", "")};
        QTest::newRow("whole score without scores") << bytes({5, 1}, 284).replace(12, 4, "Anna")
                                                    << QStringList{"whole 0 0 0 Anna  []"};
        QTest::newRow("whole score of 1016") << bytes({5, 1, 0, 0, 0x30, 0x39, 2, 3}, 1016).replace(284 + 9, 1, bytes({7}))
                                             << QStringList{"whole 12345 2 3   [1:7:0,2:0:0,3:0:0]"};
    }

    void hostileAndOlderLengths()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QStringList, received);
        ProtocolRig rig;
        Recorder recorder(rig.protocol);
        const QByteArray before = payload;
        rig.deliver(payload, TovkaAddress(KindJury, 2, 3));
        QCOMPARE(recorder.lines, received);
        QCOMPARE(payload, before);
    }

    // Times are corrected by the packet's delay, in whole seconds.
    void timesGainTheDelayOfTheirPacket_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("delay");
        QTest::addColumn<QString>("received");
        const QByteArray plan = bytes({2, 9}, 28).replace(16, 4, bytes({0x65, 0x53, 0xF1, 0x00})).replace(27, 1, bytes({2}));
        QTest::newRow("plan, 499 ms") << plan << 499 << "plan 1700000000 2 0";
        QTest::newRow("plan, 1500 ms") << plan << 1500 << "plan 1700000002 2 0";
        QTest::newRow("clock, 1600 ms") << bytes({1, 1, 0, 0, 0x01, 0x2c}) << 1600 << "start 302";
    }

    void timesGainTheDelayOfTheirPacket()
    {
        QFETCH(QByteArray, payload);
        QFETCH(int, delay);
        QFETCH(QString, received);
        ProtocolRig rig;
        Recorder recorder(rig.protocol);
        rig.receive(dataPacket(payload, quint16(delay)));
        QCOMPARE(recorder.lines, QStringList{received});
    }

    // A result list takes as many messages as it needs; a list that does not
    // fit into one message is not sent at all, nor a record for no floor area.
    void longListsAreSplitOrRefused()
    {
        ProtocolRig rig;
        StartErgebnisList list;
        list.owning = true;
        for (int i = 0; i < 132; ++i) {
            auto* entry = new StartErgebnisList_t;
            entry->number = i == 5 || i == 6 ? 0 : i + 1;
            list.append(entry);
        }
        rig.protocol.sendErgebnisList(list, nullptr);
        StarterRequestList requests;
        FactorList factors;
        QualiList qualified;
        for (int i = 1; i <= 510; ++i)
            requests << i;
        rig.protocol.sendStarterRequest(requests, nullptr);
        requests << 511;
        rig.protocol.sendStarterRequest(requests, nullptr);
        for (int i = 1; i <= 256; ++i) {
            factors << qMakePair(i, 1.0);
            qualified << qMakePair(i, i);
        }
        rig.protocol.sendFactorList(factors, nullptr);
        rig.protocol.sendQualiList(qualified, nullptr);
        rig.protocol.sendBelegungsPlaner(4, planOf(18));   // three starters left out
        for (int record : {1599, 1600, -100})   // the address byte holds floor areas 0 to 15
            rig.protocol.sendRecord(record, "x");
        const auto packets = rig.sink.dataPackets();
        QCOMPARE(packets.size(), 5);
        QCOMPARE(int(packets[4].first.destinationAddress), 0x4F);
        QCOMPARE(packets[0].second.size(), 1020); // 127 entries
        QCOMPARE(packets[1].second.size(), 28);   // the last three
        QCOMPARE(packets[2].second.size(), 1024);
        QCOMPARE(packets[3].second.size(), 988);
    }

    void noByteOfAnEarlierMessageGoesOutAgain()
    {
        ProtocolRig rig;
        rig.protocol.sendTextMessage(QString(800, 'x'));
        rig.protocol.sendBelegungsPlaner(1, planOf(1));
        const QByteArray plan = rig.sink.dataPackets().at(1).second;
        QCOMPARE(plan.mid(20, 4), QByteArray(4, '\0'));
        QCOMPARE(plan.mid(2, 2), QByteArray(2, '\0'));
        QCOMPARE(plan.mid(28 + 4 + 5), QByteArray(plan.size() - 37, '\0')); // after "Nr 1"
    }

    void nothingGoesOutFromTheMonitorAddress()
    {
        ProtocolRig rig(TovkaAddress(KindNetMon, 0, 0));
        rig.protocol.sendBelegungsPlaner(1, planOf(1));
        QCOMPARE(rig.sink.dataPackets().size(), 0);
    }

    void nameIsCutTo59Bytes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("arrives");
        const QString b58(58, 'b');
        QTest::newRow("59") << b58 + "c" << b58 + "c";
        QTest::newRow("60") << b58 + "cd" << b58 + "c";
        // A two-byte character across the cut is left out whole.
        QTest::newRow("utf8 at cut") << b58 + QString::fromUtf8("ä") << b58;
        QTest::newRow("utf8 before cut") << QString(57, 'b') + QString::fromUtf8("äz") << QString(57, 'b') + QString::fromUtf8("ä");
    }
    void nameIsCutTo59Bytes()
    {
        QFETCH(QString, name);
        QFETCH(QString, arrives);
        TrainingsData data;
        data.starters.append(TrainingsStarterEntry(1, name));
        const Bytes wire = encodePlan(1, data, 0);
        QCOMPARE(wire[28 + 63], 0);
        TrainingPlanMessage decoded;
        QVERIFY(TrainingPlanMessage::decode(wire.data(), int(wire.size()), 0, &decoded));
        QCOMPARE(decoded.data.starters.at(0).nameText(), arrives);
    }

    void timesTravelAsTheirLow32Bits()
    {
        TrainingsData data;
        data.start = time_t(0x100000005LL);    // beyond 2106
        data.end = time_t(-1);                 // before 1970
        data.slot = 60;
        data.starters.append(TrainingsStarterEntry(time_t(0x1FFFFFFFFLL), "late"));
        const Bytes wire = encodePlan(1, data, time_t(0x200000007LL));
        TrainingPlanMessage decoded;
        QVERIFY(TrainingPlanMessage::decode(wire.data(), int(wire.size()), 0, &decoded));
        QCOMPARE(qint64(decoded.data.start), qint64(5));
        QCOMPARE(qint64(decoded.data.end), qint64(0xFFFFFFFFLL));
        QCOMPARE(qint64(decoded.data.starters.at(0).time), qint64(0xFFFFFFFFLL));
        QCOMPARE(qint64(decoded.senderTime), qint64(7));
    }

    void entryCountFollowsTheLength_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("entries");
        QTest::newRow("27") << 27 << false << 0;
        QTest::newRow("28") << 28 << true << 0;
        QTest::newRow("91") << 91 << true << 0;
        QTest::newRow("92") << 92 << true << 1;
        QTest::newRow("988") << 988 << true << 15;
        QTest::newRow("4000") << 4000 << true << 15;
    }
    void entryCountFollowsTheLength()
    {
        QFETCH(int, length);
        QFETCH(bool, accepted);
        QFETCH(int, entries);
        Bytes payload(size_t(std::max(length, 2)), 'n');   // names without any NUL
        payload[0] = 2;
        payload[1] = 9;
        const Bytes before = payload;
        TrainingPlanMessage decoded;
        QCOMPARE(TrainingPlanMessage::decode(payload.data(), length, 0, &decoded), accepted);
        QCOMPARE(payload, before);
        if (!accepted)
            return;
        QCOMPARE(decoded.data.starters.size(), entries);
        for (const TrainingsStarterEntry& entry : decoded.data.starters)
            QCOMPARE(entry.nameText(), QString(60, 'n'));   // read within its field
    }

    void textMessageCutTo899Bytes()
    {
        Bytes buffer(1024, 0xAA);
        const NetTextMessage message(QTime(), 1, QString(1000, 'x'));
        const int length = NetTextMessage::encode(buffer.data(), message, QTime(8, 9, 10));
        QCOMPARE(length, 908);
        QCOMPARE(int(buffer[4]), 8);   // an invalid time gives way to the current one
        QCOMPARE(int(buffer[907]), 0);
        NetTextMessage decoded;
        QVERIFY(NetTextMessage::decode(buffer.data(), length, &decoded));
        QCOMPARE(decoded.text, QString(899, 'x'));
        QCOMPARE(decoded.time, QTime(8, 9, 10));
        QCOMPARE(decoded.type, 1);
    }

    void birthDates_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("packed");
        QTest::addColumn<int>("currentYear");
        QTest::addColumn<QDate>("read");
        QTest::newRow("99 in 2025") << QDate(1999, 12, 31) << 99 * 512 + 11 * 32 + 31 << 2025 << QDate(1999, 12, 31);
        QTest::newRow("26 in 2025") << QDate(2026, 1, 1) << 26 * 512 + 1 << 2025 << QDate(1926, 1, 1);
        QTest::newRow("25 in 2025") << QDate(1925, 1, 1) << 25 * 512 + 1 << 2025 << QDate(2025, 1, 1);
        QTest::newRow("none") << QDate() << 0 << 2025 << QDate();
    }
    void birthDates()
    {
        QFETCH(QDate, date);
        QFETCH(int, packed);
        QFETCH(int, currentYear);
        QFETCH(QDate, read);
        NetSprotler_t athlete;
        athlete.birth = NetSprotler_t::packBirthDate(date);
        QCOMPARE(int(athlete.birth), packed);
        QCOMPARE(athlete.birthDate(currentYear), read);
    }

    void rulesYear_data()
    {
        QTest::addColumn<QString>("catalogueDate");
        QTest::addColumn<int>("year");
        QTest::newRow("iso") << "2024-03-01" << 2024;
        QTest::newRow("empty") << "" << 2006;
        QTest::newRow("no date") << "Stand 12" << 2006;
    }
    void rulesYear()
    {
        QFETCH(QString, catalogueDate);
        QFETCH(int, year);
        QCOMPARE(NetStarter_t::rulesYearOf(catalogueDate), year);
    }

    // What the starter record takes of a start entry and its athletes.
    void starterRecordOfAStart()
    {
        Starter_t starter;
        starter.netInfo = 0x10102;
        starter.disci = 2;
        qstrncpy(starter.codes[6], "2107a", 8);
        QList<ExpandedAthlete> athletes{ExpandedAthlete(), ExpandedAthlete()};
        athletes[0].Vorname = "Anna";
        athletes[0].Nachname = QString(40, 'B');   // cut to 31 bytes
        athletes[0].Geburtsdatum = QDate(2007, 3, 15);
        athletes[0].Geschlecht = 2;
        athletes[1].Nation = "AUT";   // the first athlete with a nation gives it
        const NetStarter_t record =
            NetStarter_t::fromStarter(starter, athletes, "RV Zell", "Berg/Kurz", "BDR", 2024, NetStarter_t::Team);
        Bytes wire(NetStarter_t::Size, 0xAA);
        record.write(wire.data());
        const QByteArray hex = QByteArray(reinterpret_cast<const char*>(wire.data()), int(wire.size())).toHex();
        QCOMPARE(hex.mid(0, 16), QByteArray("RV Zell").toHex() + "00");
        QCOMPARE(hex.mid(2 * 64, 16), QByteArray("0e4f0200") + QByteArray("Anna").toHex());   // 2007-03-15
        QCOMPARE(hex.mid(2 * 100, 64), QByteArray(31, 'B').toHex() + "00");   // cut to 31 bytes
        QCOMPARE(hex.mid(2 * 132, 2 * 340), QByteArray(2 * 340, '0'));        // athletes 2 to 6 unused
        QCOMPARE(hex.mid(2 * 472, 4 * 2), QByteArray("00020003"));
        QCOMPARE(hex.mid(2 * 508, 16), QByteArray("415554000102") + "07e8");  // AUT, number, rules year
        QCOMPARE(hex.mid(2 * (516 + 6 * 8), 16), QByteArray("2107a").toHex() + "000000");
    }

    void importWithoutRecordOrClub()
    {
        NetImport none;
        WertungList scores;
        QVERIFY(!none.run() && !none.getEntries(scores) && scores.autoDelete);
        QCOMPARE(QList<int>({none.getYear(), none.getNumber(), none.fromNetwork}), QList<int>({2006, -1, 1}));
        NetStarter_t record;
        qstrncpy(record.athletes[0].firstName, "Anna", NetSprotler_t::NameSize);
        qstrncpy(record.athletes[0].lastName, "Berg", NetSprotler_t::NameSize);
        NetImport import(&record);
        QVERIFY(import.readAthletes());   // called without its clubs
        QCOMPARE(import.athletes.at(0).Verein, 0);
    }
};

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
