// Message 5/3, a short text with a time of day and a type (as a rule for the
// competition office): the value type and its pure codec.
#pragma once

#include <QString>
#include <QTime>
#include <QtGlobal>

class NetTextMessage
{
public:
    static constexpr quint8 group = 5;
    static constexpr quint8 subType = 3;
    static constexpr int minimumLength = 8;   // frame, hour, minute, second, type
    static constexpr int textOffset = 8;
    static constexpr int textFieldSize = 900; // at most 899 bytes and a NUL
    static constexpr int maxLength = textOffset + textFieldSize;
    static constexpr int officeNoticeType = 2; // the transport's queue notices

    NetTextMessage() = default;
    NetTextMessage(const QTime& at, int messageType, const QString& messageText)
        : time(at), type(messageType), text(messageText) {}

    // Writes the message into `buffer` (at least maxLength bytes), zeroing what
    // it covers first; an invalid time is replaced by `now`. Returns the length.
    static int encode(unsigned char* buffer, const NetTextMessage& message, const QTime& now);

    // Decodes a received payload; false when it is shorter than minimumLength.
    static bool decode(const unsigned char* payload, int length, NetTextMessage* out);

    QTime time;
    int type = 0;
    QString text;
};
