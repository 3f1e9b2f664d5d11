#include "VisoraTest.h"

#include "RResolutionRule.h"

class TestRResolutionRule : public QObject
{
    Q_OBJECT
private slots:
    void choose_data()
    {
        QTest::addColumn<QList<QSize>>("list");
        QTest::addColumn<int>("index");
        QTest::addColumn<QSize>("max");
        QTest::addColumn<QString>("rec");
        const QList<QSize> five{{640, 480}, {800, 600}, {1280, 720}, {1920, 1080}, {3264, 2448}};
        QTest::newRow("largest height is the tallest") << five << 4 << QSize(3264, 2448)
                                                       << "640x480;800x600;1280x720;1920x1080;";
        QTest::newRow("recorder sizes only when exact") << QList<QSize>{{1920, 1088}, {1280, 721}, {800, 600}} << 0
                                                        << QSize(1920, 1088) << "800x600;";
        QTest::newRow("empty list") << QList<QSize>{} << 0 << QSize(0, 0) << "";
        QTest::newRow("zero heights never count") << QList<QSize>{{0, 0}} << 0 << QSize(0, 0) << "";
    }

    void choose()
    {
        QFETCH(QList<QSize>, list);
        const RResolutionRule::Choice c = RResolutionRule::choose(list, RResolutionRule::LargestHeight);
        QTEST(c.defaultIndex, "index");
        QTEST(QSize(c.maxWidth, c.maxHeight), "max");
        QTEST(c.recordingText, "rec");
    }

    // A reopen goes back to the size in use, wherever the device lists it now.
    void reopenIndex_data()
    {
        QTest::addColumn<QList<QSize>>("list");
        QTest::addColumn<QSize>("preferred");
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("expected");
        const QList<QSize> full{{640, 480}, {1280, 720}, {1920, 1080}, {3264, 2448}};
        const QList<QSize> usb2{{640, 480}, {1280, 720}};
        QTest::newRow("first open: no index gives the default") << full << QSize() << -1 << 3;
        QTest::newRow("first open: index just past the list gives the default") << usb2 << QSize() << 2 << 1;
        QTest::newRow("size in use is offered at another index") << full << QSize(3264, 2448) << 1 << 3;
        QTest::newRow("size in use not offered: the default") << usb2 << QSize(3264, 2448) << 1 << 1;
    }

    void reopenIndex()
    {
        QFETCH(QList<QSize>, list);
        QFETCH(QSize, preferred);
        QFETCH(int, requested);
        const int def = RResolutionRule::choose(list, RResolutionRule::LargestHeight).defaultIndex;
        QTEST(RResolutionRule::reopenIndex(list, preferred, requested, def), "expected");
    }
};

VISORA_TEST_MAIN(TestRResolutionRule)
#include "tst_rresolutionrule.moc"
