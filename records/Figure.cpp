// Exercise codes: the pattern check, the discipline digit and the exercise number.
#include "records/Figure.h"

#include "db/Conversions.h"

#include <QRegExp>

namespace {

// QRegExp syntax on purpose: "{,1}" means "at most once" there, while
// QRegularExpression would read it as the literal text "{,1}".
const char* const codePattern = "[124567][0-9]{3}[a-z][a]{,1}";

} // namespace

Figure::Figure(const QString& text)
{
    *this = text;
}

Figure& Figure::operator=(const QString& text)
{
    code = isValidCode(text) ? text : QString();
    return *this;
}

bool Figure::isValidCode(const QString& text)
{
    // Built once; each call matches on its own copy, since matching stores
    // its captures in the object and callers may run on several threads.
    static const QRegExp pattern(QString::fromLatin1(codePattern), Qt::CaseSensitive, QRegExp::RegExp);
    QRegExp matcher(pattern);
    return matcher.exactMatch(text);
}

int Figure::disci() const
{
    if (code.isEmpty())
        return 0;
    switch (code.at(0).unicode()) {
    case '1': case '2': case '4': case '5': case '6': case '7':
        return code.at(0).unicode() - '0';
    default:
        return 0;
    }
}

int Figure::number() const
{
    return code.isEmpty() ? 0 : toInt(code);
}
