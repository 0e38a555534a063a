// The entry list on real files: set-up of new and foreign files, hooks, atomic
// inserts, removal guards, joins, team assignment and the name maker.
#include "records/MeldeListeDB.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/MessageCatcher.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

Starter_t entry(int disci, int club, const char* name, QList<int> members = {}, int team = 0)
{
    Starter_t s;
    s.disci = disci;
    s.clubId = club;
    s.teamId = team;
    qstrncpy(s.name, name, sizeof s.name);
    for (int i = 0; i < members.size(); ++i)
        s.members[i] = members.at(i);
    return s;
}

} // namespace

class TestMeldeListeDB : public QObject
{
    Q_OBJECT
private slots:
    // Clubs 1 RSV Musterstadt, 2 RV Y; athletes 1 Anna Kurz, 2 Ben Kurz,
    // 3 Carl Meier (club 2), 4 Dora Adam, 5 Emil meier (club 2), 6 Fritz Frei;
    // team 1 of members 1, 2 with reserve 6.
    void init()
    {
        dir.reset(new QTemporaryDir);
        db.reset(new MeldeListeDB);
        QVERIFY(db->open(dir->filePath("meldeliste.ldb"), false));
        for (const char* name : {"RSV Musterstadt", "RV Y"}) {
            Club c;
            c.setName(name);
            QVERIFY(db->insertVerein(c) > 0);
        }
        for (const char* p : {"Anna Kurz/1", "Ben Kurz/1", "Carl Meier/2", "Dora Adam/1", "Emil meier/2", "Fritz Frei/1"}) {
            Athlete a;
            a.setName(QString(p).section('/', 0, 0));
            a.Verein = QString(p).section('/', 1).toInt();
            QVERIFY(db->insertAthlete(a) > 0);
        }
        ACTeamData team;
        team.disci = 2;
        team.setMembers({1, 2});
        team.addReserve(6);
        QVERIFY(db->insertTeam(team) == 1);
    }

    void setup_data()
    {
        QTest::addColumn<int>("magic");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("tables");
        const QString book = "namen,sportler,vereine,wettkampf";
        QTest::newRow("new file") << 0 << true << "Descriptor,Teams,namen,sportler,starter,vereine,wettkampf";
        QTest::newRow("address book") << int(AddressDB::Magic) << false << "Descriptor," + book;
        QTest::newRow("tables without Descriptor") << -1 << false << book;
    }

    void setup()
    {
        QFETCH(int, magic);
        QFETCH(bool, opened);
        QFETCH(QString, tables);
        const QString path = dir->filePath("setup.ldb");
        if (magic != 0) {
            AddressDB book;
            QVERIFY(book.open(path, false) && (magic > 0 || book.exec("DROP TABLE Descriptor;")));
        }
        MeldeListeDB list;
        MessageCatcher boxes;
        DebugCapture capture;
        QCOMPARE(list.open(path, false), opened);
        const QString banner = "this is a new Database, setting up for usage ...";
        QCOMPARE(capture.lines().count(banner), opened ? 2 : 0);
        QCOMPARE(list.lastError(), opened ? QString() : RuvoDB::errorText(RuvoDB::ErrWrongType));
        RuvoDB plain;
        QVERIFY(plain.open(path, false));
        QStringList found = plain.tables();
        found.sort();
        QCOMPARE(found.join(','), tables);
        QCOMPARE(plain.magic(), opened ? int(MeldeListeDB::Magic) : magic);
    }

    void hooksAndFailures_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("prepare");   // "refuse", "rename", or SQL run first
        QTest::addColumn<QString>("result");    // signals or error text, then the last row: nothing half done
        const QString blocker = "CREATE TRIGGER b BEFORE UPDATE ON Teams BEGIN SELECT RAISE(ABORT, 'blocked'); END;";
        for (const QString op : {"insertStarter", "insertCompetitor", "updateStarter", "updateCompetitor"}) {
            const QString changed = op.startsWith("insert") ? "Changed(2) 2:" : "Changed(1) 1:";
            QTest::newRow(qPrintable(op)) << op << "" << changed + "Team";
            QTest::newRow(qPrintable(op + " renamed")) << op << "rename" << changed + "Hook";
            QTest::newRow(qPrintable(op + " refused")) << op << "refuse"
                << (op.startsWith("insert") ? "insertStarter(): " : "updateStarter (): ") + QString("refused by user 1:Alt");
            QTest::newRow(qPrintable(op + " team blocked")) << op << blocker
                << (op == "updateCompetitor" ? "updateACCompetitor(): " : "") + QString("blocked 1:Alt");
        }
    }

    void hooksAndFailures()
    {
        QFETCH(QString, op);
        QFETCH(QString, prepare);
        QFETCH(QString, result);
        Starter_t s = entry(2, 1, "Alt", {1, 2}, 1);
        QVERIFY(db->insertStarter(s) == 1 && (prepare.size() < 8 || db->exec(prepare)));
        QStringList log;
        connect(db.get(), &MeldeListeDB::signalStarterChanged, [&log](int id) { log << QStringLiteral("Changed(%1)").arg(id); });
        connect(db.get(), &MeldeListeDB::starterHook, [&](Starter_t& e, bool& ok) { ok = prepare != "refuse"; if (prepare == "rename") qstrcpy(e.name, "Hook"); });
        connect(db.get(), &MeldeListeDB::competitorHook, [&](ACCompetitorData& e, bool& ok) { ok = prepare != "refuse"; if (prepare == "rename") e.setName("Hook"); });
        qstrcpy(s.name, "Team");
        ACCompetitorData c(s);
        const bool ok = op == "insertStarter" ? db->insertStarter(s) > 0 : op == "insertCompetitor" ? db->insertStarter(c) > 0
                      : op == "updateStarter" ? db->updateStarter(s) : db->updateStarter(c);
        StarterList list;
        QVERIFY(db->getStarter(list, nullptr, ACCompetitorData::ByIdDescending));
        const QString row = QStringLiteral("%1:%2").arg(list.items.first()->id).arg(list.items.first()->name);
        QCOMPARE(QStringList({log.join(' ') + (ok ? QString() : db->lastError()), row}).join(' '), result);
        QCOMPARE(s.id, op == "insertStarter" ? (ok ? 2 : prepare == "refuse" ? 0 : -1) : 1);
    }

    void guards_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("prepare");
        QTest::addColumn<QString>("result");   // the signal, or the error text
        QTest::newRow("team in use") << "team" << 1 << "" << "Das Team kann nicht gelöscht werden, weil ihm noch Wertungsbogen zugeordnet sind!";
        QTest::newRow("team free") << "team" << 1 << "DELETE FROM starter;" << "TeamRemoved(1)";
        QTest::newRow("team none") << "team" << 0 << "DELETE FROM starter;" << RuvoDB::errorText(RuvoDB::ErrBadIndex);
        QTest::newRow("team unreadable") << "team" << 1 << "DROP TABLE starter;" << "no such table: starter";
        QTest::newRow("club in use") << "club" << 2 << "" << "Dem Verein sind noch Wertungsbogen zugeordnet!";
        QTest::newRow("club only start groups") << "club" << 1 << "" << "Dem Verein sind noch Sportler zugeordnet!";
        QTest::newRow("club unreadable") << "club" << 2 << "DROP TABLE starter;" << "no such table: starter";
        QTest::newRow("athlete of another club's entry") << "athlete" << 4 << "" << "Der Sportler ist noch in Wertungsbögen enthalten!";
        QTest::newRow("athlete a reserve") << "athlete" << 6 << "" << "Der Sportler ist noch in Teams enthalten!";
        QTest::newRow("athlete free") << "athlete" << 5 << "" << "SportlerRemoved(5)";
        QTest::newRow("athlete missing") << "athlete" << 99 << "" << "";
        QTest::newRow("athlete unreadable") << "athlete" << 5 << "DROP TABLE Teams;" << "no such table: Teams";
    }

    void guards()
    {
        QFETCH(QString, op);
        QFETCH(int, id);
        QFETCH(QString, prepare);
        QFETCH(QString, result);
        Starter_t group = entry(4, -1, "SG", {1, 2}, 1);
        Starter_t other = entry(4, 2, "Y", {3, 0, 4});
        QVERIFY(db->insertStarter(group) == 1 && db->insertStarter(other) == 2);
        QVERIFY(prepare.isEmpty() || db->exec(prepare));
        QStringList log;
        connect(db.get(), &MeldeListeDB::signalTeamRemoved, [&log](int i) { log << QStringLiteral("TeamRemoved(%1)").arg(i); });
        connect(db.get(), &MeldeListeDB::signalSportlerRemoved, [&log](int i) { log << QStringLiteral("SportlerRemoved(%1)").arg(i); });
        const bool ok = op == "team" ? db->removeTeam(id) : op == "club" ? db->removeVerein(id) : db->removeSportler(id);
        QCOMPARE(log.join(' ') + (ok ? QString() : db->lastError()), result);   // no signal on failure
        QCOMPARE(ok, result.isEmpty() || result.endsWith(')'));
    }

    void idsBelowOneAndRemoval()
    {
        ACTeamData team;
        Starter_t s;
        ACCompetitorData c;
        QVERIFY(!db->getTeamById(team, 0) && !db->getTeamById(team, -1) && db->getTeamById(team, 1));
        QVERIFY(!db->removeStarter(0) && !db->getStarterById(s, 0) && !db->getACCompetitorById(c, 0));
        QVERIFY(!db->updateStarter(s) && db->lastError() == "updateStarter (): " + RuvoDB::errorText(RuvoDB::ErrBadIndex));
        QVERIFY(!db->updateStarter(c) && db->lastError() == "updateACCompetitor(): " + RuvoDB::errorText(RuvoDB::ErrBadIndex));
        int removed = 0;
        connect(db.get(), &MeldeListeDB::signalStarterRemoved, [&removed](int id) { removed = id; });
        s = entry(2, 1, "A", {1, 2});
        QVERIFY(db->insertStarter(s) == 1 && db->removeStarter(1) && removed == 1 && db->starterCount() == 0);
    }

    void joinAndAssign()
    {
        Starter_t a = entry(2, 1, "A", {6, 3});
        Starter_t b = entry(2, 2, "B", {3, 1});
        QVERIFY(db->insertStarter(a) == 1 && db->insertStarter(b) == 2);
        QVERIFY(db->exec("UPDATE Teams SET r1 = 0;"));   // athlete 6 only in entry 1
        QCOMPARE(db->joinSportler(6, 3), 3);
        Athlete gone;
        QVERIFY(!db->getAthlete(gone, 6) && db->getStarterById(a, 1) && a.members[0] == 3);
        ACTeamData team;
        QVERIFY(db->getTeamById(team, 1));
        team.members = {3, 1};   // entry 2's pair; entry 1 now names 3 twice
        QCOMPARE(db->assignCompetitorsToTeam(team), 1);
        QVERIFY(db->getStarterById(b, 2) && b.teamId == 1 && db->getStarterById(a, 1) && a.teamId == 0);
        team.ID = 0;
        QCOMPARE(db->assignCompetitorsToTeam(team), -1);
    }

    void makeWbName_data()
    {
        QTest::addColumn<QString>("entry");   // disci, club, members, current name
        QTest::addColumn<QString>("name");
        QTest::newRow("single") << "1|1|4|x" << "Dora Adam";
        QTest::newRow("single missing") << "1|1|99|x" << "x";
        QTest::newRow("pair") << "2|1|3,4|x" << "Adam / Meier";
        QTest::newRow("pair, case counts") << "2|1|5,3|x" << "Meier / meier";
        QTest::newRow("siblings") << "2|1|1,2|x" << "Anna + Ben Kurz";
        QTest::newRow("team number") << "4|1|1|RV Musterstadt 2" << "RSV Musterstadt 2";
        QTest::newRow("team roman") << "4|1|1|Mannschaft II" << "RSV Musterstadt II";
        QTest::newRow("team no number") << "4|1|1|Team A" << "RSV Musterstadt";
        QTest::newRow("team contains club") << "4|1|1|rsv musterstadt 3" << "rsv musterstadt 3";
        QTest::newRow("number too early") << "4|1|1|RSV 2" << "RSV Musterstadt";
        QTest::newRow("number too large") << "4|1|1|Musterstadt 25" << "RSV Musterstadt";
        QTest::newRow("number before slash") << "4|1|1|Musterstadt 2/3" << "RSV Musterstadt";
        QTest::newRow("start group") << "6|-1|1,3,2,99|Team" << "SG: RSV Musterstadt/RV Y";
        QTest::newRow("start group unknown") << "6|-1|99|Team" << "Team";
    }

    void makeWbName()
    {
        QFETCH(QString, entry);
        QFETCH(QString, name);
        const QStringList f = entry.split('|');
        QList<int> members;
        for (const QString& m : f[2].split(','))
            members << m.toInt();
        Starter_t s = ::entry(f[0].toInt(), f[1].toInt(), qPrintable(f[3]), members);
        db->makeWbName(s);
        QCOMPARE(QString(s.name), name);
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<MeldeListeDB> db;
};

QTEST_MAIN(TestMeldeListeDB)
#include "tst_meldelistedb.moc"
