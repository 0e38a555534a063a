// The properties: defaults without a database, a table or a key; values kept
// in the file; a table of another layout never written.
#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "db/RuvoProps.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/MessageCatcher.h"

#include <QTemporaryDir>
#include <QtTest>

class TestRuvoProps : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { props->setDatabase(nullptr); }

    void defaults_data()
    {
        QTest::addColumn<QString>("file");   // empty: no database
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("no database") << QString() << false;
        QTest::newRow("no table") << "empty.ldb" << false;
        QTest::newRow("read-only file") << "readonly.ldb" << true;
    }

    void defaults()
    {
        QFETCH(QString, file);
        QFETCH(bool, readOnly);
        RuvoDB db;
        if (!file.isEmpty()) {
            QVERIFY(db.open(dir.filePath(file), false) && db.setMagic(1));
            QVERIFY(db.open(dir.filePath(file), readOnly));
            props->setDatabase(&db);
            // Reading leaves the database's last error as it was.
            QVERIFY(!db.exec("BROKEN;"));
        }
        const QString error = db.lastError();
        QCOMPARE(RuvoProps::decimalSeparator(), ',');
        QVERIFY(!RuvoProps::nameFormat());
        QVERIFY(!RuvoProps::startGemeinschaft(1) && RuvoProps::startGemeinschaft(2));
        QCOMPARE(props->get("MISSING", "d"), QString("d"));
        QCOMPARE(db.lastError(), error);
        QCOMPARE(props->set("NAMEFORMAT", "1"), !file.isEmpty() && !readOnly);
        QVERIFY(messages.texts.isEmpty());
    }

    void valuesAreStoredAndReadBack()
    {
        const QString file = dir.filePath("props.ldb");
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
        QVERIFY(RuvoProps::nameFormat());
        QVERIFY(!RuvoProps::startGemeinschaft(2));
    }

    // Read by name, a table of other columns would silently give defaults and
    // refuse every value; it is said so, and never written.
    void foreignTable()
    {
        RuvoDB db;
        QVERIFY(db.open(dir.filePath("foreign.ldb"), false));
        QVERIFY(db.exec("CREATE TABLE RuvoProps (name TEXT, wert TEXT); INSERT INTO RuvoProps VALUES ('NAMEFORMAT', '1');"));
        DebugCapture capture;
        props->setDatabase(&db);
        QVERIFY(capture.contains("RuvoProps"));
        QVERIFY(db.lastError().contains("RuvoProps"));
        QVERIFY(!RuvoProps::nameFormat());
        QVERIFY(!props->set("NAMEFORMAT", "1"));
        QVERIFY(db.lastError().contains("RuvoProps"));
        RuvoDBResult result;
        QVERIFY(db.query("SELECT * FROM RuvoProps;", &result));
        QCOMPARE(result.rows, QList<QStringList>{(QStringList{"NAMEFORMAT", "1"})});
    }

private:
    RuvoProps* props = RuvoProps::instance();
    QTemporaryDir dir;
    MessageCatcher messages;
};

QTEST_GUILESS_MAIN(TestRuvoProps)
#include "tst_ruvoprops.moc"
