#include "VisoraTest.h"

#include "RResolutionRule.h"

Q_DECLARE_METATYPE(RResolutionRule::Rule)

class TestRResolutionRule : public QObject
{
    Q_OBJECT

    static QList<QSize> sizes(const QStringList &list)
    {
        QList<QSize> out;
        for (const QString &s : list) {
            const QStringList wh = s.split('x');
            out << QSize(wh.at(0).toInt(), wh.at(1).toInt());
        }
        return out;
    }

private slots:
    void choose_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<RResolutionRule::Rule>("rule");
        QTest::addColumn<int>("index");
        QTest::addColumn<QSize>("max");
        QTest::addColumn<QString>("rec");
        const auto L = RResolutionRule::LargestHeight;
        const auto O = RResolutionRule::OlderSystem;
        const QStringList five{"640x480", "800x600", "1280x720", "1920x1080", "3264x2448"};
        QTest::newRow("largest height is the tallest") << five << L << 4 << QSize(3264, 2448)
                                                       << "640x480;800x600;1280x720;1920x1080;";
        QTest::newRow("older system takes height 1001..1499") << five << O << 3 << QSize(0, 0)
                                                              << "640x480;800x600;1280x720;1920x1080;";
        QTest::newRow("recorder sizes only when exact") << QStringList{"1920x1088", "1280x721", "800x600"} << L << 0
                                                        << QSize(1920, 1088) << "800x600;";
        QTest::newRow("empty list") << QStringList{} << L << 0 << QSize(0, 0) << "";
        QTest::newRow("zero heights never count") << QStringList{"0x0"} << L << 0 << QSize(0, 0) << "";
    }

    void choose()
    {
        QFETCH(QStringList, list);
        QFETCH(RResolutionRule::Rule, rule);
        const RResolutionRule::Choice c = RResolutionRule::choose(sizes(list), rule);
        QTEST(c.defaultIndex, "index");
        QTEST(QSize(c.maxWidth, c.maxHeight), "max");
        QTEST(c.recordingText, "rec");
    }

    // A reopen goes back to the size in use, wherever the device lists it now.
    void reopenIndex_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QSize>("preferred");
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("expected");
        const QStringList full{"640x480", "1280x720", "1920x1080", "3264x2448"};
        const QStringList usb2{"640x480", "1280x720"};
        QTest::newRow("first open: no index gives the default") << full << QSize() << -1 << 3;
        QTest::newRow("first open: index just past the list gives the default") << usb2 << QSize() << 2 << 1;
        QTest::newRow("size in use is offered at another index") << full << QSize(3264, 2448) << 1 << 3;
        QTest::newRow("size in use not offered: the default") << usb2 << QSize(3264, 2448) << 1 << 1;
    }

    void reopenIndex()
    {
        QFETCH(QStringList, list);
        QFETCH(QSize, preferred);
        QFETCH(int, requested);
        const QList<QSize> all = sizes(list);
        const int def = RResolutionRule::choose(all, RResolutionRule::LargestHeight).defaultIndex;
        QTEST(RResolutionRule::reopenIndex(all, preferred, requested, def), "expected");
    }
};

VISORA_TEST_MAIN(TestRResolutionRule)
#include "tst_rresolutionrule.moc"
