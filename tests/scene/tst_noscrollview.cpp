#include "RNoScrollGraphicsView.h"
#include "VisoraTest.h"

#include <QGraphicsScene>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTouchDevice>
#include <QWheelEvent>

namespace {

QList<QTouchEvent::TouchPoint> fingers(int count, qreal startDist, qreal nowDist, Qt::TouchPointState state)
{
    QList<QTouchEvent::TouchPoint> points;
    for (int i = 0; i < count; ++i) {
        QTouchEvent::TouchPoint p(i);
        p.setStartPos(QPointF(100 + i * startDist, 100));
        p.setPos(QPointF(100 + i * nowDist, 100));
        p.setState(i == 0 ? state : Qt::TouchPointMoved);
        points << p;
    }
    return points;
}

} // namespace

class TestNoScrollView : public QObject
{
    Q_OBJECT
private slots:
    void pinch_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<int>("value");
        QTest::addColumn<double>("factor");
        QTest::newRow("doubling") << 2.0 << 300 << 2.0;
        QTest::newRow("clamped at five") << 8.0 << 366 << 5.0;
        QTest::newRow("clamped at a quarter") << 0.1 << 150 << 0.25;
    }

    void pinch()
    {
        QFETCH(qreal, ratio);
        QFETCH(int, value);
        QFETCH(double, factor);
        RNoScrollGraphicsView view;
        QSignalSpy values(&view, &RNoScrollGraphicsView::changedTouchValue);
        QSignalSpy factors(&view, &RNoScrollGraphicsView::sChangeFactor);
        QCOMPARE(view.applyPinch(ratio, true), value);
        QCOMPARE(values.count(), 1);
        QCOMPARE(values.first().first().toInt(), value);
        QCOMPARE(factors.count(), 1);
        QVERIFY(qFuzzyCompare(view.totalFactor(), factor));
        QVERIFY(qFuzzyCompare(view.transform().m11(), factor));
    }

    void pinchCommitsOnlyOnRelease()
    {
        RNoScrollGraphicsView view;
        view.applyPinch(2.0, false);
        QVERIFY(qFuzzyCompare(view.transform().m11(), 2.0));
        QCOMPARE(view.totalFactor(), 1.0);
        view.applyPinch(2.0, true);
        QCOMPARE(view.totalFactor(), 2.0);
    }

    void secondPinchStartsFromCommittedFactor()
    {
        RNoScrollGraphicsView view;
        view.applyPinch(2.0, true);
        QCOMPARE(view.applyPinch(2.0, true), 350);
        QCOMPARE(view.totalFactor(), 4.0);
        QCOMPARE(view.applyPinch(2.0, true), 366);
        QCOMPARE(view.totalFactor(), 5.0);
    }

    void wheelNeitherScrollsNorZooms()
    {
        QGraphicsScene scene(0, 0, 5000, 5000);
        RNoScrollGraphicsView view;
        view.setScene(&scene);
        view.resize(200, 200);
        view.show();
        const QTransform before = view.transform();
        const int v = view.verticalScrollBar()->value();
        QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &wheel);
        QCOMPARE(view.verticalScrollBar()->value(), v);
        QCOMPARE(view.transform(), before);
        QVERIFY(!wheel.isAccepted());
    }

    void oneFingerIsOrdinaryTouch()
    {
        const int count = 1;
        RNoScrollGraphicsView view;
        view.resize(200, 200);
        QSignalSpy values(&view, &RNoScrollGraphicsView::changedTouchValue);
        QTouchDevice device;
        device.setType(QTouchDevice::TouchScreen);
        QTouchEvent begin(QEvent::TouchBegin, &device, Qt::NoModifier, Qt::TouchPointPressed,
                          fingers(count, 50, 50, Qt::TouchPointPressed));
        QApplication::sendEvent(view.viewport(), &begin);
        QTouchEvent event(QEvent::TouchUpdate, &device, Qt::NoModifier, Qt::TouchPointMoved,
                          fingers(count, 50, 100, Qt::TouchPointMoved));
        QApplication::sendEvent(view.viewport(), &event);
        QCOMPARE(values.count(), 0);
        QCOMPARE(view.totalFactor(), 1.0);

        // The same gesture with two fingers zooms and commits on release.
        QTouchEvent twoBegin(QEvent::TouchBegin, &device, Qt::NoModifier, Qt::TouchPointPressed,
                             fingers(2, 50, 50, Qt::TouchPointPressed));
        QApplication::sendEvent(view.viewport(), &twoBegin);
        QTouchEvent two(QEvent::TouchEnd, &device, Qt::NoModifier, Qt::TouchPointReleased,
                        fingers(2, 50, 100, Qt::TouchPointReleased));
        QApplication::sendEvent(view.viewport(), &two);
        QVERIFY(values.count() >= 1);
        QCOMPARE(values.last().first().toInt(), 300);
        QCOMPARE(view.totalFactor(), 2.0);
    }

    void rotationIsPartOfTheTransform()
    {
        RNoScrollGraphicsView view;
        view.setRotateAngle(90);
        view.applyPinch(2.0, true);
        const QPointF mapped = view.transform().map(QPointF(1, 0));
        QVERIFY(qAbs(mapped.x()) < 1e-9);
        QVERIFY(qFuzzyCompare(mapped.y(), 2.0));
    }
};

VISORA_TEST_MAIN(TestNoScrollView)
#include "tst_noscrollview.moc"
