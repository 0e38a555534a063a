// Fuzz target for the protocol's receive path and its codecs: every payload
// the transport may deliver (0 to 1024 bytes) goes through
// TovkaProtocol::dataReceived, group and sub-type taken from the input, and
// then through every codec that has an encoder: what a decoder read, its
// encoder writes again so that decoding it gives the same values, and every
// byte a record's writer defines comes back as it arrived. No decoder may
// read past the payload or write into it. Before fuzzing, every group and
// sub-type is swept once with every length.
#include "net/protocol/FullWertung.h"
#include "net/protocol/KampfrichterMessage.h"
#include "net/protocol/NetStarter.h"
#include "net/protocol/NetStarterLong.h"
#include "net/protocol/NetStarter_t.h"
#include "net/protocol/NetTextMessage.h"
#include "net/protocol/NetUebungsWertung_t.h"
#include "net/protocol/NumberListMessage.h"
#include "net/protocol/RecordMessage.h"
#include "net/protocol/ResultListMessage.h"
#include "net/protocol/SiegerehrungMessage.h"
#include "net/protocol/StarterResponseMessage.h"
#include "net/protocol/TovkaProtocol.h"
#include "net/protocol/TrainingPlanMessage.h"
#include "net/protocol/ValueMessage.h"
#include "net/protocol/WettkampfMessage.h"
#include "net/protocol/WholeWertungMessage.h"
#include "net/transport/DatagramSink.h"
#include "net/transport/TovkaNetIo.h"
#include "net/wire/PacketHeader.h"
#include "records/Starter_t.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int frame = 4;

class NullSink : public DatagramSink
{
public:
    bool writeDatagram(const char*, int) override { return true; }
};

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

void require(bool ok)
{
    if (!ok)
        std::abort();
}

struct Receiver
{
    Receiver() : net(KindBelegungsPlaner, 0, 0), protocol(&net) { net.setDatagramSink(&sink); }
    NullSink sink;
    TovkaNetIo net;
    TovkaProtocol protocol;
};

Receiver* receiver = nullptr;

// Delivers exactly `size` bytes from a buffer of that size, so any read past
// the payload is caught, and checks that nothing was written into it.
void deliver(const uint8_t* data, size_t size)
{
    std::unique_ptr<uint8_t[]> payload(new uint8_t[size ? size : 1]);
    if (size)
        std::memcpy(payload.get(), data, size);
    TovkaAddress sender(KindAnzeige, 1, 0);
    receiver->protocol.dataReceived(size ? payload.get() : nullptr, int(size), sender);
    if (size && std::memcmp(payload.get(), data, size) != 0)
        std::abort();
}

// A text read off the wire survives its field when its UTF-8 fits.
bool fits(const QString& text, int width)
{
    return text.toUtf8().size() < width;
}

// ---------------------------------------------------------------- records

// write(read(bytes)) gives the bytes back, except those the writer leaves 0.
template <typename Read, typename Write>
void recordKeepsItsBytes(const uint8_t* in, int size, Read read, Write write, std::initializer_list<int> unwritten)
{
    Bytes expected(in, in + size);
    for (int at : unwritten)
        expected[size_t(at)] = 0;
    Bytes out(size_t(size), 0xAA);
    write(read(in), out.data());
    require(out == expected);
}

void records(const uint8_t* data, size_t length)
{
    if (length >= size_t(NetStarter::Size))
        recordKeepsItsBytes(data, NetStarter::Size, NetStarter::read,
                            [](const NetStarter& r, uint8_t* out) { r.write(out); }, {});
    if (length >= size_t(NetUebungsWertung_t::Size))
        recordKeepsItsBytes(data, NetUebungsWertung_t::Size, NetUebungsWertung_t::read,
                            [](const NetUebungsWertung_t& r, uint8_t* out) { r.write(out); },
                            {17, 18, 19, 25, 26, 27});
    if (length >= size_t(FullWertung::Size)) {
        std::vector<int> unwritten{11};
        for (int i = 0; i < Wertung_t::tacticalCount; ++i)
            unwritten.insert(unwritten.end(), {12 + 8 * i + 6, 12 + 8 * i + 7});
        Bytes expected(data, data + FullWertung::Size);
        for (int at : unwritten)
            expected[size_t(at)] = 0;
        Bytes out(FullWertung::Size, 0xAA);
        FullWertung::write(FullWertung::read(data), out.data());
        require(out == expected);
    }
    if (length >= size_t(NetStarter_t::Size))
        recordKeepsItsBytes(data, NetStarter_t::Size, NetStarter_t::read,
                            [](const NetStarter_t& r, uint8_t* out) { r.write(out); },
                            {67, 135, 203, 271, 339, 407});
    // The display's starter record ends every text at its NUL: once read and
    // written, it stays as it is; its numbers keep their values.
    const NetStarterLong first = NetStarterLong::read(data, int(length));
    Bytes once(NetStarterLong::Size), twice(NetStarterLong::Size);
    first.write(once.data());
    const NetStarterLong second = NetStarterLong::read(once.data(), int(once.size()));
    second.write(twice.data());
    require(once == twice && first.number == second.number && first.submitted == second.submitted
            && first.exercises == second.exercises && first.category == second.category);
}

// ---------------------------------------------------------------- messages

void values(const uint8_t* data, int length)
{
    unsigned char buffer[TovkaProtocol::bufferSize];
    quint8 byte = 0;
    quint16 number = 0;
    if (ValueMessage::decodeByte(data, length, &byte))
        require(ValueMessage::encodeByte(buffer, 2, 3, byte) == 5 && buffer[frame] == data[frame]);
    if (ValueMessage::decodeNumber(data, length, &number))
        require(ValueMessage::encodeNumber(buffer, 1, 1, number) == 6 && std::memcmp(buffer + frame, data + frame, 2) == 0);
    int first = 0, second = 0, again1 = -1, again2 = -1;
    if (SiegerehrungMessage::decode(data, length, &first, &second)) {
        SiegerehrungMessage::decode(buffer, SiegerehrungMessage::encode(buffer, first, second), &again1, &again2);
        require(first == again1 && second == again2);
    }
}

// What a number-list decoder read, its encoder writes again, entry for entry.
template <typename List>
void numberList(const uint8_t* data, int length, List (*decode)(const unsigned char*, int),
                int (*encode)(unsigned char*, const List&))
{
    unsigned char buffer[NumberListMessage::bufferSize];
    const int written = encode(buffer, decode(data, length));
    require(written <= length && std::memcmp(buffer + frame, data + frame, size_t(written - frame)) == 0);
}

void resultList(const uint8_t* data, int length)
{
    StartErgebnisList received;
    ResultListMessage::decode(data, length, &received);
    unsigned char buffer[TovkaProtocol::bufferSize];
    StartErgebnisList back;
    while (received.cursor < received.size())
        ResultListMessage::decode(buffer, ResultListMessage::encode(buffer, received), &back);
    int i = 0;
    for (const StartErgebnisList_t* entry : received) {
        if (entry->number <= 0)
            continue;   // only numbered entries are sent
        require(i < back.size());
        const StartErgebnisList_t* again = back.at(i++);
        require(again->number == entry->number && again->place == entry->place
                && again->notPlaced == entry->notPlaced && again->result == entry->result);
    }
    require(i == back.size());
}

void texts(const uint8_t* data, int length)
{
    unsigned char buffer[TovkaProtocol::bufferSize];
    int number = 0, numberAgain = 0;
    QString text, textAgain;
    if (RecordMessage::decode(data, length, &number, &text)) {
        require(RecordMessage::decode(buffer, RecordMessage::encode(buffer, number, text), &numberAgain, &textAgain));
        require(number == numberAgain && (!fits(text, RecordMessage::textSize) || text == textAgain));
    }
    QString names[3], namesAgain[3];
    if (KampfrichterMessage::decode(data, length, names)) {
        KampfrichterMessage::decode(buffer, KampfrichterMessage::encode(buffer, names), namesAgain);
        for (int i = 0; i < 3; ++i)
            require(!fits(names[i], KampfrichterMessage::nameSize) || names[i] == namesAgain[i]);
    }
    Competition competition, again;
    if (WettkampfMessage::decode(data, length, &competition)) {
        WettkampfMessage::decode(buffer, WettkampfMessage::encode(buffer, competition), &again);
        require(competition.Datum == again.Datum);
        for (const auto& field : {&Competition::Ort, &Competition::Veranstalter, &Competition::Name})
            require(!fits(competition.*field, WettkampfMessage::textSize) || competition.*field == again.*field);
    }
    NetTextMessage message, messageAgain;
    if (NetTextMessage::decode(data, length, &message) && message.time.isValid()) {
        NetTextMessage::decode(buffer, NetTextMessage::encode(buffer, message, QTime()), &messageAgain);
        require(message.time == messageAgain.time && quint8(message.type) == messageAgain.type);
        require(!fits(message.text, NetTextMessage::textFieldSize) || message.text == messageAgain.text);
    }
}

void starterResponse(const uint8_t* data, int length)
{
    StarterResponseMessage response, again;
    if (!StarterResponseMessage::decode(data, length, &response))
        return;
    Starter_t starter;
    starter.checksum = response.checksum;
    starter.id = response.id;
    starter.disci = response.disci;
    starter.ageClass = response.ageClass;
    const QString text = QString::fromUtf8(response.text);
    unsigned char buffer[TovkaProtocol::bufferSize];
    StarterResponseMessage::encode(buffer, starter, text);
    require(std::memcmp(buffer + frame, data + frame, 8) == 0);
    StarterResponseMessage::decode(buffer, StarterResponseMessage::length, &again);
    require(!fits(text, StarterResponseMessage::textSize) || text == QString::fromUtf8(again.text));
}

void wholeScore(const uint8_t* data, int length)
{
    Starter_t starter;
    QList<Wertung_t> scores;
    if (!WholeWertungMessage::decode(data, length, &starter, &scores))
        return;
    QList<const Wertung_t*> sheet;
    for (const Wertung_t& score : scores)
        sheet << &score;
    unsigned char buffer[TovkaProtocol::bufferSize];
    require(WholeWertungMessage::encode(buffer, starter, sheet) == length);
    // Number, gender, age class and the codes as they came.
    require(std::memcmp(buffer + frame, data + frame, 4) == 0 && std::memcmp(buffer + 44, data + 44, 240) == 0);
    Starter_t again;
    QList<Wertung_t> scoresAgain;
    require(WholeWertungMessage::decode(buffer, length, &again, &scoresAgain) && scoresAgain.size() == scores.size());
    require(std::memcmp(again.name, starter.name, 31) == 0);
    for (int i = 0; i < scores.size(); ++i) {
        Bytes sent(FullWertung::Size), back(FullWertung::Size);
        FullWertung::write(scores[i], sent.data());
        FullWertung::write(scoresAgain[i], back.data());
        require(sent == back && scoresAgain[i].judge == i + 1);
    }
}

void trainingPlan(const uint8_t* data, int length, quint32 delay)
{
    TrainingPlanMessage plan, again;
    if (!TrainingPlanMessage::decode(data, length, delay, &plan))
        return;
    for (const TrainingsStarterEntry& entry : plan.data.starters) {
        if (qstrnlen(entry.name, TrainingsStarterEntry::nameSize) >= TrainingPlanMessage::nameFieldSize)
            return;   // a name of the whole field loses its last byte to the terminator
    }
    unsigned char buffer[TovkaProtocol::bufferSize];
    const time_t sent = plan.senderTime - time_t(TrainingPlanMessage::delaySeconds(delay));
    TrainingPlanMessage::decode(buffer, TrainingPlanMessage::encode(buffer, plan.area, plan.data, sent), delay, &again);
    require(again.area == plan.area && again.senderTime == plan.senderTime && again.data == plan.data);
}

void messages(const uint8_t* data, size_t size, quint32 delay)
{
    const int length = int(size);
    values(data, length);
    numberList(data, length, &NumberListMessage::decodeStarterRequest, &NumberListMessage::encodeStarterRequest);
    numberList(data, length, &NumberListMessage::decodeFactorList, &NumberListMessage::encodeFactorList);
    numberList(data, length, &NumberListMessage::decodeQualiList, &NumberListMessage::encodeQualiList);
    resultList(data, length);
    texts(data, length);
    starterResponse(data, length);
    wholeScore(data, length);
    trainingPlan(data, length, delay);
}

void sweep()
{
    std::vector<uint8_t> bytes(PacketHeader::MaxPayload, 0xFF);
    for (int group = 0; group <= 6; ++group) {
        for (int sub = 0; sub <= 16; ++sub) {
            bytes[0] = uint8_t(group);
            bytes[1] = uint8_t(sub);
            for (size_t length = 0; length <= bytes.size(); ++length)
                deliver(bytes.data(), length);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler(quiet);
    receiver = new Receiver;
    sweep();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first two bytes are the packet's queue delay; the rest is the payload.
    if (size < 2)
        return 0;
    const quint32 delay = quint32(data[0]) << 8 | data[1];
    const uint8_t* payload = data + 2;
    const size_t length = qMin(size - 2, size_t(PacketHeader::MaxPayload));
    deliver(payload, length);
    if (length >= size_t(frame))
        messages(payload, length, delay);
    records(payload, length);
    return 0;
}
