// The judges' names: message 4/2 (three names of 32 bytes, 100 bytes in all)
// and message 5/2 to the office (three entries of announcer, scribe and chief
// judge, 292 bytes). A pure codec.
#pragma once

#include <QString>
#include <QtGlobal>

class KampfrichterMessage
{
public:
    static constexpr int nameSize = 32;
    static constexpr int length = 4 + 3 * nameSize;
    static constexpr int entries = 3;               // of message 5/2, one per jury
    static constexpr int allLength = 4 + entries * 3 * nameSize;

    using Names = QString[3];

    static int encode(unsigned char* buffer, const Names& names);
    // Entry i: announcer i + 1, scribe i + 1, the chief judge.
    static int encodeAll(unsigned char* buffer, const QString& chief, const QString (&juries)[entries][2]);
    // False when the payload is too short.
    static bool decode(const unsigned char* payload, int length, Names& names);
    static bool decodeAll(const unsigned char* payload, int length, QString (&names)[entries][3]);
};
