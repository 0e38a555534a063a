// The frame's rules-catalogue check on a language change: the catalogue of the
// chosen language folder is opened read only and its date compared with today,
// only in programs that use the catalogue.
#include "frame/ApplicationWindow.h"
#include "tests/rules/CatalogueFiles.h"
#include "tests/support/MessageCatcher.h"

#include "db/RuvoTransaction.h"
#include "db/UserReport.h"
#include "frame/MessageBox.h"
#include "rules/CatalogueDateCheck.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char* const noCatalogue = "";
const char* const wrongMagic = "wrong magic";

} // namespace

class TestApplicationWindow : public QObject
{
    Q_OBJECT

private slots:
    void catalogueCheck_data()
    {
        QTest::addColumn<bool>("useReglement");
        QTest::addColumn<QString>("catalogue");   // the date text of the catalogue written
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("boxes");           // a refused file gets the database's own box first
        QTest::addColumn<QString>("message");     // the frame's box, empty for none
        QTest::addColumn<bool>("opened");

        const QDate in2021(2021, 6, 1);
        const QDate in2022(2022, 6, 1);
        const QDate in2018(2018, 6, 1);
        const QString dated = QStringLiteral("01.01.2020");   // valid through 2021
        QTest::newRow("switched off") << false << dated << in2022 << 0 << QString() << false;
        QTest::newRow("no file") << true << noCatalogue << in2021 << 2 << catalogueOpenFailedMessage() << false;
        QTest::newRow("wrong magic") << true << wrongMagic << in2021 << 2 << catalogueOpenFailedMessage() << false;
        QTest::newRow("expired") << true << dated << in2022 << 1
                                 << catalogueDateMessage(CatalogueDate::Expired, in2022) << true;
        QTest::newRow("current") << true << dated << in2021 << 0 << QString() << true;
        QTest::newRow("clock behind") << true << dated << in2018 << 1
                                      << catalogueDateMessage(CatalogueDate::ClockBehind, in2018) << true;
    }

    void catalogueCheck()
    {
        QFETCH(bool, useReglement);
        QFETCH(QString, catalogue);
        QFETCH(QDate, today);
        QFETCH(int, boxes);
        QFETCH(QString, message);
        QFETCH(bool, opened);

        QTemporaryDir language;
        QVERIFY(language.isValid());
        if (catalogue == QLatin1String(wrongMagic))
            QVERIFY(!CatalogueFiles::wrongMagic(language.path()).isEmpty());
        else if (catalogue != QLatin1String(noCatalogue))
            QVERIFY(CatalogueFiles::write(language.filePath(QStringLiteral("Reglement.ldb")), catalogue));

        ApplicationWindow window(QStringLiteral("Rahmen"), QStringLiteral("1.0"), QString(), useReglement);
        window.setToday([today] { return today; });
        MessageCatcher catcher;
        window.setLanguage(language.path());

        QCOMPARE(catcher.texts.size(), boxes);
        if (boxes > 0)
            QCOMPARE(catcher.texts.last(), message);
        for (int icon : qAsConst(catcher.icons))
            QCOMPARE(icon, int(MessageCritical));
        QCOMPARE(window.reglementDB().isOpen(), opened);
        QVERIFY(!window.reglementDB().isOpen() || window.reglementDB().isWriteLocked());
    }

    void languageChangeReplacesTheCatalogue()
    {
        QTemporaryDir oldRules;
        QTemporaryDir newRules;
        QTemporaryDir empty;
        QVERIFY(!CatalogueFiles::oldRules(oldRules.path()).isEmpty());
        QVERIFY(!CatalogueFiles::newRules(newRules.path()).isEmpty());
        ApplicationWindow window(QStringLiteral("Rahmen"), QStringLiteral("1.0"), QString(), true);
        window.setToday([] { return QDate(2008, 6, 1); });
        MessageCatcher catcher;

        window.setLanguage(oldRules.path());
        QCOMPARE(window.reglementDB().catalogueYear(), 2007);
        window.setLanguage(newRules.path());
        QCOMPARE(window.reglementDB().catalogueYear(), 2008);
        // A language without a catalogue leaves none open, not the previous one.
        window.setLanguage(empty.path());
        QVERIFY(!window.reglementDB().isOpen());
    }

    // The catalogue as the frame opens it cannot be changed through any public path.
    void catalogueUnchangeable_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("sql");
        for (const char* sql : {"DROP TABLE Disziplinen;", "DELETE FROM Disziplinen;", "UPDATE Descriptor SET magic = 1;",
                                "INSERT INTO Disziplinen SELECT * FROM Disziplinen;", "CREATE TABLE x (a);"}) {
            QTest::addRow("exec %s", sql) << "exec" << sql;
            QTest::addRow("query %s", sql) << "query" << sql;
            QTest::addRow("unlocked %s", sql) << "unlocked" << sql;
            QTest::addRow("guard %s", sql) << "guard" << sql;
        }
        QTest::newRow("setMagic") << "setMagic" << QString();
    }

    void catalogueUnchangeable()
    {
        QFETCH(QString, path);
        QFETCH(QString, sql);
        QTemporaryDir language;
        const QString file = CatalogueFiles::newRules(language.path());
        QVERIFY(!file.isEmpty());
        const QByteArray before = fileBytes(file);
        ApplicationWindow window(QStringLiteral("Rahmen"), QStringLiteral("1.0"), QString(), true);
        window.setToday([] { return QDate(2008, 6, 1); });
        MessageCatcher catcher;
        window.setLanguage(language.path());
        ReglementDB& db = window.reglementDB();
        QVERIFY(db.isOpen() && catcher.texts.isEmpty());

        RuvoDBResult result;
        RuvoTransaction transaction(&db);
        if (path == "unlocked")
            QVERIFY(!db.checkWritePassword(""));
        const bool changed = path == "query" ? db.query(sql, &result)
                             : path == "setMagic" ? db.setMagic(1)
                                                  : db.exec(sql) || transaction.commit();
        QVERIFY(!changed);
        QCOMPARE(db.lastError(), RuvoDB::errorText(RuvoDB::ErrLocked));
        db.close();
        QCOMPARE(fileBytes(file), before);
    }

    // From its start on, the frame shows what the database layer reports.
    void databaseReportsInTheBox()
    {
        ApplicationWindow window(QStringLiteral("Rahmen"), QStringLiteral("1.0"), QString(), false);
        QStringList shown;
        setMessageHook([&shown](const QString& text, int) { shown << text; });
        RuvoDB db;
        QVERIFY(!db.open(QString(), false));
        setMessageHook(MessageHook());
        QCOMPARE(shown, QStringList{"<br>" + db.lastError()});
    }

private:
    static QByteArray fileBytes(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

QTEST_MAIN(TestApplicationWindow)
#include "tst_applicationwindow.moc"
