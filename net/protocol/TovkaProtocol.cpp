// The protocol frame: dispatch of received payloads by group and sub-type,
// the shared encoding buffer, and the encoders and decoders of the messages.
#include "net/protocol/TovkaProtocol.h"

#include "db/Conversions.h"
#include "net/wire/ByteOrder.h"
#include "net/protocol/FullWertung.h"
#include "net/transport/TovkaNetIo.h"
#include "net/protocol/TrainingPlanMessage.h"

#include <QDateTime>
#include <QtDebug>

#include <cstring>

namespace {

// Sizes of the records that the suite's programs share, as every protocol
// logs them at start-up.
constexpr long netSprotlerSize = 68;
constexpr long netStarterSize = 756;
constexpr long fullWertungSize = 244;
constexpr long wholeWertungSize = 1012;
constexpr long taktischWertungSize = 8;

const TovkaAddress planDestination(KindBelegungsPlaner, 0, 0);
const TovkaAddress officeDestination(KindBuero, 0, 0);

time_t systemClock() { return ::time(nullptr); }

// A text field of the payload, read up to its NUL but never past the field or
// the payload's end.
QString fieldText(const unsigned char* data, int length, int offset, int width)
{
    QString text;
    const int available = qMin(width, length - offset);
    if (available <= 0)
        return text;
    return fromCString(text, reinterpret_cast<const char*>(data + offset), available);
}

void putText(unsigned char* at, const QString& text, int width)
{
    if (!text.isEmpty())
        toCString(reinterpret_cast<char*>(at), text, width);
}

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
    const unsigned char* payload = static_cast<const unsigned char*>(data);
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
    switch (data[1]) {
    case StartClock:
        if (length == startClockLength) {
            const quint32 seconds = ByteOrder::big16(data + frameSize) + TrainingPlanMessage::delaySeconds(delayMs);
            emit startClockReceived(int(seconds), sender);
        }
        break;
    case StopClock: emit stopClockReceived(sender); break;
    case ResetClock: emit resetClockReceived(sender); break;
    case CountDown:
        if (length == countDownLength)
            emit countDownReceived(data[frameSize] != 0, sender);
        break;
    default: qDebug("TovkaProtocol::handleClockMsg unknown sub=%d", data[1]); break;
    }
}

void TovkaProtocol::handleAnzeigeMsg(const unsigned char* data, int length, quint32 delayMs, TovkaAddress& sender)
{
    static const char* const handler = "TovkaProtocol::handleAnzeigeMsg";
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
        if (longEnough(handler, data, length, flagLength))
            emit AmpelReceived(data[frameSize] != 0, sender);
        break;
    case ErgebnisList: recvErgebnisList(data, length, sender); break;
    case StarterRequest: recvStarterRequest(data, length, sender); break;
    case FactorListSub: recvFactorList(data, length, sender); break;
    case Platz:
        if (longEnough(handler, data, length, flagLength))
            emit PlatzReceived(int(qint8(data[frameSize])), sender);
        break;
    case Pause:
        if (longEnough(handler, data, length, flagLength))
            emit PauseReceived(data[frameSize] != 0, sender);
        break;
    case TrainingPlanMessage::subType: recvBelegungsPlaner(data, length, delayMs, sender); break;
    case Record: recvRecord(data, length); break;
    case Siegerehrung:
        if (longEnough(handler, data, length, numberLength)) {
            const int second = length >= siegerehrungLength ? ByteOrder::big16(data + frameSize + 2) : 0;
            emit SiegerehrungReceived(ByteOrder::big16(data + frameSize), second);
        }
        break;
    default: qDebug("TovkaProtocol::handleAnzeigeMsg unknown sub=%d", data[1]); break;
    }
}

void TovkaProtocol::handleObmannMsg(const unsigned char* data, int length, TovkaAddress& sender)
{
    switch (data[1]) {
    case RequestWertung:
        if (longEnough("TovkaProtocol::handleObmannMsg", data, length, numberLength))
            emit RequestWertungReceived(short(ByteOrder::big16(data + frameSize)), sender);
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
    switch (data[1]) {
    case Kampfrichter: recvKampfrichter(data, length, sender); break;
    case CurrentUebung:
        if (longEnough("TovkaProtocol::handleGerichtMsg", data, length, numberLength))
            emit CurrentUebungReceived(ByteOrder::big16(data + frameSize), sender);
        break;
    case WbFreigeben: emit WbFreigebenReceived(); break;
    case WbAbschliessen: emit WbAbschliessenReceived(); break;
    case UebungsWertung:
        if (longEnough("TovkaProtocol::handleGerichtMsg", data, length, uebungsWertungLength)) {
            const NetUebungsWertung_t score = NetUebungsWertung_t::read(data + frameSize);
            emit UebungsWertungReceived(score, sender);
        }
        break;
    case FullWertungSub:
        if (longEnough("TovkaProtocol::handleGerichtMsg", data, length, fullWertungLength)) {
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
        qDebug("TovkaProtocol::recvBelegungsPlaner: msg to short (%d < %d)", length, TrainingPlanMessage::headerSize);
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
    if (length != recordLength) {
        qDebug(">>>>>>>>> TovkaProtocol::recvRecord  INVALID size <<<<<<<<<<<<");
        return;
    }
    const int number = ByteOrder::big16(data + frameSize);
    const QString text = fieldText(data, length, frameSize + 2, recordTextSize);
    qDebug() << "TovkaProtocol::recvRecord" << number << text;
    emit RecordReceived(number, text);
}

void TovkaProtocol::recvStarterLong(const unsigned char* data, int length, TovkaAddress& sender)
{
    if (!longEnough("TovkaProtocol::handleAnzeigeMsg", data, length, olderStarterLongLength))
        return;
    if (length < shorterStarterLongBelow)
        qDebug("handle older NetStarterLong size: %d / %ld", length, long(NetStarterLong::Size));
    const NetStarterLong record = NetStarterLong::read(data + frameSize, length - frameSize);
    if (data[1] == NextStarter)
        emit NextStarterReceived(&record, sender);
    else
        emit RequestedStarterReceived(&record, sender);
}

void TovkaProtocol::recvErgebnisList(const unsigned char* data, int length, TovkaAddress& sender)
{
    StartErgebnisList list;
    list.owning = true;
    const int count = length >= frameSize + resultEntrySize ? (length - frameSize) / resultEntrySize : 0;
    for (int i = 0; i < count; ++i) {
        const unsigned char* at = data + frameSize + i * resultEntrySize;
        auto* entry = new StartErgebnisList_t;
        entry->number = ByteOrder::big16(at);
        const quint16 place = ByteOrder::big16(at + 2);
        entry->notPlaced = (place & 0xFF) == 0xFF;
        entry->place = entry->notPlaced ? notPlacedPlace : place;
        entry->result = int(ByteOrder::big32(at + 4));
        list.append(entry);
    }
    emit ErgebnisListReceived(list, sender);
}

void TovkaProtocol::recvStarterRequest(const unsigned char* data, int length, TovkaAddress& sender)
{
    StarterRequestList list;
    for (int at = frameSize; at + 2 <= length; at += 2) {
        list.append(ByteOrder::big16(data + at));
        qDebug("Requ: %d", list.last());
    }
    emit StarterRequestReceived(list, sender);
}

void TovkaProtocol::recvFactorList(const unsigned char* data, int length, TovkaAddress& sender)
{
    FactorList list;
    for (int at = frameSize; at + 4 <= length; at += 4)
        list.append({ByteOrder::big16(data + at), ByteOrder::big16(data + at + 2) / 1000.0});
    emit FactorListReceived(list, sender);
}

void TovkaProtocol::recvQualiList(const unsigned char* data, int length, TovkaAddress& sender)
{
    qDebug("TovkaProtocol::handleObmannMsg TovkaQuali");
    QualiList list;
    for (int at = frameSize; at + 4 <= length; at += 4)
        list.append({ByteOrder::big16(data + at), ByteOrder::big16(data + at + 2)});
    emit QualiListReceived(list, sender);
}

void TovkaProtocol::recvStarterResponse(const unsigned char* data, int length, TovkaAddress& sender)
{
    if (!longEnough("TovkaProtocol::handleGerichtMsg", data, length, starterResponseLength))
        return;
    const quint32 checksum = ByteOrder::big32(data + frameSize);
    const int id = ByteOrder::big16(data + frameSize + 4);
    char text[starterResponseTextSize];
    std::memcpy(text, data + frameSize + 8, sizeof text);
    text[sizeof text - 1] = '\0';
    emit StarterResponseReceived(id, int(checksum), text, sender);
}

void TovkaProtocol::recvKampfrichter(const unsigned char* data, int length, TovkaAddress& sender)
{
    if (!longEnough("TovkaProtocol::handleGerichtMsg", data, length, kampfrichterLength))
        return;
    QString names[3];
    for (int i = 0; i < 3; ++i)
        names[i] = fieldText(data, length, frameSize + i * nameSize, nameSize);
    qDebug() << names[0] << names[1] << names[2];
    emit KampfrichterReceived(names[0], names[1], names[2], sender);
}

void TovkaProtocol::recvAllKampfrichter(const unsigned char* data, int length, TovkaAddress& sender)
{
    if (!longEnough("TovkaProtocol::handleBueroMsg", data, length, allKampfrichterLength))
        return;
    for (int entry = 1; entry <= 3; ++entry) {
        const int at = frameSize + (entry - 1) * allKampfrichterEntrySize;
        QString names[3];
        for (int i = 0; i < 3; ++i)
            names[i] = fieldText(data, length, at + i * nameSize, nameSize);
        qDebug() << "Namen(" << entry << ")" << names[0] << names[1] << names[2];
        TovkaAddress judge = sender;
        judge.instance = quint8(entry);
        emit KampfrichterReceived(names[0], names[1], names[2], judge);
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

unsigned char* TovkaProtocol::startMessage(quint8 group, quint8 sub, int length)
{
    std::memset(buffer, 0, size_t(length));
    buffer[0] = group;
    buffer[1] = sub;
    return buffer;
}

void TovkaProtocol::send(int length, const TovkaAddress* destination)
{
    if (netio)
        netio->sendData(buffer, quint32(length), destination);
}

void TovkaProtocol::sendFlag(quint8 group, quint8 sub, quint8 value, const TovkaAddress* destination)
{
    startMessage(group, sub, flagLength)[frameSize] = value;
    send(flagLength, destination);
}

void TovkaProtocol::sendNumber(quint8 group, quint8 sub, quint16 value, const TovkaAddress* destination)
{
    ByteOrder::putBig16(startMessage(group, sub, numberLength) + frameSize, value);
    send(numberLength, destination);
}

void TovkaProtocol::sendFrameOnly(quint8 group, quint8 sub, const TovkaAddress* destination)
{
    startMessage(group, sub, frameSize);
    send(frameSize, destination);
}

int TovkaProtocol::fittingEntries(const char* slot, int count, int size) const
{
    const int room = (bufferSize - frameSize) / size;
    if (count <= room)
        return count;
    qDebug("TovkaProtocol::%s: %d entries left out, only %d fit into one message", slot, count - room, room);
    return room;
}

void TovkaProtocol::notBuilt(const char* slot) const
{
    qDebug("TovkaProtocol::%s: this message cannot be built here yet", slot);
}

void TovkaProtocol::sendStartClock(int seconds, const TovkaAddress* destination)
{
    sendNumber(GroupClock, StartClock, quint16(seconds), destination);
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
    sendFlag(GroupClock, CountDown, on ? 1 : 0, destination);
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
    sendFlag(GroupAnzeige, Ampel, on ? 1 : 0, destination);
}

void TovkaProtocol::sendPlatz(int place, const TovkaAddress* destination)
{
    sendFlag(GroupAnzeige, Platz, quint8(place), destination);
}

void TovkaProtocol::sendPause(bool on, const TovkaAddress* destination)
{
    sendFlag(GroupAnzeige, Pause, on ? 1 : 0, destination);
}

void TovkaProtocol::sendAnzeigeWertung(NetStarter& starter, const TovkaAddress* destination)
{
    starter.write(startMessage(GroupAnzeige, AnzeigeWertung, anzeigeWertungLength) + frameSize);
    send(anzeigeWertungLength, destination);
}

void TovkaProtocol::sendRequestedStarter(StartErgebnisList_t* element, const char* text, const TovkaAddress* destination)
{
    if (!element)
        return;
    NetStarterLong record;
    record.number = quint16(element->number);
    record.submitted = quint32(element->submitted);
    qstrncpy(record.name, element->name, sizeof record.name);
    qstrncpy(record.clubs, element->clubs, sizeof record.clubs);
    qstrncpy(record.association, element->association, sizeof record.association);
    qstrncpy(record.nation, element->nation, sizeof record.nation);
    if (text)
        qstrncpy(record.categoryName, text, sizeof record.categoryName);
    record.category = quint32(element->category);
    record.write(startMessage(GroupAnzeige, RequestedStarter, starterLongLength) + frameSize);
    send(starterLongLength, destination);
}

// Entries with a positive number, as many messages as they need.
void TovkaProtocol::sendErgebnisList(StartErgebnisList& list, const TovkaAddress* destination)
{
    list.cursor = 0;
    int body = 0;
    startMessage(GroupAnzeige, ErgebnisList, bufferSize);
    for (; list.cursor < list.size(); ++list.cursor) {
        const StartErgebnisList_t* entry = list.at(list.cursor);
        if (!entry || entry->number <= 0)
            continue;
        if (body > resultBodyLimit) {
            send(frameSize + body, destination);
            startMessage(GroupAnzeige, ErgebnisList, bufferSize);
            body = 0;
        }
        unsigned char* at = buffer + frameSize + body;
        ByteOrder::putBig16(at, quint16(entry->number));
        ByteOrder::putBig16(at + 2, entry->notPlaced ? notPlacedMark : quint16(entry->place));
        ByteOrder::putBig32(at + 4, quint32(entry->result));
        body += resultEntrySize;
    }
    send(frameSize + body, destination);
}

void TovkaProtocol::sendStarterRequest(StarterRequestList& list, const TovkaAddress* destination)
{
    const int count = fittingEntries("sendStarterRequest", list.size(), 2);
    const int length = frameSize + 2 * count;
    unsigned char* message = startMessage(GroupAnzeige, StarterRequest, length);
    for (int i = 0; i < count; ++i)
        ByteOrder::putBig16(message + frameSize + 2 * i, quint16(list.at(i)));
    send(length, destination);
}

void TovkaProtocol::sendFactorList(const FactorList& list, const TovkaAddress* destination)
{
    const int count = fittingEntries("sendFactorList", list.size(), 4);
    const int length = frameSize + 4 * count;
    unsigned char* message = startMessage(GroupAnzeige, FactorListSub, length);
    for (int i = 0; i < count; ++i) {
        ByteOrder::putBig16(message + frameSize + 4 * i, quint16(list.at(i).first));
        ByteOrder::putBig16(message + frameSize + 4 * i + 2, quint16(int(list.at(i).second * 1000)));
    }
    send(length, destination);
}

void TovkaProtocol::sendFactorList(const FactorList& list) { sendFactorList(list, nullptr); }

void TovkaProtocol::sendQualiList(QualiList& list, const TovkaAddress* destination)
{
    const int count = fittingEntries("sendQualiList", list.size(), 4);
    const int length = frameSize + 4 * count;
    unsigned char* message = startMessage(GroupObmann, QualiListSub, length);
    for (int i = 0; i < count; ++i) {
        ByteOrder::putBig16(message + frameSize + 4 * i, quint16(list.at(i).first));
        ByteOrder::putBig16(message + frameSize + 4 * i + 2, quint16(list.at(i).second));
    }
    send(length, destination);
}

void TovkaProtocol::sendRecord(int number, QString text)
{
    unsigned char* message = startMessage(GroupAnzeige, Record, recordLength);
    ByteOrder::putBig16(message + frameSize, quint16(number));
    putText(message + frameSize + 2, text, recordTextSize);
    const TovkaAddress display(KindAnzeige, quint8(number / 100), 0);
    send(recordLength, &display);
}

// One ceremony for the displays of the first three areas.
void TovkaProtocol::sendSiegerehrung(int first, int second)
{
    for (quint8 area = 1; area <= 3; ++area) {
        unsigned char* message = startMessage(GroupAnzeige, Siegerehrung, siegerehrungLength);
        ByteOrder::putBig16(message + frameSize, quint16(first));
        ByteOrder::putBig16(message + frameSize + 2, quint16(second));
        const TovkaAddress display(KindAnzeige, area, 0);
        send(siegerehrungLength, &display);
    }
}

void TovkaProtocol::sendRequestWertung(short number, const TovkaAddress* destination)
{
    sendNumber(GroupObmann, RequestWertung, quint16(number), destination);
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
    unsigned char* message = startMessage(GroupGericht, Kampfrichter, kampfrichterLength);
    putText(message + frameSize, first, nameSize);
    putText(message + frameSize + nameSize, second, nameSize);
    putText(message + frameSize + 2 * nameSize, third, nameSize);
    send(kampfrichterLength, destination);
}

void TovkaProtocol::sendKampfrichter(QString first, QString second, QString third)
{
    sendKampfrichter(first, second, third, nullptr);
}

void TovkaProtocol::sendCurrentUebung(int exercise, const TovkaAddress* destination)
{
    sendNumber(GroupGericht, CurrentUebung, quint16(exercise), destination);
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
        .write(startMessage(GroupGericht, UebungsWertung, uebungsWertungLength) + frameSize);
    send(uebungsWertungLength, nullptr);
}

void TovkaProtocol::sendFullWertung(const Wertung_t& score, const TovkaAddress* destination)
{
    FullWertung::write(score, startMessage(GroupGericht, FullWertungSub, fullWertungLength) + frameSize);
    send(fullWertungLength, destination);
}

void TovkaProtocol::sendFullWertung(const Wertung_t& score) { sendFullWertung(score, nullptr); }

void TovkaProtocol::sendStatusRequest(const TovkaAddress* destination)
{
    sendFrameOnly(GroupGericht, StatusRequest, destination);
}

// Three entries, one per jury: its announcer and scribe, then the chief judge.
void TovkaProtocol::sendAllKampfrichter(QString chief, QString announcer1, QString scribe1, QString announcer2,
                                        QString scribe2, QString announcer3, QString scribe3)
{
    unsigned char* message = startMessage(GroupBuero, AllKampfrichter, allKampfrichterLength);
    const QString entries[3][2] = {{announcer1, scribe1}, {announcer2, scribe2}, {announcer3, scribe3}};
    for (int entry = 0; entry < 3; ++entry) {
        unsigned char* at = message + frameSize + entry * allKampfrichterEntrySize;
        putText(at, entries[entry][0], nameSize);
        putText(at + nameSize, entries[entry][1], nameSize);
        putText(at + 2 * nameSize, chief, nameSize);
    }
    send(allKampfrichterLength, &officeDestination);
}

// The messages built from a score sheet, a start entry or a competition record
// wait for those records; this program sends none of them.
void TovkaProtocol::sendWettkampf(const Competition&, const TovkaAddress*) { notBuilt("sendWettkampf"); }
void TovkaProtocol::sendWettkampf(const Competition&) { notBuilt("sendWettkampf"); }
void TovkaProtocol::sendStarter(Wertungsbogen&, const TovkaAddress*, bool) { notBuilt("sendStarter"); }
void TovkaProtocol::sendStarter(Wertungsbogen&, const TovkaAddress*) { notBuilt("sendStarter"); }
void TovkaProtocol::sendStarterResponse(const Starter_t&, QString, const TovkaAddress*) { notBuilt("sendStarterResponse"); }
void TovkaProtocol::sendStarterResponse(const Starter_t&, QString) { notBuilt("sendStarterResponse"); }
void TovkaProtocol::sendNextStarter(Wertungsbogen&, const TovkaAddress*) { notBuilt("sendNextStarter"); }
void TovkaProtocol::sendWholeWertung(Wertungsbogen&) { notBuilt("sendWholeWertung"); }
