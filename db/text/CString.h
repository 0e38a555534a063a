// Fixed-width text fields of records and packets: a QString into a
// NUL-terminated UTF-8 buffer of a given size, and such bytes back into a
// QString. Apart from the database, so the network layer needs no SQLite.
#pragma once

#include <QString>

// At most size - 1 bytes, never half a character, then a NUL; bytes behind
// the NUL stay as they are. A null dst writes nothing.
char* toCString(char* dst, const QString& s, int size);
// The bytes up to the first NUL (at most len with len >= 0), as UTF-8, or as
// Latin-1 when they are not valid UTF-8; a null text gives an empty text.
QString& fromCString(QString& out, const char* text, int len = -1);
