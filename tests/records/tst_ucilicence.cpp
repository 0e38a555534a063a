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
    void validityAndNation_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("nation");
        QTest::newRow("eleven digits") << "12345678901" << true << "";
        QTest::newRow("zeros") << "00000000000" << true << "";
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
        QCOMPARE(licence.text(), QStringLiteral("12345678901"));
        QVERIFY(licence.isValid());
        licence = QStringLiteral("123 456 789 01");
        QVERIFY(!licence.isValid());
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

};

QTEST_MAIN(TestUciLicence)
#include "tst_ucilicence.moc"
