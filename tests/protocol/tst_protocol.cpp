// The protocol on a transport that writes into a list: every message byte for byte and back;
// short, unknown and older payloads; times corrected by the packet's delay. The codecs' bounds,
// the starter record and its import. The status bar's colours for its peers.
#include "tests/support/Datagram.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/SamplePlan.h"
#include "tests/rules/CatalogueFiles.h"

#include "net/protocol/NetImport.h"
#include "net/protocol/TovkaProtocol.h"
#include "net/protocol/TrainingPlanMessage.h"
#include "net/statusbar/StatusLabel.h"
#include "net/statusbar/TovkaStatusBar.h"
#include "net/transport/TovkaNetIo.h"
#include "net/wire/ByteOrder.h"
#include "records/ExpandedAthlete.h"
#include "records/Starter_t.h"
#include "rules/ReglementDB.h"
#include "rules/Wertungsbogen.h"

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <ctime>
#include <functional>
#include <vector>

namespace {

using P = TovkaProtocol;
using To = const TovkaAddress*;
using Send = std::function<void(P&, To)>;
using Bytes = std::vector<unsigned char>;

// Bytes given in hex, spaces skipped, padded with zeros to `length`.
QByteArray hex(const char* text, int length = 0) { return QByteArray::fromHex(text).leftJustified(length, '\0'); }

// A protocol whose transport writes into a list.
struct Rig
{
    explicit Rig(const TovkaAddress& own = TovkaAddress(KindBelegungsPlaner, 0, 0))
        : net(own.kind, own.subKind, own.instance), protocol(&net)
    {
        net.setDatagramSink(&sink);
    }

    void deliver(const QByteArray& payload)
    {
        TovkaAddress from(KindJury, 2, 3);
        protocol.dataReceived(payload.constData(), payload.size(), from);
    }

    RecordingSink sink;
    TovkaNetIo net;
    P protocol;
};

// Signal arguments as text, an address as kind/area/instance.
QString text(const QString& value) { return value; }
QString text(const TovkaAddress& a) { return QString("%1/%2/%3").arg(a.kind).arg(a.subKind).arg(a.instance); }
template<typename T, typename = std::enable_if_t<std::is_arithmetic<T>::value>>
QString text(T value) { return QString::number(value); }

template<typename... Values>
QString fields(char separator, const Values&... values) { return QStringList{text(values)...}.join(separator); }

template<typename List, typename Text>
QString join(const List& list, Text text)
{
    QStringList parts;
    for (const auto& entry : list)
        parts << text(entry);
    return parts.join(',');
}

// Every signal of the protocol as a line of text.
struct Recorder
{
    explicit Recorder(P& p)
    {
        connect(p, &P::startClockReceived, [this](int s, TovkaAddress) { add("start", s); });
        connect(p, &P::stopClockReceived, [this](TovkaAddress f) { add("stop", f); });
        connect(p, &P::resetClockReceived, [this](TovkaAddress) { add("reset"); });
        connect(p, &P::countDownReceived, [this](bool on, TovkaAddress) { add("count", on); });
        connect(p, &P::AmpelReceived, [this](bool on, TovkaAddress) { add("ampel", on); });
        connect(p, &P::PlatzReceived, [this](int n, TovkaAddress) { add("platz", n); });
        connect(p, &P::PauseReceived, [this](bool on, TovkaAddress) { add("pause", on); });
        connect(p, &P::RecordReceived, [this](int n, QString t) { add("record", n, t); });
        connect(p, &P::SiegerehrungReceived, [this](int a, int b) { add("sieger", a, b); });
        connect(p, &P::RequestWertungReceived, [this](short n, TovkaAddress) { add("wertung", n); });
        connect(p, &P::RequestWettkampfReceived, [this](To f) { add("wettkampf", *f); });
        connect(p, &P::RequestErgebnisListReceived, [this](TovkaAddress) { add("ergebnisse"); });
        connect(p, &P::ReadyReceived, [this](TovkaAddress) { add("ready"); });
        connect(p, &P::CurrentUebungReceived, [this](int n, TovkaAddress) { add("uebung", n); });
        connect(p, &P::WbFreigebenReceived, [this] { add("frei"); });
        connect(p, &P::WbAbschliessenReceived, [this] { add("zu"); });
        connect(p, &P::StatusRequestReceived, [this](TovkaAddress) { add("status"); });
        connect(p, &P::KampfrichterReceived,
                [this](QString a, QString b, QString c, TovkaAddress f) { add("judges", fields('|', a, b, c), f); });
        connect(p, &P::AnzeigeWertungReceived, [this](const NetStarter* s) { add("anzeige", s->number, s->value2, s->text); });
        connect(p, &P::NextStarterReceived, [this](const NetStarterLong* s, TovkaAddress) { starterLong("next", s); });
        connect(p, &P::RequestedStarterReceived, [this](const NetStarterLong* s, TovkaAddress) { starterLong("requested", s); });
        connect(p, &P::ErgebnisListReceived, [this](StartErgebnisList& l, TovkaAddress) {
            add("ergebnis", join(l, [](auto e) { return fields(':', e->number, e->place, e->notPlaced, e->result); }));
        });
        connect(p, &P::StarterRequestReceived, [this](StarterRequestList& l) { add("requ", join(l, [](int n) { return text(n); })); });
        connect(p, &P::FactorListReceived,
                [this](FactorList& l) { add("factor", join(l, [](auto f) { return fields(':', f.first, f.second); })); });
        connect(p, &P::QualiListReceived,
                [this](QualiList& l) { add("quali", l.size(), fields(':', l.value(0).first, l.value(0).second)); });
        connect(p, &P::UebungsWertungReceived,
                [this](const NetUebungsWertung_t& w) { add("uebungswertung", w.tacticalValue, w.startNumber, w.marks[0]); });
        connect(p, &P::FullWertungReceived, [this](const Wertung_t& w) {
            add("full", w.totalDeduction(), w.startNumber, fields(':', w.tactical[8].value, w.tactical[8].exercise),
                w.exercises[29][4], w.judge);
        });
        connect(p, &P::StarterResponseReceived, [this](int id, int sum, const char* t) { add("response", id, sum, qstrlen(t)); });
        connect(p, &P::BelegungsPlanerReceived, [this](time_t t, int area, TrainingsData d, TovkaAddress) {
            add("plan", t, area, d.starters.size(), d.starters.value(0).nameText().size());
        });
        connect(p, &P::WettkampfReceived, [this](const Competition& c, TovkaAddress) {
            add("competition", c.Datum.toString(Qt::ISODate), fields('|', c.Ort, c.Veranstalter, c.Name));
        });
        connect(p, &P::StarterReceived, [this](NetImport& import) { starter(import); });
        connect(p, &P::WholeWertungReceived, [this](const Starter_t& s, WertungList& list, TovkaAddress) {
            const QString code = QString::fromLatin1(s.codes[29], int(qstrnlen(s.codes[29], 8)));
            add("whole", s.netInfo, s.gender, s.ageClass, s.name, code,
                "[" + join(list, [](auto w) { return fields(':', w->judge, w->startNumber, w->totalDeduction()); }) + "]");
        });
        connect(p, &P::TextMessageReceived, [this](NetTextMessage m) { add("text", m.time.toString("hh:mm:ss"), m.type, m.text); });
    }

    template<typename Signal, typename Slot>
    void connect(P& p, Signal signal, Slot slot) { QObject::connect(&p, signal, slot); }
    template<typename... Values>
    void add(const Values&... values) { lines << fields(' ', values...); }
    void starterLong(const char* what, const NetStarterLong* s)
    {
        add(what, s->number, s->category, fields('|', s->name, QString::fromLatin1(s->clubs), s->categoryName, s->nation));
    }
    // What a receiver makes of a starter: club, athletes, entry, scores.
    void starter(NetImport& import)
    {
        import.run();
        WertungList scores;
        import.getEntries(scores);
        const ACCompetitorData e = import.competitors.value(0);
        const QString athletes = join(import.athletes, [](const Athlete& a) {
            return fields(' ', a.Vorname, a.Nachname, a.Geburtsdatum.toString(Qt::ISODate), a.Verein, a.Nation);
        });
        add("starter", fields('/', import.clubs.value(0).Name, import.clubs.value(0).Verband), "[" + athletes + "]", e.WbName,
            fields(',', e.athleteId(0), e.athleteId(1)), e.disci(), e.gender(), e.ageClass(), e.netInfo,
            fields(',', e.figure(0).text(), e.figure(6).text()), import.getYear(), import.isTeam() ? "team" : "single",
            "scores", join(scores, [](const Wertung_t* w) { return fields(':', w->starterRef, w->status); }));
    }
    QStringList lines;
};

// A pair's start entry, with a gap in its exercises.
Starter_t pairStart()
{
    Starter_t start;
    start.netInfo = 0x10102;   // the low 16 bits travel
    start.given = 1250;
    start.disci = 4;
    start.gender = 1;
    start.ageClass = 4;
    qstrncpy(start.name, "Berg/Kurz", sizeof start.name);
    qstrncpy(start.codes[0], "4101a", 8);
    qstrncpy(start.codes[6], "4107a", 8);
    return start;
}

// The pair's starter record. Max, without a last name, is no athlete for a
// receiver; the first nation given is the pair's.
NetStarter_t pairRecord()
{
    QList<ExpandedAthlete> athletes;
    for (const auto& name : {QStringList{"Anna", "Berg", ""}, QStringList{"Max", "", "A"}, QStringList{"Eva", "Kurz", "CH"}}) {
        athletes << ExpandedAthlete();
        athletes.last().Vorname = name[0];
        athletes.last().Nachname = name[1];
        athletes.last().Nation = name[2];
    }
    athletes[0].Geburtsdatum = QDate(2007, 3, 15);
    athletes[0].Geschlecht = 2;
    athletes[2].Geburtsdatum = QDate(1999, 12, 31);
    return NetStarter_t::fromStarter(pairStart(), athletes, "RV Zell", "Berg/Kurz", "BDR", 2024, NetStarter_t::Normal);
}

// Message 4/3 with the record as its body, written over stale bytes.
QByteArray starterPayload(const NetStarter_t& record)
{
    QByteArray payload = hex("0403 0000").leftJustified(TovkaProtocol::starterLength, '\xAA');
    record.write(reinterpret_cast<uint8_t*>(payload.data()) + 4);
    return payload;
}

const QColor green("#00E900");
const QColor yellow("yellow");
const QColor red("#Ff4040");

} // namespace

Q_DECLARE_METATYPE(Send)
Q_DECLARE_METATYPE(TovkaAddress)

class TestProtocol : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        ::tzset();
    }

    // Each message as its send slot writes it to a chief judge 2/2/0, then handed back to the
    // decoder as from a jury program 2/2/3. Then received payloads, odd lengths among them, left
    // as they were; rows with a delay come through the transport, whose packet's delay corrects
    // times, in whole seconds.
    void messages_data()
    {
        QTest::addColumn<Send>("send");   // none: the payload is received
        QTest::addColumn<QByteArrayList>("payloads");
        QTest::addColumn<int>("destination");
        QTest::addColumn<int>("delay");
        QTest::addColumn<QStringList>("received");
        const auto row = [](const char* name, const Send& send, const QByteArrayList& payloads, int destination,
                            const QStringList& received) {
            QTest::newRow(name) << send << payloads << destination << 0 << received;
        };
        const auto got = [](const QString& name, const QByteArray& payload, const QStringList& received, int delay = 0) {
            QTest::newRow(qPrintable(name)) << Send() << QByteArrayList{payload} << 0 << delay << received;
        };
        row("start clock", [](P& p, To d) { p.sendStartClock(300, d); }, {hex("0101 0000 012c")}, 0x12, {"start 300"});
        row("stop clock", [](P& p, To d) { p.sendStopClock(d); }, {hex("0102 0000")}, 0x12, {"stop 2/2/3"});
        row("reset clock", [](P& p, To d) { p.sendResetClock(d); }, {hex("0103 0000")}, 0x12, {"reset"});
        row("count-down", [](P& p, To d) { p.sendCountDown(true, d); }, {hex("0104 0000 01")}, 0x12, {"count 1"});
        row("traffic light", [](P& p, To d) { p.sendAmpel(true, d); }, {hex("0203 0000 01")}, 0x12, {"ampel 1"});
        row("place", [](P& p, To d) { p.sendPlatz(200, d); }, {hex("0204 0000 c8")}, 0x12, {"platz -56"});
        row("pause", [](P& p, To d) { p.sendPause(false, d); }, {hex("0208 0000 00")}, 0x12, {"pause 0"});
        row("score request", [](P& p, To d) { p.sendRequestWertung(-2, d); }, {hex("0301 0000 fffe")}, 0x12, {"wertung -2"});
        row("competition request", [](P& p, To d) { p.sendWettkampfRequest(d); }, {hex("0302 0000")}, 0x12, {"wettkampf 2/2/3"});
        row("result list request", [](P& p, To d) { p.sendErgebnisListRequest(d); }, {hex("0303 0000")}, 0x12, {"ergebnisse"});
        row("ready", [](P& p, To d) { p.sendReady(d); }, {hex("0305 0000")}, 0x12, {"ready"});
        row("current exercise", [](P& p, To d) { p.sendCurrentUebung(0x1234, d); }, {hex("0404 0000 1234")}, 0x12, {"uebung 4660"});
        row("release sheet", [](P& p, To d) { p.sendWbFreigeben(d); }, {hex("0405 0000")}, 0x12, {"frei"});
        row("close sheet", [](P& p, To d) { p.sendWbAbschliessen(d); }, {hex("0406 0000")}, 0x12, {"zu"});
        row("status request", [](P& p, To d) { p.sendStatusRequest(d); }, {hex("040a 0000")}, 0x12, {"status"});
        const QString recordText = QString::fromUtf8("Rekord für Anna");
        row("record", [recordText](P& p, To) { p.sendRecord(205, recordText); },
            {hex("020b 0000 00cd", 68).replace(6, 16, recordText.toUtf8())}, 0x42, {"record 205 " + recordText});
        const QByteArray ceremony = hex("020c 0000 0102 0304");
        row("award ceremony, to three displays", [](P& p, To) { p.sendSiegerehrung(0x0102, 0x0304); },
            {ceremony, ceremony, ceremony}, 0x43, {"sieger 258 772", "sieger 258 772", "sieger 258 772"});
        row("judges", [](P& p, To d) { p.sendKampfrichter(QString(40, 'A'), "", "C", d); },
            {hex("0402", 100).replace(4, 31, QByteArray(31, 'A')).replace(68, 1, "C")}, 0x12,
            {"judges " + QString(31, 'A') + "||C 2/2/3"});
        Competition cup;
        cup.Datum = QDate(2026, 5, 17);
        cup.Ort = QString::fromUtf8("Zell am Sée");
        cup.Name = QString(40, 'N');   // cut to 31 bytes
        cup.ID = 9;                    // not carried
        row("competition", [cup](P& p, To d) { p.sendWettkampf(cup, d); },
            {hex("0401 0000 1105 07ea", 106).replace(8, 12, cup.Ort.toUtf8())
                 .replace(72, 31, QByteArray(31, 'N')).replace(104, 1, hex("01"))},
            0x12, {QString("competition 2026-05-17 %1||%2").arg(cup.Ort, QString(31, 'N'))});
        Starter_t entry;
        entry.id = 0x12345;   // the low 16 bits travel
        entry.checksum = 0x01020304;
        entry.disci = 4;
        entry.ageClass = 3;
        row("starter response", [entry](P& p, To d) { p.sendStarterResponse(entry, "ok", d); },
            {hex("0409 0000 0102 0304 2345 0403", 268).replace(12, 2, "ok")}, 0x12, {"response 9029 16909060 2"});
        // From a score sheet without entry list and catalogue: no club texts,
        // no athletes, no category, the rules year 2006. The sheet shares the
        // records, so a start number given after the hand-over is sent.
        const auto sheetOf = [start = pairStart()](int scores, const std::function<void(P&, Wertungsbogen&, To)>& send) {
            return Send([start, scores, send](P& p, To d) {
                Starter_t entry = start;
                Wertung_t records[4];
                WertungList list;
                for (int i = 0; i < scores; ++i) {
                    records[i].status = 5;
                    records[i].deduction1 = quint32(10 * i);
                    list.append(&records[i]);
                }
                Wertungsbogen sheet(nullptr, &entry, nullptr, nullptr);
                sheet.setWertungen(list);
                for (int i = 0; i < scores; ++i)
                    records[i].startNumber = 258;
                send(p, sheet, d);
            });
        };
        const QByteArray code = QByteArray("4101a").leftJustified(48, '\0') + "4107a";
        row("next starter", sheetOf(0, [](P& p, Wertungsbogen& s, To d) { p.sendNextStarter(s, d); }),
            {hex("0201 0000 0102 0007 0000 04e2", 180).replace(16, 9, "Berg/Kurz").replace(143, 1, hex("6c"))},
            0x12, {"next 258 108 Berg/Kurz|||"});
        row("starter, one absent score of a team", sheetOf(1, [](P& p, Wertungsbogen& s, To d) { p.sendStarter(s, d, true); }),
            {hex("0403", 760).replace(36, 9, "Berg/Kurz").replace(476, 4, hex("0104 0402"))
                 .replace(516, 4, hex("0102 07d6")).replace(520, 53, code)},
            0x12, {"starter / []  0,0 0 0 0 0 , 2006 single scores 258:5"});
        row("whole score, three of four", sheetOf(4, [](P& p, Wertungsbogen& s, To) { p.sendWholeWertung(s); }),
            {hex("0501 0000 0102 0104", 1016).replace(12, 9, "Berg/Kurz").replace(44, 53, code)
                 .replace(292, 3, hex("010205")).replace(528, 4, hex("0000000a")).replace(536, 3, hex("010205"))
                 .replace(772, 4, hex("00000014")).replace(780, 3, hex("010205"))},
            0x30, {"whole 258 1 4 Berg/Kurz  [1:258:0,2:258:10,3:258:20]"});
        QByteArray all = hex("0502", 292);
        all.replace(4, 3, "An1").replace(36, 3, "Sc1").replace(68, 5, "Chief");
        all.replace(132, 3, "Sc2").replace(164, 5, "Chief").replace(196, 3, "An3").replace(260, 5, "Chief");
        row("all judges", [](P& p, To) { p.sendAllKampfrichter("Chief", "An1", "Sc1", "", "Sc2", "An3", ""); }, {all},
            0x30, {"judges An1|Sc1|Chief 2/2/1", "judges |Sc2|Chief 2/2/2", "judges An3||Chief 2/2/3"});
        NetStarter display{0x0102, {0xAB, 0}, 0x03040506, 0xFFFFFFFE, "Zeitwertung"};
        row("display score", [display](P& p, To d) mutable { p.sendAnzeigeWertung(display, d); },
            {hex("0202 0000 0102 ab00 0304 0506 ffff fffe").leftJustified(48, '\0').replace(16, 11, "Zeitwertung")}, 0x12,
            {"anzeige 258 4294967294 Zeitwertung"});
        QByteArray requested = hex("0207 0000 002a 0000 0000 3039", 180);
        requested.replace(16, 9, "Anna Berg").replace(48, 31, QByteArray(31, 'c')).replace(80, 7, "Platz 1");
        requested.replace(140, 4, hex("00000077")).replace(144, 3, "BDR").replace(176, 3, "GER");
        row("requested starter", [](P& p, To d) {
                p.sendRequestedStarter(nullptr, "nichts", d);   // nothing to send
                StartErgebnisList_t element{42, 0, 12345, 0, 0x77, "Anna Berg", {}, "BDR", "GER"};
                std::memset(element.clubs, 'c', sizeof element.clubs);   // no NUL at all
                p.sendRequestedStarter(&element, "Platz 1", d);
            },
            {requested}, 0x12, {QString("requested 42 119 Anna Berg|%1|Platz 1|GER").arg(QString(31, 'c'))});
        row("result list", [](P& p, To d) {
                StartErgebnisList list;
                list.owning = true;
                list << new StartErgebnisList_t{1, 1, 0, 1000} << new StartErgebnisList_t{0, 2, 0, 1001};   // no number: left out
                list << new StartErgebnisList_t{3, 3, 0, 1002};
                list.last()->notPlaced = true;
                p.sendErgebnisList(list, d);
            },
            {hex("0205 0000 0001 0001 0000 03e8 0003 ffff 0000 03ea")}, 0x12, {"ergebnis 1:1:0:1000,3:100:1:1002"});
        StarterRequestList requests{{1, 65535, 7}};
        row("starter request", [requests](P& p, To d) mutable { p.sendStarterRequest(requests, d); },
            {hex("0206 0000 0001 ffff 0007")}, 0x12, {"requ 1,65535,7"});
        // 1.001 as received: the product falls a hair below 1001 thousandths.
        row("factor list", [](P& p, To d) { p.sendFactorList(FactorList{{{3, 1.2345}, {4, 0.5}, {5, 1001 / 1000.0}}}, d); },
            {hex("020a 0000 0003 04d2 0004 01f4 0005 03e9")}, 0x12, {"factor 3:1.234,4:0.5,5:1.001"});
        QualiList qualified{{{10, 20}}};
        row("qualification list", [qualified](P& p, To d) mutable { p.sendQualiList(qualified, d); },
            {hex("0304 0000 000a 0014")}, 0x12, {"quali 1 10:20"});
        Wertung_t score;
        score.deduction1 = 150;
        score.deduction2 = 0x10000;
        score.startNumber = 0x12345;   // the low 16 bits travel
        score.status = 6;
        score.judge = 2;               // not carried
        for (int i = 0; i < Wertung_t::exerciseCount; ++i)
            score.exercises[i][0] = quint8(i + 1);
        score.exercises[29][4] = 99;
        score.tactical[3] = {0x01020304, 12, 9};
        score.tactical[4] = {0x05060708, 12, 7};   // only the first entry of the exercise counts
        score.tactical[8] = {800, 9, 0};
        row("exercise score, to the default", [score](P& p, To) { p.sendUebungsWertung(score, 12); },
            {hex("0407 0000 0000 0096 0001 0000 0102 0304 2345 0c 06 09 000000 0c").leftJustified(32, '\0')}, 0x10,
            {"uebungswertung 16909060 9029 12"});
        row("full score", [score](P& p, To d) { p.sendFullWertung(score, d); }, {}, 0x12, {"full 65686 9029 800:9 99 0"});
        row("training plan, to the planners", [](P& p, To) { p.sendBelegungsPlaner(3, samplePlan(2, "Nr ", 1700000000, 7200, 240)); },
            {hex("0209 0000 6553f100 65540d20 000000f0 01020304 00000000 00000003 6553f100 4e722031").leftJustified(92, '\0')
             + hex("6553f1f0 4e722032").leftJustified(64, '\0')},
            0x70, {"plan 16909060 3 2 4"});
        // A long text first: the notice after it must not carry its bytes.
        row("long text without time, then a queue notice to the office", [](P& p, To) {
                p.sendTextMessage(NetTextMessage(QTime(), 6, QString(1000, 'x')), TovkaAddress(1, 2, 1));
                p.sendTextMessage(QString("abc"));
            },
            {hex("0503 0000 10 39 28 06") + QByteArray(899, 'x') + '\0', hex("0503 0000 10 39 28 02") + "abc" + '\0'},
            0x30, {"text 16:57:40 6 " + QString(899, 'x'), "text 16:57:40 2 abc"});
        const QByteArray plan = hex("0209", 28).replace(16, 4, hex("6553f100")).replace(27, 1, hex("02"));
        got("plan, 499 ms", plan, {"plan 1700000000 2 0 0"}, 499);
        got("plan, 1500 ms", plan, {"plan 1700000002 2 0 0"}, 1500);
        got("clock, 1600 ms", hex("0101 0000 012c"), {"start 302"}, 1600);
        got("reserved bytes", hex("0102 5566"), {"stop 2/2/3"});
        const QByteArray older = hex("0201 0000 0009", 144).replace(16, 4, "Team").replace(143, 1, hex("05"));   // category code 5
        got("older next starter", older, {"next 9 5 Team|||"});
        got("next starter of 4", hex("0201 0000"), {"next 0 0 |||"});
        got("ceremony of 6", hex("020c 0000 0005"), {"sieger 5 0"});
        got("odd starter request", hex("0206 0000 0005 00"), {"requ 5"});
        got("result list of 11", hex("0205 0000 0001 0001 0000 00"), {"ergebnis "});
        const QByteArray response = hex("0409 0000 ffff fffe 0102 0304") + QByteArray(256, 'x');   // no NUL
        got("response without NUL", response, {"response 258 -2 255"});
        // Unknown groups and sub-types, and payloads a byte short or long of their message.
        for (const QByteArray& refused : {hex("0102 00"), hex("0001 0000"), hex("0601 0000"), hex("0105 0000"), hex("020d 0000"),
                                          hex("0306 0000"), hex("040b 0000"), hex("0504 0000"), hex("0101 0000 012c00"),
                                          hex("0104 0000 0000"), response.left(267), hex("0408", 247),
                                          hex("020b", 69), hex("0402", 99), hex("0401", 105), hex("0403", 759), hex("0501", 268),
                                          hex("0501", 400), hex("0503", 7)})
            got(QString("refused %1 of %2").arg(QString(refused.toHex().left(4))).arg(refused.size()), refused, {});
        const QByteArray names = hex("0209", 28) + QByteArray(4000, 'n');   // whole entries only, each name within its field
        // A short plan: its starters and the fields it lacks read as 0.
        got("plan of 4", hex("0209", 4), {"plan 0 0 0 0"});
        got("plan of 27", plan.left(27), {"plan 1700000000 0 0 0"});
        got("plan of 91", names.left(91), {"plan 0 0 0 0"});
        got("plan of 92", names.left(92), {"plan 0 0 1 60"});
        got("plan of 4000", names, {"plan 0 0 15 60"});
        got("text of 8", hex("0503 0000 0102 0307"), {"text 01:02:03 7 "});
        got("text without NUL", hex("0503 0000 0102 0307").leftJustified(1024, 't'), {"text 01:02:03 7 " + QString(900, 't')});
        // A received starter becomes a club, its athletes, one entry and, for a
        // starter who is absent or has a certificate, one score.
        NetStarter_t record = pairRecord();
        const QString pair = "starter RV Zell/BDR [Anna Berg 2007-03-15 -1 A,Eva Kurz 1999-12-31 -1 A] Berg/Kurz "
                             "-1,-2 4 1 4 258 4101a,4107a 2024 %1 scores %2";
        got("starter of two athletes", starterPayload(record), {pair.arg("single", "")});
        record.entryType = NetStarter_t::Absent;
        got("absent starter", starterPayload(record), {pair.arg("single", "258:5")});
        record.entryType = NetStarter_t::Team;
        got("team starter", starterPayload(record), {pair.arg("team", "")});
        got("whole score without scores, a code without NUL", hex("0501", 284).replace(12, 4, "Anna").replace(276, 8, "4101abcd"),
            {"whole 0 0 0 Anna 4101abcd []"});
    }

    void messages()
    {
        QFETCH(Send, send);
        QFETCH(QByteArrayList, payloads);
        QFETCH(int, delay);
        Rig rig;
        rig.protocol.setClock([] { return time_t(0x01020304); });
        Recorder recorder(rig.protocol);
        const QByteArray before(payloads.value(0).constData(), payloads.value(0).size());   // a copy of its own
        if (send) {
            const TovkaAddress chief(KindChief, 2, 0);
            send(rig.protocol, &chief);
            const auto packets = rig.sink.dataPackets();
            QTEST(int(packets.value(packets.size() - 1).first.destinationAddress), "destination");
            for (int i = 0; i < payloads.size(); ++i)
                QCOMPARE(packets[i].second.toHex(), payloads[i].toHex());
            for (const auto& packet : packets)
                rig.deliver(packet.second);
        } else if (delay) {
            receive(rig.net, Datagram{PacketType::DATA, TovkaAddress(KindAnzeige, 1, 0), TovkaAddress(KindBelegungsPlaner, 0, 0),
                                      "halle-b", payloads[0], 1, 0, quint16(delay)});
        } else {
            rig.deliver(payloads[0]);
        }
        QTEST(recorder.lines, "received");
        QCOMPARE(payloads.value(0), before);
    }

    // A result list takes as many messages as it needs; a list that does not
    // fit into one message is not sent at all, nor a record for no floor area.
    void longListsAreSplitOrRefused()
    {
        Rig rig;
        StartErgebnisList list;
        list.owning = true;
        for (int i = 0; i < 132; ++i)
            list << new StartErgebnisList_t{i == 5 || i == 6 ? 0 : i + 1};
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
        rig.protocol.sendBelegungsPlaner(4, samplePlan(18));   // three starters left out
        for (int record : {1599, 1600, -100})                  // the address byte holds floor areas 0 to 15
            rig.protocol.sendRecord(record, "x");
        const auto packets = rig.sink.dataPackets();
        QList<int> sizes;   // 127 result entries, the last three, 510 starters, 15 plan entries, the record
        for (const auto& packet : packets)
            sizes << packet.second.size();
        QCOMPARE(sizes, QList<int>({1020, 28, 1024, 988, 68}));
        QCOMPARE(int(packets[4].first.destinationAddress), 0x4F);
    }

    // A name is cut to 59 bytes, a two-byte character across the cut left out whole.
    void planBounds()
    {
        const QString b58(58, 'b'), umlaut = QString::fromUtf8("ä");
        TrainingsData data;
        for (const QString& name : {b58 + "cd", b58 + umlaut, b58.left(57) + umlaut + "z"})
            data.starters.append(TrainingsStarterEntry(0, name));
        Bytes wire(1024, 0xAA);               // stale bytes that must never go out
        wire.resize(size_t(TrainingPlanMessage::encode(wire.data(), 1, data, 0)));
        QCOMPARE(QList<int>({wire[28 + 63], wire[92 + 63], wire[156 + 63]}), QList<int>({0, 0, 0}));
        TrainingPlanMessage decoded;
        QVERIFY(TrainingPlanMessage::decode(wire.data(), int(wire.size()), 0, &decoded));
        QCOMPARE(join(decoded.data.starters, [](const TrainingsStarterEntry& e) { return e.nameText(); }),
                 b58 + "c," + b58 + "," + b58.left(57) + umlaut);
    }

    // The starter record's rules year: that of the catalogue's date text, 0
    // when the text is no date; 2006 only for a sheet without catalogue.
    void rulesYearOfTheCatalogue_data()
    {
        QTest::addColumn<QString>("dateText");   // null: no catalogue
        QTest::addColumn<int>("year");
        QTest::newRow("dated") << "01.03.2024" << 2024;
        QTest::newRow("not a date") << "Stand 12" << 0;
        QTest::newRow("no catalogue") << QString() << 2006;
    }

    void rulesYearOfTheCatalogue()
    {
        QFETCH(QString, dateText);
        QTemporaryDir dir;
        const QString path = dir.filePath("Reglement.ldb");
        ReglementDB catalogue;
        QVERIFY(dateText.isNull() || (CatalogueFiles::write(path, dateText) && catalogue.open(path, true)));
        Starter_t entry = pairStart();
        Wertungsbogen sheet(nullptr, &entry, dateText.isNull() ? nullptr : &catalogue, nullptr);
        Rig rig;
        rig.protocol.sendStarter(sheet, nullptr);
        const QByteArray sent = rig.sink.dataPackets().value(0).second;
        QCOMPARE(sent.size(), TovkaProtocol::starterLength);
        QTEST(int(ByteOrder::big16(reinterpret_cast<const uint8_t*>(sent.constData()) + 4 + 514)), "year");
    }

    // Where the starter record puts what it takes of a start entry and its
    // athletes; two-digit birth years after the current one are of the last
    // century. An import without record or clubs.
    void starterRecord()
    {
        const QByteArray hex = starterPayload(pairRecord()).mid(4).toHex();
        QCOMPARE(hex.mid(0, 16), QByteArray("RV Zell").toHex() + "00");
        QCOMPARE(hex.mid(2 * 64, 16), QByteArray("0e4f0200") + QByteArray("Anna").toHex());   // 2007-03-15
        QCOMPARE(hex.mid(2 * 268, 2 * 204), QByteArray(2 * 204, '0'));                        // athletes 4 to 6 unused
        QCOMPARE(hex.mid(2 * 508, 16), QByteArray("41000000" "0102" "07e8"));                  // nation, number, rules year
        for (const QDate& date : {QDate(1999, 12, 31), QDate(1926, 1, 1), QDate(2025, 1, 1), QDate()}) {
            NetSprotler_t athlete;
            athlete.birth = NetSprotler_t::packBirthDate(date);
            QCOMPARE(athlete.birthDate(2025), date);
        }
        NetImport none;
        WertungList scores;
        QVERIFY(!none.run() && !none.getEntries(scores) && scores.autoDelete);
        const NetStarter_t record = pairRecord();
        NetImport import(&record);
        QVERIFY(import.readAthletes());   // called without its clubs
        QCOMPARE(import.athletes.at(0).Verein, 0);
    }

    // Which peer turns which label green, by the label's text; a jury in jury
    // mode takes its trainer for its chief.
    void peerTurnsItsLabelGreen_data()
    {
        QTest::addColumn<uint>("ownKind");
        QTest::addColumn<bool>("juryMode");
        QTest::addColumn<TovkaAddress>("peer");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QColor>("before");
        QTest::addColumn<QColor>("after");
        const uint planner = KindBelegungsPlaner, chief = KindChief, jury = KindJury;
        // The own program is of floor area 2.
        QTest::newRow("planner 2") << planner << false << TovkaAddress(planner, 0, 2) << "Training 2" << yellow << green;
        QTest::newRow("jury of the own area") << chief << false << TovkaAddress(jury, 2, 3) << "Jury 3" << red << green;
        QTest::newRow("jury of another area") << chief << false << TovkaAddress(jury, 1, 3) << "Jury 3" << red << red;
        QTest::newRow("office to a chief") << uint(KindBuero) << false << TovkaAddress(chief, 2, 0) << "Chief 2" << red << green;
        for (uint kind : {planner, chief, jury})
            QTest::addRow("office seen by kind %u", kind) << kind << false << TovkaAddress(KindBuero, 0, 0) << "Buero" << yellow << green;
        QTest::newRow("chief of its area") << jury << false << TovkaAddress(chief, 2, 0) << "Chief" << red << green;
        QTest::newRow("jury mode: trainer") << jury << true << TovkaAddress(KindAusbilder, 1, 0) << "Chief" << red << green;
        QTest::newRow("jury mode: chief") << jury << true << TovkaAddress(chief, 2, 0) << "Chief" << red << red;
    }
    void peerTurnsItsLabelGreen()
    {
        QFETCH(uint, ownKind);
        QFETCH(bool, juryMode);
        QFETCH(TovkaAddress, peer);
        QFETCH(QString, label);
        Rig rig{TovkaAddress(KindNetMon, 0, 0)};
        TovkaStatusBar status(&rig.net, nullptr);
        QVERIFY(rig.net.setOwnAddress(ownKind, 2, 1));
        rig.net.setJuryMode(juryMode);
        StatusLabel* shown = nullptr;
        for (StatusLabel* candidate : status.findChildren<StatusLabel*>())
            shown = candidate->text() == label ? candidate : shown;
        QVERIFY(shown);
        QTEST(shown->baseColor(), "before");
        receive(rig.net, heartbeat(peer, "halle-c"));
        QTEST(shown->baseColor(), "after");
        receive(rig.net, shutdownNotice(peer, "halle-c"));
        QTEST(shown->baseColor(), "before");
    }
};

QTEST_MAIN(TestProtocol)
#include "tst_protocol.moc"
