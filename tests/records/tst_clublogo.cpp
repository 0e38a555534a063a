// Club logos: scaled into their limit, stored as PNG bytes that replace the
// old ones, re-stored under a new limit, and no logo for bytes that are no image.
#include "records/ClubLogo.h"

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QRandomGenerator>
#include <QtTest>

namespace {

QPixmap picture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return QPixmap::fromImage(image);
}

QSize storedSize(const ClubLogo& logo)
{
    QImage image;
    return image.loadFromData(logo.data, "PNG") ? image.size() : QSize();
}

} // namespace

class TestClubLogo : public QObject
{
    Q_OBJECT
private slots:
    void scaledIntoLimit_data()
    {
        QTest::addColumn<QSize>("limit");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("stored");
        QTest::newRow("too wide") << QSize(300, 300) << QSize(600, 300) << QSize(300, 150);
        QTest::newRow("too high") << QSize(300, 300) << QSize(100, 900) << QSize(33, 300);
        QTest::newRow("within") << QSize(300, 300) << QSize(200, 100) << QSize(200, 100);
        QTest::newRow("no limit") << QSize(-1, -1) << QSize(900, 20) << QSize(900, 20);
    }

    void scaledIntoLimit()
    {
        QFETCH(QSize, limit);
        QFETCH(QSize, picture);
        QFETCH(QSize, stored);
        ClubLogo logo(limit);
        QVERIFY(logo.setPixmap(::picture(picture.width(), picture.height())));
        QVERIFY(logo.data.startsWith("\x89PNG"));
        QCOMPARE(storedSize(logo), stored);
    }

    void newImageReplacesOldBytes()
    {
        ClubLogo logo(QSize(300, 300));
        QImage noise(300, 300, QImage::Format_RGB32);   // hardly compressible: a long PNG
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.bits()), 300 * 300);
        QVERIFY(logo.setPixmap(QPixmap::fromImage(noise)));
        const int large = logo.data.size();
        QVERIFY(logo.setPixmap(picture(10, 10)));
        ClubLogo fresh(QSize(300, 300));
        QVERIFY(fresh.setPixmap(picture(10, 10)));
        QVERIFY(logo.data.size() < large);
        QCOMPARE(logo.data, fresh.data);
    }

    void otherFormatsAndNewLimits()
    {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && picture(600, 300).save(&buffer, "JPG"));
        ClubLogo logo(QSize(300, 300));
        QVERIFY(logo.setData(jpeg));
        QCOMPARE(storedSize(logo), QSize(300, 150));
        QVERIFY(logo.setMaxSize(QSize(100, 100)));
        QCOMPARE(storedSize(logo), QSize(100, 50));

        QVERIFY(!logo.setData("no image at all"));
        QVERIFY(logo.data.isEmpty());
        QVERIFY(!logo.setMaxSize(QSize(50, 50)));
        QVERIFY(!logo.setPixmap(QPixmap()));
    }
};

QTEST_MAIN(TestClubLogo)
#include "tst_clublogo.moc"
