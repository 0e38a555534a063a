// The properties: defaults without a database or key, values kept in the
// database, and the readers that the points texts and records rely on.
#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "db/RuvoProps.h"
#include "tests/support/MessageCatcher.h"

#include <QTemporaryDir>
#include <QtTest>

class TestRuvoProps : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        RuvoProps::instance()->setDatabase(nullptr);
    }

    void defaultsWithoutDatabase()
    {
        RuvoProps* props = RuvoProps::instance();
        QCOMPARE(props, RuvoProps::instance());
        QCOMPARE(props->database(), static_cast<RuvoDB*>(nullptr));
        QCOMPARE(props->get("DEZIMALSEPARATION", ","), QString(","));
        QCOMPARE(props->get("X"), QString());
        QVERIFY(!props->set("X", "1"));
        QCOMPARE(RuvoProps::decimalSeparator(), ',');
        QVERIFY(!RuvoProps::nameFormat());
    }

    void startGemeinschaftDefault_data()
    {
        QTest::addColumn<int>("diszi");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("0") << 0 << false;
        QTest::newRow("1") << 1 << false;
        QTest::newRow("2") << 2 << true;
        QTest::newRow("7") << 7 << true;
    }

    void startGemeinschaftDefault()
    {
        QFETCH(int, diszi);
        QFETCH(bool, allowed);
        QCOMPARE(RuvoProps::startGemeinschaft(diszi), allowed);

        RuvoDB db;
        QVERIFY(db.open(dir.filePath("sg.ldb"), false));
        RuvoProps::instance()->setDatabase(&db);
        QCOMPARE(RuvoProps::startGemeinschaft(diszi), allowed);
        QVERIFY(RuvoProps::instance()->set(QString("STARTGEMEINSCHAFT_%1").arg(diszi), allowed ? "0" : "1"));
        QCOMPARE(RuvoProps::startGemeinschaft(diszi), !allowed);
    }

    void defaultsWithoutTable()
    {
        RuvoDB db;
        QVERIFY(db.open(dir.filePath("empty.ldb"), false));
        RuvoProps::instance()->setDatabase(&db);
        QCOMPARE(RuvoProps::decimalSeparator(), ',');
        QVERIFY(!RuvoProps::nameFormat());
        QCOMPARE(RuvoProps::instance()->get("MISSING", "d"), QString("d"));
        // Reading leaves the file and the database's last error as they were.
        QVERIFY(db.tables().isEmpty());
        QVERIFY(!db.exec("BROKEN;"));
        const QString error = db.lastError();
        QVERIFY(!RuvoProps::nameFormat());
        QCOMPARE(db.lastError(), error);

        // A read-only file takes no value and keeps the defaults, without a box.
        QVERIFY(db.setMagic(1));
        db.close();
        QVERIFY(db.open(dir.filePath("empty.ldb"), true));
        QVERIFY(!RuvoProps::instance()->set("NAMEFORMAT", "1"));
        QVERIFY(!RuvoProps::nameFormat());
        QVERIFY(messages.texts.isEmpty());
    }

    void valuesAreStoredAndReadBack()
    {
        const QString file = dir.filePath("props.ldb");
        const QString odd = QString::fromUtf8("it's \"quoted\"; & \\ \xc3\xa4");
        {
            RuvoDB db;
            QVERIFY(db.open(file, false));
            RuvoProps::instance()->setDatabase(&db);
            QVERIFY(RuvoProps::instance()->set("A", "1"));
            QVERIFY(RuvoProps::instance()->set("A", "2"));
            QVERIFY(RuvoProps::instance()->set("value", "key"));
            QVERIFY(RuvoProps::instance()->set(odd, odd));
            QVERIFY(RuvoProps::instance()->set("EMPTY", ""));
            QCOMPARE(db.count("RuvoProps"), 4);
            RuvoProps::instance()->setDatabase(nullptr);
        }
        RuvoDB db;
        QVERIFY(db.open(file, false));
        RuvoProps::instance()->setDatabase(&db);
        QCOMPARE(RuvoProps::instance()->database(), &db);
        QCOMPARE(RuvoProps::instance()->get("A"), QString("2"));
        QCOMPARE(RuvoProps::instance()->get("value"), QString("key"));
        QCOMPARE(RuvoProps::instance()->get(odd), odd);
        QCOMPARE(RuvoProps::instance()->get("EMPTY", "default"), QString(""));
        QCOMPARE(RuvoProps::instance()->get("a", "none"), QString("none"));
    }

    void readersFollowStoredValues()
    {
        RuvoDB db;
        QVERIFY(db.open(dir.filePath("readers.ldb"), false));
        RuvoProps* props = RuvoProps::instance();
        props->setDatabase(&db);

        QVERIFY(props->set("DEZIMALSEPARATION", "."));
        QCOMPARE(RuvoProps::decimalSeparator(), '.');
        QCOMPARE(QByteArray(pointsText(-5)), QByteArray("-0.05"));
        QCOMPARE(QByteArray(pointsText(12345)), QByteArray("123.45"));
        QCOMPARE(parsePoints(pointsText(12345)), 12345);
        QVERIFY(props->set("DEZIMALSEPARATION", ""));
        QCOMPARE(RuvoProps::decimalSeparator(), ',');

        for (const char* value : {"1", "0", "2"}) {
            QVERIFY(props->set("NAMEFORMAT", value));
            QCOMPARE(RuvoProps::nameFormat(), *value == '1');
        }
    }

private:
    QTemporaryDir dir;
    MessageCatcher messages;
};

QTEST_GUILESS_MAIN(TestRuvoProps)
#include "tst_ruvoprops.moc"
