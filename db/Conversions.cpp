// The shared conversion helpers. Pure functions apart from pointsText, which
// reads the decimal separator from the properties.
#include "db/Conversions.h"

#include "db/RuvoProps.h"

#include <QtGlobal>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// atoi's reading of a number: leading white space, an optional sign, the
// digits. Stops after maxLen bytes or at a NUL; saturates at the bounds of
// 64 bits instead of overflowing.
qint64 leadingNumber(const char* text, int maxLen)
{
    if (!text)
        return 0;
    int i = 0;
    while (i < maxLen && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < maxLen && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The magnitude of the most negative value; anything above it saturates.
    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + 1;
    quint64 magnitude = 0;
    for (; i < maxLen && text[i] >= '0' && text[i] <= '9'; ++i) {
        const unsigned digit = unsigned(text[i] - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    if (negative)
        return magnitude >= limit ? std::numeric_limits<qint64>::min() : -qint64(magnitude);
    return magnitude >= limit ? std::numeric_limits<qint64>::max() : qint64(magnitude);
}

// At most this many bytes of a text are read as a number.
const int numberTextLimit = 255;

// Reads the digits at p, the value saturating far above any int; false when
// there is none.
bool readNumber(const char*& p, long long* value, int* digits)
{
    *value = 0;
    *digits = 0;
    while (*p >= '0' && *p <= '9') {
        if (*value < 100000000000000LL)
            *value = *value * 10 + (*p - '0');
        ++*digits;
        ++p;
    }
    return *digits > 0;
}

bool isDateSeparator(char c)
{
    return c == '.' || c == '/' || c == '-';
}

QDate makeDate(long long year, long long month, long long day)
{
    if (year > INT_MAX || month > 12 || day > 31)
        return QDate();
    return QDate(int(year), int(month), int(day));
}

// zlib cannot expand data by more than about 1032:1; a declared size beyond
// that is a forged header and must not make qUncompress allocate it.
constexpr qint64 maxZlibRatio = 1032;
// The largest real blob is a club logo of at most 300 x 300 pixels (360 KB
// even uncompressed); a legal ratio still lets a 1 MB cell claim a gigabyte.
constexpr qint64 maxUncompressedSize = 16 * 1024 * 1024;

} // namespace

qint64 toInt64(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return leadingNumber(utf8.constData(), qMin(utf8.size(), numberTextLimit));
}

int toInt(const QString& text)
{
    return int(qBound<qint64>(INT_MIN, toInt64(text), INT_MAX));
}

QString cleanSqlText(const QString& text)
{
    QString clean = text;
    for (QChar& c : clean) {
        switch (c.unicode()) {
        case '"': c = QLatin1Char('\''); break;
        case '\\': c = QLatin1Char('/'); break;
        case '&': c = QLatin1Char('+'); break;
        case ';': c = QLatin1Char(','); break;
        default: break;
        }
    }
    return clean;
}

void cleanSqlText(char* text)
{
    if (!text)
        return;
    for (char* p = text; *p; ++p) {
        switch (*p) {
        case '"': *p = '\''; break;
        case '\\': *p = '/'; break;
        case '&': *p = '+'; break;
        case ';': *p = ','; break;
        default: break;
        }
    }
}

QString cleanSqlText(const char* text)
{
    QString s;
    return cleanSqlText(fromCString(s, text));
}

QString compressToBase64(const QByteArray& data)
{
    return QString::fromLatin1(qCompress(data).toBase64());
}

QByteArray uncompressFromBase64(const QString& text)
{
    if (text.isEmpty())
        return QByteArray();
    const QByteArray packed = QByteArray::fromBase64(text.toLatin1());
    if (packed.size() < 4)
        return QByteArray();
    const auto* b = reinterpret_cast<const unsigned char*>(packed.constData());
    const qint64 declared = (qint64(b[0]) << 24) | (qint64(b[1]) << 16) | (qint64(b[2]) << 8) | b[3];
    if (declared > maxUncompressedSize || declared > (packed.size() - 4) * maxZlibRatio + 1024)
        return QByteArray();
    return qUncompress(packed);
}

qint64 dateToSeconds(const QDate& date)
{
    const qint64 days = QDate(1970, 1, 1).daysTo(date);
    if (days == 0)
        return 0;
    return days * 86400 + 43200;
}

QDate secondsToDate(qint64 seconds)
{
    if (seconds == 0)
        return QDate();
    if (seconds < std::numeric_limits<qint64>::min() + 43200)
        return QDate();   // far outside any calendar; also keeps the subtraction defined
    return QDate(1970, 1, 1).addDays((seconds - 43200) / 86400);
}

QDate parseDate(const char* text)
{
    if (!text)
        return QDate();
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    long long first, second, third;
    int digits;
    if (!readNumber(p, &first, &digits))
        return QDate();
    if (!isDateSeparator(*p)) {
        if (digits > 8)
            return QDate();
        return makeDate(first / 10000, first / 100 % 100, first % 100);
    }
    ++p;
    if (!readNumber(p, &second, &digits) || !isDateSeparator(*p))
        return QDate();
    ++p;
    if (!readNumber(p, &third, &digits))
        return QDate();
    if (first > 31)
        return makeDate(first, second, third);
    return makeDate(third, second, first);
}

char sexToChar(int sex)
{
    switch (sex) {
    case 1: return 'm';
    case 2: return 'w';
    default: return '?';
    }
}

int sexFromText(const QString& text)
{
    const QString s = text.simplified();
    if (s.isEmpty())
        return 0;
    const QChar c = s.at(0).toLower();
    if (c == QLatin1Char('m'))
        return 1;
    if (c == QLatin1Char('w') || c == QLatin1Char('f'))
        return 2;
    return 0;
}

char akToChar(int ak)
{
    return ak >= 1 && ak <= 7 ? char('0' + ak) : '0';
}

char disziToChar(int diszi)
{
    return diszi >= 1 && diszi <= 7 ? char('0' + diszi) : '0';
}

int akFromString(const QString& text)
{
    const int ak = toInt(text);
    return ak >= 1 && ak <= 7 ? ak : 0;
}

int disziFromString(const QString& text)
{
    const int diszi = toInt(text);
    return diszi >= 1 && diszi <= 7 ? diszi : 0;
}

int disziFromExerciseNumber(const char* code)
{
    const qint64 diszi = leadingNumber(code, INT_MAX) / 1000;
    return diszi >= 0 && diszi <= 7 ? int(diszi) : 0;
}

int packCategory(int diszi, int sex, int ak)
{
    return (diszi * 3 + sex) * 8 + ak;
}

bool unpackCategory(int* diszi, int* sex, int* ak, int category)
{
    int d = category / 8 / 3;
    int s = category / 8 % 3;
    int a = category % 8;
    bool ok = true;
    if (d < 1 || d > 7) {
        d = 0;
        ok = false;
    }
    if (s < 1 || s > 2) {
        s = 0;
        ok = false;
    }
    if (a < 1 || a > 7) {
        a = 0;
        ok = false;
    }
    if (diszi)
        *diszi = d;
    if (sex)
        *sex = s;
    if (ak)
        *ak = a;
    return ok;
}

const char* pointsText(int hundredths)
{
    // Room for any int: sign, 8 digits, separator, 2 digits, NUL.
    static thread_local char text[24];
    const int whole = hundredths / 100;
    const int cents = std::abs(hundredths % 100);
    const char separator = RuvoProps::decimalSeparator();
    if (hundredths < 0 && whole == 0)
        snprintf(text, sizeof text, "-0%c%02d", separator, cents);
    else
        snprintf(text, sizeof text, "%d%c%02d", whole, separator, cents);
    return text;
}

int parsePoints(const QString& text)
{
    const QByteArray bytes = text.trimmed().toUtf8();
    if (bytes.isEmpty())
        return 0;
    const char* p = bytes.constData();
    const bool negative = *p == '-';
    if (negative || *p == '+')
        ++p;
    long long whole = 0, cents = 0;
    int digits = 0, decimals = 0;
    readNumber(p, &whole, &digits);
    if (*p == ',' || *p == '.') {
        ++p;
        readNumber(p, &cents, &decimals);
        if (decimals == 1)
            cents *= 10;
    }
    long long value = whole * 100 + (decimals <= 2 ? cents : 0);
    if (negative)
        value = -value;
    if (*p != '\0' || whole > 999 || decimals > 2 || digits + decimals == 0) {
        qDebug("invalid Punkte: %s -> %d", bytes.constData(),
               int(qBound<long long>(INT_MIN, value, INT_MAX)));
        return 0;
    }
    return int(value);
}

const char* minutesText(int minutes)
{
    // Room for any int: 8 digits, colon, 2 digits, NUL.
    static thread_local char text[24];
    if (minutes <= 0)
        text[0] = '\0';
    else
        snprintf(text, sizeof text, "%d:%02d", minutes / 60, minutes % 60);
    return text;
}
