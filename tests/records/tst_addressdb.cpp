// The address book on real files: set-up of new, older and foreign files,
// every change with its signal (only after success) and error text, joins,
// and the person lookups.
#include "records/AddressDB.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/MessageCatcher.h"

#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <functional>

namespace {

// What the entry list relies on: the join's flag, the virtual removal, and a
// set-up that runs its own table creation, not an override.
struct Book : AddressDB
{
    using AddressDB::joined;
    bool removeSportler(int id) override { removed << QString::number(id); return AddressDB::removeSportler(id); }
    bool createTables() override { ++overrideCalls; return AddressDB::createTables(); }
    QStringList removed;
    int overrideCalls = 0;
};

NameIcon icon(int id, const QString& name = QString())
{
    NameIcon n;
    n.table = "icons";
    n.ID = id;
    n.setName(name);
    n.setLongName(name);
    n.icon = name.toUtf8();
    return n;
}

void recordSignals(AddressDB& db, QStringList& log)
{
    const QList<QPair<void (AddressDB::*)(int), const char*>> ids = {
        {&AddressDB::signalNameChanged, "NameChanged"}, {&AddressDB::signalVereinChanged, "VereinChanged"},
        {&AddressDB::signalSportlerChanged, "SportlerChanged"}, {&AddressDB::signalNameRemoved, "NameRemoved"},
        {&AddressDB::signalVereinRemoved, "VereinRemoved"}, {&AddressDB::signalSportlerRemoved, "SportlerRemoved"},
        {&AddressDB::signalWettkampfChanged, "WettkampfChanged"}, {&AddressDB::signalWettkampfRemoved, "WettkampfRemoved"}};
    for (const auto& s : ids)
        QObject::connect(&db, s.first, [&log, s](int id) { log << QStringLiteral("%1(%2)").arg(s.second).arg(id); });
    QObject::connect(&db, &AddressDB::signalNameIconChanged, [&log](NameIcon n) { log << QStringLiteral("NameIconChanged(%1)").arg(n.ID); });
    QObject::connect(&db, &AddressDB::signalNameIconRemoved, [&log](NameIcon n) { log << QStringLiteral("NameIconRemoved(%1)").arg(n.ID); });
}

// Each change on the row id; an update first leaves a stale error code in its
// record, which a failed statement must not report.
const QMap<QString, std::function<bool(AddressDB&, int)>> operations = {
    {"insertName", [](AddressDB& db, int) { NameEntry e("Neu", 0); return db.insertName(e) > 0; }},
    {"updateName", [](AddressDB& db, int id) { NameEntry e("Beta", id); return db.updateName(e); }},
    {"removeName", [](AddressDB& db, int id) { return db.removeName(id); }},
    {"insertVerein", [](AddressDB& db, int) { Club c; return db.insertVerein(c) > 0; }},
    {"updateVerein", [](AddressDB& db, int id) { Club c; db.getVerein(c, id, true); c.errorCode = 9; return db.updateVerein(c); }},
    {"removeVerein", [](AddressDB& db, int id) { return db.removeVerein(id); }},
    {"removeAllVereine", [](AddressDB& db, int) { return db.removeAllVereine(); }},
    {"insertAthlete", [](AddressDB& db, int) { Athlete a; return db.insertAthlete(a) > 0; }},
    {"updateAthlete", [](AddressDB& db, int id) { Athlete a; db.getAthlete(a, id); a.errorCode = 9; return db.updateAthlete(a); }},
    {"removeSportler", [](AddressDB& db, int id) { return db.removeSportler(id); }},
    {"insertCompetition", [](AddressDB& db, int) { Competition c; return db.insertCompetition(c) > 0; }},
    {"updateCompetition", [](AddressDB& db, int id) { Competition c; db.getCompetition(c, id); c.errorCode = 9; return db.updateCompetition(c); }},
    {"removeWettkampf", [](AddressDB& db, int id) { return db.removeWettkampf(id); }},
    {"insertNameIcon", [](AddressDB& db, int) { NameIcon n = icon(0); return db.insertNameIcon(n) > 0; }},
    {"updateNameIcon", [](AddressDB& db, int id) { NameIcon n = icon(id); return db.updateNameIcon(n); }},
    {"removeNameIcon", [](AddressDB& db, int id) { NameIcon n = icon(id); return db.removeNameIcon(n) && n.ID == 0; }},
};

} // namespace

class TestAddressDB : public QObject
{
    Q_OBJECT
private slots:
    // Clubs 1 RSV X, 2 and 3 RV Y, 4 Solo, 5 Name, 6 O'Hara; %1, each with the
    // contact Kurt Kon; persons 1 to 6 as listed; name 1, competition 1, icon 1.
    void init()
    {
        dir.reset(new QTemporaryDir);
        book.reset(new Book);
        QVERIFY(book->open(dir->filePath("adressen.ldb"), false));
        for (const char* name : {"RSV X", "RV Y", "RV Y", "Solo", "Name", "O'Hara; %1"}) {
            Club c;
            c.setName(name);
            c.Verband = c.Nation = "GER";
            c.Kontakt.setName("Kurt Kon");
            QVERIFY(book->insertVerein(c) > 0);
        }
        for (const char* p : {"Anna Berg/1", "Carl Dorn/1", "Anna Berg/2", "Emil Fux/99", "Gina Hahn/4", "Vorname Nachname/5"}) {
            Athlete a;
            a.setName(QString(p).section('/', 0, 0));
            a.Verein = QString(p).section('/', 1).toInt();
            a.roles = Athlete::RoleA;
            QVERIFY(book->insertAthlete(a) > 0);
        }
        NameEntry alpha("Alpha", 0);
        Competition c;
        NameIcon n = icon(0, "Alpha");
        QVERIFY(book->insertName(alpha) == 1 && book->insertCompetition(c) == 1);
        QVERIFY(n.checkTable(*book) && n.checkTable(*book) && book->insertNameIcon(n) == 1);
    }

    void setup_data()
    {
        QTest::addColumn<int>("magic");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("tables");
        QTest::addColumn<QString>("logged");   // lines of an accepted file; none: refused as the wrong type
        const QString all = "Descriptor,namen,sportler,vereine,wettkampf";
        QTest::newRow("new file") << 0 << "" << all
            << "this is a new Database, setting up for usage ...|ADD TABLE namen|ADD TABLE wettkampf";
        QTest::newRow("older address book") << int(AddressDB::Magic) << "CREATE TABLE vereine ( ID ); CREATE TABLE sportler ( ID );"
            << all << "ADD TABLE namen|ADD TABLE wettkampf|ADD COLUMN";
        QTest::newRow("entry list") << 640111 << "CREATE TABLE starter ( ID );" << "Descriptor,starter" << "";
        QTest::newRow("tables without Descriptor") << 0 << "CREATE TABLE fremd ( a );" << "fremd" << "";
    }

    void setup()
    {
        QFETCH(int, magic);
        QFETCH(QString, sql);
        QFETCH(QString, tables);
        QFETCH(QString, logged);
        const QString path = dir->filePath("setup.ldb");
        RuvoDB plain;
        QVERIFY(plain.open(path, false) && (magic == 0 || plain.setMagic(magic)) && (sql.isEmpty() || plain.exec(sql)));
        plain.close();
        const bool opened = !logged.isEmpty();
        const QString error = opened ? QString() : RuvoDB::errorText(RuvoDB::ErrWrongType);
        Book db;
        MessageCatcher boxes;
        DebugCapture capture;
        QCOMPARE(db.open(path, false), opened);
        for (const QString& line : (logged.isEmpty() ? error : logged).split('|'))
            QVERIFY2(capture.contains(line), qPrintable(line));
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(db.overrideCalls).arg(boxes.texts.size()).arg(db.lastError()),
                 QStringLiteral("0 %1 %2").arg(opened ? 0 : 1).arg(error));
        QVERIFY(plain.open(path, false));
        QStringList found = plain.tables();
        found.sort();
        QCOMPARE(found.join(','), tables);
        QCOMPARE(plain.magic(), opened ? int(AddressDB::Magic) : magic ? magic : -1);
    }

    void changes_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("prepare");   // "block": every write fails; else SQL run first
        QTest::addColumn<QString>("result");   // the signals emitted, or else the error text
        for (const char* s : {"insertName 0 NameChanged(2)", "updateName 1 NameChanged(1)", "removeName 1 NameRemoved(1)",
                              "insertVerein 0 VereinChanged(7)", "updateVerein 1 VereinChanged(1)",
                              "removeVerein 3 VereinRemoved(3)", "insertAthlete 0 SportlerChanged(7)",
                              "updateAthlete 1 SportlerChanged(1)", "removeSportler 1 SportlerRemoved(1)",
                              "insertCompetition 0 WettkampfChanged(2)", "updateCompetition 1 WettkampfChanged(1)",
                              "removeWettkampf 1 WettkampfRemoved(1)", "insertNameIcon 0 NameIconChanged(2)",
                              "updateNameIcon 1 NameIconChanged(1)", "removeNameIcon 1 NameIconRemoved(1)"}) {
            const QStringList w = QString(s).split(' ');
            QTest::newRow(s) << w[0] << w[1].toInt() << "" << w[2];
            const QString failed = w[0].startsWith("update") ? w[0] + "(): blocked" : "blocked";
            QTest::newRow(qPrintable(w[0] + " blocked")) << w[0] << w[1].toInt() << "block" << failed;
        }
        const QString badIndex = RuvoDB::errorText(RuvoDB::ErrBadIndex);
        for (const char* op : {"updateName", "updateVerein", "updateAthlete", "updateCompetition"})
            QTest::newRow(op) << op << 0 << "" << QString(op) + "(): " + badIndex;
        QTest::newRow("updateNameIcon") << "updateNameIcon" << 0 << "" << "updateNameIcon(): failed";
        for (const char* op : {"removeNameIcon", "removeVerein", "removeSportler", "removeWettkampf"})
            QTest::newRow(op) << op << 0 << "" << badIndex;
        for (const char* op : {"removeVerein", "removeAllVereine"}) {
            QTest::newRow(qPrintable(QString(op) + " in use")) << op << 1 << "" << "Dem Verein sind noch Sportler zugeordnet!";
            QTest::newRow(qPrintable(QString(op) + " unreadable")) << op << 3 << "DROP TABLE sportler;" << "no such table: sportler";   // a failed check refuses
        }
    }

    void changes()
    {
        QFETCH(QString, op);
        QFETCH(int, id);
        QFETCH(QString, prepare);
        QFETCH(QString, result);
        QVERIFY(prepare.isEmpty() || prepare == "block" || book->exec(prepare));
        for (const char* table : {"namen", "vereine", "sportler", "wettkampf", "icons"})
            for (const char* event : {"INSERT", "UPDATE", "DELETE"})
                QVERIFY(prepare != "block" || book->exec(QStringLiteral("CREATE TRIGGER %1_%2 BEFORE %2 ON %1 BEGIN "
                                                              "SELECT RAISE(ABORT, 'blocked'); END;").arg(table, event)));
        QStringList log;
        recordSignals(*book, log);
        const bool ok = operations[op](*book, id);
        QCOMPARE(ok ? log.join(' ') : log.join(' ') + book->lastError(), result);
        QCOMPARE(ok, result.endsWith(')'));
    }

    void join_data()
    {
        QTest::addColumn<QPoint>("ids");
        QTest::addColumn<QString>("result");   // the kept id, then the removed one
        QTest::newRow("same") << QPoint(5, 5) << "5";
        QTest::newRow("first none") << QPoint(0, 7) << "7";
        QTest::newRow("both none") << QPoint(0, 0) << "-1";
        QTest::newRow("larger dropped") << QPoint(9, 4) << "4 9";
        QTest::newRow("negative counts as larger") << QPoint(-3, 4) << "4 -3";
    }

    void join()
    {
        QFETCH(QPoint, ids);
        QFETCH(QString, result);
        book->joined = !result.contains(' ');   // every join writes the flag
        QCOMPARE((QStringList{QString::number(book->joinSportler(ids.x(), ids.y()))} + book->removed).join(' '), result);
        QCOMPARE(book->joined, result.contains(' '));
    }

    void lookups_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("portable");
        QTest::addColumn<int>("back");
        QTest::addColumn<QString>("person");     // found, first name, roles, club, nation
        QTest::addColumn<QString>("expanded");   // found, club name, association
        QTest::newRow("athlete") << 1 << "Berg, Anna|RSV X" << 1 << "1 Anna A 1 " << "1 RSV X GER";
        QTest::newRow("club contact") << -1 << "RSV X" << -1 << "1 Kurt F 1 GER" << "0  ";
        QTest::newRow("club with a twin") << 3 << "Berg, Anna|RV Y" << 0 << "1 Anna A 2 " << "1 RV Y GER";
        QTest::newRow("club missing") << 4 << "Fux, Emil|" << 0 << "1 Emil A 99 " << "0  ";
        QTest::newRow("column names") << 6 << "Nachname, Vorname|Name" << 6 << "1 Vorname A 5 " << "1 Name GER";
        QTest::newRow("hostile club") << -6 << "O'Hara, %1" << -6 << "1 Kurt F 6 GER" << "0  ";
        QTest::newRow("none") << 0 << "" << 0 << "0 untouched" << "0  ";
        QTest::newRow("contact of missing club") << -99 << "" << 0 << "0  F 0 " << "0  ";
        QTest::newRow("missing athlete") << 99 << "|" << 0 << "0 untouched" << "0  ";
        QTest::newRow("lowest id") << INT_MIN << "" << 0 << "0  F 0 " << "0  ";
        // Texts alone, without an id to look up.
        QTest::newRow("first name first, blanks") << 0 << "  Gina  Hahn |  Solo " << 5 << "" << "";
        QTest::newRow("two bars") << 0 << "Hahn, Gina|Solo|" << 0 << "" << "";
        QTest::newRow("empty person") << 0 << "|Solo" << 0 << "" << "";
        QTest::newRow("no names") << 0 << " , |Solo" << 0 << "" << "";
    }

    void lookups()
    {
        QFETCH(int, id);
        QFETCH(QString, portable);
        QFETCH(int, back);
        QFETCH(QString, person);
        QFETCH(QString, expanded);
        QCOMPARE(book->findPortablePerson(portable), back);
        if (person.isEmpty())
            return;
        QCOMPARE(book->portablePerson(id), portable);
        Athlete a;
        a.Vorname = "untouched";
        const QStringList p{QString::number(book->getPerson(a, id)), a.Vorname, a.rolesText(), QString::number(a.Verein), a.Nation};
        QCOMPARE(p.mid(0, a.Vorname == "untouched" ? 2 : 5).join(' '), person);
        ExpandedAthlete e;
        const bool ok = book->getExpandedAthlete(e, id);
        QCOMPARE(QStringList({QString::number(ok), e.VereinName, e.Verband}).join(' '), expanded);
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<Book> book;
};

QTEST_MAIN(TestAddressDB)
#include "tst_addressdb.moc"
