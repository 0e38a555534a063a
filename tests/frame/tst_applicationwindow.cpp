// The frame: the rules-catalogue check on a language change (read only, its
// date compared with today, only in programs that use it), and the reports of
// the database and of the UCI check in its boxes.
#include "frame/ApplicationWindow.h"
#include "tests/rules/CatalogueFiles.h"
#include "tests/support/MessageCatcher.h"

#include "frame/MessageBox.h"
#include "records/Athlete.h"
#include "records/UciLicence.h"
#include "rules/CatalogueDateCheck.h"

#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

class TestApplicationWindow : public QObject
{
    Q_OBJECT

private slots:
    void catalogueCheck_data()
    {
        QTest::addColumn<bool>("useReglement");
        QTest::addColumn<QString>("catalogue");   // the date text written; empty: none
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("boxes");           // a refused file gets the database's own box first
        QTest::addColumn<QString>("message");     // the frame's box

        const QDate in2021(2021, 6, 1), in2022(2022, 6, 1);
        const QString dated = QStringLiteral("01.01.2020");   // valid through 2021
        QTest::newRow("switched off") << false << dated << in2022 << 0 << QString();
        QTest::newRow("no file") << true << "" << in2021 << 2 << catalogueOpenFailedMessage();
        QTest::newRow("expired") << true << dated << in2022 << 1 << catalogueDateMessage(CatalogueDate::Expired, in2022);
        QTest::newRow("current") << true << dated << in2021 << 0 << QString();
    }

    void catalogueCheck()
    {
        QFETCH(bool, useReglement);
        QFETCH(QString, catalogue);
        QFETCH(QDate, today);
        QFETCH(int, boxes);
        QFETCH(QString, message);
        QTemporaryDir language;
        if (!catalogue.isEmpty())
            QVERIFY(CatalogueFiles::write(language.filePath(QStringLiteral("Reglement.ldb")), catalogue));

        ApplicationWindow window(QStringLiteral("Rahmen"), QStringLiteral("1.0"), QString(), useReglement);
        window.setToday([today] { return today; });
        MessageCatcher catcher;
        window.setLanguage(language.path());
        QCOMPARE(catcher.texts.size(), boxes);
        QCOMPARE(catcher.texts.value(boxes - 1), message);
        QCOMPARE(catcher.icons, QVector<int>(boxes, int(MessageCritical)).toList());
        QCOMPARE(window.reglementDB().isOpen(), useReglement && !catalogue.isEmpty());
        QVERIFY(!window.reglementDB().isOpen() || window.reglementDB().isWriteLocked());
        // A language without a catalogue leaves none open, not the previous one.
        QTemporaryDir empty;
        window.setLanguage(empty.path());
        QVERIFY(!window.reglementDB().isOpen());
    }


    // From its start on, the frame shows what the database layer and the UCI check report.
    void reportsInItsBoxes()
    {
        ApplicationWindow window(QStringLiteral("Rahmen"), QStringLiteral("1.0"), QString(), false);
        // Its one menu: help, with the about box.
        QCOMPARE(window.menuBar()->actions().size(), 1);
        QCOMPARE(window.menuBar()->actions().at(0)->menu()->actions().size(), 1);
        QStringList shown;   // each box's icon and text
        setMessageHook([&shown](const QString& text, int icon) { shown << QString::number(icon) + ' ' + text; });
        RuvoDB db;
        QVERIFY(!db.open(QString(), false));
        Athlete person;   // without a UCI-ID
        person.setName(QStringLiteral("Anna Kurz"));
        QVERIFY(!UciLicence::check(person, false));
        setMessageHook(MessageHook());
        QCOMPARE(shown.value(0), QString::number(MessageCritical) + " <br>" + db.lastError());
        QVERIFY(shown.value(1).startsWith(QString::number(QMessageBox::Warning)
                                          + " Für den Sportler <b>Anna Kurz</b> ist nicht die <b>11-stellige UCI-ID</b>"));
    }
};

QTEST_MAIN(TestApplicationWindow)
#include "tst_applicationwindow.moc"
