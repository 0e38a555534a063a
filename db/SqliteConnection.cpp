// The one place that opens and closes SQLite connections.
#include "db/SqliteConnection.h"

#include <sqlite3.h>

SqliteConnection::~SqliteConnection()
{
    close();
}

bool SqliteConnection::open(const QString& path, int flags, QString* error)
{
    close();
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &handle, flags, nullptr);
    if (rc == SQLITE_OK) {
        db = handle;
        return true;
    }
    *error = QString::fromUtf8(handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc));
    // SQLite hands out a handle even when the open fails; it must be closed too.
    sqlite3_close_v2(handle);
    return false;
}

void SqliteConnection::close()
{
    // _v2: a statement still alive somewhere cannot keep the file open for good.
    sqlite3_close_v2(db);
    db = nullptr;
}

QString SqliteConnection::errorMessage() const
{
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(SQLITE_MISUSE));
}
