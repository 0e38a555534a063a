// Feeds arbitrary bytes to the text decoders that read data from files and
// the network: C text decoding, dates, points and Base64 blobs.
#include "db/Conversions.h"

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(quiet);   // the point parser logs what it refuses
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int len = int(size > 65536 ? 65536 : size);
    const char* bytes = reinterpret_cast<const char*>(data);

    // Exactly len bytes and no NUL behind them: fromCString must stop at len.
    QString text;
    fromCString(text, bytes, len);

    // The NUL-terminated readers get their own copy.
    std::unique_ptr<char[]> cstring(new char[size_t(len) + 1]);
    memcpy(cstring.get(), bytes, size_t(len));
    cstring[size_t(len)] = '\0';
    parseDate(cstring.get());
    disziFromExerciseNumber(cstring.get());
    cleanSqlText(cstring.get());

    parsePoints(text);
    toInt(text);
    uncompressFromBase64(text);

    // A cut field still holds whole characters: it reads back as a prefix.
    char field[32];
    toCString(field, text, int(sizeof field));
    QString back;
    if (!text.startsWith(fromCString(back, field)))
        abort();
    return 0;
}
