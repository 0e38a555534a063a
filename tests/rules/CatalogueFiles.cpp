// Writes rules-catalogue files for tests through RuvoDB.
#include "tests/rules/CatalogueFiles.h"

#include "db/RuvoDB.h"
#include "db/SqlLiteral.h"

#include <QDir>
#include <QFile>
#include <QtDebug>

namespace CatalogueFiles {

static QString catalogueIn(const QString& dir, const char* dateText, const QString& sql, int magic = catalogueMagic)
{
    const QString path = QDir(dir).filePath(QStringLiteral("Reglement.ldb"));
    return write(path, QString::fromLatin1(dateText), sql, magic) ? path : QString();
}

QString disciplinesSql()
{
    return QStringLiteral("CREATE TABLE Disziplinen ( art INTEGER, name VARCHAR(32) );"
                          "INSERT INTO Disziplinen VALUES ( 6, '6er Kunst' ), ( 1, '1er Kunst' ), ( 2, '2er Kunst' ),"
                          " ( 3, '1er Einrad' ), ( 4, '4er Kunst' ), ( 5, '4er Einrad' ), ( 7, '6er Einrad' );");
}

QString queriesSql()
{
    return disciplinesSql() + QString::fromUtf8(
        "CREATE TABLE Figures ( diszi CHAR(1), ak CHAR(1), anzahl INTEGER, frei INTEGER, minRad INTEGER, maxRad INTEGER );"
        "INSERT INTO Figures VALUES ( '1', '3', 27, 0, 0, 0 ), ( '4', '3', -1, 0, 2, 5 ), ( '2', '6', -1, 0, 3, 9 ),"
        " ( '1', '2', 2, 0, 0, 0 );"
        "CREATE TABLE Standdrehungen ( Nr TEXT );"
        "INSERT INTO Standdrehungen VALUES ( '1201' ), ( '1202' ), ( '13' ), ( '2101a' ), ( '27' );"
        "CREATE TABLE einzeln ( Nr TEXT );"
        "INSERT INTO einzeln VALUES ( '1234' ), ( '1101a' ), ( '10' ), ( '7' ), ( '7301b' ), ( '21' ), ( '2102' );"
        "CREATE TABLE Folgeuebungen ( Nr TEXT, n1 INTEGER, n2 INTEGER, n3 INTEGER, n4 INTEGER, n5 INTEGER, n6 INTEGER, n7 INTEGER );"
        "INSERT INTO Folgeuebungen VALUES ( '1101a', 1102, 1103, NULL, NULL, NULL, 70000, 99 ),"
        " ( '1101aXYZ', 1, 2, 3, 4, 5, 6, 7 ), ( '2101a', 2102, 0, 0, 0, 0, 0, 0 );"
        "CREATE TABLE taktisch ( Nr TEXT, anzahl INTEGER, Ziffer TEXT );"
        "INSERT INTO taktisch VALUES ( '1101a', 2, '0,5' ), ( '1101a', 1, '0.3' ), ( '1102a', 1, '1,0' );"
        "CREATE TABLE Altersklassen ( Ak CHAR(1), von INTEGER, bis INTEGER, diszi CHAR(1), quota INTEGER,"
        " maennlich TEXT, weiblich TEXT );"
        "INSERT INTO Altersklassen VALUES ( '3', 11, 12, '0', 0, 'Schüler U13', 'Schülerinnen U13' ),"
        " ( '5', 13, 14, '0', 0, 'Junioren', 'Juniorinnen' ), ( '5', 15, 15, '0', 1, 'Junioren', 'Juniorinnen' ),"
        " ( '6', 15, 18, '4', 0, 'Elite mit einem sehr langen Namen', 'Damen' );"
        "INSERT INTO Altersklassen ( rowid, Ak, von, bis, diszi, quota, maennlich, weiblich )"
        " VALUES ( -1, '1', 7, 8, '2', 0, 'Schüler U9', 'Schülerinnen U9' );"
        "CREATE TABLE uebungen ( Nr TEXT, Text TEXT, Ziffer TEXT );"
        "INSERT INTO uebungen VALUES ( '1201b', 'Drehung', '1,2' ), ( '1101a', 'Reitsitz', '2,5' ),"
        " ( '1102a', 'Steiger O''Brien', '2.55' ), ( '2101a', 'Paar', '3.0' ),"
        " ( '1234', 'ohne Buchstabe', '1,0' ), ( '1301c', '', '4,0' ), ( '1101b', 'Reitsitz rw', '1,0' ), ( '1102b', 'Steiger rw', '2' ),"
        " ( '1201a', 'Drehung', '1' ), ( '1201c', 'Drehung 3', '1' ), ( '1301a', 'Abgang', '3' ), ( '2102a', 'Paar 2', '1' ),"
        " ( '2301a', 'Einrad', '1' );");
}

bool write(const QString& path, const QString& dateText, const QString& sql, int magic)
{
    RuvoDB db;
    const bool written = (!QFile::exists(path) || QFile::remove(path)) && db.open(path, false)
                         && (sql.isEmpty() || db.exec(sql)) && db.setMagic(magic)
                         && db.exec(QStringLiteral("UPDATE Descriptor SET version = %1;").arg(sqlText(dateText)));
    if (!written)
        qWarning() << "CatalogueFiles: cannot write" << path << db.lastError();
    return written;
}

QString oldRules(const QString& dir, const QString& sql) { return catalogueIn(dir, "15.03.2007", sql); }
QString newRules(const QString& dir, const QString& sql) { return catalogueIn(dir, "2008-01-01", sql); }
QString wrongMagic(const QString& dir) { return catalogueIn(dir, "2008-01-01", disciplinesSql(), 940829); }

} // namespace CatalogueFiles
