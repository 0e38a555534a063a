// The rules catalogue on real catalogue files of both rule generations: the
// file check, the catalogue year with its validity, the base score, the
// discipline list with its fallback, and the team sizes.
#include "rules/ReglementDB.h"
#include "tests/rules/CatalogueFiles.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/MessageCatcher.h"

#include "db/UserReport.h"
#include "rules/CatalogueDateCheck.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QList<int> codesOf(const QList<RuvoDBString>& list)
{
    QList<int> codes;
    for (const RuvoDBString& entry : list)
        codes << entry.id;
    return codes;
}

} // namespace

class TestReglementDB : public QObject
{
    Q_OBJECT

private slots:
    void init() { dir.reset(new QTemporaryDir); }

    void teamSizes()
    {
        const int sizes[][2] = { { 0, 1 }, { 1, 1 }, { 2, 2 }, { 3, 1 }, { 4, 4 }, { 5, 4 },
                                 { 6, 6 }, { 7, 6 }, { 8, 1 }, { -3, 1 } };
        for (const auto& s : sizes)
            QCOMPARE(getTeamSize(s[0]), s[1]);
    }

    void closedUntilOpened()
    {
        ReglementDB reglement;
        QVERIFY(!reglement.isOpen());
        QCOMPARE(reglement.expectedMagic(), 640925);
        QVERIFY(reglement.allAgeClasses);
        QCOMPARE(ReglementDB::getGrundpunktzahl(nullptr), 0);
        const QList<RuvoDBString>& list = reglement.getDisziplinen();
        QCOMPARE(codesOf(list), (QList<int>{ 1, 2, 4, 5, 6, 7 }));
        QCOMPARE(list.at(3).text, QStringLiteral("4er Einrad"));
        QCOMPARE(&reglement.getDisziplinen(), &list);
        QCOMPARE(codesOf(reglement.getDisziplinen()), codesOf(list));
        QCOMPARE(reglement.getDisziplinName(6), QStringLiteral("6er Kunst"));
        QCOMPARE(reglement.getDisziplinName(3), QString());
    }

    // Opened read-only or not, a catalogue stays write-locked and its file unchanged.
    void oldRulesCatalogue()
    {
        const QString path = CatalogueFiles::oldRules(dir->path());
        QVERIFY(!path.isEmpty());
        const QByteArray before = fileHash(path);
        for (bool readOnly : { true, false }) {
            ReglementDB reglement;
            MessageCatcher catcher;
            QVERIFY(reglement.open(path, readOnly));
            QVERIFY(!reglement.isNewReglement());
            QCOMPARE(reglement.catalogueYear(), 2007);
            QCOMPARE(ReglementDB::getGrundpunktzahl(&reglement), 200);
            QCOMPARE(reglement.validityYears(), 1);
            QCOMPARE(reglement.validityText(), QStringLiteral("15.03.2007 - 31.12.2007"));
            QVERIFY(reglement.isWriteLocked());
            QVERIFY(!reglement.isReadLocked());
            QVERIFY(!reglement.exec(QStringLiteral("DELETE FROM Disziplinen;")));
            QCOMPARE(reglement.lastError(), RuvoDB::errorText(RuvoDB::ErrLocked));
            QVERIFY(!reglement.setMagic(1));
            QVERIFY(catcher.texts.isEmpty());
        }
        QCOMPARE(fileHash(path), before);
    }

    void validity_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("years");
        QTest::addColumn<QString>("text");
        QTest::newRow("2020") << "01.01.2020" << 2 << "01.01.2020 - 31.12.2021";
        QTest::newRow("2022") << "2022/03/01" << 3 << "2022/03/01 - 31.12.2024";
        QTest::newRow("2017") << "20170815" << 3 << "20170815 - 31.12.2019";
        QTest::newRow("2021") << "1-9-2021" << 1 << "1-9-2021 - 31.12.2021";
    }

    void validity()
    {
        QFETCH(QString, date);
        QFETCH(int, years);
        QFETCH(QString, text);
        const QString path = dir->filePath(QStringLiteral("Reglement.ldb"));
        QVERIFY(CatalogueFiles::write(path, date));
        ReglementDB reglement;
        QVERIFY(reglement.open(path, true));
        QCOMPARE(reglement.validityYears(), years);
        QCOMPARE(reglement.validityText(), text);
        QVERIFY(reglement.isNewReglement());
        const int year = reglement.catalogueYear();
        QVERIFY(reglement.dateWarning(QDate(year + years - 1, 12, 31)).isEmpty());
        QCOMPARE(reglement.dateWarning(QDate(year + years, 1, 1)), catalogueDateMessage(CatalogueDate::Expired, QDate()));
        QCOMPARE(reglement.dateWarning(QDate(year - 2, 6, 1)),
                 catalogueDateMessage(CatalogueDate::ClockBehind, QDate(year - 2, 6, 1)));
    }

    void wrongMagicRefused()
    {
        const QString path = CatalogueFiles::wrongMagic(dir->path());
        QVERIFY(!path.isEmpty());
        const QByteArray before = fileHash(path);
        ReglementDB reglement;
        MessageCatcher catcher;
        DebugCapture capture;
        QVERIFY(!reglement.open(path, true));
        QVERIFY(!reglement.isOpen());
        QVERIFY(capture.contains(QStringLiteral("This is not a Reglement-DB")));
        QCOMPARE(catcher.texts, QStringList{ path + QStringLiteral("<br>") + RuvoDB::errorText(RuvoDB::ErrWrongType) });
        QCOMPARE(catcher.icons, QList<int>{ MessageCritical });
        // Nothing of the refused file is read: the fallback list is handed out.
        QCOMPARE(codesOf(reglement.getDisziplinen()), (QList<int>{ 1, 2, 4, 5, 6, 7 }));
        QCOMPARE(fileHash(path), before);
    }

    void unparsableDate()
    {
        const QString path = CatalogueFiles::unparsableDate(dir->path());
        QVERIFY(!path.isEmpty());
        ReglementDB reglement;
        QVERIFY(reglement.open(path, true));
        QVERIFY(!reglement.isNewReglement());
        QCOMPARE(reglement.catalogueYear(), 0);
        QCOMPARE(ReglementDB::getGrundpunktzahl(&reglement), 200);
        QCOMPARE(reglement.validityYears(), 1);
        QCOMPARE(reglement.validityText(), QStringLiteral("kein Datum - 31.12.0"));
        QCOMPARE(reglement.dateWarning(QDate(2026, 1, 1)), catalogueDateMessage(CatalogueDate::Expired, QDate()));
    }

    void disciplinesFromTheTable()
    {
        const QString sql = CatalogueFiles::disciplinesSql() + QStringLiteral("INSERT INTO Disziplinen VALUES ( 9, 'Neun' );");
        const QString path = CatalogueFiles::newRules(dir->path(), sql);
        QVERIFY(!path.isEmpty());
        ReglementDB reglement;
        QVERIFY(reglement.open(path, true));
        const QList<RuvoDBString>& list = reglement.getDisziplinen();
        QCOMPARE(codesOf(list), (QList<int>{ 1, 2, 3, 4, 5, 6, 7, 0 }));
        QCOMPARE(list.at(2).text, QStringLiteral("1er Einrad"));
        QCOMPARE(list.last().text, QStringLiteral("Neun"));
        QCOMPARE(reglement.getDisziplinName(3), QStringLiteral("1er Einrad"));
        QCOMPARE(reglement.getDisziplinName(0), QStringLiteral("Neun"));
    }

    // Reopening reads the new file: its generation, and the disciplines cached until then.
    void reopenReadsTheNewFile()
    {
        QTemporaryDir other;
        const QString oldPath = CatalogueFiles::oldRules(other.path());
        const QString path = CatalogueFiles::newRules(dir->path());
        QVERIFY(!oldPath.isEmpty() && !path.isEmpty());
        ReglementDB reglement;
        QVERIFY(reglement.open(oldPath, true));
        QVERIFY(!reglement.isNewReglement());
        QVERIFY(reglement.open(path, true));
        QVERIFY(reglement.isNewReglement());
        QVERIFY(reglement.isWriteLocked());
        QCOMPARE(ReglementDB::getGrundpunktzahl(&reglement), 0);
        QCOMPARE(reglement.validityText(), QStringLiteral("2008-01-01 - 31.12.2008"));
        QCOMPARE(reglement.getDisziplinen().size(), 7);

        RuvoDB writer;
        QVERIFY(writer.open(path, false));
        QVERIFY(writer.exec(QStringLiteral("DELETE FROM Disziplinen WHERE art > 2;")));
        writer.close();

        QCOMPARE(reglement.getDisziplinen().size(), 7);
        QVERIFY(reglement.open(path, true));
        QCOMPARE(codesOf(reglement.getDisziplinen()), (QList<int>{ 1, 2 }));
    }

    void disciplinesWithoutTable()
    {
        const QString path = CatalogueFiles::newRules(dir->path(), QString());
        QVERIFY(!path.isEmpty());
        ReglementDB reglement;
        QVERIFY(reglement.open(path, true));
        QCOMPARE(codesOf(reglement.getDisziplinen()), (QList<int>{ 1, 2, 4, 5, 6, 7 }));

        const QString empty = CatalogueFiles::oldRules(dir->path(),
                                                       QStringLiteral("CREATE TABLE Disziplinen ( art INTEGER, name TEXT );"));
        QVERIFY(reglement.open(empty, true));
        QVERIFY(reglement.getDisziplinen().isEmpty());
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
};

QTEST_MAIN(TestReglementDB)
#include "tst_reglementdb.moc"
