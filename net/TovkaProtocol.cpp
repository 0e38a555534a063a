// The protocol frame: dispatch of received payloads by group and sub-type,
// the shared encoding buffer, and the messages this program sends.
#include "net/TovkaProtocol.h"

#include "net/ByteOrder.h"
#include "net/TovkaNetIo.h"
#include "net/TrainingPlanMessage.h"

#include <QTime>
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

// ---------------------------------------------------------------- receiving

void TovkaProtocol::dataReceived(const void* data, int length, TovkaAddress& sender)
{
    // The delay belongs to the packet being delivered; a modal box opened by a
    // receiver may let the transport deliver another one meanwhile.
    delayMs = netio ? netio->lastDataDelay() : 0;
    if (!data || length < frameSize) {
        qDebug("TovkaProtocol: msg to short (%d < %ld)", length, long(frameSize));
        return;
    }
    const unsigned char* payload = static_cast<const unsigned char*>(data);
    qDebug("TovkaProtocol::dataReceived type: %d/%d", payload[0], payload[1]);
    switch (payload[0]) {
    case GroupClock: handleClockMsg(payload, length, sender); break;
    case GroupAnzeige: handleAnzeigeMsg(payload, length, sender); break;
    case GroupObmann: handleObmannMsg(payload, length, sender); break;
    case GroupGericht: handleGerichtMsg(payload, length, sender); break;
    case GroupBuero: handleBueroMsg(payload, length, sender); break;
    default: qDebug("unknown message ID=%d", payload[0]); break;
    }
}

void TovkaProtocol::handleClockMsg(const unsigned char* data, int length, TovkaAddress& sender)
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

void TovkaProtocol::handleAnzeigeMsg(const unsigned char* data, int length, TovkaAddress& sender)
{
    switch (data[1]) {
    case TrainingPlanMessage::subType: recvBelegungsPlaner(data, length, sender); break;
    default: qDebug("TovkaProtocol::handleAnzeigeMsg unknown sub=%d", data[1]); break;
    }
}

void TovkaProtocol::handleObmannMsg(const unsigned char* data, int, TovkaAddress&)
{
    qDebug("TovkaProtocol::handleObmannMsg unknown sub=%d", data[1]);
}

void TovkaProtocol::handleGerichtMsg(const unsigned char* data, int, TovkaAddress&)
{
    qDebug("TovkaProtocol::handleGerichtMsg unknown sub=%d", data[1]);
}

void TovkaProtocol::handleBueroMsg(const unsigned char* data, int length, TovkaAddress& sender)
{
    switch (data[1]) {
    case NetTextMessage::subType: recvTextMessage(data, length, sender); break;
    default: qDebug("TovkaProtocol::handleBueroMsg unknown sub=%d", data[1]); break;
    }
}

void TovkaProtocol::recvBelegungsPlaner(const unsigned char* data, int length, TovkaAddress& sender)
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

void TovkaProtocol::notBuilt(const char* slot) const
{
    qDebug("TovkaProtocol::%s: this message is not sent by this program", slot);
}

void TovkaProtocol::sendStartClock(int seconds, const TovkaAddress* destination)
{
    ByteOrder::putBig16(startMessage(GroupClock, StartClock, startClockLength) + frameSize, quint16(seconds));
    send(startClockLength, destination);
}

void TovkaProtocol::sendStartClock(int seconds) { sendStartClock(seconds, nullptr); }

void TovkaProtocol::sendStopClock(const TovkaAddress* destination)
{
    startMessage(GroupClock, StopClock, frameSize);
    send(frameSize, destination);
}

void TovkaProtocol::sendStopClock() { sendStopClock(nullptr); }

void TovkaProtocol::sendResetClock(const TovkaAddress* destination)
{
    startMessage(GroupClock, ResetClock, frameSize);
    send(frameSize, destination);
}

void TovkaProtocol::sendResetClock() { sendResetClock(nullptr); }

void TovkaProtocol::sendCountDown(bool on, const TovkaAddress* destination)
{
    startMessage(GroupClock, CountDown, countDownLength)[frameSize] = on ? 1 : 0;
    send(countDownLength, destination);
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
    const int length = NetTextMessage::encode(buffer, message, QTime::currentTime());
    send(length, &destination);
}

void TovkaProtocol::sendTextMessage(QString text)
{
    sendTextMessage(NetTextMessage(QTime::currentTime(), NetTextMessage::officeNoticeType, text), officeDestination);
}

// The messages of the jury, the chief judge, the office and the hall display
// travel between the other programs of the suite; this program sends none of them.
void TovkaProtocol::sendWettkampf(const Competition&, const TovkaAddress*) { notBuilt("sendWettkampf"); }
void TovkaProtocol::sendWettkampf(const Competition&) { notBuilt("sendWettkampf"); }
void TovkaProtocol::sendKampfrichter(QString, QString, QString, const TovkaAddress*) { notBuilt("sendKampfrichter"); }
void TovkaProtocol::sendKampfrichter(QString, QString, QString) { notBuilt("sendKampfrichter"); }
void TovkaProtocol::sendStarter(Wertungsbogen&, const TovkaAddress*, bool) { notBuilt("sendStarter"); }
void TovkaProtocol::sendStarter(Wertungsbogen&, const TovkaAddress*) { notBuilt("sendStarter"); }
void TovkaProtocol::sendCurrentUebung(int, const TovkaAddress*) { notBuilt("sendCurrentUebung"); }
void TovkaProtocol::sendCurrentUebung(int) { notBuilt("sendCurrentUebung"); }
void TovkaProtocol::sendWbFreigeben(const TovkaAddress*) { notBuilt("sendWbFreigeben"); }
void TovkaProtocol::sendWbAbschliessen(const TovkaAddress*) { notBuilt("sendWbAbschliessen"); }
void TovkaProtocol::sendUebungsWertung(const Wertung_t&, int) { notBuilt("sendUebungsWertung"); }
void TovkaProtocol::sendFullWertung(const Wertung_t&, const TovkaAddress*) { notBuilt("sendFullWertung"); }
void TovkaProtocol::sendFullWertung(const Wertung_t&) { notBuilt("sendFullWertung"); }
void TovkaProtocol::sendStarterResponse(const Starter_t&, QString, const TovkaAddress*) { notBuilt("sendStarterResponse"); }
void TovkaProtocol::sendStarterResponse(const Starter_t&, QString) { notBuilt("sendStarterResponse"); }
void TovkaProtocol::sendStatusRequest(const TovkaAddress*) { notBuilt("sendStatusRequest"); }
void TovkaProtocol::sendNextStarter(Wertungsbogen&, const TovkaAddress*) { notBuilt("sendNextStarter"); }
void TovkaProtocol::sendAnzeigeWertung(NetStarter&, const TovkaAddress*) { notBuilt("sendAnzeigeWertung"); }
void TovkaProtocol::sendAmpel(bool, const TovkaAddress*) { notBuilt("sendAmpel"); }
void TovkaProtocol::sendPlatz(int, const TovkaAddress*) { notBuilt("sendPlatz"); }
void TovkaProtocol::sendPause(bool, const TovkaAddress*) { notBuilt("sendPause"); }
void TovkaProtocol::sendErgebnisList(StartErgebnisList&, const TovkaAddress*) { notBuilt("sendErgebnisList"); }
void TovkaProtocol::sendStarterRequest(StarterRequestList&, const TovkaAddress*) { notBuilt("sendStarterRequest"); }
void TovkaProtocol::sendRequestedStarter(StartErgebnisList_t*, const char*, const TovkaAddress*) { notBuilt("sendRequestedStarter"); }
void TovkaProtocol::sendFactorList(const FactorList&, const TovkaAddress*) { notBuilt("sendFactorList"); }
void TovkaProtocol::sendFactorList(const FactorList&) { notBuilt("sendFactorList"); }
void TovkaProtocol::sendRecord(int, QString) { notBuilt("sendRecord"); }
void TovkaProtocol::sendSiegerehrung(int, int) { notBuilt("sendSiegerehrung"); }
void TovkaProtocol::sendWholeWertung(Wertungsbogen&) { notBuilt("sendWholeWertung"); }
void TovkaProtocol::sendAllKampfrichter(QString, QString, QString, QString, QString, QString, QString) { notBuilt("sendAllKampfrichter"); }
void TovkaProtocol::sendRequestWertung(short, const TovkaAddress*) { notBuilt("sendRequestWertung"); }
void TovkaProtocol::sendWettkampfRequest(const TovkaAddress*) { notBuilt("sendWettkampfRequest"); }
void TovkaProtocol::sendErgebnisListRequest(const TovkaAddress*) { notBuilt("sendErgebnisListRequest"); }
void TovkaProtocol::sendQualiList(QualiList&, const TovkaAddress*) { notBuilt("sendQualiList"); }
void TovkaProtocol::sendReady(const TovkaAddress*) { notBuilt("sendReady"); }
