// The four bytes that open every message (group, sub-type, two reserved
// bytes) and the fixed-width text fields of message bodies, shared by the
// message codecs.
#pragma once

#include "db/Conversions.h"

#include <QString>
#include <QtGlobal>

#include <cstring>

namespace MessageFrame {

constexpr int size = 4;

// Zeroes the first `length` bytes of the buffer and writes the frame; returns the body.
inline unsigned char* start(unsigned char* buffer, quint8 group, quint8 sub, int length)
{
    std::memset(buffer, 0, size_t(length));
    buffer[0] = group;
    buffer[1] = sub;
    return buffer + size;
}

// A text field of `width` bytes: UTF-8 with its NUL inside the field; an
// empty text leaves the field zeroed.
inline void putText(unsigned char* at, const QString& text, int width)
{
    if (!text.isEmpty())
        toCString(reinterpret_cast<char*>(at), text, width);
}

// A received text field, read up to its NUL but never past the field or the
// payload's end.
inline QString text(const unsigned char* payload, int length, int offset, int width)
{
    QString result;
    const int available = qMin(width, length - offset);
    if (available <= 0)
        return result;
    return fromCString(result, reinterpret_cast<const char*>(payload + offset), available);
}

} // namespace MessageFrame
