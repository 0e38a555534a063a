// The hall display's record of the next or a requested starter (body of the
// messages 2/1 and 2/7, 176 bytes); older senders send it shorter, without
// association and nation.
#pragma once

#include "net/protocol/ProtocolLists.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>

struct Starter_t;

struct NetStarterLong
{
    static constexpr int Size = 176;
    static constexpr int NameSize = 32;
    static constexpr int CategoryNameSize = 52;
    static constexpr int NationSize = 4;

    quint16 number = 0;
    quint8 exercises = 0;
    quint32 submitted = 0;        // hundredths
    quint32 reserved = 0;
    char name[NameSize] = {};
    char clubs[NameSize] = {};
    char categoryName[CategoryNameSize] = {};   // or the requester's text
    quint32 category = 0;         // packCategory of discipline, sex and age class
    char association[NameSize] = {};
    char nation[NationSize] = {};

    // The record of the next starter (message 2/1): the start entry with the
    // texts of its score sheet's header and the nation of its first athlete
    // that has one.
    static NetStarterLong fromStarter(const Starter_t& starter, const QString& clubs, const QString& categoryName,
                                      const QString& association, const QString& nation);

    // The record of a requested starter (message 2/7): a result-list entry
    // with the requester's text in the category-name field.
    static NetStarterLong fromResult(const StartErgebnisList_t& entry, const char* text);

    void write(uint8_t* out) const;
    // Reads `size` bytes (an older, shorter record leaves the rest empty);
    // every text ends with a NUL inside its field.
    static NetStarterLong read(const uint8_t* in, int size);
};
