// The address of a program of the suite (application kind, sub-kind, instance),
// its two-byte wire form, its statistic key and its printable names.
#pragma once

#include <QtGlobal>

// Application kinds of the suite's programs.
enum TovkaKind : quint32 {
    KindNetMon = 0,
    KindChief = 1,
    KindJury = 2,
    KindBuero = 3,
    KindAnzeige = 4,
    KindInfoTerm = 5,
    KindAusbilder = 6,
    KindBelegungsPlaner = 7,
    KindTimekeeper = 8,
};

struct TovkaAddress
{
    quint32 kind = 0;
    quint8 subKind = 0;  // the floor area served, 0 for none
    quint8 instance = 0; // as a destination 0 means any instance

    TovkaAddress() = default;
    TovkaAddress(quint32 kind, quint8 subKind, quint8 instance)
        : kind(kind), subKind(subKind), instance(instance) {}

    // Kind in the high nibble, sub-kind in the low nibble, kept to 8 bits.
    quint8 addressByte() const;
    // (address byte x 256) + instance; 0 stands for the program itself.
    quint32 statisticKey() const;

    static TovkaAddress fromWire(quint8 addressByte, quint8 instance);

    bool operator==(const TovkaAddress& other) const;
};

// The name printed for a kind; "UNKNOWN" above the last known kind.
const char* kindName(quint32 kind);

// The kind's name, for Jury and BelegungsPlaner followed by "_<instance>".
// The texts are built once and never overwritten, so two results can be used
// in the same log line and from any thread.
const char* appName(const TovkaAddress& address);
