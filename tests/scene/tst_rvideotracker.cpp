#include "VisoraTest.h"

#include "RVideoTracker.h"

#include <QWindow>

namespace {

QImage renderTracker(RVideoTracker &w)
{
    QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    w.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

} // namespace

class TestRVideoTracker : public QObject
{
    Q_OBJECT
private slots:
    void spotlight_data();
    void spotlight();
};

void TestRVideoTracker::spotlight_data()
{
    QTest::addColumn<QVector<QPoint>>("drag");      // press, moves...; release at the last point
    QTest::addColumn<int>("buttonValue");
    QTest::addColumn<QRect>("clear");               // the spotlight, empty when all is veiled
    QTest::addColumn<QPoint>("pressPoint");
    QTest::addColumn<QPoint>("currentPoint");

    QTest::newRow("fresh widget is veiled") << QVector<QPoint>{} << int(Qt::LeftButton) << QRect() << QPoint(0, 0)
                                            << QPoint(0, 0);
    QTest::newRow("down-right") << QVector<QPoint>{{40, 30}, {100, 80}, {160, 110}} << int(Qt::LeftButton)
                                << QRect(40, 30, 120, 80) << QPoint(40, 30) << QPoint(160, 110);
    QTest::newRow("up-left") << QVector<QPoint>{{160, 110}, {100, 60}, {40, 30}} << int(Qt::LeftButton)
                             << QRect(40, 30, 120, 80) << QPoint(160, 110) << QPoint(40, 30);
    QTest::newRow("up-right") << QVector<QPoint>{{40, 110}, {160, 30}} << int(Qt::LeftButton) << QRect(40, 30, 120, 80)
                              << QPoint(40, 110) << QPoint(160, 30);
    QTest::newRow("down-left") << QVector<QPoint>{{160, 30}, {40, 110}} << int(Qt::LeftButton) << QRect(40, 30, 120, 80)
                               << QPoint(160, 30) << QPoint(40, 110);
    QTest::newRow("press and release without movement") << QVector<QPoint>{{70, 70}} << int(Qt::LeftButton) << QRect()
                                                        << QPoint(70, 70) << QPoint(70, 70);
    QTest::newRow("right button is ignored") << QVector<QPoint>{{40, 30}, {160, 110}} << int(Qt::RightButton) << QRect()
                                             << QPoint(0, 0) << QPoint(0, 0);
    QTest::newRow("whole picture") << QVector<QPoint>{{1, 1}, {199, 149}} << int(Qt::LeftButton)
                                   << QRect(1, 1, 198, 148) << QPoint(1, 1) << QPoint(199, 149);
    QTest::newRow("drag past the edge stops at it") << QVector<QPoint>{{150, 100}, {260, 190}} << int(Qt::LeftButton)
                                                    << QRect(150, 100, 50, 50) << QPoint(150, 100) << QPoint(200, 150);
}

void TestRVideoTracker::spotlight()
{
    QFETCH(QVector<QPoint>, drag);
    QFETCH(int, buttonValue);
    const auto button = Qt::MouseButton(buttonValue);
    QFETCH(QRect, clear);
    QFETCH(QPoint, pressPoint);
    QFETCH(QPoint, currentPoint);

    RVideoTracker tracker;
    tracker.resize(200, 150);
    tracker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tracker));
    QWindow *window = tracker.windowHandle();
    if (!drag.isEmpty()) {
        QTest::mousePress(window, button, {}, drag.first());
        for (int i = 1; i < drag.size(); ++i)
            QTest::mouseMove(window, drag.at(i));
        QTest::mouseRelease(window, button, {}, drag.last());
    }
    QVERIFY(!tracker.isDragging());
    QCOMPARE(tracker.pressPoint(), pressPoint);
    QCOMPARE(tracker.currentPoint(), currentPoint);
    QCOMPARE(tracker.spotlightRect().isEmpty(), clear.isEmpty());
    if (!clear.isEmpty())
        QCOMPARE(tracker.spotlightRect(), clear);

    // Every pixel is either clear (inside the spotlight) or under the veil of
    // alpha 196, with no band drawn twice.
    const QImage image = renderTracker(tracker);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            const int expected = clear.contains(x, y) ? 0 : 196;
            if (alpha != expected)
                QFAIL(qPrintable(QString("pixel %1,%2 alpha %3, expected %4").arg(x).arg(y).arg(alpha).arg(expected)));
        }
}

VISORA_TEST_MAIN(TestRVideoTracker)
#include "tst_rvideotracker.moc"
