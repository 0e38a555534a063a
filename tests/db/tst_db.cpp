// The database layer: the conversion helpers as one table of texts read and
// values written, hostile blobs, and on real files the statements, the locks
// on every write path, files that are not (or no longer) ours, the
// transaction guard and the properties.
#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "db/RuvoProps.h"
#include "db/RuvoTransaction.h"
#include "db/SqlLiteral.h"
#include "db/UserReport.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/MessageCatcher.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <crypt.h>

#include <climits>
#include <cstring>
#include <memory>
#include <optional>

namespace {

QString digest(const QByteArray& data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
}

// Each helper applied to a text, its result as a text.
QString convert(const QByteArray& helper, const QByteArray& in)
{
    const QString text = QString::fromUtf8(in);
    const int value = in.toInt();
    if (helper == "toInt") return QString::number(toInt(text));
    if (helper == "toInt64") return QString::number(toInt64(text));
    if (helper == "date") return parseDate(in.constData()).toString(Qt::ISODate);
    if (helper == "sex") return QString::number(sexFromText(text));
    if (helper == "ak") return QString::number(akFromString(text));
    if (helper == "diszi") return QString::number(disziFromString(text));
    if (helper == "points") return QString::number(parsePoints(text));
    if (helper == "sqlText") return sqlText(text);
    if (helper == "blob") return digest(uncompressFromBase64(text));
    if (helper == "pointsText") return pointsText(value);
    if (helper == "minutesText") return minutesText(value);
    if (helper == "akToChar") return QString(QLatin1Char(akToChar(value)));
    if (helper == "disziToChar") return QString(QLatin1Char(disziToChar(value)));
    if (helper == "category") {
        int d = -1, s = -1, a = -1;
        const bool ok = unpackCategory(&d, &s, &a, value);
        return QStringLiteral("%1 %2 %3 %4").arg(ok ? "ok" : "no").arg(d).arg(s).arg(a);
    }
    if (helper == "toCString") {   // the fixed text into a 10-byte buffer of size `in`, NUL shown as |
        char buffer[10];
        memset(buffer, 'X', sizeof buffer);
        if (toCString(buffer, QString::fromUtf8("a\xc3\xa4\xf0\x9f\x98\x80"), value) != buffer)
            return "not the buffer";
        return QString::fromLatin1(QByteArray(buffer, 10).replace('\0', '|'));
    }
    QString out = "old";
    return fromCString(out, in.constData());
}

QByteArray noise(int size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char((seed = seed * 1103515245u + 12345u) >> 24);
    return bytes;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const int testMagic = 4711;

// A database class as the subclasses build one: marks a new file and creates
// its table in setupDB; `failing` then fails a step.
class ItemDB : public RuvoDB
{
public:
    explicit ItemDB(bool failing = false) : failing(failing) { magicNumber = testMagic; }

    bool setupDB() override
    {
        return (magic() != -1 || setMagic(magicNumber))
               && exec("CREATE TABLE IF NOT EXISTS items (id INTEGER PRIMARY KEY, name TEXT);")
               && !(failing && !exec("INSERT INTO missing VALUES (1);"));
    }
    bool failing;
};

} // namespace

class TestDB : public QObject
{
    Q_OBJECT
private slots:
    void init() { messages.reset(new MessageCatcher); }
    void cleanup()
    {
        RuvoProps::instance()->setDatabase(nullptr);
        messages.reset();
    }

    void converts_data()
    {
        QTest::addColumn<QByteArray>("helper");
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QString>("out");
        auto row = [](const char* helper, const QByteArray& in, const QString& out) {
            QTest::addRow("%s %s", helper, in.left(30).toPercentEncoding(" ,.:-").constData()) << QByteArray(helper) << in << out;
        };
        row("toInt", "99999999999", QString::number(INT_MAX));
        row("toInt64", QByteArray(253, ' ') + "123", "12");   // nothing read past byte 255
        row("date", "0000000000000000000024.12.2003", "2003-12-24");
        for (const char* in : {"24.12 2003", "31.02.2003", "99999999999999999999999.1.1"})
            row("date", in, "");
        row("sex", " M\xc3\xa4nnlich", "1");
        for (const char* helper : {"ak", "diszi", "akToChar", "disziToChar"}) {
            row(helper, "7", "7");
            row(helper, "8", "0");
        }
        row("points", "0000000000000000000012,5", "1250");
        row("points", "-0.05", "-5");
        row("points", "999,99", "99999");
        for (const char* in : {"1000", "12,5x"})
            row("points", in, "0");
        row("pointsText", "-5", "-0,05");
        row("pointsText", QByteArray::number(INT_MIN), "-21474836,48");
        row("minutesText", "0", "");
        row("minutesText", QByteArray::number(INT_MAX), "35791394:07");
        // Out of range: refused, with what was read so far left behind.
        row("category", "201", "no 0 1 1");
        row("category", QByteArray::number(INT_MAX), "no 0 0 7");
        row("toCString", "0", "XXXXXXXXXX");
        row("toCString", "3", "a|XXXXXXXX");   // only whole characters
        row("toCString", "7", QString::fromLatin1("a\xc3\xa4|XXXXXX"));
        row("toCString", "8", QString::fromLatin1("a\xc3\xa4\xf0\x9f\x98\x80|XX"));
        const QByteArray data = noise(100000, 12345);
        row("blob", compressToBase64(data).toLatin1(), digest(data));
        const QString refused = digest(QByteArray());
        row("blob", QByteArray("\0\0\0\x10garbagegarbage", 18).toBase64(), refused);   // not zlib
        // A header that claims 2 GB for a few bytes of stream.
        row("blob", QByteArray("\x7f\xff\xff\xf0\x78\x9c\x03\x00", 8).toBase64(), refused);
        // An honest blob within zlib's ratio, but far beyond any logo.
        QByteArray bits = noise(17 * 1024 * 1024, 7);
        for (char& c : bits)
            c = char('0' + (c & 1));
        row("blob", compressToBase64(bits).toLatin1(), refused);
        row("sqlText", "O'Neil \"x\"", "'O''Neil \"x\"'");
        row("fromCString", "M\xc3\xbcller", "Müller");
        row("fromCString", "\xf0\x9f\x98\x80", "😀");
        row("fromCString", QByteArray("ab\0cd", 5), "ab");
        // Everything that is not strict UTF-8 is read as Latin-1.
        for (const char* bad : {"M\xfcller", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "a\x80", "ab\xc3", "\xf0\x9f\x41\x80"})
            row("fromCString", bad, QString::fromLatin1(bad));
    }

    void converts()
    {
        QFETCH(QByteArray, helper);
        QFETCH(QByteArray, in);
        QFETCH(QString, out);
        QCOMPARE(convert(helper, in), out);
        if (helper == "fromCString") {
            // With an exact length and no NUL behind it (ASan checks the reads).
            std::unique_ptr<char[]> exact(new char[size_t(in.size())]);
            memcpy(exact.get(), in.constData(), size_t(in.size()));
            QString text;
            QCOMPARE(fromCString(text, exact.get(), in.size()), out);
        }
    }

    void execAndQuery()
    {
        RuvoDB db;
        QVERIFY(!db.exec("CREATE TABLE t (a);"));
        QCOMPARE(db.lastError(), RuvoDB::errorText(RuvoDB::ErrNotOpen));
        QVERIFY(db.open(path("exec.ldb"), false));
        QVERIFY(db.exec("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(20)); ; INSERT INTO t (name) VALUES ('a');"));
        QCOMPARE(db.execInsert("INSERT INTO t (name) VALUES (NULL);"), 2);
        QCOMPARE(db.execInsert("INSERT INTO t (id, name) VALUES (40, CAST(X'4DFC6C6C6572' AS TEXT));"), 40);
        RuvoDBResult result;
        QVERIFY(db.query("SELECT id, name FROM t ORDER BY id;", &result));
        // NULL reads as an empty text, a text that is not UTF-8 as Latin-1.
        QCOMPARE(result.rows, (QList<QStringList>{{"1", "a"}, {"2", ""}, {"40", QString::fromUtf8("M\xc3\xbcller")}}));
        // A failure keeps SQLite's message and logs the statement.
        DebugCapture capture;
        QVERIFY(!db.exec("CREATE TABLE (oops;"));
        QVERIFY2(db.lastError().contains("syntax error"), qPrintable(db.lastError()));
        QVERIFY(capture.contains("CREATE TABLE (oops;"));
        QVERIFY(db.setMagic(55) && db.setMagic(56) && db.magic() == 56 && db.count("Descriptor") == 1);
    }

    // Every statement that would write is refused on a locked file, whether
    // it comes through exec or query; reading goes on where it may, and the
    // right password (never on a read-only file) unlocks.
    void lockedFilesRefuseWrites_data()
    {
        QTest::addColumn<QString>("lock");     // readOnly, writePassword or readPassword ("pw")
        QTest::addColumn<QString>("unlock");   // the password given
        QTest::addColumn<bool>("viaQuery");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("error");        // 0: allowed

        for (const char* lock : {"readOnly", "writePassword"}) {
            for (const char* sql : {"DELETE FROM items;", "DROP TABLE items;", "INSERT INTO items VALUES (9, 'x');",
                                    "UPDATE Descriptor SET writePassword = '';", "CREATE TABLE x (a);",
                                    "INSERT INTO items SELECT * FROM items WHERE 0;", "BEGIN EXCLUSIVE;",
                                    "ATTACH 'other.ldb' AS other;"})
                for (bool viaQuery : {false, true})
                    QTest::addRow("%s %d %s", lock, viaQuery, sql) << lock << "" << viaQuery << sql << 2;
            QTest::addRow("%s query SELECT", lock) << lock << "" << true << "SELECT * FROM items;" << 0;
            QTest::addRow("%s exec SELECT", lock) << lock << "" << false << "SELECT * FROM items;" << 2;
        }
        QTest::newRow("readOnly unlocked") << "readOnly" << "pw" << false << "DELETE FROM items;" << 2;
        QTest::newRow("writePassword wrong") << "writePassword" << "PW" << false << "DELETE FROM items;" << 2;
        QTest::newRow("writePassword unlocked") << "writePassword" << "pw" << false << "DELETE FROM items;" << 0;
        QTest::newRow("readPassword query") << "readPassword" << "" << true << "DELETE FROM items;" << 3;
        QTest::newRow("readPassword exec") << "readPassword" << "" << false << "DELETE FROM items;" << 2;
        QTest::newRow("readPassword wrong") << "readPassword" << "PW" << true << "SELECT * FROM items;" << 3;
        QTest::newRow("readPassword unlocked") << "readPassword" << "pw" << true << "SELECT * FROM items;" << 0;
    }

    void lockedFilesRefuseWrites()
    {
        QFETCH(QString, lock);
        QFETCH(QString, unlock);
        QFETCH(bool, viaQuery);
        QFETCH(QString, sql);
        QFETCH(int, error);
        const QString file = makeDatabase("locked.ldb", 2);
        setPassword(file, lock == "readPassword" ? lock : "writePassword", "pw");
        const QByteArray before = fileBytes(file);
        RuvoDB db;
        QVERIFY(db.open(file, lock == "readOnly"));
        if (!unlock.isEmpty())
            QCOMPARE(lock == "readPassword" ? db.checkReadPassword(qPrintable(unlock)) : db.checkWritePassword(qPrintable(unlock)), error == 0);
        RuvoDBResult result;
        QCOMPARE(viaQuery ? db.query(sql, &result) : db.exec(sql), error == 0);
        QCOMPARE(db.lastError(), error ? RuvoDB::errorText(error) : QString());
        db.close();
        QCOMPARE(fileBytes(file) == before, error || sql.startsWith("SELECT"));
        QVERIFY(messages->texts.isEmpty());
    }

    // A file that is no database of its class is refused with one box naming
    // it, or, when its own class cannot set it up, kept open write-locked; the
    // file stays as it was. A Descriptor without the names this layer writes
    // never opens unlocked in silence.
    void opening_data()
    {
        QTest::addColumn<QString>("name");         // empty: an empty path
        QTest::addColumn<QByteArray>("content");   // written as the file
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("own");          // a file of its class made so; empty: refused
        QTest::addColumn<QString>("error");        // part of the text in the box

        const QByteArray good = fileBytes(makeDatabase("source.ldb", 100));
        QVERIFY(good.size() > 4 * 4096);
        for (bool readOnly : {false, true}) {
            QTest::addRow("half page short %d", readOnly) << "bad.ldb" << good.left(good.size() - 2048) << readOnly << "" << "";
            QTest::addRow("bad header %d", readOnly) << "bad.ldb" << 'X' + good.mid(1) << readOnly << "" << "";
        }
        QTest::newRow("empty path") << QString() << QByteArray() << false << "" << "";
        QTest::newRow("missing") << "missing.ldb" << QByteArray() << true << "" << "";
        QTest::newRow("no such folder") << "no/such/dir.ldb" << QByteArray() << false << "" << "";
        const QString locked = RuvoDB::errorText(RuvoDB::ErrLocked);
        QTest::newRow("read password") << "own.ldb" << QByteArray() << false << "readPassword" << locked;
        QTest::newRow("write password") << "own.ldb" << QByteArray() << false << "writePassword" << locked;
        QTest::newRow("failed set-up") << "own.ldb" << QByteArray() << false << "failing" << "no such table";
        QTest::newRow("no write password") << "own.ldb" << QByteArray() << false
                                           << "magic INTEGER, version TEXT, readPassword TEXT" << "Descriptor";
        QTest::newRow("ours, reordered, one more") << "own.ldb" << QByteArray() << false
            << "note TEXT, writePassword TEXT, version TEXT, readPassword TEXT, MAGIC INTEGER" << "";
    }

    void opening()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, readOnly);
        QFETCH(QString, own);
        QFETCH(QString, error);
        const QString file = name.isEmpty() ? name : path(qPrintable(name));
        QFile f(file);
        QVERIFY(content.isNull() || (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size()));
        f.close();
        const bool descriptor = own.contains(' ');
        if (!own.isEmpty() && !descriptor)
            makeDatabase("own.ldb", 1);
        if (own.endsWith("Password"))
            setPassword(file, own, "pw");
        if (descriptor) {
            QFile::remove(file);
            RuvoDB db;
            QVERIFY(db.open(file, false));
            QVERIFY(db.exec(QStringLiteral("CREATE TABLE Descriptor (%1); INSERT INTO Descriptor (magic, version)"
                                           " VALUES (4711, '2001-02-03');").arg(own)));
        }
        const QByteArray before = fileBytes(file);
        if (descriptor) {
            DebugCapture capture;
            RuvoDB plain;
            QVERIFY(plain.open(file, false) && plain.magic() == testMagic && plain.version() == "2001-02-03");
            QCOMPARE(plain.isWriteLocked(), !error.isEmpty());
            QCOMPARE(capture.contains("Descriptor") && plain.lastError().contains("Descriptor"), !error.isEmpty());
            QVERIFY(!plain.exec("DELETE FROM Descriptor;") || error.isEmpty());
            if (error.isEmpty())
                return;
        }
        ItemDB db(own == "failing");
        QVERIFY(!db.open(file, readOnly));
        QVERIFY2(!db.lastError().isEmpty() && db.lastError().contains(error), qPrintable(db.lastError()));
        QCOMPARE(messages->texts, QStringList{file + "<br>" + db.lastError()});
        QCOMPARE(messages->icons, QList<int>{3});
        QCOMPARE(db.isOpen(), !own.isEmpty());
        QVERIFY(!db.isOpen() || db.isWriteLocked());
        QVERIFY(!db.exec("DELETE FROM items;"));
        db.close();
        QCOMPARE(fileBytes(file), before);
        QVERIFY(!QFile::exists(file + "-journal") && (!before.isNull() || !QFile::exists(file)));
        messages.reset();
        // The box may run an event loop that uses the database: no lock is held.
        setUserReport([&db](const QString&, int) { db.magic(); });
        QVERIFY(!db.open(file, readOnly));
        setUserReport(UserReport());
    }

    // The guard: all of its work lands or none of it, nested in a caller's
    // transaction or guard too, with the failing statement's error text kept.
    // "OTHER ..." runs on a second connection, "GUARD" opens an outer guard
    // and "COMMIT GUARD" commits it, "LOCK" write-locks the file.
    void transaction_data()
    {
        QTest::addColumn<QString>("before");   // run on the file before the guard
        QTest::addColumn<QString>("inside");   // run inside the guard
        QTest::addColumn<QString>("after");    // run after the guard ended
        QTest::addColumn<bool>("ok");          // the work and commit() succeeded
        QTest::addColumn<int>("rows");         // rows of t at the end
        QTest::addColumn<QString>("error");    // part of the last error text

        const QString two = "INSERT INTO t VALUES (1); INSERT INTO t VALUES (2);";
        const QString begin = "BEGIN; INSERT INTO t VALUES (7);";
        QTest::newRow("committed") << "" << two << "" << true << 3 << "";
        QTest::newRow("dropped") << "" << two << "" << false << 1 << "";
        QTest::newRow("failing") << "" << two + "INSERT INTO no VALUES (1);" << "" << false << 1 << "no such table";
        QTest::newRow("in BEGIN, committed") << begin << two << "COMMIT;" << true << 4 << "";
        QTest::newRow("in BEGIN, guard dropped") << begin << two << "COMMIT;" << false << 2 << "";
        QTest::newRow("in a guard, committed") << "GUARD" << two << "COMMIT GUARD" << true << 3 << "";
        QTest::newRow("outer guard dropped") << "GUARD" << two << "" << true << 1 << "";
        // The guard cannot wait for the other connection: nothing is written.
        const QString busy = "database is locked";
        QTest::newRow("other holds the file") << "OTHER BEGIN EXCLUSIVE;" << two << "OTHER COMMIT;" << false << 1 << busy;
        QTest::newRow("locked meanwhile") << "" << two + "LOCK" << "" << false << 1 << RuvoDB::errorText(RuvoDB::ErrLocked);
    }

    void transaction()
    {
        QFETCH(QString, before);
        QFETCH(QString, inside);
        QFETCH(QString, after);
        QFETCH(bool, ok);
        QFETCH(int, rows);
        QFETCH(QString, error);
        const QString file = path("guard.ldb");
        QFile::remove(file);
        RuvoDB db, other;
        QVERIFY(db.open(file, false) && other.open(file, false));
        QVERIFY(db.setMagic(1) && db.exec("CREATE TABLE t (x INTEGER); INSERT INTO t VALUES (0);"));
        std::optional<RuvoTransaction> outer;
        auto run = [&](const QString& sql) {
            if (sql == "GUARD")
                outer.emplace(&db);
            if (sql == "COMMIT GUARD")
                return outer->commit() && !outer->commit();
            return sql.isEmpty() || sql == "GUARD" || (sql.startsWith("OTHER ") ? other.exec(sql.mid(6)) : db.exec(sql));
        };
        QVERIFY(run(before));
        {
            RuvoTransaction transaction(&db);
            QVERIFY(transaction.isActive());
            const bool worked = run(inside.endsWith("LOCK") ? inside.chopped(4) : inside);
            if (inside.endsWith("LOCK"))
                db.checkWritePassword(nullptr);
            // Committed unless the work is to be dropped.
            const bool commit = ok || !error.isEmpty();
            QCOMPARE(worked && commit && transaction.commit() && !transaction.commit(), ok);
        }
        QVERIFY2(db.lastError().contains(error), qPrintable(db.lastError()));
        QVERIFY(run(after));
        outer.reset();
        QCOMPARE(other.count("t"), rows);
        // Nothing is left open: the other connection can write.
        QVERIFY2(other.exec("INSERT INTO t VALUES (9);"), qPrintable(other.lastError()));
    }

    // Defaults without a database or with a table of other columns (said so,
    // never written); reading leaves the database's last error as it was.
    void props_data()
    {
        QTest::addColumn<bool>("withDatabase");
        QTest::newRow("no database") << false;
        QTest::newRow("other columns") << true;
    }

    void props()
    {
        QFETCH(bool, withDatabase);
        RuvoProps* props = RuvoProps::instance();
        RuvoDB db;
        DebugCapture capture;
        if (withDatabase) {
            QVERIFY(db.open(path("foreign.ldb"), false) && db.setMagic(1));
            QVERIFY(db.exec("CREATE TABLE RuvoProps (name TEXT, wert TEXT); INSERT INTO RuvoProps VALUES ('NAMEFORMAT', '1');"));
            QVERIFY(!db.exec("BROKEN;"));
        }
        props->setDatabase(withDatabase ? &db : nullptr);
        QCOMPARE(capture.contains("RuvoProps") && db.lastError().contains("RuvoProps"), withDatabase);
        const QString error = db.lastError();
        QVERIFY(RuvoProps::decimalSeparator() == ',' && !RuvoProps::startGemeinschaft(1) && RuvoProps::startGemeinschaft(2));
        QVERIFY(props->get("MISSING", "d") == "d" && db.lastError() == error);
        QVERIFY(!props->set("DEZIMALSEPARATION", ".") && RuvoProps::decimalSeparator() == ',');
        QVERIFY(messages->texts.isEmpty());
        QVERIFY(!withDatabase || db.count("RuvoProps") == 1);
    }

private:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QString makeDatabase(const char* name, int rows);
    void setPassword(const QString& file, const QString& column, const char* password);

    QTemporaryDir dir;
    std::unique_ptr<MessageCatcher> messages;
};

QString TestDB::makeDatabase(const char* name, int rows)
{
    const QString file = path(name);
    QFile::remove(file);
    ItemDB db;
    if (!db.open(file, false))
        return QString();
    for (int i = 0; i < rows; ++i)
        db.exec(QStringLiteral("INSERT INTO items (name) VALUES (%1);").arg(sqlText(QString(200, QChar('a' + i % 26)))));
    return file;
}

// The password stored in its column as a crypt hash.
void TestDB::setPassword(const QString& file, const QString& column, const char* password)
{
    auto data = std::make_unique<crypt_data>();
    RuvoDB db;
    QVERIFY(db.open(file, false));
    QVERIFY(db.exec(QStringLiteral("UPDATE Descriptor SET %1 = %2;").arg(column, sqlText(crypt_r(password, "ab", data.get())))));
}

QTEST_GUILESS_MAIN(TestDB)
#include "tst_db.moc"
