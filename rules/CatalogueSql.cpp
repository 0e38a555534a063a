// The statements of the rules catalogue's queries.
#include "rules/CatalogueSql.h"

#include "db/Conversions.h"
#include "db/SqlLiteral.h"
#include "records/Figure.h"
#include "rules/UebungFilter.h"

#include <QDebug>

namespace {

QString codeLiteral(char code)
{
    return sqlText(QString(QLatin1Char(code)));
}

QString valueClause(const UebungFilter& f)
{
    QString clause;
    if (f.ziffer != 0)
        clause = QString::asprintf("AND Ziffer = %5.2f ", f.ziffer);
    else if (f.minZiffer != 0 && f.maxZiffer == 0)
        clause = QString::asprintf("AND Ziffer >= %5.2f ", f.minZiffer);
    else if (f.minZiffer != 0)
        clause = QString::asprintf("AND Ziffer BETWEEN %5.2f and %5.2f ", f.minZiffer, f.maxZiffer);
    else if (f.maxZiffer != 0)
        clause = QString::asprintf("AND Ziffer <= %5.2f ", f.maxZiffer);
    // The catalogue compares with a decimal point whatever the locale wrote.
    return clause.replace(QLatin1Char(','), QLatin1Char('.'));
}

} // namespace

namespace CatalogueSql {

QString figures(int disci, int ak)
{
    return QStringLiteral("SELECT * FROM Figures WHERE diszi = %1 AND ak = %2;")
        .arg(codeLiteral(disziToChar(disci)), codeLiteral(akToChar(ak)));
}

QString byDiscipline(const char* table, int disci)
{
    return QStringLiteral("SELECT * FROM %1 WHERE Nr LIKE %2; ")
        .arg(QLatin1String(table), sqlText(QLatin1Char(disziToChar(disci)) + QStringLiteral("%")));
}

QString taktisch(const Figure& nr)
{
    return QStringLiteral("SELECT anzahl, Ziffer FROM taktisch WHERE Nr=%1 ORDER BY anzahl;").arg(sqlText(nr.text()));
}

QString altersklassen(int disci, int ak)
{
    QString sql = QStringLiteral("SELECT * FROM Altersklassen ");
    const QString akCondition = QStringLiteral(" Ak = ") + codeLiteral(akToChar(ak));
    if (disci != 0) {
        sql += QStringLiteral(" WHERE ( diszi = %1 OR diszi = %2 ) ")
                   .arg(codeLiteral(disziToChar(disci)), codeLiteral('0'));
        if (ak != 0)
            sql += QStringLiteral(" AND ") + akCondition;
    } else if (ak != 0) {
        sql += QStringLiteral(" WHERE ") + akCondition;
    }
    return sql + QLatin1Char(';');
}

QString uebungen(const UebungFilter* filter)
{
    QString sql = QStringLiteral("SELECT Nr, Text, Ziffer FROM uebungen");
    if (filter) {
        const UebungFilter& f = *filter;
        const int disziplin = f.disziplin >= 1 && f.disziplin <= 7 ? f.disziplin : 0;
        const QString prefix = f.nr.isEmpty() ? QString::number(disziplin) : f.nr;
        sql += QStringLiteral(" WHERE Nr LIKE ") + sqlText(prefix + QLatin1Char('%')) + QLatin1Char(' ');
        if (!f.text.isEmpty()) {
            sql += QStringLiteral("AND Text LIKE ") + sqlText(QLatin1Char('%') + f.text + QLatin1Char('%'))
                   + QLatin1Char(' ');
            qDebug().noquote() << "Querytext=" + f.text + "->" + sql;
        }
        sql += valueClause(f);
    }
    return sql + QStringLiteral(" ORDER BY Nr;");
}

} // namespace CatalogueSql
