// RuvoDB on real files: statements, queries, the Descriptor, read-only files,
// password locks, and files that are not (or no longer) databases.
#include "db/RuvoDB.h"
#include "db/SqlLiteral.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/MessageCatcher.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <crypt.h>

#include <memory>
#include <thread>

namespace {

const int testMagic = 4711;

// A database class as the subclasses build one: checks its magic and creates
// its table in setupDB.
class ItemDB : public RuvoDB
{
public:
    explicit ItemDB(int magic = testMagic) { magicNumber = magic; }

    bool setupDB() override
    {
        const int stored = magic();
        if (stored == -1 && !setMagic(magicNumber))
            return false;
        if (stored != -1 && stored != magicNumber) {
            lastErrorText = errorText(ErrWrongType);
            return false;
        }
        return exec("CREATE TABLE IF NOT EXISTS items (id INTEGER PRIMARY KEY, name TEXT);");
    }
};

// Its own checks pass, then a step of its set-up fails for another reason.
class FailingSetupDB : public ItemDB
{
public:
    bool setupDB() override { return ItemDB::setupDB() && exec("INSERT INTO missing VALUES (1);"); }
};

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

QByteArray hashOf(const char* password)
{
    auto data = std::make_unique<crypt_data>();
    return QByteArray(crypt_r(password, "ab", data.get()));
}

} // namespace

class TestRuvoDB : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        messages.reset(new MessageCatcher);
    }

    void init()
    {
        messages->texts.clear();
        messages->icons.clear();
    }

    void setMagicCreatesOneDescriptorRow()
    {
        const QString file = path("magic.ldb");
        {
            RuvoDB db;
            QVERIFY(db.open(file, false));
            QVERIFY(db.tables().isEmpty());
            QCOMPARE(db.magic(), -1);
            QCOMPARE(db.version(), QString());
            QVERIFY(!db.isReadLocked() && !db.isWriteLocked());
            QVERIFY(db.setMagic(1234));
            QCOMPARE(db.magic(), 1234);
            QVERIFY(db.setMagic(55));
            QCOMPARE(db.count("Descriptor"), 1);
            QVERIFY(db.exec("UPDATE Descriptor SET version = '2019-01-01';"));
        }
        RuvoDB again;
        QVERIFY(again.open(file, false));
        QCOMPARE(again.magic(), 55);
        QCOMPARE(again.version(), QString("2019-01-01"));
        QCOMPARE(again.tables(), QStringList{"Descriptor"});
        QVERIFY(messages->texts.isEmpty());
    }

    void descriptorIsReadByColumnName()
    {
        const QString file = path("reordered.ldb");
        {
            RuvoDB db;
            QVERIFY(db.open(file, false));
            QVERIFY(db.exec(QStringLiteral("CREATE TABLE Descriptor (note TEXT, writePassword TEXT, version TEXT,"
                                           " readPassword TEXT, magic INTEGER);"
                                           "INSERT INTO Descriptor VALUES ('x', %1, '2001-02-03', '', 4711);")
                                .arg(sqlText(QString::fromLatin1(hashOf("pw"))))));
        }
        RuvoDB db;
        QVERIFY(db.open(file, false));
        QCOMPARE(db.magic(), 4711);
        QCOMPARE(db.version(), QStringLiteral("2001-02-03"));
        QVERIFY(!db.isReadLocked());
        QVERIFY(db.isWriteLocked());
        QVERIFY(db.checkWritePassword("pw"));
        QVERIFY(messages->texts.isEmpty());
    }

    void execAndExecInsert()
    {
        RuvoDB db;
        QVERIFY(db.open(path("exec.ldb"), false));
        QVERIFY(db.exec("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT); CREATE TABLE u (x INTEGER);"));
        QCOMPARE(db.execInsert("INSERT INTO t (name) VALUES ('a');"), 1);
        QCOMPARE(db.execInsert("INSERT INTO t (name) VALUES ('b');"), 2);
        int id = 0;
        QVERIFY(db.exec("INSERT INTO t (id, name) VALUES (40, 'c');", &id));
        QCOMPARE(id, 40);
        QCOMPARE(db.execInsert("INSERT INTO missing VALUES (1);"), -1);
        QCOMPARE(db.count("t"), 3);
        QVERIFY(db.hasTable("u"));

        // A failure keeps SQLite's message and logs the statement.
        DebugCapture capture;
        QVERIFY(!db.exec("CREATE TABLE (oops;", &id));
        QCOMPARE(id, 40);
        QVERIFY2(db.lastError().contains("syntax error"), qPrintable(db.lastError()));
        QVERIFY(capture.contains("CREATE TABLE (oops;"));
        QVERIFY(!db.query("SELECT * FROM nowhere;", nullptr));
        QVERIFY2(db.lastError().contains("no such table"), qPrintable(db.lastError()));
    }

    void queryReturnsColumnsTypesAndRows()
    {
        RuvoDB db;
        QVERIFY(db.open(path("query.ldb"), false));
        QVERIFY(db.exec("CREATE TABLE t (id INTEGER, name VARCHAR(20), score REAL);"
                        "INSERT INTO t VALUES (1, 'eins', 1.5);"
                        "INSERT INTO t VALUES (2, NULL, NULL);"));
        RuvoDBResult result;
        result.rows << QStringList{"stale"};
        QVERIFY(db.query("SELECT id, name, score FROM t ORDER BY id;", &result));
        QCOMPARE(result.columns, (QStringList{"id", "name", "score"}));
        QCOMPARE(result.types, (QStringList{"INTEGER", "VARCHAR(20)", "REAL"}));
        QCOMPARE(result.rows.size(), 2);
        QCOMPARE(result.rows[0], (QStringList{"1", "eins", "1.5"}));
        QCOMPARE(result.rows[1], (QStringList{"2", "", ""}));

        QVERIFY(db.query(QString("SELECT count(*) AS n FROM t WHERE name = 'eins';"), &result));
        QCOMPARE(result.columns, QStringList{"n"});
        QCOMPARE(result.types, QStringList{""});
        QCOMPARE(result.rows, QList<QStringList>{QStringList{"1"}});

        QVERIFY(db.query("SELECT * FROM t WHERE id > 5;", &result));
        QCOMPARE(result.columns.size(), 3);
        QVERIFY(result.rows.isEmpty());

        // Text that is not UTF-8 is read as Latin-1; a NUL ends it.
        QVERIFY(db.exec("DELETE FROM t; INSERT INTO t (name) VALUES (CAST(X'4DFC6C6C6572' AS TEXT)),"
                        " (CAST(X'4D00FC' AS TEXT));"));
        QVERIFY(db.query("SELECT name FROM t ORDER BY rowid;", &result));
        QCOMPARE(result.rows, (QList<QStringList>{{QString::fromUtf8("M\xc3\xbcller")}, {"M"}}));
    }

    void columnsTablesAndCount()
    {
        RuvoDB db;
        QVERIFY(db.open(path("tables.ldb"), false));
        QVERIFY(db.exec("CREATE TABLE t (a INTEGER PRIMARY KEY AUTOINCREMENT, b TEXT);"
                        "CREATE TABLE Other (x);"
                        "INSERT INTO t (b) VALUES ('1'), ('2'), ('3');"));
        RuvoDBResult result;
        QVERIFY(db.columns("t", &result));
        QCOMPARE(result.columns, (QStringList{"a", "b"}));
        QVERIFY(result.rows.isEmpty());
        QVERIFY(!db.columns("nope", &result));

        // SQLite's own bookkeeping table is not one of the file's tables.
        QCOMPARE(db.tables(), (QStringList{"t", "Other"}));
        QVERIFY(db.hasTable("Other"));
        QVERIFY(!db.hasTable("other"));
        QVERIFY(!db.hasTable("T"));

        QCOMPARE(db.count("t"), 3);
        QCOMPARE(db.count("t", "WHERE a > 1"), 2);
        QCOMPARE(db.count("nope"), 0);
    }

    void notOpenGivesError1()
    {
        RuvoDB db;
        const QString text = RuvoDB::errorText(RuvoDB::ErrNotOpen);
        QVERIFY(!db.exec("CREATE TABLE t (a);"));
        QCOMPARE(db.lastError(), text);
        RuvoDBResult result;
        QVERIFY(!db.query("SELECT 1;", &result));
        QCOMPARE(db.lastError(), text);
        QCOMPARE(db.execInsert("INSERT INTO t VALUES (1);"), -1);
        QVERIFY(db.tables().isEmpty());
        QCOMPARE(db.count("t"), 0);
        QCOMPARE(db.magic(), -1);
        QVERIFY(!db.setMagic(5));
        QVERIFY(!db.checkReadPassword("x"));

        // open closes the previous file; close logs.
        QVERIFY(db.open(path("first.ldb"), false));
        QVERIFY(db.exec("CREATE TABLE first (a);"));
        QVERIFY(db.open(path("second.ldb"), false));
        QVERIFY(db.tables().isEmpty());
        DebugCapture capture;
        db.close();
        QVERIFY(!db.isOpen());
        QVERIFY(capture.contains("RuvoDB::close()"));
    }

    void valueEqualToColumnNameStaysAValue()
    {
        RuvoDB db;
        QVERIFY(db.open(path("literal.ldb"), false));
        QVERIFY(db.exec("CREATE TABLE t (name TEXT, club TEXT);"));
        QVERIFY(db.exec(QStringLiteral("INSERT INTO t VALUES (%1, %2);").arg(sqlText("name"), sqlText("x"))));
        QVERIFY(db.exec(QStringLiteral("INSERT INTO t VALUES (%1, %2);").arg(sqlText("other"), sqlText("club"))));
        const QString hostile = "x'); DROP TABLE t; --";
        QVERIFY(db.exec(QStringLiteral("INSERT INTO t VALUES (%1, 'h');").arg(sqlText(hostile))));

        RuvoDBResult result;
        QVERIFY(db.query(QStringLiteral("SELECT name FROM t WHERE name = %1;").arg(sqlText("name")), &result));
        QCOMPARE(result.rows, QList<QStringList>{QStringList{"name"}});
        QVERIFY(db.query(QStringLiteral("SELECT name FROM t WHERE club = %1;").arg(sqlText("club")), &result));
        QCOMPARE(result.rows, QList<QStringList>{QStringList{"other"}});
        QVERIFY(db.query(QStringLiteral("SELECT club FROM t WHERE name = %1;").arg(sqlText(hostile)), &result));
        QCOMPARE(result.rows, QList<QStringList>{QStringList{"h"}});
        QCOMPARE(db.count("t"), 3);
    }

    void readOnlyFileIsWriteLocked()
    {
        const QString file = makeDatabase("ro.ldb", 3);
        QVERIFY(!file.isEmpty());
        const QByteArray before = fileBytes(file);

        RuvoDB db;
        QVERIFY(db.open(file, true));
        QVERIFY(db.isWriteLocked());
        QVERIFY(!db.isReadLocked());
        QCOMPARE(db.magic(), testMagic);
        QCOMPARE(db.count("items"), 3);
        QVERIFY(!db.exec("DELETE FROM items;"));
        QCOMPARE(db.lastError(), RuvoDB::errorText(RuvoDB::ErrLocked));
        QVERIFY(!db.checkWritePassword("anything"));
        QVERIFY(db.isWriteLocked());
        db.close();
        QCOMPARE(fileBytes(file), before);
        QVERIFY(messages->texts.isEmpty());
    }

    void refusedWithoutDescriptorOrFile()
    {
        const QString file = path("plain.ldb");
        {
            RuvoDB db;
            QVERIFY(db.open(file, false));
            QVERIFY(db.exec("CREATE TABLE t (a);"));
        }
        const QByteArray before = fileBytes(file);
        RuvoDB db;
        QVERIFY(!db.open(file, true));
        QVERIFY(!db.isOpen());
        QCOMPARE(messages->texts.size(), 1);
        QVERIFY(messages->texts[0].startsWith(file + "<br>"));
        QCOMPARE(messages->icons[0], 3);
        QCOMPARE(fileBytes(file), before);

        const QString missing = path("missing.ldb");
        QVERIFY(!db.open(missing, true));
        QVERIFY(!db.isOpen());
        QVERIFY(!db.lastError().isEmpty());
        QCOMPARE(messages->texts.last(), missing + "<br>" + db.lastError());
        QVERIFY(!QFile::exists(missing));
        QVERIFY(!db.open(path("no/such/dir.ldb"), false));
        QCOMPARE(messages->texts.size(), 3);
    }

    void readPasswordLocksReading()
    {
        const QString file = makeDatabase("readlock.ldb", 2);
        setPassword(file, "readPassword", "geheim");

        RuvoDB db;
        QVERIFY(db.open(file, false));
        QVERIFY(db.isReadLocked());
        RuvoDBResult result;
        QVERIFY(!db.query("SELECT * FROM items;", &result));
        QCOMPARE(db.lastError(), RuvoDB::errorText(RuvoDB::ErrReadLocked));
        QVERIFY(!db.exec("DELETE FROM items;"));
        QCOMPARE(db.lastError(), RuvoDB::errorText(RuvoDB::ErrLocked));
        QCOMPARE(db.magic(), testMagic);

        QVERIFY(!db.checkReadPassword("falsch"));
        QVERIFY(db.isReadLocked());
        QVERIFY(db.checkReadPassword("geheim"));
        QVERIFY(!db.isReadLocked());
        QVERIFY(db.query("SELECT * FROM items;", &result));
        QCOMPARE(result.rows.size(), 2);
        QVERIFY(!db.checkReadPassword(nullptr));
        QVERIFY(db.isReadLocked());
    }

    void writePasswordLocksWriting()
    {
        const QString file = makeDatabase("writelock.ldb", 2);
        setPassword(file, "writePassword", "geheim");

        RuvoDB db;
        QVERIFY(db.open(file, false));
        QVERIFY(db.isWriteLocked());
        QVERIFY(!db.isReadLocked());
        QCOMPARE(db.count("items"), 2);
        QVERIFY(!db.exec("DELETE FROM items;"));
        QCOMPARE(db.lastError(), RuvoDB::errorText(RuvoDB::ErrLocked));
        QVERIFY(!db.checkWritePassword("falsch"));
        QVERIFY(db.checkWritePassword("geheim"));
        QVERIFY(db.exec("DELETE FROM items;"));
        QCOMPARE(db.count("items"), 0);
        QVERIFY(!db.checkWritePassword(nullptr));
        QVERIFY(!db.exec("DELETE FROM items;"));
        // No stored read password: any given password unlocks reading.
        QVERIFY(db.checkReadPassword(""));
    }

    // Its own class keeps a file it cannot set up open, write-locked and unchanged.
    void lockedFileStaysOpenForItsOwnClass_data()
    {
        QTest::addColumn<QByteArray>("column");   // empty: the set-up fails for another reason
        QTest::addColumn<bool>("readLock");
        QTest::newRow("read password") << QByteArray("readPassword") << true;
        QTest::newRow("write password") << QByteArray("writePassword") << false;
        QTest::newRow("failed set-up") << QByteArray() << false;
    }

    void lockedFileStaysOpenForItsOwnClass()
    {
        QFETCH(QByteArray, column);
        QFETCH(bool, readLock);
        const QString file = makeDatabase("locked.ldb", 1);
        if (!column.isEmpty())
            setPassword(file, column.constData(), "pw");
        const QByteArray before = fileBytes(file);

        std::unique_ptr<ItemDB> db(column.isEmpty() ? new FailingSetupDB : new ItemDB);
        QVERIFY(!db->open(file, false));
        QVERIFY(db->isOpen());
        QVERIFY(db->isWriteLocked());
        QCOMPARE(db->isReadLocked(), readLock);
        const QString error = column.isEmpty() ? db->lastError() : RuvoDB::errorText(RuvoDB::ErrLocked);
        QVERIFY2(!column.isEmpty() || error.contains("no such table"), qPrintable(error));
        QCOMPARE(messages->texts, QStringList{file + "<br>" + error});
        QCOMPARE(messages->icons, QList<int>{3});
        if (!readLock)
            QCOMPARE(db->count("items"), 1);
        QVERIFY(!db->exec("DELETE FROM items;"));
        QCOMPARE(db->lastError(), RuvoDB::errorText(RuvoDB::ErrLocked));
        db->close();
        QCOMPARE(fileBytes(file), before);
    }

    void wrongMagicIsRefused()
    {
        const QString file = path("other.ldb");
        {
            ItemDB other(940829);
            QVERIFY(other.open(file, false));
        }
        const QByteArray before = fileBytes(file);
        ItemDB db;
        QVERIFY(!db.open(file, false));
        QVERIFY(!db.isOpen());
        QCOMPARE(messages->texts, QStringList{file + "<br>" + RuvoDB::errorText(RuvoDB::ErrWrongType)});
        QCOMPARE(fileBytes(file), before);
        QVERIFY(!db.open(file, true));
        QCOMPARE(fileBytes(file), before);
    }

    void badFileIsRefusedUntouched_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("readOnly");

        const QString file = makeDatabase("source.ldb", 100);
        QVERIFY(!file.isEmpty());
        const QByteArray good = fileBytes(file);
        QVERIFY(good.size() > 4 * 4096);

        QByteArray noise(8192, '\0');
        quint32 x = 99;
        for (char& c : noise) {
            x = x * 1664525u + 1013904223u;
            c = char(x >> 24);
        }
        QByteArray badHeader = good;
        badHeader[0] = 'X';

        for (bool readOnly : {false, true}) {
            const char* mode = readOnly ? " read-only" : "";
            QTest::addRow("garbage%s", mode) << noise << readOnly;
            QTest::addRow("text%s", mode) << QByteArray("Name;Verein\nMeier;RV\n") << readOnly;
            QTest::addRow("10 bytes%s", mode) << good.left(10) << readOnly;
            QTest::addRow("header only%s", mode) << good.left(100) << readOnly;
            QTest::addRow("one page%s", mode) << good.left(4096) << readOnly;
            QTest::addRow("half%s", mode) << good.left(good.size() / 2) << readOnly;
            QTest::addRow("half page short%s", mode) << good.left(good.size() - 2048) << readOnly;
            QTest::addRow("bad header%s", mode) << badHeader << readOnly;
        }
    }

    void badFileIsRefusedUntouched()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, readOnly);
        const QString file = path("bad.ldb");
        writeFile(file, content);

        ItemDB db;
        QVERIFY(!db.open(file, readOnly));
        QVERIFY(!db.isOpen());
        QCOMPARE(messages->texts.size(), 1);
        QVERIFY2(messages->texts[0].startsWith(file + "<br>"), qPrintable(messages->texts[0]));
        QVERIFY(messages->texts[0].size() > file.size() + 4);
        QCOMPARE(messages->icons[0], 3);
        QCOMPARE(fileBytes(file), content);
        QVERIFY(!QFile::exists(file + "-journal"));

        RuvoDB base;
        QVERIFY(!base.open(file, readOnly));
        QCOMPARE(fileBytes(file), content);
    }

    void errorTexts()
    {
        const QStringList texts = {
            "Ok", QString::fromUtf8("Keine Datenbank ge\xc3\xb6" "ffnet."),
            QString::fromUtf8("Die Datenbank ist Zugriffgesch\xc3\xbctzt."),
            QString::fromUtf8("Die Datenbank ist lesegesch\xc3\xbctzt."),
            QString::fromUtf8("Die Datenbank ist schreibgesch\xc3\xbctzt."),
            "Das Layout konnte nicht gelesen werden.", "????", "Die Ergebnisse konnten nicht gelesen werden.",
            "Dies ist keine Datenbank vom erforderlichen Typ!",
            QString::fromUtf8("Der angegebene Index ist ung\xc3\xbcltig (<=0)."),
        };
        for (int code = 0; code < texts.size(); ++code)
            QCOMPARE(RuvoDB::errorText(code), texts[code]);
        QCOMPARE(RuvoDB::errorText(10), QString("????"));
        QCOMPARE(RuvoDB::errorText(-1), QString("????"));
    }

    void twoThreadsInsert()
    {
        RuvoDB db;
        QVERIFY(db.open(path("threads.ldb"), false));
        QVERIFY(db.exec("CREATE TABLE t (id INTEGER PRIMARY KEY, who INTEGER);"));
        auto insertMany = [&db](int who) {
            for (int i = 0; i < 200; ++i)
                db.exec(QStringLiteral("INSERT INTO t (who) VALUES (%1);").arg(who));
        };
        // std::thread rather than QThread: its hand-over is visible to the thread checker.
        std::thread worker(insertMany, 1);
        insertMany(2);
        RuvoDBResult result;
        for (int i = 0; i < 50; ++i)
            db.query("SELECT count(*) FROM t;", &result);
        worker.join();
        QCOMPARE(db.count("t", "WHERE who = 1"), 200);
        QCOMPARE(db.count("t", "WHERE who = 2"), 200);
    }

private:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QString makeDatabase(const char* name, int rows = 0);
    void setPassword(const QString& file, const char* column, const char* password);

    QTemporaryDir dir;
    std::unique_ptr<MessageCatcher> messages;
};

QString TestRuvoDB::makeDatabase(const char* name, int rows)
{
    const QString file = path(name);
    QFile::remove(file);
    ItemDB db;
    if (!db.open(file, false))
        return QString();
    for (int i = 0; i < rows; ++i)
        db.exec(QStringLiteral("INSERT INTO items (name) VALUES (%1);").arg(sqlText(QString(200, QChar('a' + i % 26)))));
    db.close();
    return file;
}

void TestRuvoDB::setPassword(const QString& file, const char* column, const char* password)
{
    RuvoDB db;
    QVERIFY(db.open(file, false));
    QVERIFY(db.exec(QStringLiteral("UPDATE Descriptor SET %1 = %2;")
                        .arg(QLatin1String(column), sqlText(QString::fromLatin1(hashOf(password))))));
}

QTEST_GUILESS_MAIN(TestRuvoDB)
#include "tst_ruvodb.moc"
