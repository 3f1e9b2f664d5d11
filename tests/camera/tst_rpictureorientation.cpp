#include "VisoraTest.h"

#include "RPictureOrientation.h"

#include <cmath>

// Every pixel a colour of its own, so any misplaced pixel shows.
static QImage numbered(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 20, y * 20, 7));
    return img;
}

class TestRPictureOrientation : public QObject
{
    Q_OBJECT
private slots:
    void apply_data()
    {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<bool>("mirror");
        QTest::addColumn<bool>("flip");
        QTest::addColumn<QPoint>("topLeftLands"); // where camera pixel (0, 0) ends up
        QTest::newRow("mirror swaps left and right") << 0 << true << false << QPoint(4, 0);
        QTest::newRow("flip swaps top and bottom") << 0 << false << true << QPoint(0, 2);
        QTest::newRow("mirror and flip is a half turn") << 0 << true << true << QPoint(4, 2);
        QTest::newRow("quarter turn alone") << 90 << false << false << QPoint(2, 0);
        QTest::newRow("mirror then quarter turn") << 90 << true << false << QPoint(2, 4);
        QTest::newRow("mirror flip and half turn cancel") << 180 << true << true << QPoint(0, 0);
        QTest::newRow("mirror then three quarters") << 270 << true << false << QPoint(0, 0);
        QTest::newRow("negative rotation is the same turn") << -90 << true << false << QPoint(0, 0);
    }
    void apply()
    {
        QFETCH(int, rotation);
        QFETCH(bool, mirror);
        QFETCH(bool, flip);
        const QImage in = numbered(5, 3);
        const QImage out = RPictureOrientation::apply(in, rotation, mirror, flip);
        const QTransform t = RPictureOrientation::transform(in.size(), rotation, mirror, flip);
        QCOMPARE(out.size(), t.mapRect(QRectF(in.rect())).size().toSize());
        // The pixels go exactly where the transform sends their centres.
        for (int y = 0; y < in.height(); ++y) {
            for (int x = 0; x < in.width(); ++x) {
                const QPointF c = t.map(QPointF(x + 0.5, y + 0.5));
                const QPoint at(int(std::floor(c.x())), int(std::floor(c.y())));
                QCOMPARE(out.pixel(at), in.pixel(x, y));
            }
        }
        const QPointF c = t.map(QPointF(0.5, 0.5));
        QTEST(QPoint(int(std::floor(c.x())), int(std::floor(c.y()))), "topLeftLands");
    }
};

VISORA_TEST_MAIN(TestRPictureOrientation)
#include "tst_rpictureorientation.moc"
