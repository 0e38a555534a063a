// UCI-IDs: the validity of licence texts, the nation prefix and the edit-field
// validator with its red text.
#include "records/UCIValidator.h"
#include "records/UciLicence.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

class TestUciLicence : public QObject
{
    Q_OBJECT

private slots:
    void validity_data();
    void validity();
    void setRemovesBlanks();
    void nation_data();
    void nation();
    void validatorStates_data();
    void validatorStates();
    void validatorColoursItsField();
    void fieldRefusesBeingEmptied();
};

void TestUciLicence::validity_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("eleven digits") << "12345678901" << true;
    QTest::newRow("zeros") << "00000000000" << true;
    QTest::newRow("ten digits") << "1234567890" << false;
    QTest::newRow("twelve digits") << "123456789012" << false;
    QTest::newRow("blanks between") << "123 456 789 01" << false;
    QTest::newRow("leading blank") << " 12345678901" << false;
    QTest::newRow("letter inside") << "1234567890a" << false;
    QTest::newRow("nation form") << "GER19900101" << false;
    QTest::newRow("arabic-indic digits") << "\xd9\xa1\xd9\xa2\xd9\xa3\xd9\xa4\xd9\xa5\xd9\xa6\xd9\xa7\xd9\xa8\xd9\xa9\xd9\xa0\xd9\xa1" << false;
    QTest::newRow("empty") << "" << false;
}

void TestUciLicence::validity()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(UciLicence::isValid(text), valid);
    UciLicence licence;
    licence = text;
    QCOMPARE(licence.text(), text);
    QCOMPARE(licence.isValid(), valid);
}

void TestUciLicence::setRemovesBlanks()
{
    UciLicence licence;
    QVERIFY(!licence.isValid());
    licence.set(QStringLiteral(" 123 456\t789  01 "));
    QCOMPARE(licence.text(), QStringLiteral("12345678901"));
    QVERIFY(licence.isValid());
    licence = QStringLiteral("123 456 789 01");
    QVERIFY(!licence.isValid());
}

void TestUciLicence::nation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("nation");
    QTest::newRow("GER") << "GER19900101" << "GER";
    QTest::newRow("lower case") << "ger19900101" << "";
    QTest::newRow("seven digits") << "GER1990010" << "";
    QTest::newRow("nine digits") << "GER199001011" << "";
    QTest::newRow("UCI-ID") << "12345678901" << "";
    QTest::newRow("empty") << "" << "";
}

void TestUciLicence::nation()
{
    QFETCH(QString, text);
    QFETCH(QString, nation);
    QCOMPARE(UciLicence::nation(text), nation);
}

void TestUciLicence::validatorStates_data()
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

void TestUciLicence::validatorStates()
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

void TestUciLicence::validatorColoursItsField()
{
    QLineEdit field;
    UCIValidator* validator = new UCIValidator(&field);
    field.setValidator(validator);
    const QColor normal = QPalette().color(field.foregroundRole());
    QVERIFY(normal != QColor(Qt::red));

    QTest::keyClicks(&field, QStringLiteral("1234"));
    QCOMPARE(field.text(), QStringLiteral("1234"));
    QCOMPARE(field.palette().color(QPalette::Active, field.foregroundRole()), QColor(Qt::red));
    QCOMPARE(field.palette().color(QPalette::Inactive, field.foregroundRole()), QColor(Qt::red));
    QCOMPARE(field.palette().color(QPalette::Disabled, field.foregroundRole()), QColor(Qt::red));

    QTest::keyClicks(&field, QStringLiteral("5678901"));
    QCOMPARE(field.text(), QStringLiteral("12345678901"));
    QCOMPARE(field.palette().color(field.foregroundRole()), normal);
}

void TestUciLicence::fieldRefusesBeingEmptied()
{
    QLineEdit field;
    field.setValidator(new UCIValidator(&field));
    QTest::keyClicks(&field, QStringLiteral("x"));
    QCOMPARE(field.text(), QString());
    QTest::keyClicks(&field, QStringLiteral("1"));
    QCOMPARE(field.text(), QStringLiteral("1"));
    QTest::keyClick(&field, Qt::Key_Backspace);
    QCOMPARE(field.text(), QStringLiteral("1"));
}

QTEST_MAIN(TestUciLicence)
#include "tst_ucilicence.moc"
