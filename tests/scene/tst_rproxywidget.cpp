#include "VisoraTest.h"

#include "RProxyWidget.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QWindow>

class TestRProxyWidget : public QObject
{
    Q_OBJECT
private slots:
    void drag_data();
    void drag();
};

void TestRProxyWidget::drag_data()
{
    QTest::addColumn<bool>("locked");
    QTest::addColumn<int>("dragMode");
    QTest::addColumn<QPoint>("grab");  // press point inside the picture, picture coordinates
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<bool>("moves");

    QTest::newRow("unlocked follows the pointer") << false << int(QGraphicsView::ScrollHandDrag) << QPoint(50, 40)
                                                  << QPoint(60, 30) << true;
    QTest::newRow("grabbed near a corner, dragged up-left") << false << int(QGraphicsView::ScrollHandDrag)
                                                            << QPoint(190, 90) << QPoint(-70, -45) << true;
    QTest::newRow("without drag mode") << false << int(QGraphicsView::NoDrag) << QPoint(20, 20) << QPoint(15, 25)
                                       << true;
    QTest::newRow("locked stays put") << true << int(QGraphicsView::ScrollHandDrag) << QPoint(50, 40)
                                      << QPoint(60, 30) << false;
    QTest::newRow("rubber band keeps the press") << false << int(QGraphicsView::RubberBandDrag) << QPoint(50, 40)
                                                 << QPoint(60, 30) << false;
    QTest::newRow("press without movement") << false << int(QGraphicsView::ScrollHandDrag) << QPoint(50, 40)
                                            << QPoint(0, 0) << true;
}

void TestRProxyWidget::drag()
{
    QFETCH(bool, locked);
    QFETCH(int, dragMode);
    QFETCH(QPoint, grab);
    QFETCH(QPoint, delta);
    QFETCH(bool, moves);

    QGraphicsScene scene(-300, -200, 600, 400);
    auto *picture = new QWidget;
    picture->resize(200, 100);
    auto *proxy = new RProxyWidget(nullptr, Qt::Window | Qt::FramelessWindowHint);
    proxy->setWidget(picture);
    scene.addItem(proxy);
    proxy->setPos(-100, -50);
    proxy->setZValue(-9999);
    proxy->setLock(locked);
    QCOMPARE(proxy->isLocked(), locked);

    QGraphicsView view(&scene);
    view.setFrameShape(QFrame::NoFrame);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.resize(600, 400);
    view.setDragMode(QGraphicsView::DragMode(dragMode));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QWindow *window = view.windowHandle();

    const QPointF start = proxy->pos();
    const QPoint pressAt = view.viewport()->mapTo(&view, view.mapFromScene(start + QPointF(grab)));
    QTest::mousePress(window, Qt::LeftButton, {}, pressAt);
    // Several small steps, so a jump at the first move would show.
    for (int i = 1; i <= 4; ++i)
        QTest::mouseMove(window, pressAt + delta * i / 4);
    QTest::mouseRelease(window, Qt::LeftButton, {}, pressAt + delta);

    const QPointF expected = moves ? start + QPointF(delta) : start;
    QCOMPARE(proxy->pos(), expected);
    QCOMPARE(proxy->size(), QSizeF(200, 100));

    // A second drag starts from where the first ended, without a jump.
    if (moves) {
        const QPoint again = view.viewport()->mapTo(&view, view.mapFromScene(proxy->pos() + QPointF(10, 10)));
        QTest::mousePress(window, Qt::LeftButton, {}, again);
        QTest::mouseMove(window, again + QPoint(-5, 8));
        QTest::mouseRelease(window, Qt::LeftButton, {}, again + QPoint(-5, 8));
        QCOMPARE(proxy->pos(), expected + QPointF(-5, 8));
    }
}

VISORA_TEST_MAIN(TestRProxyWidget)
#include "tst_rproxywidget.moc"
