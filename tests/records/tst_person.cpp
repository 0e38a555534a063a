// Person records: the name formats, splitting a full name, the stored
// simplified texts, and the warning for an athlete without a valid UCI-ID.
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

const char* const warningText =
    "Für den Sportler <b>%1</b> ist nicht die <b>11-stellige UCI-ID</b> als Lizenz hinterlegt!"
    "<br><br>Bitte korrigieren Sie dies!";

} // namespace

class TestPerson : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(db.open(dir.filePath("props.ldb"), false));
        // What the box shows, in one line: title, text, icon, buttons, parent and fixed size.
        UciLicence::setWarningHook([this](QMessageBox& box) {
            boxes << QStringList{box.windowTitle(), box.text(), QString::number(box.icon()),
                                 QString::number(box.standardButtons()), box.parentWidget() ? "parent" : "",
                                 QString::number(box.windowFlags().testFlag(Qt::Dialog)
                                                 && box.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint))}
                         .join('|');
        });
    }

    void cleanup()
    {
        RuvoProps::instance()->setDatabase(nullptr);
        boxes.clear();
    }

    void formatName_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("name");
        QTest::newRow("first last") << "Anna" << "Schmidt" << 0 << "Anna Schmidt";
        QTest::newRow("last, first") << "Anna" << "Schmidt" << 1 << "Schmidt, Anna";
        QTest::newRow("any other format") << "Anna" << "Schmidt" << 7 << "Schmidt, Anna";
        QTest::newRow("no names") << "" << "" << 1 << "";
        QTest::newRow("first only 0") << "Anna" << "" << 0 << "Anna ";
        QTest::newRow("first only 1") << "Anna" << "" << 1 << ", Anna";
        QTest::newRow("last only 1") << "" << "Schmidt" << 1 << "Schmidt, ";
    }

    void formatName()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(int, format);
        QFETCH(QString, name);
        QCOMPARE(named(first, last).formatName(format), name);
    }

    void displayNameFollowsSetting()
    {
        const Person p = named(QStringLiteral("Jörg"), QStringLiteral("Müller-Lüdenscheidt"));
        const QString firstLast = QStringLiteral("Jörg Müller-Lüdenscheidt");
        QCOMPARE(p.displayName(), firstLast);   // no setting
        for (const char* setting : {"0", "1", "2"}) {
            useNameFormat(setting);
            QCOMPARE(p.displayName(), *setting == '1' ? QStringLiteral("Müller-Lüdenscheidt, Jörg") : firstLast);
        }
    }

    void setName_data()
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
        QTest::newRow("white space in last") << "\nvon  Berg, Anna\t Maria " << "Anna Maria" << "von Berg";
        QTest::newRow("empty") << "" << "" << "";
    }

    void setName()
    {
        QFETCH(QString, full);
        QFETCH(QString, first);
        QFETCH(QString, last);
        Person p = named(QStringLiteral("old"), QStringLiteral("old"));
        p.setName(full);
        QCOMPARE(p.Vorname, first);
        QCOMPARE(p.Nachname, last);
    }

    void check_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("uciId");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("shownName");   // null: no box
        const QString anna = QStringLiteral("Anna Schmidt");
        QTest::newRow("valid") << anna << "12345678901" << false << "0" << true << QString();
        QTest::newRow("valid, silent") << anna << "12345678901" << true << "0" << true << QString();
        QTest::newRow("invalid, silent") << anna << "1234567890" << true << "0" << false << QString();
        QTest::newRow("empty, silent") << anna << "" << true << "1" << false << QString();
        QTest::newRow("ten digits") << anna << "1234567890" << false << "0" << false << "Anna Schmidt";
        QTest::newRow("nation form") << anna << "GER19900101" << false << "1" << false << "Schmidt, Anna";
        QTest::newRow("empty") << anna << "" << false << "1" << false << "Schmidt, Anna";
        // The box shows rich text: a name with markup characters shows as written.
        QTest::newRow("markup in the name") << "Anna <b>Schmidt & Co" << "" << false << "0" << false
                                            << "Anna &lt;b&gt;Schmidt &amp; Co";
    }

    void check()
    {
        QFETCH(QString, name);
        QFETCH(QString, uciId);
        QFETCH(bool, silent);
        QFETCH(QString, setting);
        QFETCH(bool, valid);
        QFETCH(QString, shownName);
        useNameFormat(setting);
        Athlete a;
        a.setName(name);
        a.uciId = uciId;

        QCOMPARE(UciLicence::check(a, silent), valid);
        if (shownName.isNull()) {
            QVERIFY(boxes.isEmpty());
            return;
        }
        QCOMPARE(boxes, QStringList("UCI-Licence|" + QString::fromUtf8(warningText).arg(shownName) + "|"
                                    + QString::number(QMessageBox::Warning) + "|"
                                    + QString::number(QMessageBox::Ok) + "||1"));
    }

private:
    void useNameFormat(const QString& value);

    QTemporaryDir dir;
    MessageCatcher messages;
    RuvoDB db;
    QStringList boxes;
};

void TestPerson::useNameFormat(const QString& value)
{
    RuvoProps::instance()->setDatabase(&db);
    QVERIFY(RuvoProps::instance()->set(QStringLiteral("NAMEFORMAT"), value));
}

QTEST_MAIN(TestPerson)
#include "tst_person.moc"
