#include "VisoraTest.h"

#include "RHandWriteWidget.h"

#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QSignalSpy>

namespace {

const QRectF kSceneRect(0, 0, 300, 200);

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

void stroke(QGraphicsScene &scene, const QVector<QPointF> &points)
{
    sendMouse(scene, QEvent::GraphicsSceneMousePress, points.first(), Qt::LeftButton);
    for (int i = 1; i < points.size(); ++i)
        sendMouse(scene, QEvent::GraphicsSceneMouseMove, points.at(i), Qt::LeftButton);
    sendMouse(scene, QEvent::GraphicsSceneMouseRelease, points.last(), Qt::NoButton);
}

QImage renderScene(QGraphicsScene &scene)
{
    QImage image(kSceneRect.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    scene.render(&painter, QRectF(QPointF(0, 0), kSceneRect.size()), kSceneRect);
    return image;
}

} // namespace

class TestRHandWriteWidget : public QObject
{
    Q_OBJECT
private slots:
    void writing_data();
    void writing();
};

void TestRHandWriteWidget::writing_data()
{
    QTest::addColumn<bool>("drawing");
    QTest::addColumn<QVector<QPointF>>("first");
    QTest::addColumn<QVector<QPointF>>("second");
    QTest::addColumn<int>("strokes");

    QTest::newRow("not writing takes nothing") << false << QVector<QPointF>{{20, 20}, {80, 40}}
                                               << QVector<QPointF>{} << 0;
    QTest::newRow("one stroke") << true << QVector<QPointF>{{20, 20}, {80, 40}, {140, 30}}
                                << QVector<QPointF>{} << 1;
    QTest::newRow("click draws nothing") << true << QVector<QPointF>{{50, 50}} << QVector<QPointF>{} << 1;
    QTest::newRow("second stroke keeps the first") << true << QVector<QPointF>{{20, 20}, {80, 40}}
                                                   << QVector<QPointF>{{200, 150}, {260, 180}} << 2;
}

void TestRHandWriteWidget::writing()
{
    QFETCH(bool, drawing);
    QFETCH(QVector<QPointF>, first);
    QFETCH(QVector<QPointF>, second);
    QFETCH(int, strokes);

    QGraphicsScene scene(kSceneRect);
    auto *item = new RHandWriteWidget;
    item->setGeometry(kSceneRect);
    scene.addItem(item);
    item->setDrawing(drawing);
    QCOMPARE(item->penWidth(), 6);
    QCOMPARE(item->penColor(), QColor(255, 0, 0));
    QSignalSpy spy(item, &RHandWriteWidget::drawdone);

    stroke(scene, first);
    if (!second.isEmpty())
        stroke(scene, second);

    QCOMPARE(item->strokes().size(), strokes);
    QCOMPARE(spy.count(), strokes);
    if (strokes)
        QCOMPARE(item->points(), second.isEmpty() ? first : second);

    // Each stroke of two or more points is drawn as a polyline through its points.
    const QImage image = renderScene(scene);
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            inked += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    const bool anyLine = drawing && (first.size() > 1 || second.size() > 1);
    QCOMPARE(inked > 0, anyLine);
    for (const QVector<QPointF> &s : {first, second}) {
        if (!drawing || s.size() < 2)
            continue;
        const QPointF mid = (s.at(0) + s.at(1)) / 2;
        QVERIFY(qAlpha(image.pixel(mid.toPoint())) > 0);
    }
}

VISORA_TEST_MAIN(TestRHandWriteWidget)
#include "tst_rhandwritewidget.moc"
