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
    // Pinches in a row: the shown zoom is clamped, and only a released pinch
    // becomes the factor the next one starts from.
    void pinch_data()
    {
        QTest::addColumn<QList<double>>("ratios");
        QTest::addColumn<bool>("released");
        QTest::addColumn<int>("value");
        QTest::addColumn<double>("shown");
        QTest::addColumn<double>("total");
        QTest::newRow("doubling") << QList<double>{2.0} << true << 300 << 2.0 << 2.0;
        QTest::newRow("clamped at five") << QList<double>{8.0} << true << 366 << 5.0 << 5.0;
        QTest::newRow("clamped at a quarter") << QList<double>{0.1} << true << 150 << 0.25 << 0.25;
        QTest::newRow("held pinch commits nothing") << QList<double>{2.0} << false << 300 << 2.0 << 1.0;
        QTest::newRow("second pinch starts from the first") << QList<double>{2.0, 2.0} << true << 350 << 4.0 << 4.0;
    }

    void pinch()
    {
        QFETCH(QList<double>, ratios);
        QFETCH(bool, released);
        QFETCH(int, value);
        QFETCH(double, shown);
        RNoScrollGraphicsView view;
        QSignalSpy values(&view, &RNoScrollGraphicsView::changedTouchValue);
        QSignalSpy factors(&view, &RNoScrollGraphicsView::sChangeFactor);
        for (double ratio : ratios)
            view.applyPinch(ratio, released);
        QCOMPARE(values.count(), ratios.size());
        QCOMPARE(values.last().first().toInt(), value);
        QCOMPARE(factors.count(), ratios.size());
        QVERIFY(qFuzzyCompare(view.transform().m11(), shown));
        QTEST(view.totalFactor(), "total");
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

    // Fingers spread to twice their distance: one finger is ordinary touch,
    // two zoom and commit on release.
    void touch_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("value"); // -1: no zoom
        QTest::addColumn<double>("total");
        QTest::newRow("one finger is ordinary touch") << 1 << -1 << 1.0;
        QTest::newRow("two fingers zoom") << 2 << 300 << 2.0;
    }

    void touch()
    {
        QFETCH(int, count);
        QFETCH(int, value);
        RNoScrollGraphicsView view;
        view.resize(200, 200);
        QSignalSpy values(&view, &RNoScrollGraphicsView::changedTouchValue);
        QTouchDevice device;
        device.setType(QTouchDevice::TouchScreen);
        QTouchEvent begin(QEvent::TouchBegin, &device, Qt::NoModifier, Qt::TouchPointPressed,
                          fingers(count, 50, 50, Qt::TouchPointPressed));
        QApplication::sendEvent(view.viewport(), &begin);
        QTouchEvent end(QEvent::TouchEnd, &device, Qt::NoModifier, Qt::TouchPointReleased,
                        fingers(count, 50, 100, Qt::TouchPointReleased));
        QApplication::sendEvent(view.viewport(), &end);
        QCOMPARE(values.isEmpty() ? -1 : values.last().first().toInt(), value);
        QTEST(view.totalFactor(), "total");
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
