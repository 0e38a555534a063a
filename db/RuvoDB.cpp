// The SQLite file behind every database class: open with the Descriptor check
// and password locks, statements, queries, table lookups, error texts.
#include "db/RuvoDB.h"

#include "db/Conversions.h"
#include "db/SqliteStatement.h"
#include "db/UserReport.h"

#include <QtDebug>

#include <crypt.h>
#include <sqlite3.h>

#include <memory>

namespace {

// The Descriptor columns this layer writes and reads.
const char* const descriptorColumns[] = { "magic", "version", "readPassword", "writePassword" };

// SQLite's column names are case-insensitive.
int columnIndex(const QStringList& columns, const char* name)
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns.at(i).compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

RuvoDB::RuvoDB(QObject* parent) : QObject(parent)
{
}

RuvoDB::~RuvoDB()
{
    if (isOpen())
        close();
}

bool RuvoDB::setupDB()
{
    return true;
}

bool RuvoDB::open(const QString& path, bool readOnly)
{
    if (isOpen())
        close();

    Descriptor d;
    {
        std::unique_lock<std::mutex> lock(mutex);
        lastErrorText.clear();
        // SQLite would make a temporary database of it, lost at close.
        if (path.isEmpty()) {
            lastErrorText = tr("Es ist kein Dateiname angegeben.");
            lock.unlock();
            reportOpenFailure(path);
            return false;
        }
        const int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE
                          | (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        if (!connection.open(path, flags, &lastErrorText)) {
            lock.unlock();
            reportOpenFailure(path);
            return false;
        }
        // SQLite falls back to read-only for a file it cannot write.
        readOnlyFile = readOnly || sqlite3_db_readonly(connection.handle(), "main") == 1;
        // A file that is not a database shows itself only on the first read,
        // so the Descriptor is read here, before anything can write.
        if (!runExec("PRAGMA synchronous=OFF;") || !readDescriptor(&d) || !isWholeFile()) {
            closeHandle();
            lock.unlock();
            reportOpenFailure(path);
            return false;
        }
        readLocked = !d.readPassword.isEmpty();
        writeLocked = readOnlyFile || !d.writePassword.isEmpty() || d.foreign;
        if (d.foreign) {
            // Its password columns cannot be read, so it must not open unlocked.
            foreignDescriptor = tr("Die Tabelle Descriptor hat nicht die Spalten magic, version, readPassword"
                                   " und writePassword; die Datei wird nur zum Lesen geöffnet.");
            lastErrorText = foreignDescriptor;
            qWarning("RuvoDB::open %s: %s", qPrintable(path), qPrintable(foreignDescriptor));
        }
    }

    if ((!readOnlyFile || d.present) && setupDB())
        return true;

    if (!foreignDescriptor.isEmpty())
        lastErrorText = foreignDescriptor;
    else if (lastErrorText.isEmpty())
        lastErrorText = errorText(d.present ? ErrWrongType : ErrLayout);
    const Descriptor again = descriptor();
    if (isOpen() && again.present && again.magic == magicNumber)
        writeLocked = true;
    else if (isOpen())
        close();
    reportOpenFailure(path);
    return false;
}

void RuvoDB::close()
{
    {
        std::unique_lock<std::mutex> lock(mutex);
        closeHandle();
    }
    qDebug("RuvoDB::close()");
}

bool RuvoDB::exec(const QString& sql, int* lastInsertId)
{
    const QByteArray utf8 = sql.toUtf8();
    std::unique_lock<std::mutex> lock(mutex);
    if (!isOpen()) {
        lastErrorText = errorText(ErrNotOpen);
        return false;
    }
    if (readLocked || writeLocked) {
        lastErrorText = errorText(ErrLocked);
        return false;
    }
    if (!runExec(utf8.constData())) {
        qDebug("RuvoDB::exec failed: %s\n%s", qPrintable(lastErrorText), utf8.constData());
        return false;
    }
    if (lastInsertId)
        *lastInsertId = int(sqlite3_last_insert_rowid(connection.handle()));
    return true;
}

int RuvoDB::execInsert(const QString& sql)
{
    int id = -1;
    return exec(sql, &id) ? id : -1;
}

bool RuvoDB::query(const char* sql, RuvoDBResult* out)
{
    RuvoDBResult scratch;
    if (!out)
        out = &scratch;
    out->clear();
    std::unique_lock<std::mutex> lock(mutex);
    if (!isOpen()) {
        lastErrorText = errorText(ErrNotOpen);
        return false;
    }
    if (readLocked) {
        lastErrorText = errorText(ErrReadLocked);
        return false;
    }
    return runQuery(sql, out, !writeLocked);
}

bool RuvoDB::query(const QString& sql, RuvoDBResult* out)
{
    return query(sql.toUtf8().constData(), out);
}

bool RuvoDB::columns(const char* table, RuvoDBResult* out)
{
    QByteArray sql("SELECT *  FROM ");
    sql += table;
    sql += "  LIMIT 0;";
    return query(sql.constData(), out);
}

QStringList RuvoDB::tables()
{
    QStringList names;
    std::unique_lock<std::mutex> lock(mutex);
    if (!isOpen()) {
        lastErrorText = errorText(ErrNotOpen);
        return names;
    }
    RuvoDBResult result;
    if (!runQuery("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\';",
                  &result))
        return names;
    names.reserve(result.rows.size());
    for (const QStringList& row : qAsConst(result.rows))
        names << row.value(0);
    return names;
}

bool RuvoDB::hasTable(const QString& name)
{
    return tables().contains(name, Qt::CaseSensitive);
}

int RuvoDB::count(const char* table, const char* where)
{
    QByteArray sql("SELECT COUNT(*) FROM ");
    sql += table;
    sql += ' ';
    if (where)
        sql += where;
    sql += ';';
    RuvoDBResult result;
    if (!query(sql.constData(), &result) || result.rows.isEmpty())
        return 0;
    return result.rows.first().value(0).toInt();
}

int RuvoDB::magic()
{
    const Descriptor d = descriptor();
    return d.present ? d.magic : -1;
}

QString RuvoDB::version()
{
    return descriptor().version;
}

bool RuvoDB::setMagic(int magic)
{
    return exec(QStringLiteral("CREATE TABLE IF NOT EXISTS Descriptor"
                               " (magic INTEGER, version TEXT, readPassword TEXT, writePassword TEXT);"
                               "INSERT INTO Descriptor (magic, version, readPassword, writePassword)"
                               " SELECT %1, '', '', '' WHERE NOT EXISTS (SELECT 1 FROM Descriptor);"
                               "UPDATE Descriptor SET magic = %1;")
                    .arg(magic));
}

bool RuvoDB::checkReadPassword(const char* pw)
{
    if (!pw || !isOpen()) {
        readLocked = true;
        return false;
    }
    readLocked = !passwordMatches(pw, descriptor().readPassword);
    return !readLocked;
}

bool RuvoDB::checkWritePassword(const char* pw)
{
    if (!pw || !isOpen()) {
        writeLocked = true;
        return false;
    }
    writeLocked = readOnlyFile || !foreignDescriptor.isEmpty() || !passwordMatches(pw, descriptor().writePassword);
    return !writeLocked;
}

void RuvoDB::setLastError(const QString& text)
{
    std::unique_lock<std::mutex> lock(mutex);
    lastErrorText = text;
}

QString RuvoDB::errorText(int code)
{
    switch (code) {
    case ErrOk: return tr("Ok");
    case ErrNotOpen: return tr("Keine Datenbank geöffnet.");
    case ErrLocked: return tr("Die Datenbank ist Zugriffgeschützt.");
    case ErrReadLocked: return tr("Die Datenbank ist lesegeschützt.");
    case ErrWriteLocked: return tr("Die Datenbank ist schreibgeschützt.");
    case ErrLayout: return tr("Das Layout konnte nicht gelesen werden.");
    case ErrResults: return tr("Die Ergebnisse konnten nicht gelesen werden.");
    case ErrWrongType: return tr("Dies ist keine Datenbank vom erforderlichen Typ!");
    case ErrBadIndex: return tr("Der angegebene Index ist ungültig (<=0).");
    default: return tr("????");
    }
}

bool RuvoDB::inTransaction()
{
    std::unique_lock<std::mutex> lock(mutex);
    return isOpen() && !sqlite3_get_autocommit(connection.handle());
}

bool RuvoDB::rollbackTo(const QString& savepoint, bool outermost)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (!isOpen()) {
        lastErrorText = errorText(ErrNotOpen);
        return false;
    }
    const QString sql = outermost ? QStringLiteral("ROLLBACK;")
                                  : QStringLiteral("ROLLBACK TO SAVEPOINT %1;RELEASE SAVEPOINT %1;").arg(savepoint);
    return runExec(sql.toUtf8().constData());
}

// Statement by statement, as sqlite3_exec would, but with every statement
// owned by an object that finalizes it.
bool RuvoDB::runExec(const char* sql)
{
    while (*sql) {
        const char* tail = nullptr;
        SqliteStatement statement(connection.handle(), sql, &tail);
        if (!statement.isPrepared()) {
            lastErrorText = connection.errorMessage();
            return false;
        }
        int rc = SQLITE_DONE;
        while (!statement.isEmpty() && (rc = statement.step()) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            lastErrorText = connection.errorMessage();
            return false;
        }
        if (!tail || tail == sql)
            break;
        sql = tail;
    }
    return true;
}

bool RuvoDB::runQuery(const char* sql, RuvoDBResult* out, bool mayWrite)
{
    out->clear();
    SqliteStatement statement(connection.handle(), sql);
    if (!statement.isPrepared()) {
        lastErrorText = connection.errorMessage();
        return false;
    }
    if (statement.isEmpty())   // only white space or comments
        return true;
    // BEGIN EXCLUSIVE writes nothing but would hold the file against others.
    if (!mayWrite && (statement.writes() || !statement.returnsRows())) {
        lastErrorText = errorText(ErrLocked);
        return false;
    }

    sqlite3_stmt* handle = statement.handle();
    const int columnCount = sqlite3_column_count(handle);
    out->columns.reserve(columnCount);
    out->types.reserve(columnCount);
    for (int i = 0; i < columnCount; ++i) {
        out->columns << QString::fromUtf8(sqlite3_column_name(handle, i));
        out->types << QString::fromUtf8(sqlite3_column_decltype(handle, i));
    }

    int rc;
    QString cell;
    while ((rc = statement.step()) == SQLITE_ROW) {
        const int cells = sqlite3_data_count(handle);
        QStringList row;
        row.reserve(cells);
        for (int i = 0; i < cells; ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(handle, i));
            row << fromCString(cell, text, sqlite3_column_bytes(handle, i));
        }
        out->rows << row;
    }
    if (rc != SQLITE_DONE) {
        lastErrorText = connection.errorMessage();
        out->rows.clear();
        return false;
    }
    return true;
}

bool RuvoDB::readDescriptor(Descriptor* d)
{
    *d = Descriptor();
    RuvoDBResult result;
    if (!runQuery("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'Descriptor';", &result))
        return false;
    if (result.rows.isEmpty())
        return true;
    if (!runQuery("SELECT * FROM Descriptor LIMIT 1;", &result))
        return false;
    if (result.rows.isEmpty())
        return true;

    const QStringList& row = result.rows.first();
    auto cell = [&](const char* name) { return row.value(columnIndex(result.columns, name)); };
    d->present = true;
    for (const char* name : descriptorColumns)
        d->foreign = d->foreign || columnIndex(result.columns, name) < 0;
    bool ok = false;
    d->magic = cell("magic").toInt(&ok);
    if (!ok)
        d->magic = -1;
    d->version = cell("version");
    d->readPassword = cell("readPassword").toUtf8();
    d->writePassword = cell("writePassword").toUtf8();
    return true;
}

// SQLite notices a file cut short by whole pages on the first read, but a
// file cut inside its last page only when that page is read.
bool RuvoDB::isWholeFile()
{
    sqlite3_file* file = nullptr;
    sqlite3_int64 size = 0;
    RuvoDBResult pageSize;
    if (sqlite3_file_control(connection.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file
        || !file->pMethods || file->pMethods->xFileSize(file, &size) != SQLITE_OK
        || !runQuery("PRAGMA page_size;", &pageSize) || pageSize.rows.isEmpty())
        return true;
    const qint64 page = pageSize.rows.first().value(0).toLongLong();
    if (page <= 0 || size % page == 0)
        return true;
    lastErrorText = QString::fromUtf8(sqlite3_errstr(SQLITE_CORRUPT));
    return false;
}

RuvoDB::Descriptor RuvoDB::descriptor()
{
    Descriptor d;
    std::unique_lock<std::mutex> lock(mutex);
    if (isOpen() && !readDescriptor(&d))
        d = Descriptor();
    return d;
}

void RuvoDB::closeHandle()
{
    connection.close();
    readOnlyFile = false;
    foreignDescriptor.clear();
    readLocked = false;
    writeLocked = false;
}

void RuvoDB::reportOpenFailure(const QString& path)
{
    reportToUser(path.toHtmlEscaped() + QLatin1String("<br>") + lastErrorText, MessageCritical);
}

// An empty stored hash means no password is set.
bool RuvoDB::passwordMatches(const char* pw, const QByteArray& hash)
{
    if (hash.isEmpty())
        return true;
    auto data = std::make_unique<crypt_data>();
    const char* computed = crypt_r(pw, hash.constData(), data.get());
    return computed && hash == computed;
}
