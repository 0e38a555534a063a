// Person records and UCI-IDs: the name formats, splitting a full name, the
// validity of licence texts with their nation prefix, the warning for an
// athlete without a valid UCI-ID, and the edit-field validator with its red text.
#include "db/RuvoDB.h"
#include "db/RuvoProps.h"
#include "records/Athlete.h"
#include "records/UCIValidator.h"
#include "records/UciLicence.h"
#include "tests/support/MessageCatcher.h"

#include <QLineEdit>
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

    // A full name split, then written first name first and last name first.
    void names_data()
    {
        QTest::addColumn<QString>("full");
        QTest::addColumn<QString>("split");
        QTest::addColumn<QString>("firstLast");
        QTest::addColumn<QString>("lastFirst");
        QTest::newRow("first last") << "Anna Schmidt" << "Anna|Schmidt" << "Anna Schmidt" << "Schmidt, Anna";
        QTest::newRow("rest is the last name") << "Anna Maria von Berg" << "Anna|Maria von Berg" << "Anna Maria von Berg" << "Maria von Berg, Anna";
        QTest::newRow("comma") << "Schmidt, Anna" << "Anna|Schmidt" << "Anna Schmidt" << "Schmidt, Anna";
        QTest::newRow("comma wins over blanks") << "von Berg, Anna Maria" << "Anna Maria|von Berg" << "Anna Maria von Berg" << "von Berg, Anna Maria";
        QTest::newRow("second comma stays") << "Berg, Anna, jr." << "Anna, jr.|Berg" << "Anna, jr. Berg" << "Berg, Anna, jr.";
        QTest::newRow("comma first") << ", Anna" << "Anna|" << "Anna " << ", Anna";
        QTest::newRow("comma last") << "Schmidt," << "|Schmidt" << " Schmidt" << "Schmidt, ";
        QTest::newRow("one word") << "Anna" << "Anna|" << "Anna " << ", Anna";
        QTest::newRow("white space") << "  Anna \t  Maria\n Schmidt " << "Anna|Maria Schmidt" << "Anna Maria Schmidt" << "Maria Schmidt, Anna";
        QTest::newRow("empty") << "" << "|" << "" << "";
    }

    void names()
    {
        QFETCH(QString, full);
        QFETCH(QString, split);
        QFETCH(QString, firstLast);
        QFETCH(QString, lastFirst);
        Person p = named(QStringLiteral("old"), QStringLiteral("old"));
        p.setName(full);
        QCOMPARE(p.Vorname + '|' + p.Nachname, split);
        QCOMPARE(p.formatName(0), firstLast);
        QCOMPARE(p.formatName(1), lastFirst);
        QCOMPARE(p.formatName(7), lastFirst);   // any other format
        QCOMPARE(p.displayName(), firstLast);   // no setting
        for (const char* setting : {"0", "1", "2"}) {
            useNameFormat(setting);
            QCOMPARE(p.displayName(), *setting == '1' ? lastFirst : firstLast);
        }
        RuvoProps::instance()->setDatabase(nullptr);
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

    void validityAndNation_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("nation");
        QTest::newRow("eleven digits") << "12345678901" << true << "";
        QTest::newRow("ten digits") << "1234567890" << false << "";
        QTest::newRow("twelve digits") << "123456789012" << false << "";
        QTest::newRow("blanks between") << "123 456 789 01" << false << "";
        QTest::newRow("leading blank") << " 12345678901" << false << "";
        QTest::newRow("letter inside") << "1234567890a" << false << "";
        QTest::newRow("arabic-indic digits")
            << "\xd9\xa1\xd9\xa2\xd9\xa3\xd9\xa4\xd9\xa5\xd9\xa6\xd9\xa7\xd9\xa8\xd9\xa9\xd9\xa0\xd9\xa1" << false << "";
        QTest::newRow("nation form") << "GER19900101" << false << "GER";
        QTest::newRow("nation lower case") << "ger19900101" << false << "";
        QTest::newRow("nation, seven digits") << "GER1990010" << false << "";
        QTest::newRow("nation, nine digits") << "GER199001011" << false << "";
        QTest::newRow("empty") << "" << false << "";
    }

    void validityAndNation()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, nation);
        QCOMPARE(UciLicence::isValid(text), valid);
        QCOMPARE(UciLicence::nation(text), nation);
        UciLicence licence;
        licence = text;
        QCOMPARE(licence.text(), text);
        QCOMPARE(licence.isValid(), valid);
    }

    void setRemovesBlanks()
    {
        UciLicence licence;
        QVERIFY(!licence.isValid());
        licence.set(QStringLiteral(" 123 456\t789  01 "));
        QVERIFY(licence.text() == QStringLiteral("12345678901") && licence.isValid());
    }

    void validatorStates_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("state");
        QTest::newRow("complete") << "12345678901" << int(QValidator::Acceptable);
        QTest::newRow("four digits") << "1234" << int(QValidator::Intermediate);
        QTest::newRow("too long") << "123456789012" << int(QValidator::Intermediate);
        QTest::newRow("digit then letter") << "12a" << int(QValidator::Intermediate);
        QTest::newRow("empty") << "" << int(QValidator::Invalid);
        QTest::newRow("letter first") << "a1234" << int(QValidator::Invalid);
        QTest::newRow("blank first") << " 1234" << int(QValidator::Invalid);
    }

    void validatorStates()
    {
        QFETCH(QString, input);
        QFETCH(int, state);
        UCIValidator validator(nullptr);
        QString text = input;
        int pos = 2;
        QCOMPARE(int(validator.validate(text, pos)), state);
        QCOMPARE(text, input);
        QCOMPARE(pos, 2);
    }

    void validatorColoursItsField()
    {
        QLineEdit field;
        UCIValidator* validator = new UCIValidator(&field);
        field.setValidator(validator);
        const QColor normal = QPalette().color(field.foregroundRole());
        QVERIFY(normal != QColor(Qt::red));

        QTest::keyClicks(&field, QStringLiteral("x1234"));   // a letter first is refused
        QCOMPARE(field.text(), QStringLiteral("1234"));
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            QCOMPARE(field.palette().color(group, field.foregroundRole()), QColor(Qt::red));

        QTest::keyClicks(&field, QStringLiteral("5678901"));
        QCOMPARE(field.text(), QStringLiteral("12345678901"));
        QCOMPARE(field.palette().color(field.foregroundRole()), normal);

        // The field is never emptied.
        field.clear();
        QTest::keyClicks(&field, QStringLiteral("1"));
        QTest::keyClick(&field, Qt::Key_Backspace);
        QCOMPARE(field.text(), QStringLiteral("1"));
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
