#include "VisoraTest.h"

#include "RKeystone.h"

#include <QPainter>
#include <QtMath>

#include <opencv2/core.hpp>

// A page of known size photographed by a pinhole camera with its principal
// point at the picture's centre, the page tilted out of the desk's plane.
struct Shot
{
    QImage image;
    QList<QPointF> corners;           // true corners in the picture, TL TR BR BL
    QList<QList<QPointF>> edgePoints; // points along each true edge, TL-TR, TR-BR, BR-BL, BL-TL
    double ratio = 1;                 // page width / height
};

static Shot photograph(QSizeF page, double tiltX, double tiltY, double spin, double f)
{
    const QSize frame(1600, 1200);
    const double z0 = f / 2;
    const double ax = qDegreesToRadians(tiltX), ay = qDegreesToRadians(tiltY), az = qDegreesToRadians(spin);
    const cv::Matx33d rx(1, 0, 0, 0, std::cos(ax), -std::sin(ax), 0, std::sin(ax), std::cos(ax));
    const cv::Matx33d ry(std::cos(ay), 0, std::sin(ay), 0, 1, 0, -std::sin(ay), 0, std::cos(ay));
    const cv::Matx33d rz(std::cos(az), -std::sin(az), 0, std::sin(az), std::cos(az), 0, 0, 0, 1);
    const cv::Matx33d r = rx * ry * rz;
    auto project = [&](double x, double y) {
        const cv::Vec3d p = r * cv::Vec3d(x - page.width() / 2, y - page.height() / 2, 0) + cv::Vec3d(12, -9, z0);
        return QPointF(f * p[0] / p[2] + frame.width() / 2.0, f * p[1] / p[2] + frame.height() / 2.0);
    };

    Shot shot;
    shot.ratio = page.width() / page.height();
    const QPointF pageCorners[4] = {{0, 0}, {page.width(), 0}, {page.width(), page.height()}, {0, page.height()}};
    for (const QPointF &c : pageCorners)
        shot.corners << project(c.x(), c.y());
    for (int e = 0; e < 4; ++e) {
        QList<QPointF> along;
        for (int i = 1; i < 10; ++i) {
            const QPointF p = pageCorners[e] + (pageCorners[(e + 1) % 4] - pageCorners[e]) * (i / 10.0);
            along << project(p.x(), p.y());
        }
        shot.edgePoints << along;
    }

    shot.image = QImage(frame, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(shot.image.scanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            const int v = 72 + int(10 * qSin(x / 11.0) * qCos(y / 7.0));
            line[x] = qRgb(v + 10, v, v - 8);
        }
    }
    QTransform t;
    QPolygonF target;
    for (const QPointF &c : shot.corners)
        target << c;
    QPolygonF source;
    for (const QPointF &c : pageCorners)
        source << c;
    QTransform::quadToQuad(source, target, t);
    QPainter p(&shot.image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(t);
    p.fillRect(QRectF(QPointF(0, 0), page), QColor(238, 236, 230));
    for (int line = 0; line < 10; ++line)
        p.fillRect(QRectF(page.width() * 0.15, page.height() * (0.15 + line * 0.07), page.width() * (0.5 + (line % 3) * 0.1),
                          page.height() * 0.025),
                   QColor(40, 40, 48));
    p.end();
    return shot;
}

static double distanceToLine(QPointF p, QPointF a, QPointF b)
{
    const QPointF d = b - a;
    return std::abs(d.x() * (a.y() - p.y()) - d.y() * (a.x() - p.x())) / std::hypot(d.x(), d.y());
}

static QPointF apply(const cv::Mat &h, QPointF p)
{
    const cv::Matx33d m = h;
    const cv::Vec3d v = m * cv::Vec3d(p.x(), p.y(), 1);
    return QPointF(v[0] / v[2], v[1] / v[2]);
}

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
        QTest::newRow("flat, turned on the desk") << a4 << 0.0 << 0.0 << 12.0 << 1300.0 << 0.01;
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
        const Shot shot = photograph(page, tiltX, tiltY, spin, focal);

        const RKeystone::Quad quad = RKeystone::detect(shot.image);
        QVERIFY(quad.quadFound);
        const QSize size = RKeystone::outputSize(quad.corners, shot.image.size());
        const double ratio = double(size.width()) / size.height();
        QVERIFY2(std::abs(ratio / shot.ratio - 1) < ratioTolerance,
                 qPrintable(QString("ratio %1, page %2").arg(ratio).arg(shot.ratio)));

        // Where the page's true corners and edges land on the corrected page.
        const double tolerance = 0.01 * std::max(size.width(), size.height());
        const cv::Mat h = RKeystone::homography(quad.corners, size);
        const QPointF target[4] = {{0, 0}, {double(size.width()), 0}, {double(size.width()), double(size.height())},
                                   {0, double(size.height())}};
        for (int i = 0; i < 4; ++i) {
            const QPointF at = apply(h, shot.corners[i]);
            QVERIFY2(QLineF(at, target[i]).length() <= tolerance,
                     qPrintable(QString("corner %1 at %2,%3").arg(i).arg(at.x()).arg(at.y())));
            for (const QPointF &p : shot.edgePoints[i])
                QVERIFY(distanceToLine(apply(h, p), target[i], target[(i + 1) % 4]) <= tolerance);
        }

        // The corrected picture is the page alone: page colour just inside every corner.
        const QImage flat = RKeystone::warp(shot.image, quad.corners);
        QCOMPARE(flat.size(), size);
        const int dx = size.width() / 30, dy = size.height() / 30;
        for (const QPoint p : {QPoint(dx, dy), QPoint(size.width() - dx, dy), QPoint(size.width() - dx, size.height() - dy),
                               QPoint(dx, size.height() - dy)})
            QVERIFY2(qGray(flat.pixel(p)) > 200, qPrintable(QString("desk at %1,%2").arg(p.x()).arg(p.y())));
    }

    void outlineWithoutFourCornersFallsBackToTheRectangle()
    {
        QImage image(800, 600, QImage::Format_RGB32);
        image.fill(QColor(60, 60, 60));
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(200, 150, 400, 260));
        p.end();
        const RKeystone::Quad quad = RKeystone::detect(image);
        QVERIFY(!quad.quadFound);
        QVERIFY(quad.isValid());
        QVERIFY(std::abs(QLineF(quad.corners[0], quad.corners[1]).length() - 400) < 8);
        QVERIFY(std::abs(QLineF(quad.corners[1], quad.corners[2]).length() - 260) < 8);
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
