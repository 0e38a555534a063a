// The store of the current plan: four floor areas, each set record announced
// once, other area numbers refused, and the plan's value semantics.
#include "planner/BelegungsPlanerStore.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/SamplePlan.h"

#include <QtTest>

class TestStore : public QObject
{
    Q_OBJECT
private slots:
    void setDataReplacesTheAreaAndAnnouncesIt()
    {
        BelegungsPlanerStore store;
        QList<QPair<int, TrainingsData>> announced;
        connect(&store, &BelegungsPlanerStore::dataChanged, this,
                [&](int area, const TrainingsData& data) { announced.append({area, data}); });
        const TrainingsData data = samplePlan(1);
        store.setData(1234, 3, data);
        QCOMPARE(announced.size(), 1);
        QCOMPARE(announced[0].first, 3);
        QVERIFY(announced[0].second == data);
        QVERIFY(store.data(3) == data);
        QVERIFY(store.data(1).isEmpty());

        store.setData(1300, 3, TrainingsData());   // cleared
        QCOMPARE(announced.size(), 2);
        QVERIFY(store.data(3).isEmpty());
    }

    void otherAreasAreRefused_data()
    {
        QTest::addColumn<int>("area");
        QTest::newRow("0") << 0;
        QTest::newRow("5") << 5;
        QTest::newRow("-1") << -1;
    }
    void otherAreasAreRefused()
    {
        QFETCH(int, area);
        BelegungsPlanerStore store;
        int announced = 0;
        connect(&store, &BelegungsPlanerStore::dataChanged, this, [&] { ++announced; });
        DebugCapture capture;
        store.setData(1, area, samplePlan(1));
        QCOMPARE(announced, 0);
        QVERIFY(capture.contains(QString("BelegungsPlanerStore::setData: no floor area %1").arg(area)));
        QVERIFY(store.data(area).isEmpty());
    }

    void starterNameKeepsAtMost63Bytes()
    {
        const TrainingsStarterEntry entry(5, QString(70, 'n'));
        QCOMPARE(entry.nameText(), QString(63, 'n'));
        QCOMPARE(entry.name[63], '\0');
        const TrainingsStarterEntry umlauts(5, QString::fromUtf8("Jörg Müller"));
        QCOMPARE(umlauts.nameText(), QString::fromUtf8("Jörg Müller"));
        const TrainingsStarterEntry cut(5, QString(62, 'n') + QString::fromUtf8("ü"));   // 64 bytes
        QCOMPARE(cut.nameText(), QString(62, 'n'));
        QCOMPARE(cut.name[62], '\0');
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
