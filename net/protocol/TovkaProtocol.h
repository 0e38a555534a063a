// The suite's message layer: encodes each message into the payload of one
// acknowledged data packet of the transport, and decodes every payload the
// transport delivers into one signal per message. Messages are grouped by the
// role that sends or handles them; a group byte and a sub-type byte open
// every payload.
#pragma once

#include "net/protocol/NetStarter.h"
#include "net/protocol/NetStarterLong.h"
#include "net/protocol/NetStarter_t.h"
#include "net/protocol/NetTextMessage.h"
#include "net/protocol/NetUebungsWertung_t.h"
#include "net/protocol/ProtocolLists.h"
#include "net/wire/TovkaAddress.h"
#include "records/Wertung_t.h"
#include "net/protocol/WertungList.h"
#include "net/protocol/TrainingsData.h"
#include "records/Competition.h"

#include <QObject>
#include <QString>

#include <ctime>

class TovkaNetIo;

// Records of the score-sheet and start-entry messages; the protocol passes
// them by reference only.
class NetImport;
class Wertungsbogen;
struct Starter_t;

class TovkaProtocol : public QObject
{
    Q_OBJECT
public:
    // Message groups: the role that mainly sends or handles the message.
    enum Group : quint8 {
        GroupClock = 1,
        GroupAnzeige = 2,
        GroupObmann = 3,
        GroupGericht = 4,
        GroupBuero = 5,
    };
    enum ClockSub : quint8 { StartClock = 1, StopClock = 2, ResetClock = 3, CountDown = 4 };
    enum AnzeigeSub : quint8 {
        NextStarter = 1,
        AnzeigeWertung = 2,
        Ampel = 3,
        Platz = 4,
        ErgebnisList = 5,
        StarterRequest = 6,
        RequestedStarter = 7,
        Pause = 8,
        FactorListSub = 10,
        Record = 11,
        Siegerehrung = 12,
    };
    enum ObmannSub : quint8 { RequestWertung = 1, WettkampfRequest = 2, ErgebnisListRequest = 3, QualiListSub = 4, Ready = 5 };
    enum GerichtSub : quint8 {
        Wettkampf = 1,
        Kampfrichter = 2,
        Starter = 3,
        CurrentUebung = 4,
        WbFreigeben = 5,
        WbAbschliessen = 6,
        UebungsWertung = 7,
        FullWertungSub = 8,
        StarterResponse = 9,
        StatusRequest = 10,
    };
    enum BueroSub : quint8 { WholeWertung = 1, AllKampfrichter = 2 };

    static constexpr int frameSize = 4;          // group, sub-type, two reserved bytes
    static constexpr int bufferSize = 1024;      // the largest payload
    static constexpr int anzeigeWertungLength = frameSize + NetStarter::Size;
    static constexpr int starterLongLength = frameSize + NetStarterLong::Size;
    static constexpr int uebungsWertungLength = 32;
    static constexpr int fullWertungLength = 248;
    static constexpr int starterLength = frameSize + NetStarter_t::Size;

    explicit TovkaProtocol(TovkaNetIo* netio);
    ~TovkaProtocol() override;

    TovkaProtocol(const TovkaProtocol&) = delete;
    TovkaProtocol& operator=(const TovkaProtocol&) = delete;

    // Seam for tests: the clock whose seconds go into a training plan and
    // whose local time of day goes into a text message.
    void setClock(time_t (*now)());

signals:
    void startClockReceived(int seconds, TovkaAddress sender);
    void stopClockReceived(TovkaAddress sender);
    void resetClockReceived(TovkaAddress sender);
    void countDownReceived(bool on, TovkaAddress sender);
    void WettkampfReceived(const Competition& competition, TovkaAddress sender);
    void KampfrichterReceived(QString first, QString second, QString third, TovkaAddress sender);
    void StarterReceived(NetImport& import);
    void CurrentUebungReceived(int exercise, TovkaAddress sender);
    void WbFreigebenReceived();
    void WbAbschliessenReceived();
    void UebungsWertungReceived(const NetUebungsWertung_t& score, TovkaAddress sender);
    void FullWertungReceived(const Wertung_t& score, TovkaAddress sender);
    void StarterResponseReceived(int id, int checksum, const char* text, TovkaAddress sender);
    void StatusRequestReceived(TovkaAddress sender);
    void NextStarterReceived(const NetStarterLong* starter, TovkaAddress sender);
    void RequestedStarterReceived(const NetStarterLong* starter, TovkaAddress sender);
    void AnzeigeWertungReceived(const NetStarter* starter, TovkaAddress sender);
    void AmpelReceived(bool on, TovkaAddress sender);
    void PlatzReceived(int place, TovkaAddress sender);
    void PauseReceived(bool on, TovkaAddress sender);
    void ErgebnisListReceived(StartErgebnisList& list, TovkaAddress sender);
    void StarterRequestReceived(StarterRequestList& list, TovkaAddress sender);
    void BelegungsPlanerReceived(time_t senderTime, int area, TrainingsData data, TovkaAddress sender);
    void FactorListReceived(FactorList& list, TovkaAddress sender);
    void RecordReceived(int number, QString text);
    void SiegerehrungReceived(int first, int second);
    void WholeWertungReceived(const Starter_t& starter, WertungList& scores, TovkaAddress sender);
    void RequestWertungReceived(short number, TovkaAddress sender);
    void RequestWettkampfReceived(const TovkaAddress* sender);
    void RequestErgebnisListReceived(TovkaAddress sender);
    void QualiListReceived(QualiList& list, TovkaAddress sender);
    void ReadyReceived(TovkaAddress sender);
    void TextMessageReceived(NetTextMessage message, TovkaAddress sender);

public slots:
    void sendStartClock(int seconds, const TovkaAddress* destination);
    void sendStartClock(int seconds);
    void sendStopClock(const TovkaAddress* destination);
    void sendStopClock();
    void sendResetClock(const TovkaAddress* destination);
    void sendResetClock();
    void sendCountDown(bool on, const TovkaAddress* destination);
    void sendCountDown(bool on);
    void sendWettkampf(const Competition& competition, const TovkaAddress* destination);
    void sendWettkampf(const Competition& competition);
    void sendKampfrichter(QString first, QString second, QString third, const TovkaAddress* destination);
    void sendKampfrichter(QString first, QString second, QString third);
    void sendStarter(Wertungsbogen& sheet, const TovkaAddress* destination, bool team);
    void sendStarter(Wertungsbogen& sheet, const TovkaAddress* destination);
    void sendCurrentUebung(int exercise, const TovkaAddress* destination);
    void sendCurrentUebung(int exercise);
    void sendWbFreigeben(const TovkaAddress* destination);
    void sendWbAbschliessen(const TovkaAddress* destination);
    void sendUebungsWertung(const Wertung_t& score, int exercise);
    void sendFullWertung(const Wertung_t& score, const TovkaAddress* destination);
    void sendFullWertung(const Wertung_t& score);
    void sendStarterResponse(const Starter_t& starter, QString text, const TovkaAddress* destination);
    void sendStarterResponse(const Starter_t& starter, QString text);
    void sendStatusRequest(const TovkaAddress* destination);
    void sendNextStarter(Wertungsbogen& sheet, const TovkaAddress* destination);
    void sendAnzeigeWertung(NetStarter& starter, const TovkaAddress* destination);
    void sendAmpel(bool on, const TovkaAddress* destination);
    void sendPlatz(int place, const TovkaAddress* destination);
    void sendPause(bool on, const TovkaAddress* destination);
    void sendErgebnisList(StartErgebnisList& list, const TovkaAddress* destination);
    void sendStarterRequest(StarterRequestList& list, const TovkaAddress* destination);
    void sendRequestedStarter(StartErgebnisList_t* element, const char* text, const TovkaAddress* destination);
    void sendBelegungsPlaner(int area, TrainingsData data, const TovkaAddress* destination);
    void sendBelegungsPlaner(int area, TrainingsData data);
    void sendFactorList(const FactorList& list, const TovkaAddress* destination);
    void sendFactorList(const FactorList& list);
    void sendRecord(int number, QString text);
    void sendSiegerehrung(int first, int second);
    void sendWholeWertung(Wertungsbogen& sheet);
    void sendAllKampfrichter(QString chief, QString announcer1, QString scribe1, QString announcer2,
                             QString scribe2, QString announcer3, QString scribe3);
    void sendRequestWertung(short number, const TovkaAddress* destination);
    void sendWettkampfRequest(const TovkaAddress* destination);
    void sendErgebnisListRequest(const TovkaAddress* destination);
    void sendQualiList(QualiList& list, const TovkaAddress* destination);
    void sendReady(const TovkaAddress* destination);
    void sendTextMessage(NetTextMessage message, TovkaAddress destination);
    void sendTextMessage(QString text);
    void dataReceived(const void* data, int length, TovkaAddress& sender);

private:
    // delayMs: the delay field of the packet whose payload is decoded, for the
    // messages whose times are corrected by it.
    void handleClockMsg(const unsigned char* data, int length, quint32 delayMs, TovkaAddress& sender);
    void handleAnzeigeMsg(const unsigned char* data, int length, quint32 delayMs, TovkaAddress& sender);
    void handleObmannMsg(const unsigned char* data, int length, TovkaAddress& sender);
    void handleGerichtMsg(const unsigned char* data, int length, TovkaAddress& sender);
    void handleBueroMsg(const unsigned char* data, int length, TovkaAddress& sender);
    void recvBelegungsPlaner(const unsigned char* data, int length, quint32 delayMs, TovkaAddress& sender);
    void recvTextMessage(const unsigned char* data, int length, TovkaAddress& sender);
    void recvRecord(const unsigned char* data, int length);
    void recvSiegerehrung(const unsigned char* data, int length);
    void recvStarterLong(const unsigned char* data, int length, TovkaAddress& sender);
    void recvWettkampf(const unsigned char* data, int length, TovkaAddress& sender);
    void recvStarter(const unsigned char* data, int length);
    void recvWholeWertung(const unsigned char* data, int length, TovkaAddress& sender);
    void recvErgebnisList(const unsigned char* data, int length, TovkaAddress& sender);
    void recvStarterRequest(const unsigned char* data, int length, TovkaAddress& sender);
    void recvFactorList(const unsigned char* data, int length, TovkaAddress& sender);
    void recvQualiList(const unsigned char* data, int length, TovkaAddress& sender);
    void recvStarterResponse(const unsigned char* data, int length, TovkaAddress& sender);
    void recvKampfrichter(const unsigned char* data, int length, TovkaAddress& sender);
    void recvAllKampfrichter(const unsigned char* data, int length, TovkaAddress& sender);

    // False, with a debug line naming the handler, when the payload is shorter
    // than its message needs.
    static bool longEnough(const char* handler, const unsigned char* data, int length, int minimum);

    // Hands the first `length` bytes of the encoding buffer to the transport;
    // a message longer than the buffer was not written and is not sent.
    void send(int length, const TovkaAddress* destination);
    void sendFrameOnly(quint8 group, quint8 sub, const TovkaAddress* destination);
    // The clock's local time of day.
    QTime timeOfDay() const;

    TovkaNetIo* netio;
    Competition competition;   // of the last competition message received
    unsigned char* buffer;
    time_t (*clock)();
};
