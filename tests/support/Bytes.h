// A byte array seen as the unsigned bytes the codecs read and write.
#pragma once

#include <QByteArray>

#include <cstdint>

inline const uint8_t* bytes(const QByteArray& data)
{
    return reinterpret_cast<const uint8_t*>(data.constData());
}

inline uint8_t* bytes(QByteArray& data)
{
    return reinterpret_cast<uint8_t*>(data.data());
}
