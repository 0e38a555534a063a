// The records: the address book and the entry list on real database files,
// the record tables beneath them with hostile texts through each, and the
// records without tables: exercise codes, teams, the start entry's 416-byte
// record and its merge, club logos, imports, person names and UCI-IDs.
#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "db/RuvoProps.h"
#include "records/ACCompetitorData.h"
#include "records/ACTeamData.h"
#include "records/AddressDB.h"
#include "records/Athlete.h"
#include "records/Club.h"
#include "records/ClubLogo.h"
#include "records/Competition.h"
#include "records/FigureList.h"
#include "records/MeldeImporter.h"
#include "records/MeldeListeDB.h"
#include "records/Starter_t.h"
#include "records/input/UCIValidator.h"
#include "records/UciLicence.h"
#include "tests/support/Bytes.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/MessageCatcher.h"

#include <QBuffer>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <cmath>
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

QList<int> ids(const QString& text)
{
    QList<int> out;
    for (const QString& n : text.split(',', Qt::SkipEmptyParts))
        out << n.toInt();
    return out;
}

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

// "Name/club" as a person of that club.
Athlete member(const QString& text)
{
    Athlete a;
    a.setName(text.section('/', 0, 0));
    a.Verein = text.section('/', 1).toInt();
    return a;
}

Club club(const QString& name, const QString& verband = QString(), const QString& nummer = QString(),
          const QString& plz = QString())
{
    Club c;
    c.setName(name);
    c.Verband = verband;
    c.Nummer = nummer;
    c.Kontakt.PLZ = plz;
    return c;
}

Starter_t starter(int disci, int club, const char* name, const QString& members = QString(), int team = 0)
{
    Starter_t s;
    s.disci = disci;
    s.clubId = club;
    s.teamId = team;
    qstrncpy(s.name, name, sizeof s.name);
    const QList<int> m = ids(members);
    for (int i = 0; i < m.size(); ++i)
        s.members[i] = m.at(i);
    return s;
}

void recordSignals(AddressDB& db, QStringList& log)
{
    const QList<QPair<void (AddressDB::*)(int), const char*>> named = {
        {&AddressDB::signalNameChanged, "NameChanged"}, {&AddressDB::signalVereinChanged, "VereinChanged"},
        {&AddressDB::signalSportlerChanged, "SportlerChanged"}, {&AddressDB::signalNameRemoved, "NameRemoved"},
        {&AddressDB::signalVereinRemoved, "VereinRemoved"}, {&AddressDB::signalSportlerRemoved, "SportlerRemoved"},
        {&AddressDB::signalWettkampfChanged, "WettkampfChanged"}, {&AddressDB::signalWettkampfRemoved, "WettkampfRemoved"}};
    for (const auto& s : named)
        QObject::connect(&db, s.first, [&log, s](int id) { log << QStringLiteral("%1(%2)").arg(s.second).arg(id); });
    QObject::connect(&db, &AddressDB::signalNameIconChanged, [&log](NameIcon n) { log << QStringLiteral("NameIconChanged(%1)").arg(n.ID); });
    QObject::connect(&db, &AddressDB::signalNameIconRemoved, [&log](NameIcon n) { log << QStringLiteral("NameIconRemoved(%1)").arg(n.ID); });
    if (auto* list = qobject_cast<MeldeListeDB*>(&db)) {
        QObject::connect(list, &MeldeListeDB::signalStarterChanged, [&log](int id) { log << QStringLiteral("StarterChanged(%1)").arg(id); });
        QObject::connect(list, &MeldeListeDB::signalStarterRemoved, [&log](int id) { log << QStringLiteral("StarterRemoved(%1)").arg(id); });
        QObject::connect(list, &MeldeListeDB::signalTeamChanged, [&log](int id) { log << QStringLiteral("TeamChanged(%1)").arg(id); });
        QObject::connect(list, &MeldeListeDB::signalTeamRemoved, [&log](int id) { log << QStringLiteral("TeamRemoved(%1)").arg(id); });
    }
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
    {"removeTeam", [](AddressDB& db, int id) { return static_cast<MeldeListeDB&>(db).removeTeam(id); }},
    {"removeStarter", [](AddressDB& db, int id) { return static_cast<MeldeListeDB&>(db).removeStarter(id); }},
    {"assignEmptyTeam", [](AddressDB& db, int disci) {   // a new team of that discipline without members
        ACTeamData t;
        t.disci = disci;
        auto& list = static_cast<MeldeListeDB&>(db);
        return list.insertTeam(t) > 0 && list.assignCompetitorsToTeam(t) == 0; }},
};

// "disci:members:reserves[:name[:age class]]", named "Vierer" of age class 3 unless given.
ACTeamData team(const QString& text)
{
    const QStringList f = text.split(':');
    ACTeamData t;
    t.disci = f.value(0).toInt();
    t.members = ids(f.value(1));
    t.reserves = ids(f.value(2));
    t.Name = f.size() > 3 ? f.at(3) : QStringLiteral("Vierer");
    t.ageClass = f.size() > 4 ? f.at(4).toInt() : 3;
    return t;
}

ACTeamData sampleTeam()
{
    ACTeamData t = team("4:11,0,13:15,16,17:Team \"A\"");
    t.UCIName = QStringLiteral("GER");
    t.BestDatum = QDate(2020, 5, 1);
    t.BestOrt = QStringLiteral("O'Ort");
    t.Best = 45678;
    t.gender = 2;
    t.Email = QStringLiteral("a@b;c");
    return t;
}

// The Teams layout up to its Best column, as older files have it.
const QString teamsUpToBest = QStringLiteral(
    "CREATE TABLE Teams ( ID INTEGER PRIMARY KEY,s0 INTEGER,s1 INTEGER,s2 INTEGER,s3 INTEGER,s4 INTEGER,"
    "s5 INTEGER,Diszi CHAR,Name VARCHAR(32),UCIName  VARCHAR(4),BestDatum INTEGER,BestOrt VARCHAR(32),Best INTEGER");

struct Sample { int club; const char* code; const char* members; int gender; int ak; int given; const char* name; int team; };

// Stored as IDs 1 to 5. Entry 3 has team row 1, entry 5 points to a team row that is missing.
const Sample samples[] = {
    { 7, "1101a", "11", 1, 3, 500, "Anna", 0 },
    { 7, "1102a", "12", 2, 4, 300, "Berta \"B\"", 0 },
    { -1, "4101a", "21,22,23,24", 2, 3, 900, "Vierer", 1 },
    { 8, "4101a", "22,21,24,23", 2, 3, 100, "Vierer B", 0 },
    { 8, "1101a", "11", 1, 3, 0, "Solo", 99 },
};

ACCompetitorData entry(const Sample& s)
{
    ACCompetitorData e;
    e.Verein = s.club;
    e.setFigure(0, QLatin1String(s.code));
    e.team.setMembers(ids(s.members));
    e.team.gender = s.gender;
    e.team.ageClass = s.ak;
    e.given = s.given;
    e.setName(QString::fromUtf8(s.name));
    e.team.ID = s.team;
    return e;
}

const QString longName = QString(62, QLatin1Char('A')) + QStringLiteral("ë");   // 64 bytes of UTF-8

ACCompetitorData sampleEntry()
{
    ACCompetitorData e = entry({ -7, "4101a", "11,12,13,14", 2, 3, 70000, "", 0 });
    e.setName(longName);
    e.ID = 5;
    e.team.ID = 3;
    e.setFigure(2, QStringLiteral("4102b"));
    e.team.BestDatum = QDate(2020, 5, 1);
    e.setBestOrt(QStringLiteral("Köln"));
    e.team.Best = 45678;
    e.netInfo = -2;
    return e;
}

QPixmap picture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return QPixmap::fromImage(image);
}

QSize storedSize(const ClubLogo& logo)
{
    QImage image;
    return image.loadFromData(logo.data, "PNG") ? image.size() : QSize();
}

// Hands out the clubs "name/contact" and the athletes "name/UCI-ID/nation/roles"
// it was given, as a file reader would.
class ListImport : public MeldeImporter
{
public:
    ListImport() : MeldeImporter(QStringLiteral("list")) {}

    bool readClubs() override
    {
        for (const QString& text : inClubs) {
            Club c = club(text.section('/', 0, 0));
            c.Kontakt.setName(text.section('/', 1));
            addClub(c);
        }
        return !clubs.isEmpty();
    }

    bool readAthletes() override
    {
        for (const QString& text : inAthletes) {
            Athlete a;
            a.setName(text.section('/', 0, 0));
            a.uciId = text.section('/', 1, 1);
            a.Nation = text.section('/', 2, 2);
            a.roles = text.section('/', 3).toInt();
            a.Verein = clubs.first().ID;
            addAthlete(a);
            ids << a.ID;
        }
        return !athletes.isEmpty();
    }

    QStringList inClubs;
    QStringList inAthletes;
    QList<int> ids;
};

} // namespace

Q_DECLARE_METATYPE(Sample)

class TestRecords : public QObject
{
    Q_OBJECT
private slots:
    // Tests named book... get an address book of clubs 1 RSV X, 2 and 3 RV Y,
    // 4 Solo, 5 Name, 6 O'Hara; %1, each with the contact Kurt Kon; persons
    // 1 to 6 as listed; name 1, competition 1, icon 1.
    // Tests named list... get an entry list of clubs 1 RSV Musterstadt, 2 RV Y;
    // athletes 1 Anna Kurz, 2 Ben Kurz, 3 Carl Meier (club 2), 4 Dora Adam,
    // 5 Emil meier (club 2), 6 Fritz Frei; team 1 of members 1, 2 with reserve 6.
    // The others get an empty file.
    void initTestCase()
    {
        UciLicence::setWarning([this](const QString& title, const QString& text) { warnings << title + '|' + text; });
    }

    void init()
    {
        dir.reset(new QTemporaryDir);
        const QString test = QTest::currentTestFunction();
        db.reset(test.startsWith("book") ? new Book : test.startsWith("list") ? new MeldeListeDB : new RuvoDB);
        QVERIFY(db->open(dir->filePath("records.ldb"), false));
        if (test.startsWith("book"))
            fillBook(static_cast<Book&>(*db));
        else if (test.startsWith("list"))
            fillList(static_cast<MeldeListeDB&>(*db));
    }

    void cleanup()
    {
        RuvoProps::instance()->setDatabase(nullptr);
        warnings.clear();
    }

    void setup_data()
    {
        QTest::addColumn<bool>("list");   // the entry list, else the address book
        QTest::addColumn<int>("magic");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("tables");
        QTest::addColumn<bool>("opened");   // else refused as the wrong type
        const QString book = "namen,sportler,vereine,wettkampf";
        QTest::newRow("new book") << false << 0 << "" << "Descriptor," + book << true;
        QTest::newRow("older book") << false << int(AddressDB::Magic)
            << "CREATE TABLE vereine ( ID INTEGER PRIMARY KEY, Name ); CREATE TABLE sportler ( ID INTEGER PRIMARY KEY, Vorname );"
               "INSERT INTO vereine VALUES ( 5, 'Alt' ); INSERT INTO sportler VALUES ( 6, 'Alt' );"
            << "Descriptor," + book << true;
        QTest::newRow("foreign as book") << false << 0 << "CREATE TABLE fremd ( a );" << "fremd" << false;
        QTest::newRow("new list") << true << 0 << "" << "Descriptor,Teams,namen,sportler,starter,vereine,wettkampf" << true;
        QTest::newRow("book as list") << true << int(AddressDB::Magic) << "CREATE TABLE vereine ( ID );" << "Descriptor,vereine" << false;
    }

    void setup()
    {
        QFETCH(bool, list);
        QFETCH(int, magic);
        QFETCH(QString, sql);
        QFETCH(bool, opened);
        const QString path = dir->filePath("setup.ldb");
        RuvoDB plain;
        QVERIFY(plain.open(path, false) && (magic == 0 || plain.setMagic(magic)) && (sql.isEmpty() || plain.exec(sql)));
        plain.close();
        const QString error = opened ? QString() : RuvoDB::errorText(RuvoDB::ErrWrongType);
        Book book;
        MeldeListeDB entries;
        AddressDB& db = list ? static_cast<AddressDB&>(entries) : book;
        MessageCatcher boxes;
        QCOMPARE(db.open(path, false), opened);
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(book.overrideCalls).arg(boxes.texts.size()).arg(db.lastError()),
                 QStringLiteral("0 %1 %2").arg(opened ? 0 : 1).arg(error));
        QVERIFY(plain.open(path, false));
        QStringList found = plain.tables();
        found.sort();
        QTEST(found.join(','), "tables");
        const int ownMagic = list ? int(MeldeListeDB::Magic) : int(AddressDB::Magic);
        QCOMPARE(plain.magic(), opened ? ownMagic : magic ? magic : -1);
        Club old;   // the rows of an upgraded file stay
        Athlete person;
        QCOMPARE(sql.contains("'Alt'"), Club::getById(&plain, old, 5, true) && Athlete::getById(&plain, person, 6));
        QVERIFY(old.Name == person.Vorname && old.Kontakt.Vorname.isEmpty());
    }

    void bookChanges_data()
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
        QTest::newRow("first competition") << "insertCompetition" << 0 << "DELETE FROM wettkampf;" << "WettkampfChanged(1)";
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

    void bookChanges()
    {
        QFETCH(QString, op);
        QFETCH(int, id);
        QFETCH(QString, prepare);
        QFETCH(QString, result);
        QVERIFY(prepare.isEmpty() || prepare == "block" || db->exec(prepare));
        for (const char* table : {"namen", "vereine", "sportler", "wettkampf", "icons"})
            for (const char* event : {"INSERT", "UPDATE", "DELETE"})
                QVERIFY(prepare != "block" || db->exec(QStringLiteral("CREATE TRIGGER %1_%2 BEFORE %2 ON %1 BEGIN "
                                                          "SELECT RAISE(ABORT, 'blocked'); END;").arg(table, event)));
        QStringList log;
        recordSignals(book(), log);
        const bool ok = operations[op](book(), id);
        QCOMPARE(ok ? log.join(' ') : log.join(' ') + db->lastError(), result);
        QCOMPARE(ok, result.endsWith(')'));
    }

    // The kept id, then the removed one; every join writes the flag.
    void bookJoin()
    {
        Book& b = static_cast<Book&>(book());
        const QList<QPair<QPoint, QString>> joins = {{{5, 5}, "5"}, {{0, 7}, "7"}, {{7, 0}, "7"}, {{0, 0}, "-1"},
                                                      {{9, 4}, "4 9"}, {{-3, 4}, "4 -3"}};   // a negative id counts as larger
        for (const auto& join : joins) {
            b.removed.clear();
            b.joined = !join.second.contains(' ');
            const int kept = b.joinSportler(join.first.x(), join.first.y());
            QCOMPARE((QStringList{QString::number(kept)} + b.removed).join(' '), join.second);
            QCOMPARE(b.joined, join.second.contains(' '));
        }
    }

    void bookLookups_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("portable");
        QTest::addColumn<int>("back");
        QTest::addColumn<QString>("person");     // found, first name, roles, club, nation
        QTest::newRow("athlete") << 1 << "Berg, Anna|RSV X" << 1 << "1 Anna A 1 ";
        QTest::newRow("club contact") << -1 << "RSV X" << -1 << "1 Kurt F 1 GER";
        QTest::newRow("club with a twin") << 3 << "Berg, Anna|RV Y" << 0 << "1 Anna A 2 ";
        QTest::newRow("column names") << 6 << "Nachname, Vorname|Name" << 6 << "1 Vorname A 5 ";
        QTest::newRow("hostile club") << -6 << "O'Hara, %1" << -6 << "1 Kurt F 6 GER";
        QTest::newRow("none") << 0 << "" << 0 << "0 untouched";
        QTest::newRow("missing athlete") << 99 << "|" << 0 << "0 untouched";
        QTest::newRow("lowest id") << INT_MIN << "" << 0 << "0  F 0 ";
        // Texts alone, without an id to look up.
        QTest::newRow("first name first, blanks") << 0 << "  Gina  Hahn |  Solo " << 5 << "";
        QTest::newRow("empty person") << 0 << "|Solo" << 0 << "";
    }

    void bookLookups()
    {
        QFETCH(int, id);
        QFETCH(QString, portable);
        QFETCH(QString, person);
        QTEST(book().findPortablePerson(portable), "back");
        if (person.isEmpty())
            return;
        QCOMPARE(book().portablePerson(id), portable);
        Athlete a;
        a.Vorname = "untouched";
        const QStringList p{QString::number(book().getPerson(a, id)), a.Vorname, a.rolesText(), QString::number(a.Verein), a.Nation};
        QCOMPARE(p.mid(0, a.Vorname == "untouched" ? 2 : 5).join(' '), person);
    }

    // Entry 1 SG, a start group of athletes 1 and 2 in team 1, and entry 2 Y
    // of club 2 with athletes 3 and 4 are stored first. The entry written is
    // "Team" of athletes 1 and 2 in team 1, with the row id given.
    void listChanges_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("prepare");   // "refuse" or "rename" in the hooks, or SQL run first
        // The signals or the error text | the entries left, newest first #the written entry's
        // id after the call (an insert sets it: 0 when refused, -1 when failed).
        QTest::addColumn<QString>("result");
        const QString blocker = "CREATE TRIGGER b BEFORE UPDATE ON Teams BEGIN SELECT RAISE(ABORT, 'blocked'); END;";
        const QString badIndex = RuvoDB::errorText(RuvoDB::ErrBadIndex);
        for (const QString op : {"insertStarter", "insertCompetitor", "updateStarter", "updateCompetitor"}) {
            const bool insert = op.startsWith("insert");
            const QString id = insert ? op == "insertStarter" ? " #3" : " #0" : " #1";
            const QString changed = insert ? "StarterChanged(3) | Team,Y,SG" : "StarterChanged(1) | Y,Team";
            QTest::newRow(qPrintable(op)) << op << (insert ? 0 : 1) << "" << changed + id;
            QTest::newRow(qPrintable(op + " renamed")) << op << (insert ? 0 : 1) << "rename" << QString(changed).replace("Team", "Hook") + id;
            QTest::newRow(qPrintable(op + " refused")) << op << (insert ? 0 : 1) << "refuse"
                << (insert ? "insertStarter(): " : "updateStarter (): ") + QString("refused by user | Y,SG") + (op == "insertStarter" ? " #0" : id);
            QTest::newRow(qPrintable(op + " team blocked")) << op << (insert ? 0 : 1) << blocker
                << (op == "updateCompetitor" ? "updateACCompetitor(): " : "") + QString("blocked | Y,SG") + (op == "insertStarter" ? " #-1" : id);
        }
        QTest::newRow("updateStarter none") << "updateStarter" << 0 << "" << "updateStarter (): " + badIndex + " | Y,SG #0";
        QTest::newRow("updateCompetitor none") << "updateCompetitor" << 0 << "" << "updateACCompetitor(): " + badIndex + " | Y,SG #0";
        QTest::newRow("removeStarter") << "removeStarter" << 1 << "" << "StarterRemoved(1) | Y #1";
        QTest::newRow("removeStarter none") << "removeStarter" << 0 << "" << badIndex + " | Y,SG #0";
        QTest::newRow("team in use") << "removeTeam" << 1 << "" << "Das Team kann nicht gelöscht werden, weil ihm noch Wertungsbogen zugeordnet sind! | Y,SG #1";
        QTest::newRow("team free") << "removeTeam" << 1 << "DELETE FROM starter;" << "TeamRemoved(1) |  #1";
        QTest::newRow("team none") << "removeTeam" << 0 << "DELETE FROM starter;" << badIndex + " |  #0";
        QTest::newRow("team unreadable") << "removeTeam" << 1 << "DROP TABLE starter;" << "no such table: starter";
        QTest::newRow("club in use") << "removeVerein" << 2 << "" << "Dem Verein sind noch Wertungsbogen zugeordnet! | Y,SG #2";
        QTest::newRow("club only start groups") << "removeVerein" << 1 << "" << "Dem Verein sind noch Sportler zugeordnet! | Y,SG #1";
        QTest::newRow("club unreadable") << "removeVerein" << 2 << "DROP TABLE starter;" << "no such table: starter";
        QTest::newRow("athlete of another club's entry") << "removeSportler" << 4 << "" << "Der Sportler ist noch in Wertungsbögen enthalten! | Y,SG #4";
        QTest::newRow("athlete a reserve") << "removeSportler" << 6 << "" << "Der Sportler ist noch in Teams enthalten! | Y,SG #6";
        QTest::newRow("athlete free") << "removeSportler" << 5 << "" << "SportlerRemoved(5) | Y,SG #5";
        QTest::newRow("team without members") << "assignEmptyTeam" << 4 << "" << "TeamChanged(2) | Y,SG #4";
        QTest::newRow("team without members or discipline") << "assignEmptyTeam" << 0 << "" << "TeamChanged(2) | Y,SG #0";
        QTest::newRow("athlete unreadable") << "removeSportler" << 5 << "DROP TABLE Teams;" << "no such table: Teams";
    }

    void listChanges()
    {
        QFETCH(QString, op);
        QFETCH(int, id);
        QFETCH(QString, prepare);
        Starter_t group = starter(4, -1, "SG", "1,2", 1), other = starter(4, 2, "Y", "3,0,4");
        QVERIFY(list().insertStarter(group) == 1 && list().insertStarter(other) == 2);
        QVERIFY(prepare.size() < 8 || db->exec(prepare));
        QStringList log;
        recordSignals(list(), log);
        connect(&list(), &MeldeListeDB::starterHook, [&](Starter_t& e, bool& ok) { ok = prepare != "refuse"; if (prepare == "rename") qstrcpy(e.name, "Hook"); });
        connect(&list(), &MeldeListeDB::competitorHook, [&](ACCompetitorData& e, bool& ok) { ok = prepare != "refuse"; if (prepare == "rename") e.setName("Hook"); });
        Starter_t s = starter(2, 1, "Team", "1,2", 1);
        s.id = id;
        ACCompetitorData c(s);
        const bool ok = op == "insertStarter" ? list().insertStarter(s) > 0 : op == "insertCompetitor" ? list().insertStarter(c) > 0
                      : op == "updateStarter" ? list().updateStarter(s) : op == "updateCompetitor" ? list().updateStarter(c)
                      : operations[op](list(), id);
        QStringList left;   // nothing half done
        StarterList rows;
        if (list().getStarter(rows, nullptr, ACCompetitorData::ByIdDescending))
            for (const Starter_t* row : rows.items)
                left << row->name;
        const QString done = log.join(' ') + (ok ? QString() : db->lastError());
        QTEST(rows.items.isEmpty() && prepare.startsWith("DROP") ? done : QStringLiteral("%1 | %2 #%3").arg(done, left.join(','), QString::number(s.id)), "result");
        QCOMPARE(ok, done.isEmpty() || done.endsWith(')'));   // no signal on failure
        ACTeamData team;   // ids below one are never read
        QVERIFY(!list().getTeamById(team, 0) && !list().getTeamById(team, -1) && !list().getStarterById(s, 0) && !list().getACCompetitorById(c, 0));
    }

    void listJoinAndAssign()
    {
        Starter_t a = starter(2, 1, "A", "6,3");
        Starter_t b = starter(2, 2, "B", "3,1");
        QVERIFY(list().insertStarter(a) == 1 && list().insertStarter(b) == 2);
        QVERIFY(db->exec("UPDATE Teams SET r1 = 0;"));   // athlete 6 only in entry 1
        QCOMPARE(list().joinSportler(6, 3), 3);
        Athlete gone;
        QVERIFY(!list().getAthlete(gone, 6) && list().getStarterById(a, 1) && a.members[0] == 3);
        ACTeamData team;
        QVERIFY(list().getTeamById(team, 1));
        team.members = {3, 1};   // entry 2's pair; entry 1 now names 3 twice
        QCOMPARE(list().assignCompetitorsToTeam(team), 1);
        QVERIFY(list().getStarterById(b, 2) && b.teamId == 1 && list().getStarterById(a, 1) && a.teamId == 0);
        team.ID = 0;
        QCOMPARE(list().assignCompetitorsToTeam(team), -1);
    }

    // Writes and reads of Starter_t records done once more through the
    // competitor records. Entry 1 "Paar" of discipline 2 and club 1 with the
    // athletes 1 and 2 is stored first; the entry of the row's members is
    // written, or used as filter. Only the Starter_t route's result counts.
    void listComparisonLog_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("members");
        QTest::addColumn<QString>("prepare");   // SQL run first
        QTest::addColumn<int>("result");        // the new or read ID, the number read
        QTest::addColumn<QString>("log");       // the lines logged, in this order, each holding its text
        QTest::newRow("insert agreeing") << "insert" << "2,1" << "" << 2 << "";
        // The competitor record closes up member gaps.
        QTest::newRow("insert with a gap") << "insert" << "1,0,2" << "" << 2 << "insertStarter differ|, 1, 0, 2, 0, 0, 0,|, 1, 2, 0, 0, 0, 0,";
        QTest::newRow("update with a gap") << "update" << "2,0,1" << "" << 1 << "updateStarter differ|, 2, 0, 1, 0, 0, 0,|, 2, 1, 0, 0, 0, 0,";
        QTest::newRow("read agreeing") << "read" << "1,2" << "" << 1 << "";
        // One member filters on its own position here, on the first there.
        QTest::newRow("read by the second position") << "read" << "0,2" << "" << 1 << "ACCompetitorList differ in size";
        QTest::newRow("by id agreeing") << "byId" << "" << "" << 1 << "";
        // Only the competitors read the team row's reserves.
        QTest::newRow("by id, reserves unreadable") << "byId" << "" << "ALTER TABLE Teams RENAME COLUMN r2 TO x;" << 1
            << "ACCompetitorList differ in size|ACCompetitorList differ in return|MeldeListeDB::getStarterById return differ:";
    }

    void listComparisonLog()
    {
        QFETCH(QString, op);
        QFETCH(QString, members);
        QFETCH(QString, prepare);
        QFETCH(QString, log);
        Starter_t s = starter(2, 1, "Paar", "1,2");
        QVERIFY(list().insertStarter(s) == 1 && (prepare.isEmpty() || db->exec(prepare)));
        s = starter(2, 1, "Paar", members);
        s.id = op == "update" ? 1 : 0;
        const QString error = db->lastError();
        DebugCapture capture;
        StarterList read;
        const int result = op == "insert" ? list().insertStarter(s) : op == "update" ? list().updateStarter(s)
                         : op == "read" ? (list().getStarter(read, &s, 0) ? read.items.size() : -1)
                         : list().getStarterById(s, 1) ? s.id : -1;
        QTEST(result, "result");
        QCOMPARE(db->lastError(), error);
        const QStringList lines = capture.lines();
        int at = 0;
        for (const QString& text : log.split('|', Qt::SkipEmptyParts)) {
            while (at < lines.size() && !lines.at(at).contains(text))
                ++at;
            QVERIFY2(at++ < lines.size(), qPrintable(text));
        }
        QCOMPARE(lines.filter("differ").size(), log.count("differ"));
    }

    // The name made for an entry: persons by name, teams by club and their own number.
    void listWbName()
    {
        // disci|club|members|current name|the name made
        for (const char* entry : {"1|1|4|x|Dora Adam", "2|1|3,4|x|Adam / Meier", "2|1|5,3|x|Meier / meier",
                                  "2|1|1,2|x|Anna + Ben Kurz", "4|1|1|RV Musterstadt 2|RSV Musterstadt 2",
                                  "4|1|1|Musterstadt 25|RSV Musterstadt", "6|-1|1,3,2,99|Team|SG: RSV Musterstadt/RV Y"}) {
            const QStringList f = QString(entry).split('|');
            Starter_t s = starter(f[0].toInt(), f[1].toInt(), qPrintable(f[3]), f[2]);
            list().makeWbName(s);
            QCOMPARE(QString(s.name), f[4]);
        }
    }

    // One table of hostile texts through every table's write and read path:
    // stored cleaned, as literals, and read back as stored.
    void hostileTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("placeholders") << "%1 %2 %4";
        QTest::newRow("column name") << "Name";
        QTest::newRow("statement") << "x'); DELETE FROM starter; --";
        QTest::newRow("cleaned") << "a\"b&c\\d;e";
    }

    void hostileTexts()
    {
        QFETCH(QString, text);
        const QString stored = cleanSqlText(text);   // what every stored text goes through
        MeldeListeDB book;   // every table of the records
        QVERIFY(book.open(dir->filePath("book.ldb"), false));
        RuvoDB* db = &book;
        auto filled = [](const QString& t) {
            Athlete a;
            a.Vorname = a.Nachname = a.Strasse = a.PLZ = a.Ort = a.Telefon = a.Email = a.Nation = t;
            a.uciId = t;
            a.Verein = 3;
            a.Geburtsdatum = QDate(1965, 3, 4);
            a.Geschlecht = 2;
            a.roles = Athlete::RoleA | Athlete::RoleF;
            return a;
        };
        Athlete a = filled(text);
        Athlete back;
        QVERIFY(a.insert(db) > 0 && Athlete::getById(db, back, a.ID));
        QCOMPARE(back, filled(stored));

        Club c = club(text, text, text, text);
        c.Nation = text;
        c.Kontakt.Geburtsdatum = QDate(1965, 3, 4);
        QVERIFY(c.logo.setPixmap(QPixmap(40, 20)));
        Club clubBack;
        QVERIFY(c.insert(db) > 0 && Club::getById(db, clubBack, c.ID, true));
        QCOMPARE(QStringList({clubBack.Name, clubBack.Verband, clubBack.Nummer, clubBack.Nation, clubBack.Kontakt.PLZ}),
                 QVector<QString>(5, stored).toList());
        QVERIFY(clubBack.Kontakt.Geburtsdatum == QDate(1965, 3, 4) && clubBack.logo.data == c.logo.data);
        QVERIFY(Club::getById(db, clubBack, c.ID, false) && clubBack.logo.data.isEmpty());

        Competition other, w, filter;   // read as identifiers, the filter's texts would match the other row too
        other.Ort = other.Name = other.Veranstalter = "Berg";
        w.Datum = QDate(2026, 5, 9);
        w.Ort = w.Veranstalter = w.Name = filter.Ort = filter.Name = filter.Veranstalter = text;
        RuvoDBList<Competition> found;
        QVERIFY(other.insert(db) > 0 && w.insert(db) > 0 && getCompetitions(db, found, &filter) && found.size() == 1);
        QCOMPARE(found.first().Ort + found.first().Veranstalter + found.first().Name, stored + stored + stored);

        ACTeamData team;
        team.Name = team.UCIName = team.BestOrt = team.Email = text;
        QVERIFY(team.insert(db) > 0 && team.update(db) && ACTeamData::getById(db, team, team.ID));
        QCOMPARE(QStringList({ team.Name, team.UCIName, team.BestOrt, team.Email }), QVector<QString>(4, stored).toList());

        ACCompetitorData e;   // its name as the filter: a literal, compared as stored
        e.setName(text);
        e.setBestOrt(text);
        QVERIFY(e.insert(db) > 0 && book.updateWbName(e.ID, text));
        RuvoDBList<ACCompetitorData> entries;
        QVERIFY(ACCompetitorData::getACCompetitors(db, entries, &e, 0) && entries.size() == 1);
        QCOMPARE(entries.first().WbName + entries.first().team.BestOrt, stored + stored);
        StarterList starters;
        Starter_t starterFilter = starter(0, 0, qPrintable(text));
        QVERIFY(book.getStarter(starters, &starterFilter, 0) && starters.items.size() == 1);

        NameEntry name("  " + text + " ", -5);   // a negative ID counts as no row
        QList<NameEntry> names;
        QVERIFY(name.ID == 0 && book.insertName(name) == 1 && book.getNamen(names) && names.size() == 1);
        QCOMPARE(names.first().name, stored);

        NameIcon n = icon(0, text);
        QVERIFY(n.checkTable(book) && n.insert(book) == 1 && n.insert(book) == 2);   // another row each time
        QVERIFY(!n.getById(book, n, -1) && n.Name == text);   // reads no row, not the only one
        RuvoDBList<NameIcon> icons;
        n.ID = 0;
        QVERIFY(n.getNameIcons(book, icons, &n) && icons.size() == 2);
        QCOMPARE(icons.first().Name + icons.first().LongName + icons.first().icon, stored + stored + text);
    }

    // Refused reads and writes (no table, no database, ids below one or missing),
    // the team and club queries, and deletes that land whole or not at all.
    void queriesAndRefusals()
    {
        ACTeamData t = sampleTeam();   // a write into a missing table fails
        t.ID = 8;
        QCOMPARE(t.insert(db.get()), -1);
        QVERIFY(t.ID == -1 && db->lastError().contains(QStringLiteral("no such table")));
        RuvoDBList<ACTeamData> teams;
        teams.append(t);
        QVERIFY(!getTeams(db.get(), teams, 0) && teams.isEmpty());
        QVERIFY(Athlete::createTable(db.get()) && Club::createTable(db.get()) && Competition::createTable(db.get())
                && ACTeamData::createTable(db.get()));
        // Missing or no IDs leave the record as it was.
        Athlete a = member("A B/1");
        Club c = club("C");
        Competition w;
        w.Name = "W";
        for (int id : {0, -1, 999}) {
            QVERIFY(!Athlete::getById(db.get(), a, id) && !Club::getById(db.get(), c, id, true) && !Competition::getById(db.get(), w, id));
            QCOMPARE(a.Vorname + c.Name + w.Name, QStringLiteral("ACW"));
            ACTeamData team = sampleTeam();   // a team is cleared but keeps its error code
            team.errorCode = 9;
            QVERIFY(!ACTeamData::getById(db.get(), team, id) && team.errorCode == 9 && team.members.isEmpty() && team.ID == 0);
        }
        t.ID = -4;
        t.sqlText = QStringLiteral("untouched");
        QVERIFY(!t.update(db.get()) && t.errorCode == RuvoDB::ErrBadIndex && t.sqlText == "untouched" && db->count("Teams") == 0);
        QVERIFY(!Athlete::deleteAthlete(db.get(), 0) && !Competition::deleteCompetition(db.get(), 0));
        t.ID = 3;   // no database: refused, nothing crashes
        QVERIFY(a.insert(nullptr) == -1 && !t.update(nullptr) && t.errorCode == RuvoDB::ErrNotOpen && !ACTeamData::deleteAll(nullptr));
        for (int cell : {0, 2999, -2999}) {   // tiny cells are no date
            QVERIFY(db->exec(QStringLiteral("INSERT OR REPLACE INTO wettkampf VALUES ( 4, %1, 'O', 'V', 'N' );").arg(cell)));
            QVERIFY(Competition::getById(db.get(), w, 4) && w.Datum.isNull() && w.Name == "N");
        }

        ACTeamData x = sampleTeam(), y = team("4:1,2,17,4:"), z = team("2:17,18:");
        QVERIFY(x.insert(db.get()) > 0 && y.insert(db.get()) > 0 && z.insert(db.get()) > 0);
        QVERIFY(getTeams(db.get(), teams, 4));
        QCOMPARE(QVector<int>({ teams.size(), teams.at(0).ID, teams.at(1).ID }), QVector<int>({ 2, x.ID, y.ID }));
        ACTeamData filter;
        filter.disci = 4;
        filter.members = { 0, -2, 17, 0, 0, 0, 0 };   // no place past the sixth, but empty ones
        QVERIFY(getTeams(db.get(), teams, &filter) && teams.size() == 1 && teams.first().members == y.members);
        filter.members[6] = 99;   // a member there: refused, not broadened
        QVERIFY(!getTeams(db.get(), teams, &filter) && teams.isEmpty() && db->lastError().contains(QStringLiteral("Position 6")));
        QVERIFY(!ACTeamData::deleteTeam(db.get(), 0) && ACTeamData::deleteTeam(db.get(), x.ID));
        QVERIFY(getTeams(db.get(), teams, nullptr) && teams.size() == 2);

        for (Club c : {club("RV Zeh", "BDR", "7", "10000"), club("  RSV   Au ", "WSB", "9", "30000"),
                       club("RC Mitte", "ABC", "8", "20000")})
            QVERIFY(c.insert(db.get()) > 0);
        RuvoDBList<Club> clubs;
        QVERIFY(getClubs(db.get(), clubs, nullptr, Club::ByPlz, false) && clubs.first().Name == "RV Zeh" && clubs.last().Name == "RSV Au");
        const Club byNameAndNumber = club("RSV Au", "", "9", "");   // the stored name is cleaned
        QVERIFY(getClubs(db.get(), clubs, &byNameAndNumber, Club::ByName, false) && clubs.size() == 1);
        QVERIFY(!Club::deleteClub(db.get(), 0) && Club::deleteClub(db.get(), clubs.first().ID));
        QCOMPARE(db->count("vereine"), 2);
        QVERIFY(db->exec("CREATE TRIGGER keep BEFORE DELETE ON vereine BEGIN SELECT RAISE(ABORT, 'kept'); END;"));
        QVERIFY(!Club::deleteAll(db.get()) && db->count("vereine") == 2);   // all or nothing
        QVERIFY(db->exec("DROP TRIGGER keep;"));
        QVERIFY(Club::deleteAll(db.get()) && db->count("vereine") == 0);
        QVERIFY(db->exec("BEGIN; COMMIT;"));   // no transaction left open
    }

    void teamsDeleteAll()
    {
        // Run before deleteAll, after it; then deleted and the rows left. A deferred
        // reference lets the DELETE run and makes the commit fail; inside a caller's
        // transaction the caller's new row goes too, and the caller still decides.
        const QStringList cases = {
            "||1 0", "CREATE TRIGGER keep BEFORE DELETE ON Teams BEGIN SELECT RAISE(ABORT, 'kept'); END;||0 2",
            "PRAGMA foreign_keys = ON; CREATE TABLE Entry ( team INTEGER REFERENCES Teams(ID) DEFERRABLE "
            "INITIALLY DEFERRED ); INSERT INTO Entry SELECT ID FROM Teams;||0 2",
            "BEGIN; INSERT INTO Teams (Name) VALUES ('caller');|ROLLBACK;|1 2"};
        for (const QString& c : cases) {
            const QStringList f = c.split('|');
            QVERIFY(db->open(dir->filePath(QStringLiteral("t%1.ldb").arg(cases.indexOf(c))), false));
            QVERIFY(ACTeamData::createTable(db.get()));
            ACTeamData t = sampleTeam();
            QVERIFY(t.insert(db.get()) > 0 && t.insert(db.get()) > 0 && db->setMagic(1));
            QVERIFY(f[0].isEmpty() || db->exec(f[0]));
            const bool deleted = ACTeamData::deleteAll(db.get());
            QVERIFY(f[1].isEmpty() || db->exec(f[1]));
            QCOMPARE(QStringLiteral("%1 %2").arg(deleted).arg(db->count("Teams")), f[2]);
            QVERIFY(db->exec(QStringLiteral("BEGIN TRANSACTION probe; COMMIT TRANSACTION probe;")));   // none left open
        }
    }

    // Older files: entries without the last codes or the team column, teams up
    // to their best or without e-mail. Old rows stay; a new team's exact
    // statement, its row read back with dates around the end of 32-bit
    // seconds, updated, and never replaced by another insert.
    void upgrades_data()
    {
        QTest::addColumn<int>("codes");   // columns u0 ... of the old entry table; 0: none yet
        QTest::addColumn<QString>("added");   // the columns the old team table had after Best
        QTest::addColumn<QString>("row");
        QTest::newRow("new entries, teams up to Best") << 0 << "" << "";
        QTest::newRow("without u28, u29, teamID; teams before e-mail") << 28 << ",m_w CHAR,ak CHAR,r1 INTEGER,r2 INTEGER"
                                                                        << ", '?', '0', 0, 0";
    }

    void upgrades()
    {
        QFETCH(int, codes);
        QFETCH(QString, added);
        QFETCH(QString, row);
        QVERIFY(!ACTeamData::upgradeTable(db.get()) && !ACCompetitorData::upgradeTable(db.get()));   // no tables yet
        QString layout = QStringLiteral("CREATE TABLE starter ( ID INTEGER PRIMARY KEY,WbName VARCHAR(32)");
        for (int i = 0; i < codes; ++i)
            layout += QStringLiteral(",u%1 CHAR(8)").arg(i);
        QVERIFY(codes == 0 || db->exec(layout + QStringLiteral(" ); INSERT INTO starter (WbName) VALUES ('Alt');")));
        QVERIFY(db->exec(teamsUpToBest + added + " ) ; INSERT INTO Teams VALUES ( 5, 1, 2, 3, 4, 0, 0, '4', 'Alt', 'AB', 0, 'Hier', 1234" + row + " );"));
        QVERIFY(ACCompetitorData::createTable(db.get()));
        RuvoDBResult names;
        QVERIFY(db->columns("starter", &names) && db->count("starter") == (codes > 0 ? 1 : 0));
        QCOMPARE(names.columns.mid(names.columns.size() - 3), QStringList({ "u28", "u29", "teamID" }));
        ACTeamData old, back, fresh = sampleTeam();
        QVERIFY(ACTeamData::getById(db.get(), old, 5) && old.members == (QList<int>{ 1, 2, 3, 4 }));
        QCOMPARE(QVector<int>({ old.disci, old.Best, old.gender, old.ageClass }), QVector<int>({ 4, 1234, 0, 0 }));
        QVERIFY(old.Name == "Alt" && old.reserves.isEmpty() && old.Email.isEmpty());
        QCOMPARE(fresh.sqlReplaceText(), QStringLiteral(
            "INSERT OR REPLACE INTO Teams VALUES ( NULL, 11, 0, 13, 0, 0, 0, 4, 'Team ''A''', 'GER', "
            "1588334400, 'O''Ort', 45678, 'w', '3', 15, 16, 'a@b,c' );"));
        for (const QDate& date : {QDate(), QDate(2020, 5, 1), QDate(2038, 1, 18), QDate(2038, 1, 19)}) {
            fresh.BestDatum = date;
            const int id = fresh.insert(db.get());
            QVERIFY(id > 0 && fresh.ID == id && ACTeamData::getById(db.get(), back, id) && back.BestDatum == date);
        }
        QVERIFY(back.members == (QList<int>{ 11, 13 }) && back.reserves == (QList<int>{ 15, 16 }) && back.Email == "a@b,c");
        QCOMPARE(QVector<int>({ back.ID, back.disci, back.Best, back.gender, back.ageClass }),
                 QVector<int>({ fresh.ID, 4, 45678, 2, 3 }));
        fresh.members = { 21, 22, 23, 24 };
        QVERIFY(fresh.update(db.get()) && ACTeamData::getById(db.get(), back, fresh.ID) && back.members == fresh.members);
        QVERIFY(db->count("Teams") == 5 && ACCompetitorData::createTable(db.get()));   // current now
    }

    void entryFiltersAndOrders_data()
    {
        QTest::addColumn<Sample>("f");   // the filter entry
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("ids");
        QTest::newRow("ID descending") << Sample{ 0, "", "", 0, 0, 0, "", 0 } << 0 << 6 << "5,4,3,2,1";
        QTest::newRow("club and none") << Sample{ 7, "", "", 0, 0, 0, "", 0 } << 0 << 5 << "1,2,3";
        QTest::newRow("one member") << Sample{ 9, "", "0,11", 2, 0, 0, "", 0 } << 0 << 5 << "1,5";
        QTest::newRow("member set") << Sample{ 0, "", "24,23,22,21", 0, 0, 0, "", 0 } << 0 << 5 << "3,4";
        QTest::newRow("codes") << Sample{ 0, "4101a", "", 0, 0, 0, "", 0 } << 0 << 6 << "4,3";
        QTest::newRow("ID over the rest") << Sample{ 8, "", "", 1, 0, 0, "", 3 } << 2 << 0 << "2";
        QTest::newRow("team row") << Sample{ 0, "", "", 0, 0, 0, "", 1 } << 0 << -1 << "3";
    }

    void entryFiltersAndOrders()
    {
        QFETCH(Sample, f);
        QFETCH(int, id);
        QFETCH(int, order);
        QVERIFY(ACCompetitorData::createTable(db.get()));
        for (const Sample& s : samples)
            QVERIFY(entry(s).insert(db.get()) > 0);
        ACCompetitorData filter = entry(f);
        filter.ID = id;
        RuvoDBList<ACCompetitorData> list;
        QVERIFY(ACCompetitorData::getACCompetitors(db.get(), list, &filter, order));
        QStringList found;
        for (const ACCompetitorData& e : list)
            found << QString::number(e.ID);
        QTEST(found.join(','), "ids");
    }

    // An entry's exact statements, its best values following it into its team
    // row, and an entry whose team row is gone.
    void entryTeamRows()
    {
        QVERIFY(ACCompetitorData::createTable(db.get()));
        ACTeamData team;
        team.disci = 4;
        team.Name = QStringLiteral("Die Vier");
        team.members = { 26 };   // not in the entry: read as its reserve
        team.reserves = { 25 };
        QCOMPARE(team.insert(db.get()), 1);
        ACCompetitorData joined = entry(samples[2]);
        joined.setName(QStringLiteral("Max %4 \"Mo\" \\ & ;"));
        joined.team.BestOrt = QStringLiteral("O'Ort;");   // set directly: cleaned all the same
        joined.team.BestDatum = QDate(2020, 5, 1);
        joined.team.Best = 1234;
        joined.setFigure(1, QStringLiteral("4102b"));
        QCOMPARE(joined.insertSql(), QStringLiteral(
            "INSERT OR REPLACE INTO starter VALUES ( NULL, -1, 'Max %4 ''Mo'' / + ,', 21, 22, 23, 24, 0, 0, "
            "-103901931, 1588334400, 'O''Ort,', 'w', '4', '3', 1234, 900, '4101a', '4102b'")
            + QString(QStringLiteral(", ''")).repeated(28) + QStringLiteral(",  1  ); UPDATE Teams SET "
            "BestDatum = 1588334400, BestOrt = 'O''Ort,', Best = 1234 WHERE ID = 1;"));
        QCOMPARE(joined.insert(db.get()), 1);
        ACCompetitorData orphan = entry(samples[4]);
        orphan.team.Best = 4321;
        orphan.team.BestDatum = QDate(2019, 3, 4);
        QCOMPARE(orphan.insert(db.get()), 2);

        RuvoDBList<ACCompetitorData> list;
        QVERIFY(ACCompetitorData::getACCompetitors(db.get(), list, nullptr, 5));
        const ACTeamData& a = list.at(0).team;
        const ACTeamData& b = list.at(1).team;   // its team row is gone: its own values stay
        QVERIFY(a.Name == "Die Vier" && a.reserves == (QList<int>{ 26, 25 }));
        QCOMPARE(QVector<int>({ a.ID, a.Best, b.ID, b.Best }), QVector<int>({ 1, 1234, 0, 4321 }));
        QVERIFY(b.Name == "Solo" && b.BestDatum == orphan.team.BestDatum);
        QCOMPARE(ACCompetitorData::getIds(db.get()), (QList<int>{ 1, 2 }));

        QVERIFY(db->exec(QStringLiteral("DROP TABLE Teams;")));
        QVERIFY(!joined.update(db.get()) && joined.insert(db.get()) == -1);   // the team row's statement fails: nothing lands
        QCOMPARE(ACCompetitorData::getIds(db.get()), (QList<int>{ 1, 2 }));
    }

    void codes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");   // 0: not a code
        for (const char* t : { "1101a", "7999z", "4123ba", "2101b", "5000aa", "6999y", "1000a" })
            QTest::newRow(t) << t << QString(t).left(4).toInt();
        for (const char* t : { "", "1101A", "3101a", "0101a", "8101a", "1101", "1101ab", "11010a", " 1101a", "1101a ",
                               "1101aaa", "1101\xc3\xa4", "1101a{,1}", "\xd9\xa1\xd9\xa1\xd9\xa0\xd9\xa1" "a" })
            QTest::newRow(qPrintable(QStringLiteral("'%1'").arg(t))) << t << 0;
    }

    void codes()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        const bool valid = number != 0;
        QCOMPARE(Figure::isValidCode(text), valid);
        Figure code(QStringLiteral("1101a"));
        code = text;
        QVERIFY(code.text() == (valid ? text : QString()) && code == Figure(text) && (!valid || !(code == text.toUpper())));
        QCOMPARE(QVector<int>({code.isValid(), code.number(), code.disci()}), QVector<int>({valid, number, number / 1000}));
    }

    void figureList()
    {
        FigureList list;
        QVERIFY(list.isEmpty() && list.setFigure(29, QStringLiteral("1101a")));
        QVERIFY(!list.set(30, Figure(QStringLiteral("1102a"))) && !list.set(-1, Figure(QStringLiteral("1102a"))));
        QVERIFY(!list.at(30).isValid() && !list.at(-1).isValid() && !list.at(28).isValid());
        QCOMPARE(QString::number(list.disci) + list.at(29).text(), QStringLiteral("11101a"));
        list.clear();
        // Each step: position, text, the result of setFigure, the discipline after.
        const struct { int at; const char* text; bool ok; int disci; } steps[] = {
            { 3, "", true, 0 }, { 4, "1101A", true, 0 },   // no change of discipline on an empty list
            { 3, "1101a", true, 1 },
            { 3, "2101a", false, 0 },   // another discipline on the only code's position empties the list
            { 0, "1101a", true, 1 }, { 3, "1101A", false, 1 }, { 0, "", false, 0 },
            { 5, "2101a", true, 2 }, { 1, "2102b", true, 2 }, { 5, "", false, 2 }, { 1, "nonsense", false, 0 },
        };
        for (const auto& step : steps) {
            QCOMPARE(list.setFigure(step.at, QString::fromLatin1(step.text)), step.ok);
            QCOMPARE(list.disci, step.disci);
        }
        QVERIFY(list.setFigure(7, "6101a") && list.fits(Figure(QStringLiteral("6999z"))) && !list.fits(Figure(QStringLiteral("2101a"))));
    }

    void teamValidity_data()
    {
        QTest::addColumn<QString>("team");
        QTest::addColumn<int>("flags");
        QTest::newRow("valid four") << "4:11,12,13,14:15" << 0;
        QTest::newRow("gap before a member") << "4:11,12,0,14:" << 1;
        QTest::newRow("reserve is a member") << "4:11,12,13,14:12" << 16;
        QTest::newRow("too many reserves") << "4:11,12,13,14:15,16" << 16;
        QTest::newRow("no name") << "2:1,2::" << 2;
        QTest::newRow("no age class") << "2:1,2::Zweier:0" << 4;
        QTest::newRow("reserve in a pair") << "2:1,2:3" << 16;
        QTest::newRow("six with two reserves") << "7:1,2,3,4,5,6:7,8" << 0;
    }

    void teamValidity()
    {
        QFETCH(QString, team);
        QFETCH(int, flags);
        ACTeamData t = ::team(team);
        t.errorFlags = 64;  // a stale bit from an earlier check must not survive
        QCOMPARE(t.isValid(), flags == 0);
        QCOMPARE(t.errorFlags, flags);
    }

    void equality()
    {
        const ACTeamData a = team("2:11,12,0:5,0");
        QVERIFY(a == team("2:11,12:5") && !(a != team("2:11,12:5")));   // trailing empty slots do not count
        const QList<std::function<void(ACTeamData&)>> changes = {
            [](ACTeamData& t) { t.members = { 11, 0, 12 }; }, [](ACTeamData& t) { t.members = { 12, 11 }; },
            [](ACTeamData& t) { t.reserves.clear(); }, [](ACTeamData& t) { t.ID = 3; },
            [](ACTeamData& t) { t.gender = 2; }, [](ACTeamData& t) { t.ageClass = 4; },
            [](ACTeamData& t) { t.UCIName = "GER"; }, [](ACTeamData& t) { t.Name = "vierer"; },
            [](ACTeamData& t) { t.Best = 1; }, [](ACTeamData& t) { t.BestDatum = QDate(2020, 5, 1); },
            [](ACTeamData& t) { t.BestOrt = "Ort"; }, [](ACTeamData& t) { t.Email = "a@b"; },
            [](ACTeamData& t) { t.sqlText = "anything"; } };   // the last one alone keeps them equal
        for (const auto& change : changes) {
            ACTeamData b = a;
            change(b);
            QCOMPARE(a != b, &change != &changes.last());
        }

    }

    // Whether two teams are similar (all but one athlete shared; half of
    // them when both have reserves), the same, and of the same members.
    void compare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("result");   // similar, same, same members
        QTest::newRow("three of four shared") << "4:1,2,3,4:" << "4:1,2,3,9:" << "100";
        QTest::newRow("other discipline") << "4:1,2,3,4:" << "5:4,3,2,1:" << "001";
        QTest::newRow("four of five shared") << "4:1,2,3,4:5" << "4:5,2,3,9:1" << "100";
        QTest::newRow("all shared with reserves") << "4:1,2,3,4:5" << "4:5,4,3,2:1" << "110";
        QTest::newRow("same members, in order") << "4:1,2,3,4:5" << "4:4,3,2,1:" << "101";
        // Empty positions are no shared athletes.
        QTest::newRow("one shared, empty slots") << "4:1,0,0,0:" << "4:1,0,0,0:" << "011";
        // Reserves on one side only: all but one athlete must be shared, not half.
        QTest::newRow("reserve on one side") << "4:1,2,3,4:5" << "4:1,2,3,9:" << "000";
        QTest::newRow("empty reserve slots") << "4:1,2,3,9:0" << "4:1,2,3,4:0" << "000";
    }

    void compare()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        const ACTeamData x = team(a), y = team(b);
        QTEST(QStringLiteral("%1%2%3").arg(x.isSimilar(y)).arg(x.isSame(y)).arg(x.hasSameMembers(y)), "result");
    }

    void recordBytesAndBack()
    {
        // Offset and bytes of every field that is not zero; the name stops
        // before the two-byte character that would not fit.
        const struct { int at; QByteArray hex; } fields[] = {
            { 0, "05000000" }, { 4, "f9ffffff" }, { 8, QByteArray(62, 'A').toHex() },
            { 72, "0b0000000c0000000d0000000e000000" }, { 96, "1595cef9" }, { 100, "400fac5e" },
            { 104, "4bc3b66c6e" }, { 136, "0200000004000000030000006eb27011" },
            { 152, QByteArray("4101a").toHex() }, { 168, QByteArray("4102b").toHex() },
            { 408, "feffffff03000000" },
        };
        QByteArray expected(Starter_t::Size, '\0');
        for (const auto& f : fields)
            expected.replace(f.at, f.hex.size() / 2, QByteArray::fromHex(f.hex));
        const ACCompetitorData e = sampleEntry();
        Starter_t s;
        s.errorMask = 9;   // a record from an entry carries no check results
        QByteArray written(Starter_t::Size, '\x55');
        e.toStarter(s).write(bytes(written));
        QCOMPARE(written.toHex(), expected.toHex());

        const ACCompetitorData r(Starter_t::read(bytes(written)));
        QByteArray again(Starter_t::Size, '\0');
        r.toStarter(s).write(bytes(again));
        QVERIFY(r.equalsStarter(s) && again == written && r.WbName == QString(62, QLatin1Char('A')));

        QByteArray raw(Starter_t::Size, '\0');   // hostile: no NULs, a place neither UTF-8 nor clean
        raw.replace(8, 64, QByteArray(64, 'x'));
        raw.replace(104, 7, "a\"b;\xe2\x82z");   // the third byte of the sequence is missing
        raw.replace(152, 13, "1101aaaa1102a");   // eight bytes without NUL, then a code
        const ACCompetitorData h(Starter_t::read(bytes(raw)));
        QCOMPARE(h.WbName, QString(64, QLatin1Char('x')));
        QCOMPARE(h.team.BestOrt, QStringLiteral("a'b,\u00e2\u0082z"));
        QCOMPARE(h.figure(0).text() + "|" + h.figure(1).text(), QStringLiteral("|1102a"));

        ACCompetitorData p;   // no athlete past the record's last position
        QVERIFY(p.setAthleteId(2, 7) && !p.setAthleteId(Starter_t::MemberCount, 8) && !p.setAthleteId(-1, 8));
        QCOMPARE(p.team.members, (QList<int>{ 0, 0, 7 }));
    }

    // Half to even, NaN as nothing, out of range clamped.
    void givenPoints()
    {
        const QList<QPair<double, int>> cases = {{8.125, 812}, {8.375, 838}, {-3.5, -350}, {double(NAN), 0},
                                                 {1e300, INT_MAX}, {-double(INFINITY), INT_MIN}};
        for (const auto& c : cases) {
            ACCompetitorData e;
            e.setGiven(c.first);
            QCOMPARE(e.given, c.second);
        }
    }

    void mergeReport()
    {
        ACCompetitorData mine = sampleEntry();
        ACCompetitorData other = mine;
        other.setName(QStringLiteral("Anna <B>"));
        other.team.Best = 1250;
        other.team.BestDatum = QDate(2021, 6, 2);
        other.setGender(1);
        other.setGiven(1250);
        other.setFigure(0, QStringLiteral("4101b"));
        other.setFigure(3, QStringLiteral("4103a"));
        ACCompetitorData forced = mine;

        QString report;
        QVERIFY(mine.merge(other, false, &report));   // code 4 was empty: taken over
        QCOMPARE(report.split(QLatin1Char('\n')), QStringList({
            "<b>Name:</b>  " + longName + " --> Anna &lt;B&gt;<br>", "<b>PbBest:</b>  456,78--> 12,50<br>",
            "<b>PbDate:</b>  01.05.2020 --> 02.06.2021<br>", "<b>Gender:</b> 2 --> 1 <br>",
            "<b>Given:</b>  700,00--> 12,50<br>", "<b>Figure[1]:</b>4101a --> 4101b<br>", "" }));
        QCOMPARE(mine.WbName + mine.figure(0).text() + mine.figure(3).text(), longName + "4101a4103a");

        report.clear();
        QVERIFY(forced.merge(other, true, &report) && report.isEmpty() && forced == other);

        // Codes of another discipline are reported, never stored over this entry's.
        ACCompetitorData alien;
        alien.setFigure(0, QStringLiteral("2101a"));
        alien.setFigure(5, QStringLiteral("2102a"));
        QVERIFY(!forced.merge(alien, true, &report));
        QCOMPARE(report, QStringLiteral("<b>Figure[1]:</b>4101b --> 2101a<br>\n<b>Figure[6]:</b> --> 2102a<br>\n"));
        QVERIFY(forced.figures.sameCodes(other.figures));
    }

    // Any picture, a JPEG's too, stored as a PNG within the limit; a lower
    // limit shrinks it, a new one replaces the bytes, no image is refused.
    void logos()
    {
        const QSize none(-1, -1), limit(300, 300);
        for (const QVector<QSize>& c : {QVector<QSize>{limit, {100, 900}, {33, 300}, {11, 100}},
                                        QVector<QSize>{none, {900, 20}, {900, 20}, {100, 2}}}) {
            // limit, picture, stored, stored within 100 by 100
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            QVERIFY(buffer.open(QIODevice::WriteOnly) && picture(c[1]).save(&buffer, "JPG"));
            ClubLogo logo(c[0]), fromJpeg(c[0]), small(c[0]);
            QVERIFY(logo.setPixmap(picture(c[1])) && fromJpeg.setData(jpeg) && logo.data.startsWith("\x89PNG"));
            QVERIFY(storedSize(logo) == c[2] && storedSize(fromJpeg) == c[2]);
            QVERIFY(fromJpeg.setMaxSize(QSize(100, 100)) && storedSize(fromJpeg) == c[3]);
            QVERIFY(small.setPixmap(picture(QSize(10, 10))) && logo.setPixmap(picture(QSize(10, 10))) && logo.data == small.data);
            QVERIFY(!logo.setData("no image at all") && logo.data.isEmpty() && !logo.setMaxSize(c[0]) && !logo.setPixmap(QPixmap()));
        }
    }

    void importsAndMerge()
    {
        ListImport in;
        in.inClubs = QStringList{"RV A/Eva Kern", " RV  A /Eva Kern", "RV B", "RV C/Lahm,"};
        in.inAthletes = QStringList{"Anna Berg/GER19900101", "Ben Zorn//AUT/4", "Anna Berg/GER19900101", "Anna Berg/GER19900101/SUI"};
        QVERIFY(!in.run());   // the default finish builds no entries
        QCOMPARE(in.clubs.size() * 10 + in.athletes.size(), 33);
        QCOMPARE(in.clubs.at(0).ID + in.clubs.at(1).ID * 10, -21);
        // A club without a contact person borrows the first club's; a last name alone is a contact.
        QVERIFY(in.clubs.at(1).Kontakt == in.clubs.at(0).Kontakt && in.clubs.at(2).Kontakt.Nachname == "Lahm");
        QCOMPARE(in.ids, (QList<int>{-1, -2, -1, -3}));
        // The nation from the UCI-ID's nation form, role A by default.
        const Athlete& anna = in.athletes.first();
        QCOMPARE(anna.Nation + anna.rolesText() + QString::number(anna.Verein), QStringLiteral("GERA-1"));
        QCOMPARE(in.athletes.at(1).Nation + in.athletes.at(1).rolesText() + in.athletes.at(2).Nation, QStringLiteral("AUTRSUI"));

        for (const char* text : {"-1,-2:A", "-2,-1:B", "-1,-3:", ":", ":"}) {   // members and name; the last takes nothing over
            ACCompetitorData e;
            e.team.setMembers(ids(QString(text).section(':', 0, 0)));
            e.setName(QString(text).section(':', 1));
            const bool takes = in.competitors.size() < 3;
            QCOMPARE(in.mergeCompetitor(e), takes);
        }
        QCOMPARE(in.competitors.size(), 3);
        QCOMPARE(in.report, QStringLiteral("<b>Name:</b>  A --> B<br>\n"));
    }

    // A full name split, then written first name first and last name first.
    void names()
    {
        // The full name|first name|last name|first name first|last name first.
        for (const char* c : {"von Berg, Anna Maria|Anna Maria|von Berg|Anna Maria von Berg|von Berg, Anna Maria",
                              "Berg, Anna, jr.|Anna, jr.|Berg|Anna, jr. Berg|Berg, Anna, jr.", "Anna|Anna||Anna |, Anna",
                              "Schmidt,||Schmidt| Schmidt|Schmidt, ", "||||",
                              "  Anna \t  Maria\n Schmidt |Anna|Maria Schmidt|Anna Maria Schmidt|Maria Schmidt, Anna"}) {
            Person p;
            p.Vorname = p.Nachname = QStringLiteral("old");
            p.setName(QString(c).section('|', 0, 0));
            QCOMPARE(QStringList({p.Vorname, p.Nachname, p.formatName(0), p.formatName(1)}).join('|'), QString(c).section('|', 1));
            QVERIFY(p.formatName(7) == p.formatName(1) && p.displayName() == p.formatName(0));   // 7: any other; no setting
        }
    }

    // The licence text, the edit field's state while typing it (red until
    // complete), and the warning about a person without a valid one.
    void uciValidity_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("nation");
        QTest::addColumn<int>("state");
        const int ok = QValidator::Acceptable, typing = QValidator::Intermediate, refused = QValidator::Invalid;
        QTest::newRow("eleven digits") << "12345678901" << true << "" << ok;
        QTest::newRow("ten digits") << "1234567890" << false << "" << typing;
        QTest::newRow("leading blank") << " 12345678901" << false << "" << refused;
        QTest::newRow("arabic-indic digits")
            << "\xd9\xa1\xd9\xa2\xd9\xa3\xd9\xa4\xd9\xa5\xd9\xa6\xd9\xa7\xd9\xa8\xd9\xa9\xd9\xa0\xd9\xa1" << false << "" << refused;
        QTest::newRow("nation form") << "GER19900101" << false << "GER" << refused;
        QTest::newRow("empty") << "" << false << "" << refused;
    }

    void uciValidity()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, state);
        QLineEdit field;
        UCIValidator validator(&field);
        QString typed = text;
        int pos = 2;
        QCOMPARE(int(validator.validate(typed, pos)), state);
        QVERIFY(typed == text && pos == 2);
        QCOMPARE(field.palette().color(field.foregroundRole()) == Qt::red, state != QValidator::Acceptable);   // red until complete
        UciLicence licence;
        licence = text;
        QVERIFY(licence.text() == text && licence.isValid() == valid && UciLicence::isValid(text) == valid);
        QTEST(UciLicence::nation(text), "nation");
        licence.set("\t" + text.split(QString()).join(' '));   // set() drops every blank
        QCOMPARE(licence.text(), QString(text).remove(' '));

        useNameFormat(text.isEmpty() ? "1" : "0");   // one row shows names last name first
        Athlete a;
        a.setName(QStringLiteral("Anna <b>Schmidt & Co"));   // the box shows rich text: the name as written
        a.uciId = text;
        QVERIFY(UciLicence::check(a, true) == valid && warnings.isEmpty());   // silent
        QVERIFY(UciLicence::check(a, false) == valid && warnings.size() == (valid ? 0 : 1));
        const QString shown = text.isEmpty() ? "&lt;b&gt;Schmidt &amp; Co, Anna" : "Anna &lt;b&gt;Schmidt &amp; Co";
        QVERIFY(valid || warnings.first().startsWith("UCI-Licence|Für den Sportler <b>" + shown + "</b>"));
        const UciLicence::Warning installed = UciLicence::setWarning({});   // none: to the log, nothing blocks
        DebugCapture log;
        QCOMPARE(UciLicence::check(a, false), valid);
        UciLicence::setWarning(installed);
        QCOMPARE(log.contains("11-stellige UCI-ID"), !valid);
    }

private:
    AddressDB& book() { return static_cast<AddressDB&>(*db); }
    MeldeListeDB& list() { return static_cast<MeldeListeDB&>(*db); }

    void fillBook(Book& book)
    {
        for (const char* name : {"RSV X", "RV Y", "RV Y", "Solo", "Name", "O'Hara; %1"}) {
            Club c = club(name, "GER");
            c.Nation = "GER";
            c.Kontakt.setName("Kurt Kon");
            QVERIFY(book.insertVerein(c) > 0);
        }
        for (const char* p : {"Anna Berg/1", "Carl Dorn/1", "Anna Berg/2", "Emil Fux/99", "Gina Hahn/4", "Vorname Nachname/5"}) {
            Athlete a = member(p);
            a.roles = Athlete::RoleA;
            QVERIFY(book.insertAthlete(a) > 0);
        }
        NameEntry alpha("Alpha", 0);
        Competition c;
        NameIcon n = icon(0, "Alpha");
        QVERIFY(book.insertName(alpha) == 1 && book.insertCompetition(c) == 1);
        QVERIFY(n.checkTable(book) && n.checkTable(book) && book.insertNameIcon(n) == 1);
    }

    void fillList(MeldeListeDB& list)
    {
        for (const char* name : {"RSV Musterstadt", "RV Y"}) {
            Club c = club(name);
            QVERIFY(list.insertVerein(c) > 0);
        }
        for (const char* p : {"Anna Kurz/1", "Ben Kurz/1", "Carl Meier/2", "Dora Adam/1", "Emil meier/2", "Fritz Frei/1"}) {
            Athlete a = member(p);
            QVERIFY(list.insertAthlete(a) > 0);
        }
        ACTeamData team;
        team.disci = 2;
        team.setMembers({1, 2});
        team.addReserve(6);
        QVERIFY(list.insertTeam(team) == 1);
    }

    void useNameFormat(const QString& value)
    {
        RuvoProps::instance()->setDatabase(db.get());
        QVERIFY(RuvoProps::instance()->set(QStringLiteral("NAMEFORMAT"), value));
    }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<RuvoDB> db;
    MessageCatcher messages;
    QStringList warnings;
};

QTEST_MAIN(TestRecords)
#include "tst_records.moc"
