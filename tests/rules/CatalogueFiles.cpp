// Writes rules-catalogue files for tests through RuvoDB.
#include "tests/rules/CatalogueFiles.h"

#include "db/RuvoDB.h"
#include "db/SqlLiteral.h"

#include <QDir>
#include <QFile>
#include <QtDebug>

namespace CatalogueFiles {

namespace {

QString catalogueIn(const QString& dir, const char* dateText, const QString& sql, int magic)
{
    const QString path = QDir(dir).filePath(QStringLiteral("Reglement.ldb"));
    return write(path, QString::fromLatin1(dateText), sql, magic) ? path : QString();
}

} // namespace

QString disciplinesSql()
{
    return QStringLiteral(
        "CREATE TABLE Disziplinen ( art INTEGER, name VARCHAR(32) );"
        "INSERT INTO Disziplinen VALUES ( 6, '6er Kunst' );"
        "INSERT INTO Disziplinen VALUES ( 1, '1er Kunst' );"
        "INSERT INTO Disziplinen VALUES ( 2, '2er Kunst' );"
        "INSERT INTO Disziplinen VALUES ( 3, '1er Einrad' );"
        "INSERT INTO Disziplinen VALUES ( 4, '4er Kunst' );"
        "INSERT INTO Disziplinen VALUES ( 5, '4er Einrad' );"
        "INSERT INTO Disziplinen VALUES ( 7, '6er Einrad' );");
}

bool write(const QString& path, const QString& dateText, const QString& sql, int magic)
{
    if (QFile::exists(path) && !QFile::remove(path)) {
        qWarning() << "CatalogueFiles: cannot replace" << path;
        return false;
    }
    RuvoDB db;
    if (!db.open(path, false)) {
        qWarning() << "CatalogueFiles: cannot create" << path << db.lastError();
        return false;
    }
    if (!sql.isEmpty() && !db.exec(sql)) {
        qWarning() << "CatalogueFiles: tables failed:" << db.lastError();
        return false;
    }
    if (!db.setMagic(magic)
        || !db.exec(QStringLiteral("UPDATE Descriptor SET version = %1;").arg(sqlText(dateText)))) {
        qWarning() << "CatalogueFiles: Descriptor failed:" << db.lastError();
        return false;
    }
    return true;
}

QString oldRules(const QString& dir, const QString& sql)
{
    return catalogueIn(dir, oldRulesDate, sql, catalogueMagic);
}

QString newRules(const QString& dir, const QString& sql)
{
    return catalogueIn(dir, newRulesDate, sql, catalogueMagic);
}

QString wrongMagic(const QString& dir)
{
    return catalogueIn(dir, newRulesDate, disciplinesSql(), otherMagic);
}

QString unparsableDate(const QString& dir)
{
    return catalogueIn(dir, unparsableDateText, disciplinesSql(), catalogueMagic);
}

} // namespace CatalogueFiles
