// The protocol frame: dispatch of received payloads by group and sub-type to
// the message codecs, and the send slots that have a codec fill the shared
// encoding buffer.
#include "net/protocol/TovkaProtocol.h"

#include "net/protocol/FullWertung.h"
#include "net/protocol/KampfrichterMessage.h"
#include "net/protocol/MessageFrame.h"
#include "net/protocol/NetImport.h"
#include "net/protocol/NumberListMessage.h"
#include "net/protocol/RecordMessage.h"
#include "net/protocol/ResultListMessage.h"
#include "net/protocol/SiegerehrungMessage.h"
#include "net/protocol/StarterResponseMessage.h"
#include "net/protocol/TrainingPlanMessage.h"
#include "net/protocol/ValueMessage.h"
#include "net/protocol/WettkampfMessage.h"
#include "net/protocol/WholeWertungMessage.h"
#include "net/transport/TovkaNetIo.h"
#include "records/Starter_t.h"
#include "rules/ReglementDB.h"
#include "rules/Wertungsbogen.h"

#include <QDateTime>
#include <QtDebug>

#include <cstring>

namespace {

// Sizes of the records that the suite's programs share, as every protocol
// logs them at start-up.
constexpr long netSprotlerSize = NetSprotler_t::Size;
constexpr long netStarterSize = NetStarter_t::Size;
constexpr long fullWertungSize = FullWertung::Size;
// The largest body of message 5/1: the starter part and three scores.
constexpr long wholeWertungSize = WholeWertungMessage::headerLength - 4 + WholeWertungMessage::maxScores * FullWertung::Size;
static_assert(wholeWertungSize == 1012, "the whole score's largest body");
constexpr long taktischWertungSize = 8;

constexpr int maxSubKind = 15;   // the low nibble of the address byte

const TovkaAddress planDestination(KindBelegungsPlaner, 0, 0);
const TovkaAddress officeDestination(KindBuero, 0, 0);

time_t systemClock() { return ::time(nullptr); }

} // namespace

TovkaProtocol::TovkaProtocol(TovkaNetIo* netio)
    : QObject(nullptr), netio(netio), buffer(nullptr), clock(systemClock)
{
    connect(netio, SIGNAL(sendTextMessage ( const QString &)), this, SLOT(sendTextMessage ( const QString &)));
    connect(netio, SIGNAL(dataReceived ( const void *, int , TovkaAddress & )),
            this, SLOT(dataReceived ( const void *, int , TovkaAddress & )));
    qDebug("sizeof(NetSprotler_t)=%ld sizeof(NetStarter_t)=%ld sizeof(FullWertung)=%ld sizeof(WholeWertung=%ld",
           netSprotlerSize, netStarterSize, fullWertungSize, wholeWertungSize);
    qDebug("sizeof(TaktischWertung)=%ld", taktischWertungSize);
    buffer = new unsigned char[bufferSize]();
}

TovkaProtocol::~TovkaProtocol()
{
    delete[] buffer;
}

void TovkaProtocol::setClock(time_t (*now)())
{
    clock = now ? now : systemClock;
}

QTime TovkaProtocol::timeOfDay() const
{
    return QDateTime::fromSecsSinceEpoch(qint64(clock())).time();
}

// ---------------------------------------------------------------- receiving

void TovkaProtocol::dataReceived(const void* data, int length, TovkaAddress& sender)
{
    // The delay belongs to the packet being delivered; a modal box opened by a
    // receiver may let the transport deliver another one meanwhile.
    const quint32 delayMs = netio ? netio->lastDataDelay() : 0;
    if (!data || length < frameSize) {
        qDebug("TovkaProtocol: msg to short (%d < %ld)", length, long(frameSize));
        return;
    }
    // The decoders read a zeroed copy: the transport's bytes stay as they
    // came, and a field a short message lacks reads as 0.
    unsigned char payload[bufferSize] = {};
    length = qMin(length, int(bufferSize));
    std::memcpy(payload, data, size_t(length));
    qDebug("TovkaProtocol::dataReceived type: %d/%d", payload[0], payload[1]);
    switch (payload[0]) {
    case GroupClock: handleClockMsg(payload, length, delayMs, sender); break;
    case GroupAnzeige: handleAnzeigeMsg(payload, length, delayMs, sender); break;
    case GroupObmann: handleObmannMsg(payload, length, sender); break;
    case GroupGericht: handleGerichtMsg(payload, length, sender); break;
    case GroupBuero: handleBueroMsg(payload, length, sender); break;
    default: qDebug("unknown message ID=%d", payload[0]); break;
    }
}

void TovkaProtocol::handleClockMsg(const unsigned char* data, int length, quint32 delayMs, TovkaAddress& sender)
{
    quint16 seconds = 0;
    quint8 on = 0;
    switch (data[1]) {
    case StartClock:
        if (length == ValueMessage::numberLength && ValueMessage::decodeNumber(data, length, &seconds))
            emit startClockReceived(int(seconds + TrainingPlanMessage::delaySeconds(delayMs)), sender);
        break;
    case StopClock: emit stopClockReceived(sender); break;
    case ResetClock: emit resetClockReceived(sender); break;
    case CountDown:
        if (length == ValueMessage::byteLength && ValueMessage::decodeByte(data, length, &on))
            emit countDownReceived(on != 0, sender);
        break;
    default: qDebug("TovkaProtocol::handleClockMsg unknown sub=%d", data[1]); break;
    }
}

void TovkaProtocol::handleAnzeigeMsg(const unsigned char* data, int length, quint32 delayMs, TovkaAddress& sender)
{
    static const char* const handler = "TovkaProtocol::handleAnzeigeMsg";
    quint8 value = 0;
    switch (data[1]) {
    case NextStarter:
    case RequestedStarter: recvStarterLong(data, length, sender); break;
    case AnzeigeWertung:
        if (longEnough(handler, data, length, anzeigeWertungLength)) {
            const NetStarter record = NetStarter::read(data + frameSize);
            emit AnzeigeWertungReceived(&record, sender);
        }
        break;
    case Ampel:
        if (longEnough(handler, data, length, ValueMessage::byteLength) && ValueMessage::decodeByte(data, length, &value))
            emit AmpelReceived(value != 0, sender);
        break;
    case ErgebnisList: recvErgebnisList(data, length, sender); break;
    case StarterRequest: recvStarterRequest(data, length, sender); break;
    case FactorListSub: recvFactorList(data, length, sender); break;
    case Platz:
        if (longEnough(handler, data, length, ValueMessage::byteLength) && ValueMessage::decodeByte(data, length, &value))
            emit PlatzReceived(int(qint8(value)), sender);
        break;
    case Pause:
        if (longEnough(handler, data, length, ValueMessage::byteLength) && ValueMessage::decodeByte(data, length, &value))
            emit PauseReceived(value != 0, sender);
        break;
    case TrainingPlanMessage::subType: recvBelegungsPlaner(data, length, delayMs, sender); break;
    case RecordMessage::subType: recvRecord(data, length); break;
    case SiegerehrungMessage::subType: recvSiegerehrung(data, length); break;
    default: qDebug("TovkaProtocol::handleAnzeigeMsg unknown sub=%d", data[1]); break;
    }
}

void TovkaProtocol::handleObmannMsg(const unsigned char* data, int length, TovkaAddress& sender)
{
    quint16 number = 0;
    switch (data[1]) {
    case RequestWertung:
        if (longEnough("TovkaProtocol::handleObmannMsg", data, length, ValueMessage::numberLength)
            && ValueMessage::decodeNumber(data, length, &number))
            emit RequestWertungReceived(short(number), sender);
        break;
    case WettkampfRequest: emit RequestWettkampfReceived(&sender); break;
    case ErgebnisListRequest: emit RequestErgebnisListReceived(sender); break;
    case QualiListSub: recvQualiList(data, length, sender); break;
    case Ready: emit ReadyReceived(sender); break;
    default: qDebug("TovkaProtocol::handleObmannMsg unknown sub=%d", data[1]); break;
    }
}

void TovkaProtocol::handleGerichtMsg(const unsigned char* data, int length, TovkaAddress& sender)
{
    static const char* const handler = "TovkaProtocol::handleGerichtMsg";
    quint16 number = 0;
    switch (data[1]) {
    case Wettkampf: recvWettkampf(data, length, sender); break;
    case Kampfrichter: recvKampfrichter(data, length, sender); break;
    case Starter: recvStarter(data, length); break;
    case CurrentUebung:
        if (longEnough(handler, data, length, ValueMessage::numberLength) && ValueMessage::decodeNumber(data, length, &number))
            emit CurrentUebungReceived(number, sender);
        break;
    case WbFreigeben: emit WbFreigebenReceived(); break;
    case WbAbschliessen: emit WbAbschliessenReceived(); break;
    case UebungsWertung:
        if (longEnough(handler, data, length, uebungsWertungLength)) {
            const NetUebungsWertung_t score = NetUebungsWertung_t::read(data + frameSize);
            emit UebungsWertungReceived(score, sender);
        }
        break;
    case FullWertungSub:
        if (longEnough(handler, data, length, fullWertungLength)) {
            const Wertung_t score = FullWertung::read(data + frameSize);
            emit FullWertungReceived(score, sender);
        }
        break;
    case StarterResponse: recvStarterResponse(data, length, sender); break;
    case StatusRequest: emit StatusRequestReceived(sender); break;
    default: qDebug("TovkaProtocol::handleGerichtMsg unknown sub=%d", data[1]); break;
    }
}

void TovkaProtocol::handleBueroMsg(const unsigned char* data, int length, TovkaAddress& sender)
{
    switch (data[1]) {
    case WholeWertung: recvWholeWertung(data, length, sender); break;
    case AllKampfrichter: recvAllKampfrichter(data, length, sender); break;
    case NetTextMessage::subType: recvTextMessage(data, length, sender); break;
    default: qDebug("TovkaProtocol::handleBueroMsg unknown sub=%d", data[1]); break;
    }
}

void TovkaProtocol::recvBelegungsPlaner(const unsigned char* data, int length, quint32 delayMs,
                                        TovkaAddress& sender)
{
    TrainingPlanMessage message;
    if (!TrainingPlanMessage::decode(data, length, delayMs, &message)) {
        qDebug("TovkaProtocol::recvBelegungsPlaner: msg to short (%d < %d)", length, TrainingPlanMessage::minimumLength);
        return;
    }
    emit BelegungsPlanerReceived(message.senderTime, message.area, message.data, sender);
}

void TovkaProtocol::recvTextMessage(const unsigned char* data, int length, TovkaAddress& sender)
{
    NetTextMessage message;
    if (!NetTextMessage::decode(data, length, &message)) {
        qDebug("TovkaProtocol::handleBueroMsg text message to short (%d < %d)", length, NetTextMessage::minimumLength);
        return;
    }
    emit TextMessageReceived(message, sender);
}

void TovkaProtocol::recvRecord(const unsigned char* data, int length)
{
    int number = 0;
    QString text;
    if (!RecordMessage::decode(data, length, &number, &text)) {
        qDebug(">>>>>>>>> TovkaProtocol::recvRecord  INVALID size <<<<<<<<<<<<");
        return;
    }
    qDebug() << "TovkaProtocol::recvRecord" << number << text;
    emit RecordReceived(number, text);
}

void TovkaProtocol::recvSiegerehrung(const unsigned char* data, int length)
{
    int first = 0;
    int second = 0;
    if (longEnough("TovkaProtocol::handleAnzeigeMsg", data, length, SiegerehrungMessage::minimumLength)
        && SiegerehrungMessage::decode(data, length, &first, &second))
        emit SiegerehrungReceived(first, second);
}

// Older senders send a shorter record; what they leave out reads as empty.
void TovkaProtocol::recvStarterLong(const unsigned char* data, int length, TovkaAddress& sender)
{
    if (length < starterLongLength)
        qDebug("handle older NetStarterLong size: %d / %ld", length, long(NetStarterLong::Size));
    const NetStarterLong record = NetStarterLong::read(data + frameSize, length - frameSize);
    if (data[1] == NextStarter)
        emit NextStarterReceived(&record, sender);
    else
        emit RequestedStarterReceived(&record, sender);
}

void TovkaProtocol::recvWettkampf(const unsigned char* data, int length, TovkaAddress& sender)
{
    if (!longEnough("TovkaProtocol::handleGerichtMsg", data, length, WettkampfMessage::length)
        || !WettkampfMessage::decode(data, length, &competition))
        return;
    emit WettkampfReceived(competition, sender);
}

// Receivers that want the starter run the importer while the signal is delivered.
void TovkaProtocol::recvStarter(const unsigned char* data, int length)
{
    if (!longEnough("TovkaProtocol::handleGerichtMsg", data, length, starterLength))
        return;
    const NetStarter_t record = NetStarter_t::read(data + frameSize);
    NetImport import(&record);
    emit StarterReceived(import);
}

void TovkaProtocol::recvWholeWertung(const unsigned char* data, int length, TovkaAddress& sender)
{
    Starter_t starter;
    QList<Wertung_t> received;
    if (!WholeWertungMessage::decode(data, length, &starter, &received)) {
        qDebug("recvWholeWertung: invalid size %d != %ld", length - WholeWertungMessage::headerLength,
               long(FullWertung::Size));
        return;
    }
    WertungList scores;
    scores.autoDelete = true;
    for (const Wertung_t& score : received)
        scores.append(new Wertung_t(score));
    emit WholeWertungReceived(starter, scores, sender);
}

void TovkaProtocol::recvErgebnisList(const unsigned char* data, int length, TovkaAddress& sender)
{
    StartErgebnisList list;
    ResultListMessage::decode(data, length, &list);
    emit ErgebnisListReceived(list, sender);
}

void TovkaProtocol::recvStarterRequest(const unsigned char* data, int length, TovkaAddress& sender)
{
    StarterRequestList list = NumberListMessage::decodeStarterRequest(data, length);
    for (int number : list)
        qDebug("Requ: %d", number);
    emit StarterRequestReceived(list, sender);
}

void TovkaProtocol::recvFactorList(const unsigned char* data, int length, TovkaAddress& sender)
{
    FactorList list = NumberListMessage::decodeFactorList(data, length);
    emit FactorListReceived(list, sender);
}

void TovkaProtocol::recvQualiList(const unsigned char* data, int length, TovkaAddress& sender)
{
    qDebug("TovkaProtocol::handleObmannMsg TovkaQuali");
    QualiList list = NumberListMessage::decodeQualiList(data, length);
    emit QualiListReceived(list, sender);
}

void TovkaProtocol::recvStarterResponse(const unsigned char* data, int length, TovkaAddress& sender)
{
    StarterResponseMessage response;
    if (!longEnough("TovkaProtocol::handleGerichtMsg", data, length, StarterResponseMessage::length)
        || !StarterResponseMessage::decode(data, length, &response))
        return;
    emit StarterResponseReceived(response.id, int(response.checksum), response.text, sender);
}

void TovkaProtocol::recvKampfrichter(const unsigned char* data, int length, TovkaAddress& sender)
{
    QString names[3];
    if (!longEnough("TovkaProtocol::handleGerichtMsg", data, length, KampfrichterMessage::length)
        || !KampfrichterMessage::decode(data, length, names))
        return;
    qDebug() << names[0] << names[1] << names[2];
    emit KampfrichterReceived(names[0], names[1], names[2], sender);
}

void TovkaProtocol::recvAllKampfrichter(const unsigned char* data, int length, TovkaAddress& sender)
{
    QString names[KampfrichterMessage::entries][3];
    if (!longEnough("TovkaProtocol::handleBueroMsg", data, length, KampfrichterMessage::allLength)
        || !KampfrichterMessage::decodeAll(data, length, names))
        return;
    for (int entry = 1; entry <= KampfrichterMessage::entries; ++entry) {
        const QString* judges = names[entry - 1];
        qDebug() << "Namen(" << entry << ")" << judges[0] << judges[1] << judges[2];
        TovkaAddress judge = sender;
        judge.instance = quint8(entry);
        emit KampfrichterReceived(judges[0], judges[1], judges[2], judge);
    }
}

bool TovkaProtocol::longEnough(const char* handler, const unsigned char* data, int length, int minimum)
{
    if (length >= minimum)
        return true;
    qDebug("%s %d/%d to short (%d < %d)", handler, data[0], data[1], length, minimum);
    return false;
}

// ---------------------------------------------------------------- sending

void TovkaProtocol::send(int length, const TovkaAddress* destination)
{
    if (length > bufferSize) {
        qDebug("%d bytes - unable to send!", length);
        return;
    }
    if (netio)
        netio->sendData(buffer, quint32(length), destination);
}

void TovkaProtocol::sendFrameOnly(quint8 group, quint8 sub, const TovkaAddress* destination)
{
    MessageFrame::start(buffer, group, sub, frameSize);
    send(frameSize, destination);
}

void TovkaProtocol::sendStartClock(int seconds, const TovkaAddress* destination)
{
    send(ValueMessage::encodeNumber(buffer, GroupClock, StartClock, quint16(seconds)), destination);
}

void TovkaProtocol::sendStartClock(int seconds) { sendStartClock(seconds, nullptr); }

void TovkaProtocol::sendStopClock(const TovkaAddress* destination)
{
    sendFrameOnly(GroupClock, StopClock, destination);
}

void TovkaProtocol::sendStopClock() { sendStopClock(nullptr); }

void TovkaProtocol::sendResetClock(const TovkaAddress* destination)
{
    sendFrameOnly(GroupClock, ResetClock, destination);
}

void TovkaProtocol::sendResetClock() { sendResetClock(nullptr); }

void TovkaProtocol::sendCountDown(bool on, const TovkaAddress* destination)
{
    send(ValueMessage::encodeByte(buffer, GroupClock, CountDown, on ? 1 : 0), destination);
}

void TovkaProtocol::sendCountDown(bool on) { sendCountDown(on, nullptr); }

void TovkaProtocol::sendBelegungsPlaner(int area, TrainingsData data, const TovkaAddress* destination)
{
    int leftOut = 0;
    const int length = TrainingPlanMessage::encode(buffer, area, data, clock(), &leftOut);
    if (leftOut > 0)
        qDebug("TovkaProtocol::sendBelegungsPlaner: area %d: %d starters left out, only %d fit into one message",
               area, leftOut, TrainingPlanMessage::maxEntries);
    send(length, destination ? destination : &planDestination);
}

void TovkaProtocol::sendBelegungsPlaner(int area, TrainingsData data) { sendBelegungsPlaner(area, data, nullptr); }

void TovkaProtocol::sendTextMessage(NetTextMessage message, TovkaAddress destination)
{
    const int length = NetTextMessage::encode(buffer, message, timeOfDay());
    send(length, &destination);
}

void TovkaProtocol::sendTextMessage(QString text)
{
    sendTextMessage(NetTextMessage(timeOfDay(), NetTextMessage::officeNoticeType, text), officeDestination);
}

void TovkaProtocol::sendAmpel(bool on, const TovkaAddress* destination)
{
    send(ValueMessage::encodeByte(buffer, GroupAnzeige, Ampel, on ? 1 : 0), destination);
}

void TovkaProtocol::sendPlatz(int place, const TovkaAddress* destination)
{
    send(ValueMessage::encodeByte(buffer, GroupAnzeige, Platz, quint8(place)), destination);
}

void TovkaProtocol::sendPause(bool on, const TovkaAddress* destination)
{
    send(ValueMessage::encodeByte(buffer, GroupAnzeige, Pause, on ? 1 : 0), destination);
}

void TovkaProtocol::sendAnzeigeWertung(NetStarter& starter, const TovkaAddress* destination)
{
    starter.write(MessageFrame::start(buffer, GroupAnzeige, AnzeigeWertung, anzeigeWertungLength));
    send(anzeigeWertungLength, destination);
}

void TovkaProtocol::sendRequestedStarter(StartErgebnisList_t* element, const char* text, const TovkaAddress* destination)
{
    if (!element)
        return;
    NetStarterLong::fromResult(*element, text)
        .write(MessageFrame::start(buffer, GroupAnzeige, RequestedStarter, starterLongLength));
    send(starterLongLength, destination);
}

// Entries with a positive number, as many messages as they need.
void TovkaProtocol::sendErgebnisList(StartErgebnisList& list, const TovkaAddress* destination)
{
    list.cursor = 0;
    do
        send(ResultListMessage::encode(buffer, list), destination);
    while (list.cursor < list.size());
}

void TovkaProtocol::sendStarterRequest(StarterRequestList& list, const TovkaAddress* destination)
{
    send(NumberListMessage::encodeStarterRequest(buffer, list), destination);
}

void TovkaProtocol::sendFactorList(const FactorList& list, const TovkaAddress* destination)
{
    send(NumberListMessage::encodeFactorList(buffer, list), destination);
}

void TovkaProtocol::sendFactorList(const FactorList& list) { sendFactorList(list, nullptr); }

void TovkaProtocol::sendQualiList(QualiList& list, const TovkaAddress* destination)
{
    send(NumberListMessage::encodeQualiList(buffer, list), destination);
}

// To the display of the record's floor area, number / 100; the address
// byte holds floor areas 0 to 15 only.
void TovkaProtocol::sendRecord(int number, QString text)
{
    const int area = number / 100;
    if (area < 0 || area > maxSubKind) {
        qDebug("TovkaProtocol::sendRecord: no floor area %d for record %d", area, number);
        return;
    }
    const TovkaAddress display(KindAnzeige, quint8(area), 0);
    send(RecordMessage::encode(buffer, number, text), &display);
}

// One ceremony for the displays of the first three areas.
void TovkaProtocol::sendSiegerehrung(int first, int second)
{
    for (quint8 area = 1; area <= 3; ++area) {
        const TovkaAddress display(KindAnzeige, area, 0);
        send(SiegerehrungMessage::encode(buffer, first, second), &display);
    }
}

void TovkaProtocol::sendRequestWertung(short number, const TovkaAddress* destination)
{
    send(ValueMessage::encodeNumber(buffer, GroupObmann, RequestWertung, quint16(number)), destination);
}

void TovkaProtocol::sendWettkampfRequest(const TovkaAddress* destination)
{
    sendFrameOnly(GroupObmann, WettkampfRequest, destination);
}

void TovkaProtocol::sendErgebnisListRequest(const TovkaAddress* destination)
{
    sendFrameOnly(GroupObmann, ErgebnisListRequest, destination);
}

void TovkaProtocol::sendReady(const TovkaAddress* destination)
{
    sendFrameOnly(GroupObmann, Ready, destination);
}

void TovkaProtocol::sendKampfrichter(QString first, QString second, QString third, const TovkaAddress* destination)
{
    const QString names[3] = {first, second, third};
    send(KampfrichterMessage::encode(buffer, names), destination);
}

void TovkaProtocol::sendKampfrichter(QString first, QString second, QString third)
{
    sendKampfrichter(first, second, third, nullptr);
}

void TovkaProtocol::sendCurrentUebung(int exercise, const TovkaAddress* destination)
{
    send(ValueMessage::encodeNumber(buffer, GroupGericht, CurrentUebung, quint16(exercise)), destination);
}

void TovkaProtocol::sendCurrentUebung(int exercise) { sendCurrentUebung(exercise, nullptr); }

void TovkaProtocol::sendWbFreigeben(const TovkaAddress* destination)
{
    sendFrameOnly(GroupGericht, WbFreigeben, destination);
}

void TovkaProtocol::sendWbAbschliessen(const TovkaAddress* destination)
{
    sendFrameOnly(GroupGericht, WbAbschliessen, destination);
}

void TovkaProtocol::sendUebungsWertung(const Wertung_t& score, int exercise)
{
    NetUebungsWertung_t::fromScore(score, exercise)
        .write(MessageFrame::start(buffer, GroupGericht, UebungsWertung, uebungsWertungLength));
    send(uebungsWertungLength, nullptr);
}

void TovkaProtocol::sendFullWertung(const Wertung_t& score, const TovkaAddress* destination)
{
    FullWertung::write(score, MessageFrame::start(buffer, GroupGericht, FullWertungSub, fullWertungLength));
    send(fullWertungLength, destination);
}

void TovkaProtocol::sendFullWertung(const Wertung_t& score) { sendFullWertung(score, nullptr); }

void TovkaProtocol::sendWettkampf(const Competition& competition, const TovkaAddress* destination)
{
    send(WettkampfMessage::encode(buffer, competition), destination);
}

void TovkaProtocol::sendWettkampf(const Competition& competition) { sendWettkampf(competition, nullptr); }

void TovkaProtocol::sendStarterResponse(const Starter_t& starter, QString text, const TovkaAddress* destination)
{
    send(StarterResponseMessage::encode(buffer, starter, text), destination);
}

void TovkaProtocol::sendStarterResponse(const Starter_t& starter, QString text)
{
    sendStarterResponse(starter, text, nullptr);
}

void TovkaProtocol::sendStatusRequest(const TovkaAddress* destination)
{
    sendFrameOnly(GroupGericht, StatusRequest, destination);
}

// Three entries, one per jury: its announcer and scribe, then the chief judge.
void TovkaProtocol::sendAllKampfrichter(QString chief, QString announcer1, QString scribe1, QString announcer2,
                                        QString scribe2, QString announcer3, QString scribe3)
{
    const QString juries[KampfrichterMessage::entries][2] = {
        {announcer1, scribe1}, {announcer2, scribe2}, {announcer3, scribe3}};
    send(KampfrichterMessage::encodeAll(buffer, chief, juries), &officeDestination);
}

// ------------------------------------------------------- from a score sheet

namespace {

// The nation of the first athlete who has one.
QString firstNation(const QList<ExpandedAthlete>& athletes)
{
    for (const ExpandedAthlete& athlete : athletes) {
        if (!athlete.Nation.isEmpty())
            return athlete.Nation;
    }
    return QString();
}

} // namespace

void TovkaProtocol::sendNextStarter(Wertungsbogen& sheet, const TovkaAddress* destination)
{
    const Starter_t* starter = sheet.getStarter();
    if (!starter)
        return;
    WertungsbogenKopf kopf;
    sheet.getKopf(kopf, nullptr);
    QList<ExpandedAthlete> athletes;
    sheet.getAthletes(athletes, 1, false);
    NetStarterLong::fromStarter(*starter, kopf.verein, kopf.kategorie, kopf.verband, firstNation(athletes))
        .write(MessageFrame::start(buffer, GroupAnzeige, NextStarter, starterLongLength));
    send(starterLongLength, destination);
}

// A sheet that holds a single score of an absent starter or of one with a
// medical certificate says so in the entry type, team or not.
void TovkaProtocol::sendStarter(Wertungsbogen& sheet, const TovkaAddress* destination, bool team)
{
    const Starter_t* starter = sheet.getStarter();
    if (!starter)
        return;
    QList<ExpandedAthlete> athletes;
    sheet.getAthletes(athletes, 0, false);
    WertungsbogenKopf kopf;
    sheet.getKopf(kopf, nullptr);
    ReglementDB* catalogue = sheet.getReglementDB();
    const int rulesYear = catalogue ? NetStarter_t::rulesYearOf(catalogue->version()) : NetStarter_t::defaultRulesYear;
    qDebug().noquote() << "Kopf: " << quint16(starter->netInfo) << "'" + kopf.name + "' von '" + kopf.verein
                       + "' Reglement =" << rulesYear;
    quint8 entryType = team ? NetStarter_t::Team : NetStarter_t::Normal;
    const WertungList& scores = sheet.getWertungen();
    if (scores.size() == 1) {
        entryType = NetStarter_t::entryTypeOf(scores.at(0)->status);
        qDebug("Attest/Fehlt = %d", entryType);
    }
    NetStarter_t::fromStarter(*starter, athletes, kopf.verein, kopf.name, kopf.verband, rulesYear, entryType)
        .write(MessageFrame::start(buffer, GroupGericht, Starter, starterLength));
    send(starterLength, destination);
}

void TovkaProtocol::sendStarter(Wertungsbogen& sheet, const TovkaAddress* destination)
{
    sendStarter(sheet, destination, false);
}

void TovkaProtocol::sendWholeWertung(Wertungsbogen& sheet)
{
    const Starter_t* starter = sheet.getStarter();
    if (!starter)
        return;
    const WertungList& scores = sheet.getWertungen();
    qDebug("sendWholeWertung (%d)", scores.size());
    QList<const Wertung_t*> sent;
    for (const Wertung_t* score : scores)
        sent << score;
    send(WholeWertungMessage::encode(buffer, *starter, sent), &officeDestination);
}
