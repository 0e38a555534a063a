// The transaction guard on real files: all of its work lands or none of it,
// inside a caller's transaction too, and a failure keeps SQLite's text.
#include "db/RuvoDB.h"
#include "db/RuvoTransaction.h"
#include "tests/support/MessageCatcher.h"

#include <QTemporaryDir>
#include <QtTest>

class TestRuvoTransaction : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dir.reset(new QTemporaryDir);
        QVERIFY(db.open(file(), false));
        QVERIFY(db.exec("CREATE TABLE t (x INTEGER); INSERT INTO t VALUES (0);"));
    }

    void cleanup()
    {
        db.close();
        other.close();
    }

    void guard_data()
    {
        QTest::addColumn<QString>("before");   // run on the file before the guard
        QTest::addColumn<QString>("inside");   // run inside the guard
        QTest::addColumn<bool>("commit");
        QTest::addColumn<QString>("after");    // run after the guard ended
        QTest::addColumn<bool>("ok");          // the work and commit() succeeded
        QTest::addColumn<int>("rows");         // rows of t at the end
        QTest::addColumn<QString>("error");    // part of the last error text

        const QString two = "INSERT INTO t VALUES (1); INSERT INTO t VALUES (2);";
        QTest::newRow("committed") << "" << two << true << "" << true << 3 << "";
        QTest::newRow("dropped") << "" << two << false << "" << false << 1 << "";
        QTest::newRow("failing statement") << "" << two + "INSERT INTO nowhere VALUES (1);" << false << ""
                                           << false << 1 << "no such table";
        QTest::newRow("in BEGIN, caller commits") << "BEGIN; INSERT INTO t VALUES (7);" << two << true << "COMMIT;"
                                                  << true << 4 << "";
        QTest::newRow("in BEGIN, caller rolls back") << "BEGIN; INSERT INTO t VALUES (7);" << two << true
                                                     << "ROLLBACK;" << true << 1 << "";
        QTest::newRow("in BEGIN, guard dropped") << "BEGIN; INSERT INTO t VALUES (7);" << two << false << "COMMIT;"
                                                 << false << 2 << "";
        // The guard cannot wait for the other connection: nothing is written.
        QTest::newRow("other holds the file") << "OTHER BEGIN EXCLUSIVE;" << two << true << "OTHER COMMIT;" << false
                                              << 1 << "database is locked";
        QTest::newRow("other reads, commit fails") << "OTHER BEGIN; SELECT * FROM t;" << two << true
                                                   << "OTHER COMMIT;" << false << 1 << "database is locked";
        QTest::newRow("locked meanwhile") << "" << two + "LOCK" << true << "" << false << 1
                                          << RuvoDB::errorText(RuvoDB::ErrLocked);
    }

    void guard()
    {
        QFETCH(QString, before);
        QFETCH(QString, inside);
        QFETCH(bool, commit);
        QFETCH(QString, after);
        QFETCH(bool, ok);
        QFETCH(int, rows);
        QFETCH(QString, error);

        QVERIFY(other.open(file(), false));
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

    void nestedGuards()
    {
        RuvoTransaction outer(&db);
        QVERIFY(db.exec("INSERT INTO t VALUES (1);"));
        {
            RuvoTransaction dropped(&db);
            QVERIFY(db.exec("INSERT INTO t VALUES (2);"));
        }
        {
            RuvoTransaction kept(&db);
            QVERIFY(db.exec("INSERT INTO t VALUES (3);"));
            QVERIFY(kept.commit());
            QVERIFY(!kept.commit());
        }
        QVERIFY(outer.commit());
        QCOMPARE(db.count("t"), 3);
        QCOMPARE(db.count("t", "WHERE x = 2"), 0);
    }

    void notBegunWithoutWriteAccess()
    {
        MessageCatcher messages;
        RuvoTransaction none(nullptr);
        QVERIFY(!none.isActive() && !none.commit());
        QVERIFY(db.exec("CREATE TABLE Descriptor (magic, version, readPassword, writePassword);"
                        "INSERT INTO Descriptor VALUES (1, '', '', '');"));
        db.close();
        QVERIFY(db.open(file(), true));
        RuvoTransaction readOnly(&db);
        QVERIFY(!readOnly.isActive() && !readOnly.commit());
        QCOMPARE(db.lastError(), RuvoDB::errorText(RuvoDB::ErrLocked));
        db.close();
        RuvoTransaction closed(&db);
        QVERIFY(!closed.isActive());
    }

private:
    QString file() const { return dir->filePath(QStringLiteral("guard.ldb")); }

    // "OTHER ..." runs on the second connection.
    bool run(const QString& sql)
    {
        if (sql.isEmpty())
            return true;
        if (sql.startsWith("OTHER "))
            return other.exec(sql.mid(6));
        return db.exec(sql);
    }

    std::unique_ptr<QTemporaryDir> dir;
    RuvoDB db;
    RuvoDB other;
};

QTEST_GUILESS_MAIN(TestRuvoTransaction)
#include "tst_ruvotransaction.moc"
