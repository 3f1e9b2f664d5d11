#include "VisoraTest.h"

#include "RWidgetItem.h"

#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QtMath>

namespace {

// Scene rectangle used for rendering: 400x300 centred on the origin.
const QRectF kSceneRect(-200, -150, 400, 300);

QImage renderScene(QGraphicsScene &scene)
{
    QImage image(kSceneRect.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    scene.render(&painter, QRectF(QPointF(0, 0), kSceneRect.size()), kSceneRect);
    return image;
}

int inkPixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return n;
}

// Smallest rectangle (scene coordinates) holding every inked pixel.
QRectF inkExtent(const QImage &image)
{
    int l = image.width(), t = image.height(), r = -1, b = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) {
                l = qMin(l, x); r = qMax(r, x); t = qMin(t, y); b = qMax(b, y);
            }
    if (r < 0)
        return QRectF();
    return QRectF(l, t, r - l + 1, b - t + 1).translated(kSceneRect.topLeft());
}

// The path's points, with repeated consecutive points counted once.
QVector<QPointF> elementPoints(const QPainterPath &path)
{
    QVector<QPointF> pts;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPointF p(path.elementAt(i));
        if (pts.isEmpty() || pts.last() != p)
            pts.append(p);
    }
    return pts;
}

void sendMouse(QGraphicsScene &scene, QEvent::Type type, QPointF scenePos, Qt::MouseButtons buttons)
{
    QGraphicsSceneMouseEvent event(type);
    event.setScenePos(scenePos);
    event.setScreenPos(scenePos.toPoint());
    event.setButton(type == QEvent::GraphicsSceneMouseMove ? Qt::NoButton : Qt::LeftButton);
    event.setButtons(buttons);
    event.setButtonDownScenePos(Qt::LeftButton, scenePos);
    event.setAccepted(false);
    QCoreApplication::sendEvent(&scene, &event);
}

} // namespace

class TestRWidgetItem : public QObject
{
    Q_OBJECT
private slots:
    void strokeGeometry_data();
    void strokeGeometry();
    void penPathSegments_data();
    void penPathSegments();
    void penItemPaintsFromThreePoints_data();
    void penItemPaintsFromThreePoints();
    void polygonOutlines_data();
    void polygonOutlines();
    void ellipseOutline_data();
    void ellipseOutline();
    void starOutline_data();
    void starOutline();
    void degenerateShapesAreEmpty_data();
    void degenerateShapesAreEmpty();
    void setTypeResets_data();
    void setTypeResets();
    void eraseCheck_data();
    void eraseCheck();
    void shapeCanvasDrag_data();
    void shapeCanvasDrag();
    void penChangeDuringShapeTool_data();
    void penChangeDuringShapeTool();
    void inkStaysInsideBoundingRect_data();
    void inkStaysInsideBoundingRect();
    void selectableInAnyDirection_data();
    void selectableInAnyDirection();
};

void TestRWidgetItem::strokeGeometry_data()
{
    QTest::addColumn<QVector<QPointF>>("scenePoints");
    QTest::addColumn<QPointF>("topLeft");
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<QVector<QPointF>>("relative");

    QTest::newRow("no points") << QVector<QPointF>{} << QPointF(0, 0) << QSizeF(0, 0) << QVector<QPointF>{};
    QTest::newRow("single point gives nothing")
        << QVector<QPointF>{{5, 7}} << QPointF(0, 0) << QSizeF(0, 0) << QVector<QPointF>{};
    QTest::newRow("two points crossing")
        << QVector<QPointF>{{10, 20}, {30, 5}} << QPointF(10, 5) << QSizeF(20, 15)
        << QVector<QPointF>{{0, 15}, {20, 0}};
    QTest::newRow("negative scene coordinates")
        << QVector<QPointF>{{-40, -10}, {-60, 30}, {-50, 0}} << QPointF(-60, -10) << QSizeF(20, 40)
        << QVector<QPointF>{{20, 0}, {0, 40}, {10, 10}};
    QTest::newRow("far beyond 99999")
        << QVector<QPointF>{{-150000, 120000}, {-149990, 120010}} << QPointF(-150000, 120000)
        << QSizeF(10, 10) << QVector<QPointF>{{0, 0}, {10, 10}};
    QTest::newRow("zoomed fractional points")
        << QVector<QPointF>{{0.5, 1.25}, {2.75, 0.5}} << QPointF(0.5, 0.5) << QSizeF(2.25, 0.75)
        << QVector<QPointF>{{0, 0.75}, {2.25, 0}};
    QTest::newRow("identical points give zero size")
        << QVector<QPointF>{{3, 4}, {3, 4}} << QPointF(3, 4) << QSizeF(0, 0)
        << QVector<QPointF>{{0, 0}, {0, 0}};
}

void TestRWidgetItem::strokeGeometry()
{
    QFETCH(QVector<QPointF>, scenePoints);
    QFETCH(QPointF, topLeft);
    QFETCH(QSizeF, size);
    QFETCH(QVector<QPointF>, relative);

    const RWidgetItem::StrokeGeometry g = RWidgetItem::strokeGeometry(scenePoints);
    QCOMPARE(g.topLeft, topLeft);
    QCOMPARE(g.size, size);
    QCOMPARE(g.points, relative);
}

void TestRWidgetItem::penPathSegments_data()
{
    QTest::addColumn<QVector<QPointF>>("points");
    QTest::addColumn<QVector<QPointF>>("curveEnds"); // midpoints the curves end at

    QTest::newRow("no points") << QVector<QPointF>{} << QVector<QPointF>{};
    QTest::newRow("two points draw nothing") << QVector<QPointF>{{0, 0}, {10, 0}} << QVector<QPointF>{};
    QTest::newRow("three points one curve")
        << QVector<QPointF>{{0, 0}, {10, 0}, {10, 10}} << QVector<QPointF>{{10, 5}};
    QTest::newRow("four points two curves")
        << QVector<QPointF>{{0, 0}, {10, 0}, {20, 10}, {20, 30}} << QVector<QPointF>{{15, 5}, {20, 20}};
    QTest::newRow("repeated points add no curve")
        << QVector<QPointF>{{0, 0}, {5, 5}, {5, 5}, {5, 5}, {15, 5}} << QVector<QPointF>{{10, 5}};
    QTest::newRow("all identical points")
        << QVector<QPointF>{{7, 7}, {7, 7}, {7, 7}, {7, 7}} << QVector<QPointF>{};
}

void TestRWidgetItem::penPathSegments()
{
    QFETCH(QVector<QPointF>, points);
    QFETCH(QVector<QPointF>, curveEnds);

    const QPainterPath path = RWidgetItem::penPath(points);
    if (points.size() < 3) {
        QVERIFY(path.isEmpty());
        return;
    }
    QCOMPARE(QPointF(path.elementAt(0)), points.first());
    QCOMPARE(path.currentPosition(), points.last());
    QVector<QPointF> ends;
    for (int i = 0; i < path.elementCount(); ++i) {
        if (path.elementAt(i).type == QPainterPath::CurveToElement)
            ends.append(QPointF(path.elementAt(i + 2)));
    }
    QCOMPARE(ends, curveEnds);
}

void TestRWidgetItem::penItemPaintsFromThreePoints_data()
{
    QTest::addColumn<QVector<QPointF>>("points");
    QTest::addColumn<bool>("inked");

    QTest::newRow("click without movement") << QVector<QPointF>{} << false;
    QTest::newRow("single point") << QVector<QPointF>{{0, 0}} << false;
    QTest::newRow("two points") << QVector<QPointF>{{0, 0}, {40, 0}} << false;
    QTest::newRow("three points") << QVector<QPointF>{{0, 0}, {20, 10}, {40, 0}} << true;
}

void TestRWidgetItem::penItemPaintsFromThreePoints()
{
    QFETCH(QVector<QPointF>, points);
    QFETCH(bool, inked);

    QGraphicsScene scene(kSceneRect);
    auto *item = new RWidgetItem(CurPen);
    item->setPen(5, Qt::red);
    item->setPoints(points);
    scene.addItem(item);
    QCOMPARE(inkPixels(renderScene(scene)) > 0, inked);
}

void TestRWidgetItem::polygonOutlines_data()
{
    QTest::addColumn<CurStatus>("kind");
    QTest::addColumn<QPointF>("start");
    QTest::addColumn<QPointF>("end");
    QTest::addColumn<QVector<QPointF>>("vertices");

    QTest::newRow("rectangle down-right") << CurRect << QPointF(10, 10) << QPointF(110, 60)
        << QVector<QPointF>{{10, 10}, {110, 10}, {110, 60}, {10, 60}, {10, 10}};
    QTest::newRow("rectangle dragged up-left") << CurRect << QPointF(0, 0) << QPointF(-50, -30)
        << QVector<QPointF>{{0, 0}, {-50, 0}, {-50, -30}, {0, -30}, {0, 0}};
    QTest::newRow("rectangle flat line") << CurRect << QPointF(0, 0) << QPointF(80, 0)
        << QVector<QPointF>{{0, 0}, {80, 0}, {0, 0}};
    QTest::newRow("triangle down-right") << CurTriangle << QPointF(0, 0) << QPointF(100, 80)
        << QVector<QPointF>{{50, 0}, {0, 80}, {100, 80}, {50, 0}};
    QTest::newRow("triangle dragged up points down") << CurTriangle << QPointF(0, 0) << QPointF(100, -80)
        << QVector<QPointF>{{50, 0}, {0, -80}, {100, -80}, {50, 0}};
    QTest::newRow("triangle dragged left") << CurTriangle << QPointF(20, 0) << QPointF(-20, 40)
        << QVector<QPointF>{{0, 0}, {20, 40}, {-20, 40}, {0, 0}};
}

void TestRWidgetItem::polygonOutlines()
{
    QFETCH(CurStatus, kind);
    QFETCH(QPointF, start);
    QFETCH(QPointF, end);
    QFETCH(QVector<QPointF>, vertices);

    QCOMPARE(elementPoints(RWidgetItem::shapePath(kind, start, end)), vertices);
}

void TestRWidgetItem::ellipseOutline_data()
{
    QTest::addColumn<QPointF>("start");
    QTest::addColumn<QPointF>("end");

    QTest::newRow("down-right") << QPointF(0, 0) << QPointF(120, 60);
    QTest::newRow("up-left") << QPointF(0, 0) << QPointF(-120, -60);
    QTest::newRow("up-right") << QPointF(10, 10) << QPointF(50, -30);
    QTest::newRow("circle") << QPointF(-20, -20) << QPointF(20, 20);
}

void TestRWidgetItem::ellipseOutline()
{
    QFETCH(QPointF, start);
    QFETCH(QPointF, end);

    const QPainterPath path = RWidgetItem::shapePath(CurEllipse, start, end);
    const QRectF box = QRectF(start, end).normalized();
    const QRectF bounds = path.boundingRect();
    QVERIFY(qAbs(bounds.left() - box.left()) < 1e-6);
    QVERIFY(qAbs(bounds.right() - box.right()) < 1e-6);
    QVERIFY(qAbs(bounds.top() - box.top()) < 1e-6);
    QVERIFY(qAbs(bounds.bottom() - box.bottom()) < 1e-6);
    // Every point of the outline lies on the inscribed ellipse.
    const QPointF c = box.center();
    const qreal a = box.width() / 2, b = box.height() / 2;
    for (int i = 0; i <= 16; ++i) {
        const QPointF p = path.pointAtPercent(i / 16.0) - c;
        QVERIFY2(qAbs((p.x() * p.x()) / (a * a) + (p.y() * p.y()) / (b * b) - 1.0) < 0.01,
                 qPrintable(QString::number(i)));
    }
}

void TestRWidgetItem::starOutline_data()
{
    QTest::addColumn<QPointF>("start");
    QTest::addColumn<QPointF>("end");
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<qreal>("radius");   // signed
    QTest::addColumn<QPointF>("topTip"); // the first outer point

    QTest::newRow("square drag") << QPointF(0, 0) << QPointF(100, 100) << QPointF(50, 50) << 50.0
                                 << QPointF(50, 0);
    QTest::newRow("wide flat drag takes the height") << QPointF(0, 0) << QPointF(300, 40) << QPointF(150, 20)
                                                     << 20.0 << QPointF(150, 0);
    QTest::newRow("tall narrow drag takes the width") << QPointF(0, 0) << QPointF(40, 300) << QPointF(20, 150)
                                                      << 20.0 << QPointF(20, 130);
    QTest::newRow("upward drag is upside down") << QPointF(0, 0) << QPointF(100, -60) << QPointF(50, -30)
                                                << -30.0 << QPointF(50, 0);
    QTest::newRow("leftward drag is upside down") << QPointF(0, 0) << QPointF(-80, 100) << QPointF(-40, 50)
                                                  << -40.0 << QPointF(-40, 90);
}

void TestRWidgetItem::starOutline()
{
    QFETCH(QPointF, start);
    QFETCH(QPointF, end);
    QFETCH(QPointF, centre);
    QFETCH(qreal, radius);
    QFETCH(QPointF, topTip);

    const QPainterPath path = RWidgetItem::shapePath(CurStar, start, end);
    const QVector<QPointF> pts = elementPoints(path);
    QVERIFY(pts.size() >= 5);
    // First tip straight above the centre for a positive radius, below for a negative one.
    QVERIFY(qAbs(pts[0].x() - topTip.x()) < 1e-3);
    QVERIFY(qAbs(pts[0].y() - topTip.y()) < 1e-3);
    for (int k = 0; k < 5; ++k)
        QVERIFY(qAbs(QLineF(centre, pts[k]).length() - qAbs(radius)) < 1e-3);
    // A pentagram visits every second tip: neighbouring path points are 144 degrees apart.
    for (int k = 0; k < 4; ++k) {
        const qreal angle = QLineF(centre, pts[k]).angleTo(QLineF(centre, pts[k + 1]));
        QVERIFY2(qAbs(angle - 144.0) < 0.01 || qAbs(angle - 216.0) < 0.01, qPrintable(QString::number(angle)));
    }
}

void TestRWidgetItem::degenerateShapesAreEmpty_data()
{
    QTest::addColumn<CurStatus>("kind");
    QTest::addColumn<QPointF>("start");
    QTest::addColumn<QPointF>("end");

    QTest::newRow("rectangle click") << CurRect << QPointF(5, 5) << QPointF(5, 5);
    QTest::newRow("triangle click") << CurTriangle << QPointF(0, 0) << QPointF(0, 0);
    QTest::newRow("ellipse click") << CurEllipse << QPointF(-3, 2) << QPointF(-3, 2);
    QTest::newRow("star click") << CurStar << QPointF(1, 1) << QPointF(1, 1);
    QTest::newRow("star within fuzzy precision") << CurStar << QPointF(100, 100) << QPointF(100 + 1e-11, 100);
    QTest::newRow("pen kind has no shape") << CurPen << QPointF(0, 0) << QPointF(50, 50);
}

void TestRWidgetItem::degenerateShapesAreEmpty()
{
    QFETCH(CurStatus, kind);
    QFETCH(QPointF, start);
    QFETCH(QPointF, end);

    QVERIFY(RWidgetItem::shapePath(kind, start, end).isEmpty());

    QGraphicsScene scene(kSceneRect);
    auto *item = new RWidgetItem(kind);
    item->setCorners(start, end);
    scene.addItem(item);
    QCOMPARE(inkPixels(renderScene(scene)), 0);
}

void TestRWidgetItem::setTypeResets_data()
{
    QTest::addColumn<CurStatus>("newKind");
    QTest::addColumn<int>("pointsLeft");
    QTest::addColumn<QPointF>("startLeft");

    QTest::newRow("pen empties points") << CurPen << 0 << QPointF(3, 4);
    QTest::newRow("rectangle resets corners") << CurRect << 3 << QPointF(0, 0);
    QTest::newRow("star resets corners") << CurStar << 3 << QPointF(0, 0);
}

void TestRWidgetItem::setTypeResets()
{
    QFETCH(CurStatus, newKind);
    QFETCH(int, pointsLeft);
    QFETCH(QPointF, startLeft);

    RWidgetItem item(CurEllipse);
    item.setPoints({{0, 0}, {1, 1}, {2, 2}});
    item.setCorners(QPointF(3, 4), QPointF(30, 40));
    item.setType(newKind);
    QCOMPARE(item.kind(), newKind);
    QCOMPARE(item.points().size(), pointsLeft);
    QCOMPARE(item.startPoint(), startLeft);
    QCOMPARE(item.endPoint(), newKind == CurPen ? QPointF(30, 40) : QPointF(0, 0));
}

void TestRWidgetItem::eraseCheck_data()
{
    QTest::addColumn<CurStatus>("kind");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("waiting");
    QTest::addColumn<bool>("erased");

    QTest::newRow("stroke selected and waiting") << CurPen << true << true << true;
    QTest::newRow("shape selected and waiting") << CurRect << true << true << true;
    QTest::newRow("waiting but not selected") << CurPen << false << true << false;
    QTest::newRow("selected but not waiting") << CurStar << true << false << false;
    QTest::newRow("neither") << CurEllipse << false << false << false;
}

void TestRWidgetItem::eraseCheck()
{
    QFETCH(CurStatus, kind);
    QFETCH(bool, selected);
    QFETCH(bool, waiting);
    QFETCH(bool, erased);

    QGraphicsScene scene(kSceneRect);
    auto *item = new RWidgetItem(kind);
    item->setFlag(QGraphicsItem::ItemIsSelectable);
    item->setPen(6, Qt::blue);
    item->setPoints({{0, 0}, {40, 20}, {80, 0}, {120, 30}});
    item->setCorners(QPointF(0, 0), QPointF(100, 60));
    item->resize(120, 60);
    scene.addItem(item);
    item->setSelected(selected);
    item->m_bWaitEarse = waiting;
    QSignalSpy spy(item, &RWidgetItem::hadEarse);

    const QImage image = renderScene(scene);
    QCOMPARE(item->isVisible(), !erased);
    QCOMPARE(spy.count(), erased ? 1 : 0);
    QCOMPARE(inkPixels(image) > 0, !erased);
}

void TestRWidgetItem::shapeCanvasDrag_data()
{
    QTest::addColumn<CurStatus>("kind");
    QTest::addColumn<bool>("drawing");
    QTest::addColumn<QPointF>("press"); // scene coordinates
    QTest::addColumn<QPointF>("release");
    QTest::addColumn<int>("done");

    QTest::newRow("rectangle down-right") << CurRect << true << QPointF(-100, -50) << QPointF(50, 60) << 1;
    QTest::newRow("star up-left") << CurStar << true << QPointF(80, 90) << QPointF(-30, -40) << 1;
    QTest::newRow("click without movement") << CurEllipse << true << QPointF(10, 10) << QPointF(10, 10) << 1;
    QTest::newRow("canvas not drawing") << CurTriangle << false << QPointF(-100, -50) << QPointF(50, 60) << 0;
    QTest::newRow("pen kind is no canvas") << CurPen << true << QPointF(-100, -50) << QPointF(50, 60) << 0;
}

void TestRWidgetItem::shapeCanvasDrag()
{
    QFETCH(CurStatus, kind);
    QFETCH(bool, drawing);
    QFETCH(QPointF, press);
    QFETCH(QPointF, release);
    QFETCH(int, done);

    // The canvas covers the scene rectangle with its origin at the top-left corner.
    QGraphicsScene scene(kSceneRect);
    auto *canvas = new RWidgetItem(kind);
    canvas->resize(kSceneRect.size());
    canvas->setPos(kSceneRect.topLeft());
    canvas->setZValue(9999);
    scene.addItem(canvas);
    canvas->setType(kind);
    canvas->setDrawing(drawing);
    QSignalSpy spy(canvas, &RWidgetItem::drawdone);

    const QPointF mid = (press + release) / 2;
    sendMouse(scene, QEvent::GraphicsSceneMousePress, press, Qt::LeftButton);
    sendMouse(scene, QEvent::GraphicsSceneMouseMove, mid, Qt::LeftButton);
    if (done)
        QCOMPARE(canvas->endPoint(), mid - kSceneRect.topLeft());
    sendMouse(scene, QEvent::GraphicsSceneMouseMove, release, Qt::LeftButton);
    sendMouse(scene, QEvent::GraphicsSceneMouseRelease, release, Qt::NoButton);

    QCOMPARE(spy.count(), done);
    if (done) {
        QCOMPARE(canvas->startPoint(), press - kSceneRect.topLeft());
        QCOMPARE(canvas->endPoint(), release - kSceneRect.topLeft());
        QVERIFY(!canvas->isDrawing());
    } else {
        QCOMPARE(canvas->startPoint(), QPointF(0, 0));
        QCOMPARE(canvas->endPoint(), QPointF(0, 0));
    }
}

void TestRWidgetItem::penChangeDuringShapeTool_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QColor>("color");

    QTest::newRow("thin blue") << 2 << QColor(0, 0, 255);
    QTest::newRow("wide green") << 14 << QColor(0, 200, 0);
    QTest::newRow("medium translucent") << 8 << QColor(255, 0, 0, 128);
}

void TestRWidgetItem::penChangeDuringShapeTool()
{
    QFETCH(int, width);
    QFETCH(QColor, color);

    QGraphicsScene scene(kSceneRect);
    auto *canvas = new RWidgetItem(CurRect);
    canvas->resize(kSceneRect.size());
    canvas->setPos(kSceneRect.topLeft());
    canvas->setPen(3, Qt::red);
    scene.addItem(canvas);
    canvas->setDrawing(true);
    sendMouse(scene, QEvent::GraphicsSceneMousePress, QPointF(-100, -100), Qt::LeftButton);
    sendMouse(scene, QEvent::GraphicsSceneMouseMove, QPointF(100, 100), Qt::LeftButton);
    canvas->setPen(width, color);

    // The next paint of the shape in progress already uses the new pen: measure
    // the left edge (x = -100 in the scene) on the row through the middle.
    const QImage image = renderScene(scene);
    const int row = 150;
    int run = 0;
    QColor seen;
    for (int x = 0; x < image.width(); ++x) {
        const QColor px = image.pixelColor(x, row);
        if (px.alpha() > 0) {
            ++run;
            if (run == (width + 1) / 2)
                seen = px;
        } else if (run > 0) {
            break;
        }
    }
    QVERIFY2(qAbs(run - width) <= 1, qPrintable(QString("run %1").arg(run)));
    QVERIFY(qAbs(seen.alpha() - color.alpha()) <= 2);
    QVERIFY(qAbs(seen.red() - color.red()) <= 2);
    QVERIFY(qAbs(seen.green() - color.green()) <= 2);
    QVERIFY(qAbs(seen.blue() - color.blue()) <= 2);

    sendMouse(scene, QEvent::GraphicsSceneMouseRelease, QPointF(100, 100), Qt::NoButton);
    QCOMPARE(canvas->penWidth(), width);
    QCOMPARE(canvas->penColor(), color);
}

void TestRWidgetItem::inkStaysInsideBoundingRect_data()
{
    QTest::addColumn<CurStatus>("kind");
    QTest::addColumn<int>("penWidth");
    QTest::addColumn<QPointF>("end"); // drag from (0, 0); also used for strokes

    QTest::newRow("stroke thin") << CurPen << 3 << QPointF(120, 80);
    QTest::newRow("stroke very wide") << CurPen << 40 << QPointF(120, 80);
    QTest::newRow("rectangle up-left wide") << CurRect << 30 << QPointF(-120, -80);
    QTest::newRow("triangle up-right") << CurTriangle << 12 << QPointF(120, -80);
    QTest::newRow("ellipse down-left") << CurEllipse << 20 << QPointF(-120, 80);
    QTest::newRow("star leftward beyond its corners") << CurStar << 10 << QPointF(-120, 60);
    QTest::newRow("star upward") << CurStar << 25 << QPointF(100, -60);
}

void TestRWidgetItem::inkStaysInsideBoundingRect()
{
    QFETCH(CurStatus, kind);
    QFETCH(int, penWidth);
    QFETCH(QPointF, end);

    QGraphicsScene scene(kSceneRect);
    auto *item = new RWidgetItem(kind);
    item->setPen(penWidth, Qt::black);
    if (kind == CurPen) {
        const RWidgetItem::StrokeGeometry g = RWidgetItem::strokeGeometry(
            {{0, 0}, {end.x() / 3, end.y()}, {end.x() * 2 / 3, 0}, end});
        item->setPoints(g.points);
        item->resize(g.size);
        item->setPos(g.topLeft - QPointF(0.5, 0.5));
    } else {
        item->setCorners(QPointF(0, 0), end);
        item->resize(end.x(), end.y()); // negative extents resize to empty
    }
    scene.addItem(item);

    const QRectF ink = inkExtent(renderScene(scene));
    QVERIFY(!ink.isEmpty());
    const QRectF bounds = item->mapRectToScene(item->boundingRect());
    QVERIFY2(bounds.contains(ink), qPrintable(QString("ink %1,%2 %3x%4 bounds %5,%6 %7x%8")
                                                  .arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())
                                                  .arg(bounds.x()).arg(bounds.y()).arg(bounds.width()).arg(bounds.height())));
}

void TestRWidgetItem::selectableInAnyDirection_data()
{
    QTest::addColumn<QPointF>("end");

    QTest::newRow("down-right") << QPointF(100, 60);
    QTest::newRow("up-left") << QPointF(-100, -60);
    QTest::newRow("up-right") << QPointF(100, -60);
    QTest::newRow("down-left") << QPointF(-100, 60);
}

void TestRWidgetItem::selectableInAnyDirection()
{
    QFETCH(QPointF, end);

    // A finished shape as the scene makes it: placed at the press point,
    // corners (0, 0) and the signed drag, resized to the signed drag.
    QGraphicsScene scene(kSceneRect);
    auto *item = new RWidgetItem(CurRect);
    item->setFlag(QGraphicsItem::ItemIsSelectable);
    item->setPen(4, Qt::red);
    item->setCorners(QPointF(0, 0), end);
    item->resize(end.x(), end.y());
    item->setPos(10, 10);
    scene.addItem(item);

    // A click on the outline's corner opposite the press point.
    const QPointF corner = item->mapToScene(end);
    QVERIFY(scene.items(corner).contains(item));

    // A rubber band over the middle of the shape.
    const QPointF centre = item->mapToScene(end / 2);
    QPainterPath band;
    band.addRect(QRectF(centre - QPointF(5, 5), QSizeF(10, 10)));
    scene.setSelectionArea(band);
    QVERIFY(item->isSelected());
}

VISORA_TEST_MAIN(TestRWidgetItem)
#include "tst_rwidgetitem.moc"
