// Fixed-width text fields of records and packets: UTF-8 with a terminating
// NUL, written whole characters only, read as UTF-8 or else as Latin-1.
#include "db/text/CString.h"

#include <QByteArray>

#include <climits>
#include <cstring>

namespace {

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF,
// no sequence cut short by the end of the bytes.
bool isValidUtf8(const unsigned char* s, int n)
{
    int i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length;
        unsigned char low = 0x80, high = 0xBF;   // range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0;
            else if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (n - i < length)
            return false;
        if (s[i + 1] < low || s[i + 1] > high)
            return false;
        for (int k = 2; k < length; ++k)
            if (!isContinuation(s[i + k]))
                return false;
        i += length;
    }
    return true;
}

} // namespace

char* toCString(char* dst, const QString& s, int size)
{
    if (!dst || size <= 0)
        return dst;
    const QByteArray utf8 = s.toUtf8();
    int n = qMin(utf8.size(), size - 1);
    if (n < utf8.size()) {
        // Never leave half a character in front of the NUL.
        while (n > 0 && isContinuation(static_cast<unsigned char>(utf8.at(n))))
            --n;
    }
    memcpy(dst, utf8.constData(), size_t(n));
    dst[n] = '\0';
    return dst;
}

QString& fromCString(QString& out, const char* text, int len)
{
    if (!text) {
        out = QString();
        return out;
    }
    // One pass finds the end (len or the first NUL) and whether any byte is
    // above ASCII; most cells are plain ASCII and need nothing more.
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const int limit = len < 0 ? INT_MAX : len;
    unsigned char high = 0;
    int n = 0;
    for (; n < limit && bytes[n]; ++n)
        high |= bytes[n];
    if (high < 0x80 || !isValidUtf8(bytes, n))
        out = QString::fromLatin1(text, n);
    else
        out = QString::fromUtf8(text, n);
    return out;
}
