#include "VisoraTest.h"

#include "MouseTest.h"
#include "RHandWriteWidget.h"
#include "RWidgetItem.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QSignalSpy>

namespace {

using Points = QVector<QPointF>;
const QRectF kRect(-200, -150, 400, 300);

QImage render(QGraphicsScene &scene)
{
    QImage image(kRect.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    scene.render(&painter, QRectF(QPointF(0, 0), kRect.size()), kRect);
    return image;
}

// Scene rectangle of every inked pixel; null when nothing is drawn.
QRectF inkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                box |= QRect(x, y, 1, 1);
    return box.isNull() ? QRectF() : QRectF(box).translated(kRect.topLeft());
}

} // namespace

class TestInkItems : public QObject
{
    Q_OBJECT
private slots:
    void strokeGeometry_data()
    {
        QTest::addColumn<Points>("scenePts");
        QTest::addColumn<QPointF>("topLeft");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<Points>("relative");
        QTest::newRow("no points") << Points{} << QPointF() << QSizeF(0, 0) << Points{};
        QTest::newRow("negative coordinates") << Points{{-40, -10}, {-60, 30}, {-50, 0}} << QPointF(-60, -10)
                                              << QSizeF(20, 40) << Points{{20, 0}, {0, 40}, {10, 10}};
        QTest::newRow("beyond 99999") << Points{{-150000, 120000}, {-149990, 120010}} << QPointF(-150000, 120000)
                                      << QSizeF(10, 10) << Points{{0, 0}, {10, 10}};
        QTest::newRow("zoomed fractions") << Points{{0.5, 1.25}, {2.75, 0.5}} << QPointF(0.5, 0.5)
                                          << QSizeF(2.25, 0.75) << Points{{0, 0.75}, {2.25, 0}};
    }

    void strokeGeometry()
    {
        QFETCH(Points, scenePts);
        const RWidgetItem::StrokeGeometry g = RWidgetItem::strokeGeometry(scenePts);
        QTEST(g.topLeft, "topLeft");
        QTEST(g.size, "size");
        QTEST(g.points, "relative");
    }

    void paintedInk_data()
    {
        QTest::addColumn<CurStatus>("kind");
        QTest::addColumn<int>("width");
        QTest::addColumn<Points>("pts"); // stroke points, or the two corners of a shape
        QTest::addColumn<bool>("inked");
        QTest::newRow("single point stroke") << CurPen << 8 << Points{{0, 0}} << false;
        QTest::newRow("stroke, very wide pen") << CurPen << 40 << Points{{0, 0}, {40, 80}, {80, 0}, {120, 80}} << true;
        QTest::newRow("star within fuzzy precision") << CurStar << 8 << Points{{90, 90}, {90 + 1e-11, 90}} << false;
        QTest::newRow("rectangle up-left, wide") << CurRect << 30 << Points{{0, 0}, {-120, -80}} << true;
        QTest::newRow("ellipse down-left") << CurEllipse << 20 << Points{{0, 0}, {-120, 80}} << true;
        QTest::newRow("star beyond its corners") << CurStar << 10 << Points{{0, 0}, {-120, 60}} << true;
    }

    void paintedInk()
    {
        QFETCH(CurStatus, kind);
        QFETCH(int, width);
        QFETCH(Points, pts);
        QFETCH(bool, inked);

        QGraphicsScene scene(kRect);
        auto *item = new RWidgetItem(kind);
        item->setPen(width, Qt::black);
        if (kind == CurPen) {
            const RWidgetItem::StrokeGeometry g = RWidgetItem::strokeGeometry(pts);
            item->setPoints(pts.size() > 1 ? g.points : pts);
            item->resize(g.size);
            item->setPos(g.topLeft - QPointF(0.5, 0.5));
        } else {
            item->setCorners(pts.first(), pts.last());
            item->resize(pts.last().x(), pts.last().y()); // a negative drag resizes to empty
        }
        scene.addItem(item);
        const QRectF ink = inkBox(render(scene));
        QCOMPARE(!ink.isNull(), inked);
        // Repaints and hit-tests cover all the ink, so none is left behind.
        if (inked)
            QVERIFY(item->mapRectToScene(item->boundingRect()).contains(ink));
    }

    // The eraser takes a stroke once it is selected, not before.
    void eraseCheck()
    {
        QGraphicsScene scene(kRect);
        auto *item = new RWidgetItem(CurPen);
        item->setFlag(QGraphicsItem::ItemIsSelectable);
        item->setPoints({{0, 0}, {40, 20}, {80, 0}});
        item->resize(100, 60);
        scene.addItem(item);
        item->m_bWaitEarse = true;
        QSignalSpy erased(item, &RWidgetItem::hadEarse);
        QVERIFY(!inkBox(render(scene)).isNull());
        QVERIFY(item->isVisible() && erased.isEmpty());
        item->setSelected(true);
        QVERIFY(inkBox(render(scene)).isNull());
        QVERIFY(!item->isVisible());
        QCOMPARE(erased.count(), 1);
    }

    void shapeCanvas_data()
    {
        QTest::addColumn<CurStatus>("kind");
        QTest::addColumn<bool>("drawing");
        QTest::addColumn<Points>("dragPts"); // scene coordinates
        QTest::addColumn<int>("done");
        QTest::newRow("rectangle up-left") << CurRect << true << Points{{80, 90}, {0, 0}, {-30, -40}} << 1;
        QTest::newRow("click") << CurEllipse << true << Points{{10, 10}} << 1;
        QTest::newRow("not drawing") << CurTriangle << false << Points{{-100, -50}, {50, 60}} << 0;
        QTest::newRow("pen kind is no canvas") << CurPen << true << Points{{-100, -50}, {50, 60}} << 0;
    }

    void shapeCanvas()
    {
        QFETCH(CurStatus, kind);
        QFETCH(bool, drawing);
        QFETCH(Points, dragPts);
        QFETCH(int, done);

        // As the scene sets it up: covering the scene rectangle, origin at its corner.
        QGraphicsScene scene(kRect);
        auto *canvas = new RWidgetItem(kind);
        canvas->setPen(3, Qt::red);
        canvas->resize(kRect.size());
        canvas->setPos(kRect.topLeft());
        scene.addItem(canvas);
        canvas->setDrawing(drawing);
        QSignalSpy spy(canvas, &RWidgetItem::drawdone);

        VisoraTest::sceneMouse(&scene, QEvent::GraphicsSceneMousePress, dragPts.first());
        for (int i = 1; i < dragPts.size(); ++i)
            VisoraTest::sceneMouse(&scene, QEvent::GraphicsSceneMouseMove, dragPts.at(i));
        // A pen chosen in the middle of a drag applies at once.
        const QColor blue(0, 0, 255);
        canvas->setPen(9, blue);
        const QPointF s = done ? dragPts.first() - kRect.topLeft() : QPointF(0, 0);
        const QPointF e = done ? dragPts.last() - kRect.topLeft() : QPointF(0, 0);
        QCOMPARE(canvas->startPoint(), s);
        QCOMPARE(canvas->endPoint(), e);
        if (kind == CurRect) {
            const QPoint onTopEdge = ((s + QPointF(e.x(), s.y())) / 2).toPoint();
            QCOMPARE(render(scene).pixelColor(onTopEdge), blue);
        }
        VisoraTest::sceneMouse(&scene, QEvent::GraphicsSceneMouseRelease, dragPts.last());
        QCOMPARE(spy.count(), done);
        QCOMPARE(canvas->isDrawing(), drawing && !done);
    }

    void handWriting_data()
    {
        QTest::addColumn<QVector<Points>>("strokes");
        QTest::newRow("click draws nothing") << QVector<Points>{{{50, 50}}};
        QTest::newRow("second stroke keeps the first") << QVector<Points>{{{20, 20}, {80, 40}}, {{120, 80}, {160, 100}}};
    }

    void handWriting()
    {
        QFETCH(QVector<Points>, strokes);
        QGraphicsScene scene(kRect);
        auto *item = new RHandWriteWidget;
        item->setGeometry(kRect);
        scene.addItem(item);
        item->setDrawing(true);
        QSignalSpy spy(item, &RHandWriteWidget::drawdone);
        for (const Points &s : strokes)
            VisoraTest::sceneDrag(&scene, s);
        QCOMPARE(item->strokes().size(), strokes.size());
        QCOMPARE(spy.count(), strokes.size());
        const QImage image = render(scene);
        bool anyLine = false;
        for (const Points &s : strokes) {
            if (s.size() < 2)
                continue;
            anyLine = true;
            const QPointF mid = (s.at(0) + s.at(1)) / 2 - kRect.topLeft();
            QVERIFY(qAlpha(image.pixel(mid.toPoint())) > 0); // each stroke is still drawn
        }
        QCOMPARE(!inkBox(image).isNull(), anyLine);
    }
};

VISORA_TEST_MAIN(TestInkItems)
#include "tst_inkitems.moc"
