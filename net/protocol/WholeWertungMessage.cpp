// The office's whole-score message.
#include "net/protocol/WholeWertungMessage.h"

#include "net/protocol/FullWertung.h"
#include "net/protocol/MessageFrame.h"
#include "net/wire/ByteOrder.h"

#include <cstring>

namespace {
constexpr int numberOffset = 0;
constexpr int genderOffset = 2;
constexpr int ageClassOffset = 3;
constexpr int nameOffset = 8;
constexpr int nameSize = 32;
constexpr int codesOffset = 40;
constexpr int scoresOffset = 280;
static_assert(codesOffset + Starter_t::CodeCount * Starter_t::CodeSize == scoresOffset, "thirty codes");
static_assert(MessageFrame::size + scoresOffset == WholeWertungMessage::headerLength, "the starter part");
static_assert(WholeWertungMessage::headerLength + WholeWertungMessage::maxScores * FullWertung::Size <= 1024,
              "three records fit into one message");
} // namespace

int WholeWertungMessage::encode(unsigned char* buffer, const Starter_t& starter, const QList<const Wertung_t*>& scores)
{
    const int count = qMin(scores.size(), maxScores);
    const int length = headerLength + count * FullWertung::Size;
    unsigned char* body = MessageFrame::start(buffer, group, subType, length);
    ByteOrder::putBig16(body + numberOffset, quint16(starter.netInfo));
    body[genderOffset] = quint8(starter.gender);
    body[ageClassOffset] = quint8(starter.ageClass);
    // The name's text only, never what the entry's field holds behind its NUL.
    char* name = reinterpret_cast<char*>(body + nameOffset);
    std::memcpy(name, starter.name, strnlen(starter.name, nameSize - 1));
    std::memcpy(body + codesOffset, starter.codes, sizeof starter.codes);
    for (int i = 0; i < count; ++i)
        FullWertung::write(*scores.at(i), body + scoresOffset + i * FullWertung::Size);
    return length;
}

bool WholeWertungMessage::decode(const unsigned char* payload, int length, Starter_t* starter, QList<Wertung_t>* scores)
{
    if (length < headerLength || (length - headerLength) % FullWertung::Size != 0)
        return false;
    const unsigned char* body = payload + MessageFrame::size;
    Starter_t received;
    received.netInfo = ByteOrder::big16(body + numberOffset);
    received.gender = body[genderOffset];
    received.ageClass = body[ageClassOffset];
    const char* name = reinterpret_cast<const char*>(body + nameOffset);
    std::memcpy(received.name, name, strnlen(name, nameSize));
    std::memcpy(received.codes, body + codesOffset, sizeof received.codes);
    *starter = received;
    scores->clear();
    const int count = (length - headerLength) / FullWertung::Size;
    for (int i = 0; i < count; ++i) {
        Wertung_t score = FullWertung::read(body + scoresOffset + i * FullWertung::Size);
        score.judge = i + 1;
        scores->append(score);
    }
    return true;
}
