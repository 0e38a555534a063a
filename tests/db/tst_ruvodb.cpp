// The database layer on real files: statements and queries, locks that hold on
// every write path, the Descriptor, files that are not (or no longer)
// databases, the transaction guard and the properties.
#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "db/RuvoProps.h"
#include "db/RuvoTransaction.h"
#include "db/SqlLiteral.h"
#include "db/UserReport.h"
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
// its table in setupDB; `failing` then fails a step for another reason.
class ItemDB : public RuvoDB
{
public:
    explicit ItemDB(int magic = testMagic, bool failing = false) : failing(failing) { magicNumber = magic; }

    bool setupDB() override
    {
        const int stored = magic();
        if (stored == -1 && !setMagic(magicNumber))
            return false;
        if (stored != -1 && stored != magicNumber) {
            lastErrorText = errorText(ErrWrongType);
            return false;
        }
        return exec("CREATE TABLE IF NOT EXISTS items (id INTEGER PRIMARY KEY, name TEXT);") &&
               !(failing && !exec("INSERT INTO missing VALUES (1);"));
    }
    bool failing;
};

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestRuvoDB : public QObject
{
    Q_OBJECT
private slots:
    void init() { messages.reset(new MessageCatcher); }
    void cleanup()
    {
        RuvoProps::instance()->setDatabase(nullptr);
        messages.reset();
    }

    void execAndQuery()
    {
        RuvoDB db;
        QVERIFY(!db.exec("CREATE TABLE t (a);"));
        QCOMPARE(db.lastError(), RuvoDB::errorText(RuvoDB::ErrNotOpen));
        QVERIFY(db.open(path("exec.ldb"), false));
        QCOMPARE(db.magic(), -1);
        QVERIFY(db.exec("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(20)); ; CREATE TABLE u (x);"
                        "INSERT INTO t (name) VALUES ('a');"));
        QCOMPARE(db.execInsert("INSERT INTO t (name) VALUES (NULL);"), 2);
        QCOMPARE(db.execInsert("INSERT INTO t (id, name) VALUES (40, CAST(X'4DFC6C6C6572' AS TEXT));"), 40);
        QCOMPARE(db.execInsert("INSERT INTO missing VALUES (1);"), -1);
        RuvoDBResult result;
        QVERIFY(db.query("SELECT id, name FROM t ORDER BY id;", &result));
        QCOMPARE(result.types, (QStringList{"INTEGER", "VARCHAR(20)"}));
        // NULL reads as an empty text, a text that is not UTF-8 as Latin-1.
        QCOMPARE(result.rows, (QList<QStringList>{{"1", "a"}, {"2", ""}, {"40", QString::fromUtf8("M\xc3\xbcller")}}));
        QVERIFY(db.columns("t", &result));
        QCOMPARE(result.columns, (QStringList{"id", "name"}));
        QCOMPARE(db.tables(), (QStringList{"t", "u"}));
        QVERIFY(db.hasTable("u") && !db.hasTable("U"));
        QCOMPARE(db.count("t", "WHERE id > 1"), 2);
        // A failure keeps SQLite's message and logs the statement.
        DebugCapture capture;
        QVERIFY(!db.exec("CREATE TABLE (oops;"));
        QVERIFY2(db.lastError().contains("syntax error"), qPrintable(db.lastError()));
        QVERIFY(capture.contains("CREATE TABLE (oops;"));
        QVERIFY(db.setMagic(55) && db.setMagic(56));
        QCOMPARE(db.magic(), 56);
        QCOMPARE(db.count("Descriptor"), 1);
    }

    // Every statement that would write is refused on a locked file, whether
    // it comes through exec or query; reading goes on where it may.
    void lockedFilesRefuseWrites_data()
    {
        QTest::addColumn<QString>("lock");   // readOnly, writePassword or readPassword
        QTest::addColumn<bool>("viaQuery");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("error");      // 0: allowed

        for (const char* lock : {"readOnly", "writePassword"}) {
            for (const char* sql : {"DELETE FROM items;", "DROP TABLE items;", "INSERT INTO items VALUES (9, 'x');",
                                    "UPDATE Descriptor SET writePassword = '';", "CREATE TABLE x (a);",
                                    "INSERT INTO items SELECT * FROM items WHERE 0;", "BEGIN EXCLUSIVE;",
                                    "ATTACH 'other.ldb' AS other;"})
                for (bool viaQuery : {false, true})
                    QTest::addRow("%s %d %s", lock, viaQuery, sql) << lock << viaQuery << sql << 2;
            QTest::addRow("%s query SELECT", lock) << lock << true << "SELECT * FROM items;" << 0;
            QTest::addRow("%s exec SELECT", lock) << lock << false << "SELECT * FROM items;" << 2;
        }
        QTest::newRow("readPassword query") << "readPassword" << true << "DELETE FROM items;" << 3;
        QTest::newRow("readPassword exec") << "readPassword" << false << "DELETE FROM items;" << 2;
    }

    void lockedFilesRefuseWrites()
    {
        QFETCH(QString, lock);
        QFETCH(bool, viaQuery);
        QFETCH(QString, sql);
        QFETCH(int, error);
        const QString file = makeDatabase("locked.ldb", 2);
        if (lock != "readOnly")
            setPasswords(file, {lock, "pw"});
        const QByteArray before = fileBytes(file);
        RuvoDB db;
        QVERIFY(db.open(file, lock == "readOnly"));
        RuvoDBResult result;
        QCOMPARE(viaQuery ? db.query(sql, &result) : db.exec(sql), error == 0);
        QCOMPARE(db.lastError(), error ? RuvoDB::errorText(error) : QString());
        db.close();
        QCOMPARE(fileBytes(file), before);
        QVERIFY(messages->texts.isEmpty());
    }

    void passwordsUnlock()
    {
        const QString file = makeDatabase("passwords.ldb", 2);
        setPasswords(file, {"readPassword", "lesen", "writePassword", "schreiben"});
        RuvoDB db;
        QVERIFY(db.open(file, false));
        QVERIFY(db.isReadLocked() && db.isWriteLocked());
        QVERIFY(!db.checkReadPassword("falsch") && db.isReadLocked());
        QVERIFY(db.checkReadPassword("lesen"));
        QCOMPARE(db.count("items"), 2);
        QVERIFY(!db.checkWritePassword("lesen") && !db.exec("DELETE FROM items;"));
        QVERIFY(db.checkWritePassword("schreiben") && db.exec("DELETE FROM items;"));
        QVERIFY(!db.checkWritePassword(nullptr) && !db.exec("DELETE FROM items;"));
        RuvoDB readOnly;
        QVERIFY(readOnly.open(file, true));
        QVERIFY(!readOnly.checkWritePassword("schreiben") && readOnly.isWriteLocked());
    }

    // Its own class keeps a file it cannot set up open, write-locked and
    // unchanged, and says why.
    void lockedFileStaysOpenForItsOwnClass_data()
    {
        QTest::addColumn<QString>("column");   // empty: the set-up fails for another reason
        QTest::newRow("read password") << "readPassword";
        QTest::newRow("write password") << "writePassword";
        QTest::newRow("failed set-up") << QString();
    }

    void lockedFileStaysOpenForItsOwnClass()
    {
        QFETCH(QString, column);
        const QString file = makeDatabase("own.ldb", 1);
        if (!column.isEmpty())
            setPasswords(file, {column, "pw"});
        const QByteArray before = fileBytes(file);
        ItemDB db(testMagic, column.isEmpty());
        QVERIFY(!db.open(file, false));
        QVERIFY(db.isOpen() && db.isWriteLocked());
        const QString error = column.isEmpty() ? db.lastError() : RuvoDB::errorText(RuvoDB::ErrLocked);
        QVERIFY2(!column.isEmpty() || error.contains("no such table"), qPrintable(error));
        QCOMPARE(messages->texts, QStringList{file + "<br>" + error});
        QCOMPARE(messages->icons, QList<int>{3});
        QVERIFY(!db.exec("DELETE FROM items;"));
        db.close();
        QCOMPARE(fileBytes(file), before);
    }

    // A Descriptor read by name must have the names this layer writes; one
    // without them never opens unlocked in silence.
    void descriptorColumns_data()
    {
        QTest::addColumn<QString>("columns");
        QTest::addColumn<bool>("writeLocked");
        QTest::newRow("ours, reordered, one more")
            << "note TEXT, writePassword TEXT, version TEXT, readPassword TEXT, MAGIC INTEGER" << false;
        QTest::newRow("renamed passwords") << "magic INTEGER, version TEXT, readPw TEXT, writePw TEXT" << true;
        QTest::newRow("no write password") << "magic INTEGER, version TEXT, readPassword TEXT" << true;
    }

    void descriptorColumns()
    {
        QFETCH(QString, columns);
        QFETCH(bool, writeLocked);
        const QString file = path("descriptor.ldb");
        QFile::remove(file);
        {
            RuvoDB db;
            QVERIFY(db.open(file, false));
            QVERIFY(db.exec(QStringLiteral("CREATE TABLE Descriptor (%1); INSERT INTO Descriptor (magic, version)"
                                           " VALUES (4711, '2001-02-03');").arg(columns)));
        }
        const QByteArray before = fileBytes(file);
        DebugCapture capture;
        RuvoDB db;
        QVERIFY(db.open(file, false));
        QCOMPARE(db.magic(), testMagic);
        QCOMPARE(db.version(), QStringLiteral("2001-02-03"));
        QCOMPARE(db.isWriteLocked(), writeLocked);
        QCOMPARE(db.lastError().contains("Descriptor"), writeLocked);
        QCOMPARE(capture.contains("Descriptor"), writeLocked);
        QCOMPARE(db.checkWritePassword(""), !writeLocked);
        if (!writeLocked)
            return;
        QVERIFY(!db.exec("DELETE FROM Descriptor;"));
        QCOMPARE(fileBytes(file), before);
        ItemDB own;   // its own class shows the reason
        QVERIFY(!own.open(file, false));
        QVERIFY2(messages->texts.value(0).contains("Descriptor"), qPrintable(messages->texts.value(0)));
    }

    // Refused with one box naming the file, the file left as it was; without
    // a report function the text goes to the debug log.
    void refusedFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");   // null: no file
        QTest::addColumn<bool>("readOnly");

        const QByteArray good = fileBytes(makeDatabase("source.ldb", 100));
        QVERIFY(good.size() > 4 * 4096);
        QByteArray noise(8192, '\0');
        quint32 x = 99;
        for (char& c : noise)
            c = char((x = x * 1664525u + 1013904223u) >> 24);
        const QByteArray otherMagic = fileBytes(makeDatabase("other.ldb", 0, 940829));
        for (bool readOnly : {false, true}) {
            QTest::addRow("garbage %d", readOnly) << "bad.ldb" << noise << readOnly;
            QTest::addRow("text %d", readOnly) << "bad.ldb" << QByteArray("Name;Verein\nMeier;RV\n") << readOnly;
            QTest::addRow("header only %d", readOnly) << "bad.ldb" << good.left(100) << readOnly;
            QTest::addRow("half %d", readOnly) << "bad.ldb" << good.left(good.size() / 2) << readOnly;
            QTest::addRow("half page short %d", readOnly) << "bad.ldb" << good.left(good.size() - 2048) << readOnly;
            QTest::addRow("bad header %d", readOnly) << "bad.ldb" << 'X' + good.mid(1) << readOnly;
            QTest::addRow("other magic %d", readOnly) << "bad.ldb" << otherMagic << readOnly;
        }
        QTest::newRow("empty path") << QString() << QByteArray() << false;
        QTest::newRow("missing") << "missing.ldb" << QByteArray() << true;
        QTest::newRow("no such folder") << "no/such/dir.ldb" << QByteArray() << false;
    }

    void refusedFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, readOnly);
        const QString file = name.isEmpty() ? name : path(qPrintable(name));
        QFile f(file);
        QVERIFY(content.isNull() || (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size()));
        f.close();
        ItemDB db;
        QVERIFY(!db.open(file, readOnly));
        QVERIFY(!db.isOpen() && !db.lastError().isEmpty());
        QCOMPARE(messages->texts, QStringList{file + "<br>" + db.lastError()});
        QCOMPARE(fileBytes(file), content);
        QVERIFY(!QFile::exists(file + "-journal") && (!content.isNull() || !QFile::exists(file)));
        messages.reset();
        // The box may run an event loop that uses the database: no lock is held.
        setUserReport([&db](const QString&, int) { db.magic(); });
        QVERIFY(!db.open(file, readOnly));
        setUserReport(UserReport());
        DebugCapture capture;
        QVERIFY(!db.open(file, readOnly));
        QVERIFY(capture.contains(db.lastError()));
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
        QCOMPARE(db.count("t", "WHERE who = 1") + db.count("t", "WHERE who = 2") * 1000, 200200);
    }

    // The guard: all of its work lands or none of it, inside a caller's
    // transaction too; "OTHER ..." runs on a second connection.
    void transaction_data()
    {
        QTest::addColumn<QString>("before");   // run on the file before the guard
        QTest::addColumn<QString>("inside");   // run inside the guard; LOCK: then write-locked
        QTest::addColumn<bool>("commit");
        QTest::addColumn<QString>("after");    // run after the guard ended
        QTest::addColumn<bool>("ok");          // the work and commit() succeeded
        QTest::addColumn<int>("rows");         // rows of t at the end
        QTest::addColumn<QString>("error");    // part of the last error text

        const QString two = "INSERT INTO t VALUES (1); INSERT INTO t VALUES (2);";
        const QString begin = "BEGIN; INSERT INTO t VALUES (7);";
        QTest::newRow("committed") << "" << two << true << "" << true << 3 << "";
        QTest::newRow("dropped") << "" << two << false << "" << false << 1 << "";
        QTest::newRow("failing") << "" << two + "INSERT INTO no VALUES (1);" << false << "" << false << 1 << "no such table";
        QTest::newRow("in BEGIN, committed") << begin << two << true << "COMMIT;" << true << 4 << "";
        QTest::newRow("in BEGIN, rolled back") << begin << two << true << "ROLLBACK;" << true << 1 << "";
        QTest::newRow("in BEGIN, guard dropped") << begin << two << false << "COMMIT;" << false << 2 << "";
        // The guard cannot wait for the other connection: nothing is written.
        QTest::newRow("other holds the file") << "OTHER BEGIN EXCLUSIVE;" << two << true << "OTHER COMMIT;" << false
                                              << 1 << "database is locked";
        QTest::newRow("other reads") << "OTHER BEGIN; SELECT * FROM t;" << two << true << "OTHER COMMIT;" << false
                                     << 1 << "database is locked";
        QTest::newRow("locked meanwhile") << "" << two + "LOCK" << true << "" << false << 1
                                          << RuvoDB::errorText(RuvoDB::ErrLocked);
    }

    void transaction()
    {
        QFETCH(QString, before);
        QFETCH(QString, inside);
        QFETCH(bool, commit);
        QFETCH(QString, after);
        QFETCH(bool, ok);
        QFETCH(int, rows);
        QFETCH(QString, error);
        const QString file = path("guard.ldb");
        QFile::remove(file);
        RuvoDB db, other;
        QVERIFY(db.open(file, false) && other.open(file, false));
        QVERIFY(db.exec("CREATE TABLE t (x INTEGER); INSERT INTO t VALUES (0);"));
        auto run = [&](const QString& sql) {
            return sql.isEmpty() || (sql.startsWith("OTHER ") ? other.exec(sql.mid(6)) : db.exec(sql));
        };
        QVERIFY(run(before));
        {
            RuvoTransaction transaction(&db);
            QVERIFY(transaction.isActive());
            const bool worked = run(inside.endsWith("LOCK") ? inside.chopped(4) : inside);
            if (inside.endsWith("LOCK"))
                db.checkWritePassword(nullptr);
            QCOMPARE(worked && commit && transaction.commit(), ok);
        }
        QVERIFY2(db.lastError().contains(error), qPrintable(db.lastError()));
        QVERIFY(run(after));
        QCOMPARE(other.count("t"), rows);
        // Nothing is left open: the other connection can write.
        QVERIFY2(other.exec("INSERT INTO t VALUES (9);"), qPrintable(other.lastError()));
    }

    void nestedAndRefusedGuards()
    {
        RuvoDB db;
        QVERIFY(db.open(makeDatabase("nested.ldb", 0), false));
        {
            RuvoTransaction outer(&db);
            QVERIFY(db.exec("INSERT INTO items VALUES (1, 'a');"));
            {
                RuvoTransaction dropped(&db);
                QVERIFY(db.exec("INSERT INTO items VALUES (2, 'b');"));
            }
            RuvoTransaction kept(&db);
            QVERIFY(db.exec("INSERT INTO items VALUES (3, 'c');"));
            QVERIFY(kept.commit() && !kept.commit());
            QVERIFY(outer.commit());
        }
        QCOMPARE(db.count("items", "WHERE id <> 2"), 2);
        QCOMPARE(db.count("items"), 2);

        RuvoTransaction none(nullptr);
        QVERIFY(!none.isActive() && !none.commit());
        QVERIFY(db.open(path("nested.ldb"), true));
        RuvoTransaction readOnly(&db);
        QVERIFY(!readOnly.isActive() && !readOnly.commit());
        QCOMPARE(db.lastError(), RuvoDB::errorText(RuvoDB::ErrLocked));
        db.close();
        RuvoTransaction closed(&db);
        QVERIFY(!closed.isActive());
    }

    // Defaults without a database, a table or write access; reading leaves
    // the database's last error as it was.
    void propsDefaults_data()
    {
        QTest::addColumn<QString>("file");   // empty: no database
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("no database") << QString() << false;
        QTest::newRow("no table") << "empty.ldb" << false;
        QTest::newRow("read-only file") << "readonly.ldb" << true;
    }

    void propsDefaults()
    {
        QFETCH(QString, file);
        QFETCH(bool, readOnly);
        RuvoDB db;
        if (!file.isEmpty()) {
            QVERIFY(db.open(path(qPrintable(file)), false) && db.setMagic(1));
            QVERIFY(db.open(path(qPrintable(file)), readOnly));
            props->setDatabase(&db);
            QVERIFY(!db.exec("BROKEN;"));
        }
        const QString error = db.lastError();
        QCOMPARE(RuvoProps::decimalSeparator(), ',');
        QVERIFY(!RuvoProps::nameFormat());
        QVERIFY(!RuvoProps::startGemeinschaft(1) && RuvoProps::startGemeinschaft(2));
        QCOMPARE(props->get("MISSING", "d"), QString("d"));
        QCOMPARE(db.lastError(), error);
        QCOMPARE(props->set("NAMEFORMAT", "1"), !file.isEmpty() && !readOnly);
        QVERIFY(messages->texts.isEmpty());
    }

    void propsStoredAndReadBack()
    {
        const QString file = path("props.ldb");
        const QString odd = QString::fromUtf8("it's \"quoted\"; & \\ \xc3\xa4");
        {
            RuvoDB db;
            QVERIFY(db.open(file, false));
            props->setDatabase(&db);
            for (const auto& [key, value] : {std::pair<QString, QString>{"A", "1"}, {"A", "2"}, {odd, odd},
                                             {"DEZIMALSEPARATION", "."}, {"NAMEFORMAT", "1"},
                                             {"STARTGEMEINSCHAFT_2", "0"}})
                QVERIFY(props->set(key, value));
        }
        RuvoDB db;
        QVERIFY(db.open(file, false));
        props->setDatabase(&db);
        QCOMPARE(db.count("RuvoProps"), 5);
        QCOMPARE(props->get("A"), QString("2"));
        QCOMPARE(props->get(odd), odd);
        QCOMPARE(props->get("a", "none"), QString("none"));
        QCOMPARE(QByteArray(pointsText(-5)), QByteArray("-0.05"));
        QVERIFY(RuvoProps::nameFormat() && !RuvoProps::startGemeinschaft(2));
    }

    // Read by name, a table of other columns would silently give defaults and
    // refuse every value; it is said so, and never written.
    void propsForeignTable()
    {
        RuvoDB db;
        QVERIFY(db.open(path("foreign.ldb"), false));
        QVERIFY(db.exec("CREATE TABLE RuvoProps (name TEXT, wert TEXT); INSERT INTO RuvoProps VALUES ('NAMEFORMAT', '1');"));
        DebugCapture capture;
        props->setDatabase(&db);
        QVERIFY(capture.contains("RuvoProps") && db.lastError().contains("RuvoProps"));
        QVERIFY(!RuvoProps::nameFormat());
        QVERIFY(!props->set("NAMEFORMAT", "1"));
        QVERIFY(db.lastError().contains("RuvoProps"));
        QCOMPARE(db.count("RuvoProps", "WHERE name = 'NAMEFORMAT' AND wert = '1'"), 1);
        QCOMPARE(db.count("RuvoProps"), 1);
    }

private:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QString makeDatabase(const char* name, int rows, int magic = testMagic);
    void setPasswords(const QString& file, const QStringList& passwords);

    QTemporaryDir dir;
    std::unique_ptr<MessageCatcher> messages;
    RuvoProps* props = RuvoProps::instance();
};

QString TestRuvoDB::makeDatabase(const char* name, int rows, int magic)
{
    const QString file = path(name);
    QFile::remove(file);
    ItemDB db(magic);
    if (!db.open(file, false))
        return QString();
    for (int i = 0; i < rows; ++i)
        db.exec(QStringLiteral("INSERT INTO items (name) VALUES (%1);").arg(sqlText(QString(200, QChar('a' + i % 26)))));
    return file;
}

// Pairs of column and password, stored as crypt hashes.
void TestRuvoDB::setPasswords(const QString& file, const QStringList& passwords)
{
    QStringList assignments;
    for (int i = 0; i + 1 < passwords.size(); i += 2) {
        auto data = std::make_unique<crypt_data>();
        assignments << passwords[i] + " = " + sqlText(QString::fromLatin1(crypt_r(qPrintable(passwords[i + 1]), "ab", data.get())));
    }
    RuvoDB db;
    QVERIFY(db.open(file, false));
    QVERIFY(db.exec("UPDATE Descriptor SET " + assignments.join(", ") + ";"));
}

QTEST_GUILESS_MAIN(TestRuvoDB)
#include "tst_ruvodb.moc"
