#include "VisoraTest.h"

#include "RImageProc.h"

#include "PageOnDesk.h"

// A flat page turned by `tilt` on the desk, its units the picture's pixels.
static PageOnDesk::Shot pageOnDesk(QSize frame, QSizeF page, double tilt, QImage::Format format = QImage::Format_RGB32)
{
    PageOnDesk::Shot shot = PageOnDesk::photograph(frame, page, 0, 0, tilt, 1000);
    shot.image = shot.image.convertToFormat(format);
    return shot;
}

static bool isRed(QRgb c)
{
    return qRed(c) > 150 && qGreen(c) < 90 && qBlue(c) < 90;
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
        QTest::newRow("portrait page +7") << frame << portrait << 7.0 << int(QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("portrait page -30") << frame << portrait << -30.0 << int(QImage::Format_RGB888);
        QTest::newRow("tilted -20, ARGB32") << frame << landscape << -20.0 << int(QImage::Format_ARGB32);
    }
    void pageIsFoundAndCutUpright()
    {
        QFETCH(QSize, frame);
        QFETCH(QSize, page);
        QFETCH(double, tilt);
        QFETCH(int, format);
        const PageOnDesk::Shot s = pageOnDesk(frame, page, tilt, QImage::Format(format));
        RRotatedRect rect;
        const QList<QPoint> corners = RImageProc::detectRect(s.image, &rect);
        QCOMPARE(corners.size(), 4);
        for (const QPointF &truth : s.corners) {
            double nearest = 1e9;
            for (const QPoint &c : corners)
                nearest = qMin(nearest, QLineF(truth, QPointF(c)).length());
            QVERIFY2(nearest < 5.0, qPrintable(QStringLiteral("corner off by %1").arg(nearest)));
        }
        QVERIFY(rect.isValid());

        const QImage cut = RImageProc::cutRotatedRect(s.image, rect);
        QVERIFY(qAbs(cut.width() - page.width()) <= 5);
        QVERIFY(qAbs(cut.height() - page.height()) <= 5);
        // Upright and not mirrored: the marker is top-left and nowhere else.
        const int mx = int(cut.width() * 0.09), my = int(cut.height() * 0.09);
        QVERIFY(isRed(cut.pixel(mx, my)));
        QVERIFY(!isRed(cut.pixel(cut.width() - 1 - mx, my)));
        QVERIFY(!isRed(cut.pixel(mx, cut.height() - 1 - my)));
        QVERIFY(!isRed(cut.pixel(cut.width() - 1 - mx, cut.height() - 1 - my)));
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
        rect.cx = 11;
        rect.width = 22;
        rect.height = 33;
        QVERIFY(RImageProc::detectRect(image, &rect).isEmpty());
        QCOMPARE(rect.cx, 11.0f);
        QCOMPARE(rect.width, 22.0f);
        QCOMPARE(rect.height, 33.0f);
    }

    void degenerateCutGivesNullPicture_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRectF>("box");
        QImage frame(64, 48, QImage::Format_RGB32);
        frame.fill(Qt::white);
        QTest::newRow("null picture") << QImage() << QRectF(10, 10, 20, 20);
        QTest::newRow("zero width") << frame << QRectF(10, 10, 0, 20);
        QTest::newRow("rounds to nothing") << frame << QRectF(10, 10, 20, 0.4);
        QTest::newRow("not a number") << frame << QRectF(qQNaN(), 10, 20, 20);
        QTest::newRow("absurdly large") << frame << QRectF(10, 10, 1e7, 1e7);
    }
    void degenerateCutGivesNullPicture()
    {
        QFETCH(QImage, image);
        QFETCH(QRectF, box);
        RRotatedRect rect;
        rect.cx = float(box.x());
        rect.cy = float(box.y());
        rect.width = float(box.width());
        rect.height = float(box.height());
        rect.angle = -90;
        QVERIFY(RImageProc::cutRotatedRect(image, rect).isNull());
    }

    // The live tick: the frame as a backend delivers it (maybe reduced, maybe
    // turned), the corners where the viewfinder shows the page.
    void liveTickFindsThePageWhereShown_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<int>("turn");
        const int none = RImageProc::kNoFlip;
        QTest::newRow("camera frame, reduced") << QSize(3264, 2448) << QSize(3264, 2448) << none;
        QTest::newRow("letterboxed in a wider view") << QSize(1280, 960) << QSize(1920, 960) << none;
        QTest::newRow("delivered upside down") << QSize(1600, 1200) << QSize(1600, 1200) << 0;
        QTest::newRow("delivered mirrored") << QSize(1600, 1200) << QSize(1600, 1200) << 1;
    }
    void liveTickFindsThePageWhereShown()
    {
        QFETCH(QSize, frame);
        QFETCH(QSize, target);
        QFETCH(int, turn);
        const PageOnDesk::Shot s = pageOnDesk(frame, frame * 0.6, 7.0);
        const QImage shown = s.image.scaledToWidth(48, Qt::SmoothTransformation);
        QImage delivered = s.image;
        if (turn != RImageProc::kNoFlip)
            delivered = s.image.mirrored(turn != 0, turn != 1);
        RRotatedRect rect;
        const QList<QPoint> corners = RImageProc::detectRectShown(delivered, 1024, target, shown, &rect);
        QCOMPARE(corners.size(), 4);

        const QSize view = target.isEmpty() ? frame : target;
        QRectF placed(QPointF(0, 0), QSizeF(frame.scaled(view, Qt::KeepAspectRatio)));
        placed.moveCenter(QRectF(QPointF(0, 0), QSizeF(view)).center());
        const double scale = placed.width() / frame.width();
        // The reduced picture's pixels, as shown, plus the edge work's own slack.
        const double tolerance = 5.0 * scale * qMax(1.0, frame.width() / 1024.0);
        const QTransform toView = QTransform::fromTranslate(placed.x(), placed.y()).scale(scale, scale);
        for (const QPointF &truth : toView.map(s.corners)) {
            double nearest = 1e9;
            for (const QPoint &c : corners)
                nearest = qMin(nearest, QLineF(truth, QPointF(c)).length());
            QVERIFY2(nearest < tolerance, qPrintable(QStringLiteral("corner off by %1").arg(nearest)));
        }
        const QPointF centre = toView.map(s.corners).boundingRect().center();
        QVERIFY(QLineF(centre, QPointF(rect.cx, rect.cy)).length() < tolerance);
        QVERIFY(qAbs(qMax(rect.width, rect.height) - frame.width() * 0.6 * scale) < 2 * tolerance);
    }

    void matchingFlip_data()
    {
        QTest::addColumn<int>("turn");
        QTest::addColumn<bool>("blank");
        QTest::addColumn<int>("flip");
        const int none = RImageProc::kNoFlip;
        QTest::newRow("delivered as shown") << none << false << none;
        QTest::newRow("mirrored") << 1 << false << 1; // the other turns: the live tick's rows
        QTest::newRow("blank picture stays as delivered") << 0 << true << none;
    }
    void matchingFlip()
    {
        QFETCH(int, turn);
        QFETCH(bool, blank);
        QImage picture = pageOnDesk(QSize(640, 480), QSize(380, 260), 5.0).image;
        if (blank)
            picture.fill(QColor(200, 200, 200));
        const QImage shown = picture.scaledToWidth(48, Qt::SmoothTransformation);
        const QImage delivered = turn == RImageProc::kNoFlip ? picture : picture.mirrored(turn != 0, turn != 1);
        QTEST(RImageProc::matchingFlip(delivered, shown), "flip");
    }
};

VISORA_TEST_MAIN(TestRDocumentCut)
#include "tst_rdocumentcut.moc"
