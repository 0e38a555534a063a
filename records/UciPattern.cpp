// The full UCI-ID pattern: exactly this many decimal digits.
#include "records/UciPattern.h"

namespace {

const int uciDigits = 11;

} // namespace

const QRegExp& uciPattern()
{
    static const QRegExp pattern(QString::asprintf("[0-9]{%d}", uciDigits), Qt::CaseSensitive, QRegExp::RegExp);
    return pattern;
}
