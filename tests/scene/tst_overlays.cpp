#include "VisoraTest.h"

#include "RProxyWidget.h"
#include "RVideoRect.h"
#include "RVideoTracker.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QWindow>

namespace {

using Corners = QList<QPoint>;

QImage renderWidget(QWidget &w, const QRegion &region = QRegion())
{
    QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    w.render(&image, region.boundingRect().topLeft(), region, QWidget::RenderFlags());
    return image;
}

} // namespace

class TestOverlays : public QObject
{
    Q_OBJECT
private slots:
    void spotlight_data()
    {
        QTest::addColumn<QVector<QPoint>>("dragPts"); // press, moves; released at the last
        QTest::addColumn<bool>("leftButton");
        QTest::addColumn<QRect>("clear");
        QTest::newRow("up-left") << QVector<QPoint>{{160, 110}, {40, 30}} << true << QRect(40, 30, 120, 80);
        QTest::newRow("press without movement") << QVector<QPoint>{{70, 70}} << true << QRect();
        QTest::newRow("right button ignored") << QVector<QPoint>{{40, 30}, {160, 110}} << false << QRect();
        QTest::newRow("past the edge stops at it") << QVector<QPoint>{{150, 100}, {260, 190}} << true
                                                   << QRect(150, 100, 50, 50);
    }

    void spotlight()
    {
        QFETCH(QVector<QPoint>, dragPts);
        QFETCH(bool, leftButton);
        QFETCH(QRect, clear);

        RVideoTracker tracker;
        tracker.resize(200, 150);
        tracker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tracker));
        const Qt::MouseButton button = leftButton ? Qt::LeftButton : Qt::RightButton;
        QTest::mousePress(tracker.windowHandle(), button, {}, dragPts.first());
        for (const QPoint &p : dragPts.mid(1))
            QTest::mouseMove(tracker.windowHandle(), p);
        QTest::mouseRelease(tracker.windowHandle(), button, {}, dragPts.last());
        if (!clear.isEmpty())
            QCOMPARE(tracker.spotlightRect(), clear);
        // Clear inside the spotlight, veil of alpha 196 everywhere else, no band twice.
        const QImage image = renderWidget(tracker);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) != (clear.contains(x, y) ? 0 : 196))
                    QFAIL(qPrintable(QString("pixel %1,%2 alpha %3").arg(x).arg(y).arg(qAlpha(image.pixel(x, y)))));
    }

    // The page outline: fewer than four corners change nothing, and without
    // corners nothing is drawn.
    void frameCorners()
    {
        RVideoRect frame;
        frame.resize(300, 200);
        QImage blank(frame.size(), QImage::Format_ARGB32_Premultiplied);
        blank.fill(Qt::transparent);
        frame.setPoints({{1, 1}, {2, 2}, {3, 3}});
        QVERIFY(frame.points().isEmpty());
        QCOMPARE(renderWidget(frame), blank);
        const Corners page{{20, 20}, {280, 30}, {270, 180}, {30, 170}};
        frame.setPoints(page);
        frame.setPoints({});
        QCOMPARE(frame.points(), page);
        const QColor onEdge = renderWidget(frame).pixelColor((page.at(0) + page.at(1)) / 2);
        QVERIFY(onEdge.alpha() > 0 && onEdge.red() > 200 && onEdge.green() > 200 && onEdge.blue() < 50);
        frame.clearPoints();
        QVERIFY(frame.points().isEmpty());
        QCOMPARE(renderWidget(frame), blank);
    }

    void frameLine_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QRect>("part"); // a partial repaint
        QTest::newRow("full hd, narrow strip") << 1920 << QRect(900, 0, 120, 200);
        QTest::newRow("below 300 px") << 299 << QRect(100, 0, 50, 200);
    }

    void frameLine()
    {
        QFETCH(int, width);
        QFETCH(QRect, part);

        RVideoRect frame;
        frame.resize(width, 200);
        frame.setPoints({{10, 100}, {width - 10, 100}, {width - 10, 150}, {10, 150}});
        const QImage full = renderWidget(frame);
        // A partial repaint draws the same line as a full one.
        QCOMPARE(renderWidget(frame, part).copy(part), full.copy(part));
    }

    void pictureDrag_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<int>("dragMode");
        QTest::addColumn<QPoint>("grab"); // press point in the picture
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<bool>("moves");
        QTest::newRow("press without movement, then a drag") << false << int(QGraphicsView::ScrollHandDrag)
                                                             << QPoint(50, 40) << QPoint(0, 0) << true;
        QTest::newRow("locked stays put") << true << int(QGraphicsView::ScrollHandDrag) << QPoint(50, 40)
                                          << QPoint(60, 30) << false;
        QTest::newRow("rubber band keeps the press") << false << int(QGraphicsView::RubberBandDrag) << QPoint(50, 40)
                                                     << QPoint(60, 30) << false;
    }

    void pictureDrag()
    {
        QFETCH(bool, locked);
        QFETCH(int, dragMode);
        QFETCH(QPoint, grab);
        QFETCH(QPoint, delta);
        QFETCH(bool, moves);

        QGraphicsScene scene(-300, -200, 600, 400);
        auto *proxy = new RProxyWidget(nullptr, Qt::Window | Qt::FramelessWindowHint);
        auto *picture = new QWidget;
        picture->resize(200, 100);
        proxy->setWidget(picture);
        scene.addItem(proxy);
        proxy->setPos(-100, -50);
        proxy->setLock(locked);
        QGraphicsView view(&scene);
        view.setFrameShape(QFrame::NoFrame);
        view.resize(600, 400);
        view.setDragMode(QGraphicsView::DragMode(dragMode));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        auto dragBy = [&](QPointF at, QPoint by) {
            const QPoint p = view.viewport()->mapTo(&view, view.mapFromScene(at));
            QTest::mousePress(view.windowHandle(), Qt::LeftButton, {}, p);
            for (int i = 1; i <= 4; ++i) // small steps: a jump at the first move would show
                QTest::mouseMove(view.windowHandle(), p + by * i / 4);
            QTest::mouseRelease(view.windowHandle(), Qt::LeftButton, {}, p + by);
        };
        const QPointF start = proxy->pos();
        dragBy(start + grab, delta);
        const QPointF expected = moves ? start + QPointF(delta) : start;
        QCOMPARE(proxy->pos(), expected);
        QCOMPARE(proxy->size(), QSizeF(200, 100));
        if (moves) { // a second drag starts where the first ended
            dragBy(proxy->pos() + QPointF(10, 10), QPoint(-5, 8));
            QCOMPARE(proxy->pos(), expected + QPointF(-5, 8));
        }
    }
};

VISORA_TEST_MAIN(TestOverlays)
#include "tst_overlays.moc"
