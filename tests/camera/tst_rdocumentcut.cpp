#include "VisoraTest.h"

#include "RImageProc.h"

#include <QPainter>
#include <QtMath>

#include <opencv2/imgproc.hpp>

#include <algorithm>

// A light page lying tilted on a darker, striped desk, with text-like blocks and
// a red marker in the page's top-left corner.
struct Scene
{
    QImage image;
    QPolygonF corners;
    QSize page;
};

static Scene makeScene(QSize frame, QSize page, double tilt, QImage::Format format)
{
    QImage img(frame, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            const int v = 70 + int(12 * qSin(x / 9.0) * qCos(y / 13.0)) + ((x * 7 + y * 13) % 5);
            line[x] = qRgb(v, v - 5, v + 5);
        }
    }
    QTransform t;
    t.translate(frame.width() / 2.0 + 13, frame.height() / 2.0 - 9).rotate(tilt);
    const QRectF r(-page.width() / 2.0, -page.height() / 2.0, page.width(), page.height());
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(t);
    p.fillRect(r, QColor(236, 234, 228));
    for (int line = 0; line < 8; ++line)
        p.fillRect(QRectF(r.left() + page.width() * 0.25, r.top() + page.height() * (0.2 + line * 0.08),
                          page.width() * (0.4 + (line % 3) * 0.1), page.height() * 0.03),
                   QColor(40, 40, 50));
    p.fillRect(QRectF(r.left() + page.width() * 0.04, r.top() + page.height() * 0.04, page.width() * 0.1,
                      page.height() * 0.1),
               QColor(220, 20, 20));
    p.end();
    return {img.convertToFormat(format), t.map(QPolygonF(r)), page};
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
        QTest::newRow("straight") << frame << landscape << 0.0 << int(QImage::Format_RGB32);
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
        const Scene s = makeScene(frame, page, tilt, QImage::Format(format));
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

    // The direct warp into the patch against the described route: a full-frame
    // cubic warp, then the sub-pixel patch.
    void cutMatchesFullFrameRoute_data()
    {
        QTest::addColumn<QRectF>("box"); // centre x, centre y, width, height
        QTest::addColumn<double>("angle");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("whole-pixel patch origin") << QRectF(300, 200, 201, 151) << -83.0 << 1;
        QTest::newRow("fractional centre") << QRectF(310.5, 222.25, 180.4, 120.7) << -60.0 << 3;
        QTest::newRow("reaches past the frame") << QRectF(40, 30, 151, 101) << -90.0 << 1;
    }
    void cutMatchesFullFrameRoute()
    {
        QFETCH(QRectF, box);
        QFETCH(double, angle);
        QFETCH(int, tolerance);
        QImage img(640, 480, QImage::Format_ARGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                img.setPixel(x, y, qRgba(128 + int(100 * qSin(x / 13.0)), 128 + int(100 * qCos(y / 17.0)),
                                         128 + int(100 * qSin((x + y) / 23.0)), 200));
        RRotatedRect rect;
        rect.cx = float(box.x());
        rect.cy = float(box.y());
        rect.width = float(box.width());
        rect.height = float(box.height());
        rect.angle = float(angle);
        const QImage cut = RImageProc::cutRotatedRect(img, rect);

        cv::Mat bgr, warped, patch;
        cv::cvtColor(RImageProc::imageToMat(img), bgr, cv::COLOR_BGRA2BGR);
        const cv::Point2f centre(rect.cx, rect.cy);
        cv::warpAffine(bgr, warped, cv::getRotationMatrix2D(centre, angle + 90.0, 1.0), bgr.size(), cv::INTER_CUBIC,
                       cv::BORDER_CONSTANT, cv::Scalar::all(0));
        cv::getRectSubPix(warped, cv::Size(cvRound(rect.height), cvRound(rect.width)), centre, patch);
        const QImage expected = RImageProc::matToImage(patch);
        QCOMPARE(cut.size(), expected.size());
        // Where the patch leaves the warped frame the described route repeats the
        // frame's edge, the direct warp keeps sampling the source: compare inside.
        const QRectF inside = QRectF(0, 0, img.width(), img.height()).adjusted(1, 1, -2, -2);
        const QPointF origin(box.x() - (cut.width() - 1) / 2.0, box.y() - (cut.height() - 1) / 2.0);
        int worst = 0;
        for (int y = 0; y < cut.height(); ++y)
            for (int x = 0; x < cut.width(); ++x) {
                if (!inside.contains(origin + QPointF(x, y)))
                    continue;
                const QRgb a = cut.pixel(x, y), b = expected.pixel(x, y);
                worst = std::max({worst, qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))});
            }
        QVERIFY2(worst <= tolerance, qPrintable(QString::number(worst)));
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
        QTest::newRow("small frame at its own size") << QSize(800, 600) << QSize() << none;
        QTest::newRow("camera frame, reduced") << QSize(3264, 2448) << QSize(3264, 2448) << none;
        QTest::newRow("letterboxed in a wider view") << QSize(1280, 960) << QSize(1920, 960) << none;
        QTest::newRow("delivered upside down") << QSize(1600, 1200) << QSize(1600, 1200) << 0;
        QTest::newRow("delivered mirrored") << QSize(1600, 1200) << QSize(1600, 1200) << 1;
        QTest::newRow("delivered half turned") << QSize(2048, 1536) << QSize(2048, 1536) << -1;
    }
    void liveTickFindsThePageWhereShown()
    {
        QFETCH(QSize, frame);
        QFETCH(QSize, target);
        QFETCH(int, turn);
        const Scene s = makeScene(frame, frame * 0.6, 7.0, QImage::Format_RGB32);
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
        QVERIFY(qAbs(qMax(rect.width, rect.height) - s.page.width() * scale) < 2 * tolerance);
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
        QImage picture = makeScene(QSize(640, 480), QSize(380, 260), 5.0, QImage::Format_RGB32).image;
        if (blank)
            picture.fill(QColor(200, 200, 200));
        const QImage shown = picture.scaledToWidth(48, Qt::SmoothTransformation);
        const QImage delivered = turn == RImageProc::kNoFlip ? picture : picture.mirrored(turn != 0, turn != 1);
        QTEST(RImageProc::matchingFlip(delivered, shown), "flip");
    }
};

VISORA_TEST_MAIN(TestRDocumentCut)
#include "tst_rdocumentcut.moc"
