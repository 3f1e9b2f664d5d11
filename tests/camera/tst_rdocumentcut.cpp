#include "VisoraTest.h"

#include "RImageProc.h"

#include "PageOnDesk.h"

// How far the found corner nearest to any true one lies from it, at worst.
static double cornerError(const QPolygonF &truth, const QList<QPoint> &corners)
{
    double worst = 0;
    for (const QPointF &t : truth) {
        double nearest = 1e9;
        for (const QPoint &c : corners)
            nearest = qMin(nearest, QLineF(t, QPointF(c)).length());
        worst = qMax(worst, nearest);
    }
    return worst;
}

class TestRDocumentCut : public QObject
{
    Q_OBJECT
private slots:
    void pageIsFoundAndCutUpright_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("page");
        QTest::addColumn<double>("tilt");
        QTest::addColumn<int>("format");
        const QSize frame(960, 720), landscape(600, 420), portrait(380, 540);
        QTest::newRow("tilted +7") << frame << landscape << 7.0 << int(QImage::Format_RGB32);
        QTest::newRow("portrait page -30") << frame << portrait << -30.0 << int(QImage::Format_RGB888);
        QTest::newRow("tilted -20, ARGB32") << frame << landscape << -20.0 << int(QImage::Format_ARGB32);
    }
    void pageIsFoundAndCutUpright()
    {
        QFETCH(QSize, frame);
        QFETCH(QSize, page);
        QFETCH(double, tilt);
        QFETCH(int, format);
        // A flat page turned on the desk, its units the picture's pixels.
        PageOnDesk::Shot s = PageOnDesk::photograph(frame, page, 0, 0, tilt, 1000);
        s.image = s.image.convertToFormat(QImage::Format(format));
        RRotatedRect rect;
        const QList<QPoint> corners = RImageProc::detectRect(s.image, &rect);
        QCOMPARE(corners.size(), 4);
        QVERIFY(cornerError(s.corners, corners) < 5.0);
        QVERIFY(rect.isValid());

        const QImage cut = RImageProc::cutRotatedRect(s.image, rect);
        QVERIFY(qAbs(cut.width() - page.width()) <= 5);
        QVERIFY(qAbs(cut.height() - page.height()) <= 5);
        // Upright and not mirrored: the page's only red mark is top-left.
        const QRgb mark = cut.pixel(int(cut.width() * 0.09), int(cut.height() * 0.09));
        QVERIFY(qRed(mark) > 150 && qGreen(mark) < 90 && qBlue(mark) < 90);
    }

    // Nothing found keeps the rectangle as it was.
    void nothingFoundKeepsTheRectangle_data()
    {
        QTest::addColumn<QImage>("image");
        QImage uniform(320, 240, QImage::Format_RGB32);
        uniform.fill(QColor(128, 128, 128));
        QTest::newRow("uniform picture") << uniform;
        QTest::newRow("null picture") << QImage();
        QTest::newRow("one pixel") << QImage(1, 1, QImage::Format_RGB32);
    }
    void nothingFoundKeepsTheRectangle()
    {
        QFETCH(QImage, image);
        RRotatedRect rect;
        rect.width = 22;
        QVERIFY(RImageProc::detectRect(image, &rect).isEmpty());
        QCOMPARE(rect.width, 22.0f);
    }

    void degenerateCutGivesNullPicture_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<RRotatedRect>("rect"); // centre, width, height, angle
        QImage frame(64, 48, QImage::Format_RGB32);
        frame.fill(Qt::white);
        QTest::newRow("null picture") << QImage() << RRotatedRect{10, 10, 20, 20, -90};
        QTest::newRow("zero width") << frame << RRotatedRect{10, 10, 0, 20, -90};
        QTest::newRow("rounds to nothing") << frame << RRotatedRect{10, 10, 20, 0.4f, -90};
        QTest::newRow("not a number") << frame << RRotatedRect{float(qQNaN()), 10, 20, 20, -90};
        QTest::newRow("absurdly large") << frame << RRotatedRect{10, 10, 1e7f, 1e7f, -90};
    }
    void degenerateCutGivesNullPicture()
    {
        QFETCH(QImage, image);
        QFETCH(RRotatedRect, rect);
        QVERIFY(RImageProc::cutRotatedRect(image, rect).isNull());
    }

    // The live tick: the frame as a backend delivers it (maybe reduced, maybe
    // turned), the corners where the viewfinder shows the page.
    void liveTickFindsThePageWhereShown_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<int>("turn");
        QTest::addColumn<QPoint>("placedAt"); // where the viewfinder draws the frame, at its own scale
        const int none = RImageProc::kNoFlip;
        QTest::newRow("camera frame, reduced") << QSize(3264, 2448) << QSize(3264, 2448) << none << QPoint(0, 0);
        QTest::newRow("letterboxed in a wider view") << QSize(1280, 960) << QSize(1920, 960) << none << QPoint(320, 0);
        QTest::newRow("delivered upside down") << QSize(1600, 1200) << QSize(1600, 1200) << 0 << QPoint(0, 0);
    }
    void liveTickFindsThePageWhereShown()
    {
        QFETCH(QSize, frame);
        QFETCH(QSize, target);
        QFETCH(int, turn);
        QFETCH(QPoint, placedAt);
        const PageOnDesk::Shot s = PageOnDesk::photograph(frame, frame * 0.6, 0, 0, 7.0, 1000);
        const QImage shown = s.image.scaledToWidth(48, Qt::SmoothTransformation);
        QImage delivered = s.image;
        if (turn != RImageProc::kNoFlip)
            delivered = s.image.mirrored(turn != 0, turn != 1);
        RRotatedRect rect;
        const QList<QPoint> corners = RImageProc::detectRectShown(delivered, 1024, target, shown, &rect);
        QCOMPARE(corners.size(), 4);
        // The reduced picture's pixels, plus the edge work's own slack.
        const double tolerance = 5.0 * qMax(1.0, frame.width() / 1024.0);
        const QPolygonF truth = s.corners.translated(placedAt);
        QVERIFY(cornerError(truth, corners) < tolerance);
        QVERIFY(QLineF(truth.boundingRect().center(), QPointF(rect.cx, rect.cy)).length() < tolerance);
        QVERIFY(qAbs(qMax(rect.width, rect.height) - frame.width() * 0.6) < 2 * tolerance);
    }

    void matchingFlip_data()
    {
        QTest::addColumn<int>("turn");
        QTest::addColumn<bool>("blank");
        QTest::addColumn<int>("flip");
        QTest::newRow("mirrored") << 1 << false << 1; // as shown and upside down: the live tick's rows
        QTest::newRow("blank picture stays as delivered") << 0 << true << int(RImageProc::kNoFlip);
    }
    void matchingFlip()
    {
        QFETCH(int, turn);
        QFETCH(bool, blank);
        QImage picture = PageOnDesk::photograph(QSize(640, 480), QSize(380, 260), 0, 0, 5.0, 1000).image;
        if (blank)
            picture.fill(QColor(200, 200, 200));
        const QImage shown = picture.scaledToWidth(48, Qt::SmoothTransformation);
        QTEST(RImageProc::matchingFlip(picture.mirrored(turn != 0, turn != 1), shown), "flip");
    }
};

VISORA_TEST_MAIN(TestRDocumentCut)
#include "tst_rdocumentcut.moc"
