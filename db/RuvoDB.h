// The base of every database class: one SQLite file with its Descriptor row
// (magic number, version text, read and write password hashes). With the
// objects that own its connection and statements it is the only code that
// calls sqlite3_*; every failure leaves its text in lastError().
#pragma once

#include "db/RuvoDBResult.h"
#include "db/SqliteConnection.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <mutex>

class RuvoDB : public QObject
{
    Q_OBJECT
public:
    enum Error {
        ErrOk = 0,
        ErrNotOpen = 1,
        ErrLocked = 2,
        ErrReadLocked = 3,
        ErrWriteLocked = 4,
        ErrLayout = 5,
        ErrResults = 7,
        ErrWrongType = 8,
        ErrBadIndex = 9,
    };

    explicit RuvoDB(QObject* parent = nullptr);
    ~RuvoDB() override;

    virtual bool setupDB();

    bool open(const QString& path, bool readOnly);
    void close();
    bool isOpen() const { return connection.isOpen(); }

    // Refused as a whole while the file is read- or write-locked.
    bool exec(const QString& sql, int* lastInsertId = nullptr);
    int execInsert(const QString& sql);
    // One statement; refused when reading is locked, and while writing is
    // locked when it would write or returns no rows (BEGIN, ATTACH, settings).
    bool query(const char* sql, RuvoDBResult* out);
    bool query(const QString& sql, RuvoDBResult* out);
    bool columns(const char* table, RuvoDBResult* out);
    QStringList tables();
    bool hasTable(const QString& name);
    int count(const char* table, const char* where = nullptr);

    int magic();
    QString version();
    bool setMagic(int magic);

    bool checkReadPassword(const char* pw);
    bool checkWritePassword(const char* pw);

    static QString errorText(int code);

    const QString& lastError() const { return lastErrorText; }
    // For callers that refuse a request before any statement runs.
    void setLastError(const QString& text);
    bool isReadLocked() const { return readLocked; }
    bool isWriteLocked() const { return writeLocked; }

protected:
    int magicNumber = 0;       // set by a subclass before it opens a file
    QString lastErrorText;
    bool readLocked = false;
    bool writeLocked = false;

private:
    struct Descriptor
    {
        bool present = false;   // the table holds a row
        bool foreign = false;   // the table lacks a column this layer writes
        int magic = -1;
        QString version;
        QByteArray readPassword;
        QByteArray writePassword;
    };

    friend class RuvoTransaction;
    // Whether a transaction (a caller's BEGIN or a savepoint) is open.
    bool inTransaction();
    // Undoes and ends a savepoint whatever the locks: undoing is always
    // allowed. The outermost one ends its transaction as a whole, which
    // succeeds even where releasing it would wait for another connection.
    bool rollbackTo(const QString& savepoint, bool outermost);

    // These expect the mutex to be held; failures set lastErrorText.
    bool runExec(const char* sql);
    bool runQuery(const char* sql, RuvoDBResult* out, bool mayWrite = true);
    bool readDescriptor(Descriptor* d);
    bool isWholeFile();

    Descriptor descriptor();
    void closeHandle();
    void reportOpenFailure(const QString& path);
    static bool passwordMatches(const char* pw, const QByteArray& hash);

    // A plain pthread mutex, so the thread checker sees it even when contended.
    std::mutex mutex;
    SqliteConnection connection;
    bool readOnlyFile = false;
    QString foreignDescriptor;   // why the open file's Descriptor cannot be trusted; empty when it can
};
