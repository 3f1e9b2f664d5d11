#include "VisoraTest.h"

#include "RKeystone.h"

#include "PageOnDesk.h"

class TestRKeystone : public QObject
{
    Q_OBJECT
private slots:
    void correctsTiltedPages_data()
    {
        QTest::addColumn<QSizeF>("page");
        QTest::addColumn<double>("tiltX");
        QTest::addColumn<double>("tiltY");
        QTest::addColumn<double>("spin");
        QTest::addColumn<double>("focal"); // in pixels of a 1600 x 1200 picture
        QTest::addColumn<double>("ratioTolerance");
        const QSizeF a4(210, 297), landscape(297, 210);
        // Edges converging both ways tell the lens; one pair parallel leaves
        // it to the assumed lens, so the wider lenses err more there.
        QTest::newRow("flat, straight above") << a4 << 0.0 << 0.0 << 0.0 << 1300.0 << 0.01;
        QTest::newRow("leaning both ways and turned") << a4 << 17.0 << 17.0 << -9.0 << 1300.0 << 0.02;
        QTest::newRow("landscape page leaning back, long lens") << landscape << -20.0 << 10.0 << 5.0 << 2000.0 << 0.02;
        QTest::newRow("leaning 25 degrees forward, wide lens") << a4 << 25.0 << 0.0 << 0.0 << 1100.0 << 0.08;
        QTest::newRow("leaning 25 degrees sideways, long lens") << a4 << 0.0 << -25.0 << 0.0 << 2000.0 << 0.05;
    }

    void correctsTiltedPages()
    {
        QFETCH(QSizeF, page);
        QFETCH(double, tiltX);
        QFETCH(double, tiltY);
        QFETCH(double, spin);
        QFETCH(double, focal);
        QFETCH(double, ratioTolerance);
        // The page's units at twice their size in pixels when flat.
        const PageOnDesk::Shot shot = PageOnDesk::photograph(QSize(1600, 1200), page, tiltX, tiltY, spin, focal, focal / 2);
        const double pageRatio = page.width() / page.height();

        const RKeystone::Quad quad = RKeystone::detect(shot.image);
        QVERIFY(quad.quadFound);
        const QSize size = RKeystone::outputSize(quad.corners, shot.image.size());
        const double ratio = double(size.width()) / size.height();
        QVERIFY2(std::abs(ratio / pageRatio - 1) < ratioTolerance,
                 qPrintable(QString("ratio %1, page %2").arg(ratio).arg(pageRatio)));

        // Corners in order, close to the true ones; the corrected picture is the
        // page alone, upright (its red mark top-left), page colour inside every corner.
        const double tolerance = 0.01 * std::max(size.width(), size.height());
        for (int i = 0; i < 4; ++i)
            QVERIFY2(QLineF(quad.corners[i], shot.corners[i]).length() <= tolerance,
                     qPrintable(QString("corner %1").arg(i)));
        const QImage flat = RKeystone::warp(shot.image, quad.corners);
        QCOMPARE(flat.size(), size);
        const QRgb mark = flat.pixel(size.width() * 9 / 100, size.height() * 9 / 100);
        QVERIFY(qRed(mark) > 150 && qGreen(mark) < 90);
        const int dx = size.width() / 30, dy = size.height() / 30;
        for (const QPoint p : {QPoint(dx, dy), QPoint(size.width() - dx, dy), QPoint(size.width() - dx, size.height() - dy),
                               QPoint(dx, size.height() - dy)})
            QVERIFY2(qGray(flat.pixel(p)) > 200, qPrintable(QString("desk at %1,%2").arg(p.x()).arg(p.y())));
    }

    // Corners none: what detection gives; otherwise corners that make no page.
    void nothingToCorrect_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QList<QPointF>>("corners");
        QImage blank(320, 240, QImage::Format_RGB32);
        blank.fill(Qt::gray);
        QTest::newRow("null picture") << QImage() << QList<QPointF>();
        QTest::newRow("blank desk") << blank << QList<QPointF>();
        QTest::newRow("all on one line") << blank << QList<QPointF>{{10, 10}, {100, 10}, {200, 10}, {300, 10}};
        QTest::newRow("crossed") << blank << QList<QPointF>{{10, 10}, {300, 200}, {300, 10}, {10, 200}};
        QTest::newRow("three corners") << blank << QList<QPointF>{{10, 10}, {300, 10}, {300, 200}};
    }

    void nothingToCorrect()
    {
        QFETCH(QImage, image);
        QFETCH(QList<QPointF>, corners);
        if (corners.isEmpty())
            QVERIFY(!RKeystone::detect(image).isValid());
        QVERIFY(RKeystone::warp(image, corners).isNull());
    }
};

VISORA_TEST_MAIN(TestRKeystone)
#include "tst_rkeystone.moc"
