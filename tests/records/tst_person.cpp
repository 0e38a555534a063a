// Person and athlete records: the name formats, splitting a full name, the
// stored simplified texts, the athlete's reset and copy, and the warning for
// an athlete without a valid UCI-ID.
#include "db/RuvoDB.h"
#include "db/RuvoProps.h"
#include "records/Athlete.h"
#include "records/UciLicence.h"
#include "tests/support/MessageCatcher.h"

#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

Person named(const QString& first, const QString& last)
{
    Person p;
    p.Vorname = first;
    p.Nachname = last;
    return p;
}

// What the warning box showed, taken from the box the hook is handed.
struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget* parent = nullptr;
    Qt::WindowFlags flags;
};

const char* const warningText =
    "Für den Sportler <b>%1</b> ist nicht die <b>11-stellige UCI-ID</b> als Lizenz hinterlegt!"
    "<br><br>Bitte korrigieren Sie dies!";

} // namespace

class TestPerson : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void formatName_data();
    void formatName();
    void displayNameFollowsSetting_data();
    void displayNameFollowsSetting();
    void setName_data();
    void setName();
    void settersSimplify();
    void athleteClearAndCopy();
    void check_data();
    void check();
    void checkShowsTheNameAsWritten();

private:
    void useNameFormat(const QString& value);

    QTemporaryDir dir;
    MessageCatcher messages;
    RuvoDB db;
    QList<ShownBox> boxes;
};

void TestPerson::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(db.open(dir.filePath("props.ldb"), false));
    UciLicence::setWarningHook([this](QMessageBox& box) {
        boxes << ShownBox{box.windowTitle(), box.text(), box.icon(), box.standardButtons(),
                          box.parentWidget(), box.windowFlags()};
    });
}

void TestPerson::cleanup()
{
    RuvoProps::instance()->setDatabase(nullptr);
    boxes.clear();
}

void TestPerson::useNameFormat(const QString& value)
{
    RuvoProps::instance()->setDatabase(&db);
    QVERIFY(RuvoProps::instance()->set(QStringLiteral("NAMEFORMAT"), value));
}

void TestPerson::formatName_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("name");
    QTest::newRow("first last") << "Anna" << "Schmidt" << 0 << "Anna Schmidt";
    QTest::newRow("last, first") << "Anna" << "Schmidt" << 1 << "Schmidt, Anna";
    QTest::newRow("any other format") << "Anna" << "Schmidt" << 7 << "Schmidt, Anna";
    QTest::newRow("negative format") << "Anna" << "Schmidt" << -1 << "Schmidt, Anna";
    QTest::newRow("no names 0") << "" << "" << 0 << "";
    QTest::newRow("no names 1") << "" << "" << 1 << "";
    QTest::newRow("first only 0") << "Anna" << "" << 0 << "Anna ";
    QTest::newRow("first only 1") << "Anna" << "" << 1 << ", Anna";
    QTest::newRow("last only 0") << "" << "Schmidt" << 0 << " Schmidt";
    QTest::newRow("last only 1") << "" << "Schmidt" << 1 << "Schmidt, ";
}

void TestPerson::formatName()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(int, format);
    QFETCH(QString, name);
    QCOMPARE(named(first, last).formatName(format), name);
}

void TestPerson::displayNameFollowsSetting_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("name");
    QTest::newRow("no setting") << QString() << "Jörg Müller-Lüdenscheidt";
    QTest::newRow("0") << "0" << "Jörg Müller-Lüdenscheidt";
    QTest::newRow("1") << "1" << "Müller-Lüdenscheidt, Jörg";
    QTest::newRow("2") << "2" << "Jörg Müller-Lüdenscheidt";
}

void TestPerson::displayNameFollowsSetting()
{
    QFETCH(QString, setting);
    QFETCH(QString, name);
    if (!setting.isNull())
        useNameFormat(setting);
    QCOMPARE(named(QStringLiteral("Jörg"), QStringLiteral("Müller-Lüdenscheidt")).displayName(), name);
}

void TestPerson::setName_data()
{
    QTest::addColumn<QString>("full");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("first last") << "Anna Schmidt" << "Anna" << "Schmidt";
    QTest::newRow("rest is the last name") << "Anna Maria von Berg" << "Anna" << "Maria von Berg";
    QTest::newRow("comma") << "Schmidt, Anna" << "Anna" << "Schmidt";
    QTest::newRow("comma, no blank") << "Schmidt,Anna Maria" << "Anna Maria" << "Schmidt";
    QTest::newRow("comma wins over blanks") << "von Berg, Anna Maria" << "Anna Maria" << "von Berg";
    QTest::newRow("second comma stays") << "Berg, Anna, jr." << "Anna, jr." << "Berg";
    QTest::newRow("comma first") << ", Anna" << "Anna" << "";
    QTest::newRow("comma last") << "Schmidt," << "" << "Schmidt";
    QTest::newRow("one word") << "Anna" << "Anna" << "";
    QTest::newRow("white space") << "  Anna \t  Maria\n Schmidt " << "Anna" << "Maria Schmidt";
    QTest::newRow("empty") << "" << "" << "";
}

void TestPerson::setName()
{
    QFETCH(QString, full);
    QFETCH(QString, first);
    QFETCH(QString, last);
    Person p = named(QStringLiteral("old"), QStringLiteral("old"));
    p.setName(full);
    QCOMPARE(p.Vorname, first);
    QCOMPARE(p.Nachname, last);
}

void TestPerson::settersSimplify()
{
    Person p;
    p.setVorname(QStringLiteral(" Anna\t Maria "));
    p.setNachname(QStringLiteral("\nvon  Berg"));
    p.setNation(QStringLiteral(" GER "));
    QCOMPARE(p.Vorname, QStringLiteral("Anna Maria"));
    QCOMPARE(p.Nachname, QStringLiteral("von Berg"));
    QCOMPARE(p.Nation, QStringLiteral("GER"));
}

void TestPerson::athleteClearAndCopy()
{
    Athlete a;
    a.setName(QStringLiteral("Anna Schmidt"));
    a.Strasse = QStringLiteral("Hauptstr. 1");
    a.PLZ = QStringLiteral("12345");
    a.Ort = QStringLiteral("Berg");
    a.Telefon = QStringLiteral("0123");
    a.Email = QStringLiteral("a@b.de");
    a.Geschlecht = 2;
    a.Geburtsdatum = QDate(2001, 2, 3);
    a.setNation(QStringLiteral("GER"));
    a.Verein = 4;
    a.ID = 5;
    a.errorCode = 9;
    a.uciId.set(QStringLiteral("12345678901"));
    a.roles = Athlete::RoleA | Athlete::RoleF;

    const Athlete copy = a;
    for (const Athlete* x : std::initializer_list<const Athlete*>{&a, &copy}) {
        QCOMPARE(x->formatName(1), QStringLiteral("Schmidt, Anna"));
        QCOMPARE(x->Strasse + x->PLZ + x->Ort + x->Telefon + x->Email, QStringLiteral("Hauptstr. 112345Berg0123a@b.de"));
        QCOMPARE(x->Geschlecht, 2);
        QCOMPARE(x->Geburtsdatum, QDate(2001, 2, 3));
        QCOMPARE(x->Nation, QStringLiteral("GER"));
        QCOMPARE(x->Verein, 4);
        QCOMPARE(x->ID, 5);
        QCOMPARE(x->errorCode, 9);
        QCOMPARE(x->uciId.text(), QStringLiteral("12345678901"));
        QCOMPARE(x->roles, 9);
    }

    a.clear();
    const Athlete empty;
    for (const Athlete* x : std::initializer_list<const Athlete*>{&a, &empty}) {
        QCOMPARE(x->formatName(0), QString());
        QVERIFY(x->Strasse.isEmpty() && x->PLZ.isEmpty() && x->Ort.isEmpty() && x->Telefon.isEmpty()
                && x->Email.isEmpty() && x->Nation.isEmpty() && x->uciId.text().isEmpty());
        QCOMPARE(x->Geschlecht, 0);
        QVERIFY(x->Geburtsdatum.isNull());
        QCOMPARE(x->Verein + x->ID + x->errorCode + x->roles, 0);
    }
    QCOMPARE(copy.ID, 5);
}

void TestPerson::check_data()
{
    QTest::addColumn<QString>("uciId");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("shownName");   // null: no box
    QTest::newRow("valid") << "12345678901" << false << "0" << true << QString();
    QTest::newRow("valid, silent") << "12345678901" << true << "0" << true << QString();
    QTest::newRow("invalid, silent") << "1234567890" << true << "0" << false << QString();
    QTest::newRow("empty, silent") << "" << true << "1" << false << QString();
    QTest::newRow("ten digits") << "1234567890" << false << "0" << false << "Anna Schmidt";
    QTest::newRow("nation form") << "GER19900101" << false << "1" << false << "Schmidt, Anna";
    QTest::newRow("empty") << "" << false << "1" << false << "Schmidt, Anna";
}

void TestPerson::check()
{
    QFETCH(QString, uciId);
    QFETCH(bool, silent);
    QFETCH(QString, setting);
    QFETCH(bool, valid);
    QFETCH(QString, shownName);
    useNameFormat(setting);
    Athlete a;
    a.setName(QStringLiteral("Anna Schmidt"));
    a.uciId = uciId;

    QCOMPARE(UciLicence::check(a, silent), valid);
    if (shownName.isNull()) {
        QVERIFY(boxes.isEmpty());
        return;
    }
    QCOMPARE(boxes.size(), 1);
    const ShownBox& box = boxes.first();
    QCOMPARE(box.title, QStringLiteral("UCI-Licence"));
    QCOMPARE(box.text, QString::fromUtf8(warningText).arg(shownName));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!box.parent);
    QVERIFY(box.flags.testFlag(Qt::Dialog));
    QVERIFY(box.flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
}

// The name is shown in rich text: a name with markup characters shows as written.
void TestPerson::checkShowsTheNameAsWritten()
{
    useNameFormat("0");
    Athlete a;
    a.setName(QStringLiteral("Anna <b>Schmidt & Co"));
    QVERIFY(!UciLicence::check(a, false));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QString::fromUtf8(warningText).arg("Anna &lt;b&gt;Schmidt &amp; Co"));
}

QTEST_MAIN(TestPerson)
#include "tst_person.moc"
