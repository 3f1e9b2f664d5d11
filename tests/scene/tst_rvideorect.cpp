#include "VisoraTest.h"

#include "RVideoRect.h"

namespace {

QImage renderFrame(RVideoRect &w, const QRegion &region = QRegion())
{
    QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    w.render(&image, region.isEmpty() ? QPoint() : region.boundingRect().topLeft(), region,
             QWidget::RenderFlags());
    return image;
}

int yellowPixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += (c.alpha() > 0 && c.red() > 200 && c.green() > 200 && c.blue() < 50) ? 1 : 0;
        }
    return n;
}

const QList<QPoint> kFirst{{20, 20}, {280, 30}, {270, 180}, {30, 170}};

} // namespace

class TestRVideoRect : public QObject
{
    Q_OBJECT
private slots:
    void corners_data();
    void corners();
    void lineWidth_data();
    void lineWidth();
    void partialRepaintDrawsTheSameLine_data();
    void partialRepaintDrawsTheSameLine();
};

void TestRVideoRect::corners_data()
{
    QTest::addColumn<QList<QPoint>>("second");
    QTest::addColumn<QList<QPoint>>("expected");

    const QList<QPoint> other{{50, 40}, {250, 40}, {250, 160}, {50, 160}};
    QTest::newRow("four points replace") << other << other;
    QTest::newRow("five points use the first four") << (QList<QPoint>(other) << QPoint(1, 1)) << other;
    QTest::newRow("three points are ignored") << other.mid(0, 3) << kFirst;
    QTest::newRow("empty list is ignored") << QList<QPoint>{} << kFirst;
}

void TestRVideoRect::corners()
{
    QFETCH(QList<QPoint>, second);
    QFETCH(QList<QPoint>, expected);

    RVideoRect frame;
    frame.resize(300, 200);
    QVERIFY(!frame.hasPoints());
    QCOMPARE(yellowPixels(renderFrame(frame)), 0);
    frame.setPoints(kFirst.mid(0, 3));
    QVERIFY(!frame.hasPoints());

    frame.setPoints(kFirst);
    frame.setPoints(second);
    QVERIFY(frame.hasPoints());
    QCOMPARE(frame.points(), expected);
    // The frame is drawn through the kept corners: a point on its first edge is yellow.
    const QImage image = renderFrame(frame);
    QVERIFY(yellowPixels(image) > 0);
    const QPoint onEdge = (expected.at(0) + expected.at(1)) / 2;
    QVERIFY(qAlpha(image.pixel(onEdge)) > 0);
}

void TestRVideoRect::lineWidth_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("line");

    QTest::newRow("full hd picture") << 1920 << 6;
    QTest::newRow("4k picture") << 3840 << 12;
    QTest::newRow("small picture") << 640 << 2;
    QTest::newRow("below 300 gives the thinnest line") << 299 << 0;
}

void TestRVideoRect::lineWidth()
{
    QFETCH(int, width);
    QFETCH(int, line);

    RVideoRect frame;
    frame.resize(width, 200);
    QCOMPARE(frame.lineWidth(), line);
    frame.setPoints({{10, 100}, {width - 10, 100}, {width - 10, 150}, {10, 150}});
    // Thickness of the top edge, measured in the middle column.
    const QImage image = renderFrame(frame);
    int run = 0;
    for (int y = 80; y < 120; ++y)
        run += qAlpha(image.pixel(width / 2, y)) > 0 ? 1 : 0;
    QVERIFY2(qAbs(run - qMax(1, line)) <= 1, qPrintable(QString("run %1").arg(run)));
}

void TestRVideoRect::partialRepaintDrawsTheSameLine_data()
{
    QTest::addColumn<QRect>("part");

    QTest::newRow("narrow strip") << QRect(500, 0, 120, 400);
    QTest::newRow("small square at a corner") << QRect(80, 80, 60, 60);
    QTest::newRow("whole widget") << QRect(0, 0, 1200, 400);
}

void TestRVideoRect::partialRepaintDrawsTheSameLine()
{
    QFETCH(QRect, part);

    RVideoRect frame;
    frame.resize(1200, 400);
    frame.setPoints({{100, 100}, {1100, 90}, {1080, 330}, {110, 320}});
    const QImage full = renderFrame(frame);
    const QImage partial = renderFrame(frame, QRegion(part));
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x)
            if (full.pixel(x, y) != partial.pixel(x, y))
                QFAIL(qPrintable(QString("pixel %1,%2 differs").arg(x).arg(y)));
}

VISORA_TEST_MAIN(TestRVideoRect)
#include "tst_rvideorect.moc"
