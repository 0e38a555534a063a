// Writes a text as an SQL string literal.
#include "db/SqlLiteral.h"

QString sqlText(const QString& text)
{
    QString literal;
    literal.reserve(text.size() + 2);
    literal += QLatin1Char('\'');
    for (const QChar c : text) {
        if (c == QLatin1Char('\''))
            literal += QLatin1Char('\'');
        literal += c;
    }
    literal += QLatin1Char('\'');
    return literal;
}
