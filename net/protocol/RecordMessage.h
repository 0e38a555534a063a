// Message 2/11, a record for a display: a big-endian u16 number and a
// 62-byte text, 68 bytes in all. A pure codec.
#pragma once

#include <QString>
#include <QtGlobal>

class RecordMessage
{
public:
    static constexpr quint8 group = 2;
    static constexpr quint8 subType = 11;
    static constexpr int length = 68;
    static constexpr int textSize = 62;

    static int encode(unsigned char* buffer, int number, const QString& text);
    // Only a payload of exactly 68 bytes is a record.
    static bool decode(const unsigned char* payload, int length, int* number, QString* text);
};
