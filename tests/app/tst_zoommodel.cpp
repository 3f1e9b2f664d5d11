#include "RZoomModel.h"
#include "VisoraTest.h"

#include <cmath>

class TestZoomModel : public QObject
{
    Q_OBJECT
    // Level 250 shows the picture one to one; every 50 levels double it.
    static double levelFactor(int level) { return std::pow(2.0, (level - 250) / 50.0); }

private slots:
    // The wheel moves four levels a notch, truncated, and stops at 125.
    void step_data()
    {
        QTest::addColumn<bool>("wheel");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("level");
        QTest::newRow("doubling") << false << 250 << 50 << 300;
        QTest::newRow("below zero clamps to zero") << false << 2 << -4 << 0;
        QTest::newRow("above top clamps") << false << 498 << 4 << 500;
        QTest::newRow("one notch up is four levels") << true << 250 << 120 << 254;
        QTest::newRow("half notch truncates toward zero") << true << 250 << 45 << 251;
        QTest::newRow("wheel stops at 125") << true << 126 << -120 << 125;
    }

    void step()
    {
        QFETCH(bool, wheel);
        QFETCH(int, current);
        QFETCH(int, delta);
        QFETCH(int, level);
        const auto step = wheel ? RZoomModel::wheel(current, delta) : RZoomModel::zoomBy(current, delta);
        QCOMPARE(step.level, level);
        QVERIFY(qFuzzyCompare(step.factor, levelFactor(level)));
    }

    void fit_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("angle");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("level");
        QTest::newRow("same size is one to one") << QSize(1920, 1080) << QSize(1920, 1080) << 0 << true << 250;
        // Turned: 1080 x 1920 into 1920 x 1080 gives s = 0.5625, 50*log2 = -41.5 -> -41.
        QTest::newRow("quarter turn swaps sides") << QSize(1920, 1080) << QSize(1920, 1080) << 90 << true << 209;
        QTest::newRow("small picture grows") << QSize(1920, 1080) << QSize(640, 480) << 0 << true << 250 + 58;
        QTest::newRow("no picture") << QSize(1920, 1080) << QSize(0, 0) << 0 << false << 0;
        QTest::newRow("no window") << QSize(0, 0) << QSize(640, 480) << 0 << false << 0;
    }

    void fit()
    {
        QFETCH(QSize, window);
        QFETCH(QSize, picture);
        QFETCH(int, angle);
        QFETCH(bool, ok);
        QFETCH(int, level);
        RZoomModel::Step step{-1, -1};
        QCOMPARE(RZoomModel::fit(window, picture, angle, &step), ok);
        if (ok) {
            QCOMPARE(step.level, level);
            QVERIFY(qFuzzyCompare(step.factor, levelFactor(level)));
        }
    }
};

VISORA_TEST_MAIN(TestZoomModel)
#include "tst_zoommodel.moc"
