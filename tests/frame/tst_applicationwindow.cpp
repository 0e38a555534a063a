// The frame: the rules-catalogue check on a language change (read only, its
// date compared with today, only in programs that use it), the database's
// reports in its box, and the numbered standard texts in their contexts.
#include "frame/ApplicationWindow.h"
#include "tests/rules/CatalogueFiles.h"
#include "tests/support/MessageCatcher.h"

#include "frame/BaseText.h"
#include "frame/MessageBox.h"
#include "rules/CatalogueDateCheck.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {

// Marks every text with the context it was looked up in.
class ContextTranslator : public QTranslator
{
public:
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        return QString::fromUtf8(context) + "|" + QString::fromUtf8(source);
    }
    bool isEmpty() const override { return false; }
};

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

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
    }

    // A language change replaces the catalogue, which no public path can change.
    void languageChangeReplacesTheCatalogue()
    {
        QTemporaryDir oldRules, newRules, empty;
        QVERIFY(!CatalogueFiles::oldRules(oldRules.path()).isEmpty());
        const QString file = CatalogueFiles::newRules(newRules.path());
        const QByteArray before = fileBytes(file);
        ApplicationWindow window(QStringLiteral("Rahmen"), QStringLiteral("1.0"), QString(), true);
        window.setToday([] { return QDate(2008, 6, 1); });
        MessageCatcher catcher;
        ReglementDB& db = window.reglementDB();
        window.setLanguage(oldRules.path());
        QCOMPARE(db.catalogueYear(), 2007);
        catcher.texts.clear();
        window.setLanguage(newRules.path());
        QCOMPARE(db.catalogueYear(), 2008);
        QVERIFY(catcher.texts.isEmpty() && !db.checkWritePassword(""));
        // A language without a catalogue leaves none open, not the previous one.
        window.setLanguage(empty.path());
        QVERIFY(!db.isOpen());
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

    void baseTexts_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("text");   // looked up in its context
        QTest::newRow("45") << 45 << QString::fromUtf8("Wertungsbogen|Pr\xc3\xbc" "fsumme:");
        QTest::newRow("61") << 61 << "AddressDB|Jahrgang";
        for (int n : {-1, 46, 60, 62})
            QTest::addRow("%d", n) << n << QString();
    }

    void baseTexts()
    {
        QFETCH(int, n);
        QFETCH(QString, text);
        QCOMPARE(baseText(n), text.section('|', 1));
        ContextTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        const QString translated = baseText(n);
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(translated, text);
    }
};

QTEST_MAIN(TestApplicationWindow)
#include "tst_applicationwindow.moc"
