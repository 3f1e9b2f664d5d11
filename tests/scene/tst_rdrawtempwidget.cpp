#include "VisoraTest.h"

#include "RDrawTempWidget.h"

#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QWindow>

namespace {

QImage renderWidget(RDrawTempWidget &w)
{
    QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    w.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

int inkPixels(const QImage &image, const QRect &area = QRect())
{
    const QRect r = area.isNull() ? image.rect() : area & image.rect();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return n;
}

// A shown top-level overlay that receives mouse input through the window system.
struct Overlay {
    RDrawTempWidget widget;
    explicit Overlay(QSize size)
    {
        widget.resize(size);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
    }
    QWindow *window() { return widget.windowHandle(); }
    void press(QPoint p) { QTest::mousePress(window(), Qt::LeftButton, {}, p); }
    void move(QPoint p) { QTest::mouseMove(window(), p); }
    // Straight to the widget: the window system would drop repeated positions.
    void moveDirect(QPoint p)
    {
        QMouseEvent move(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &move);
    }
    void release(QPoint p) { QTest::mouseRelease(window(), Qt::LeftButton, {}, p); }
};

} // namespace

class TestRDrawTempWidget : public QObject
{
    Q_OBJECT
private slots:
    void strokeIsEmitted_data();
    void strokeIsEmitted();
    void positionsAreRounded_data();
    void positionsAreRounded();
    void liveInkAndWipe_data();
    void liveInkAndWipe();
    void penOfLiveInk_data();
    void penOfLiveInk();
    void screenMatchesFullRepaint_data();
    void screenMatchesFullRepaint();
    void canvasFollowsSize_data();
    void canvasFollowsSize();
    void eventsWithoutPressArePassedOn_data();
    void eventsWithoutPressArePassedOn();
};

void TestRDrawTempWidget::strokeIsEmitted_data()
{
    QTest::addColumn<QVector<QPoint>>("moves");
    QTest::addColumn<bool>("direct"); // events straight to the widget, no window system
    QTest::addColumn<QVector<QPoint>>("expected");

    QTest::newRow("click without movement") << QVector<QPoint>{} << false << QVector<QPoint>{{20, 20}};
    QTest::newRow("straight stroke") << QVector<QPoint>{{30, 20}, {40, 20}, {50, 20}} << false
                                     << QVector<QPoint>{{20, 20}, {30, 20}, {40, 20}, {50, 20}};
    QTest::newRow("curved stroke") << QVector<QPoint>{{60, 40}, {90, 80}, {70, 120}, {30, 100}} << false
                                   << QVector<QPoint>{{20, 20}, {60, 40}, {90, 80}, {70, 120}, {30, 100}};
    // The window system drops repeated positions; tablets and touch deliver them.
    QTest::newRow("repeated positions are kept") << QVector<QPoint>{{25, 25}, {25, 25}, {25, 25}, {40, 30}} << true
                                                 << QVector<QPoint>{{20, 20}, {25, 25}, {25, 25}, {25, 25}, {40, 30}};
    QTest::newRow("only repeated positions") << QVector<QPoint>{{20, 20}, {20, 20}} << true
                                             << QVector<QPoint>{{20, 20}, {20, 20}, {20, 20}};
}

void TestRDrawTempWidget::strokeIsEmitted()
{
    QFETCH(QVector<QPoint>, moves);
    QFETCH(bool, direct);
    QFETCH(QVector<QPoint>, expected);

    Overlay o(QSize(200, 160));
    QSignalSpy spy(&o.widget, &RDrawTempWidget::sTempPathPoints);
    const QPoint pressAt(20, 20);
    const QPoint releaseAt = moves.isEmpty() ? pressAt : moves.last();
    if (direct) {
        QMouseEvent press(QEvent::MouseButtonPress, pressAt, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&o.widget, &press);
        for (const QPoint &p : moves) {
            QMouseEvent move(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&o.widget, &move);
        }
        QMouseEvent release(QEvent::MouseButtonRelease, releaseAt, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&o.widget, &release);
    } else {
        o.press(pressAt);
        QVERIFY(o.widget.isDrawing());
        for (const QPoint &p : moves)
            o.move(p);
        o.release(releaseAt);
    }

    QCOMPARE(spy.count(), 1);
    const QList<QVariant> args = spy.first();
    QCOMPARE(args.at(0).value<QVector<QPoint>>(), expected);
    // The start point carries the last stroke point.
    QCOMPARE(args.at(1).toPointF(), QPointF(expected.last()));
    QCOMPARE(args.at(3).value<CurStatus>(), CurPen);
    QVERIFY(!o.widget.isDrawing());
    QVERIFY(o.widget.points().isEmpty());
}

void TestRDrawTempWidget::positionsAreRounded_data()
{
    QTest::addColumn<QPointF>("pressAt");
    QTest::addColumn<QPointF>("moveTo");
    QTest::addColumn<QVector<QPoint>>("expected");

    QTest::newRow("halves round away from zero") << QPointF(10.5, 20.5) << QPointF(30.4, 40.6)
                                                 << QVector<QPoint>{{11, 21}, {30, 41}};
    QTest::newRow("just below a half") << QPointF(0.49, 0.2) << QPointF(99.49, 99.51)
                                       << QVector<QPoint>{{0, 0}, {99, 100}};
}

void TestRDrawTempWidget::positionsAreRounded()
{
    QFETCH(QPointF, pressAt);
    QFETCH(QPointF, moveTo);
    QFETCH(QVector<QPoint>, expected);

    // Sub-pixel positions (zoomed or touch input) do not come through QTest.
    RDrawTempWidget w;
    w.resize(200, 200);
    QSignalSpy spy(&w, &RDrawTempWidget::sTempPathPoints);
    QMouseEvent press(QEvent::MouseButtonPress, pressAt, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &press);
    QMouseEvent move(QEvent::MouseMove, moveTo, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, moveTo, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &release);

    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().at(0).value<QVector<QPoint>>(), expected);
}

void TestRDrawTempWidget::liveInkAndWipe_data()
{
    QTest::addColumn<QVector<QPoint>>("moves");
    QTest::addColumn<bool>("inkShown");

    QTest::newRow("press only") << QVector<QPoint>{} << false;
    QTest::newRow("one move shows nothing yet") << QVector<QPoint>{{60, 50}} << false;
    QTest::newRow("two moves show the stroke") << QVector<QPoint>{{60, 50}, {100, 50}} << true;
    QTest::newRow("long stroke") << QVector<QPoint>{{60, 50}, {100, 60}, {140, 90}, {150, 130}, {120, 150}} << true;
    QTest::newRow("repeated positions paint no segment") << QVector<QPoint>{{20, 50}, {20, 50}, {20, 50}} << false;
    QTest::newRow("repeated then moving") << QVector<QPoint>{{20, 50}, {20, 50}, {70, 50}} << true;
}

void TestRDrawTempWidget::liveInkAndWipe()
{
    QFETCH(QVector<QPoint>, moves);
    QFETCH(bool, inkShown);

    Overlay o(QSize(240, 200));
    o.widget.setPen(6, QColor(0, 0, 255));
    o.press(QPoint(20, 50));
    for (const QPoint &p : moves)
        o.moveDirect(p);
    QCOMPARE(inkPixels(renderWidget(o.widget)) > 0, inkShown);
    o.release(moves.isEmpty() ? QPoint(20, 50) : moves.last());
    QCOMPARE(inkPixels(renderWidget(o.widget)), 0);

    // The next stroke starts on a clean canvas: its first visible picture
    // holds no ink of the previous one.
    o.press(QPoint(200, 180));
    o.move(QPoint(210, 185));
    o.move(QPoint(220, 190));
    const QImage next = renderWidget(o.widget);
    QVERIFY(inkPixels(next) > 0);
    QCOMPARE(inkPixels(next, QRect(0, 0, 180, 160)), 0);
    o.release(QPoint(220, 190));
}

void TestRDrawTempWidget::penOfLiveInk_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QColor>("color");

    QTest::newRow("thin red") << 3 << QColor(255, 0, 0);
    QTest::newRow("wide blue") << 16 << QColor(0, 0, 255);
    QTest::newRow("translucent green does not build up") << 10 << QColor(0, 160, 0, 128);
}

void TestRDrawTempWidget::penOfLiveInk()
{
    QFETCH(int, width);
    QFETCH(QColor, color);

    Overlay o(QSize(300, 120));
    o.widget.setPenWidth(width);
    o.widget.setPenColor(color);
    QCOMPARE(o.widget.penWidth(), width);
    // A horizontal stroke along y = 60 in short steps, so the segments overlap.
    o.press(QPoint(20, 60));
    for (int x = 24; x <= 280; x += 4)
        o.move(QPoint(x, 60));
    const QImage image = renderWidget(o.widget);
    o.release(QPoint(280, 60));

    int run = 0;
    for (int y = 0; y < image.height(); ++y)
        run += qAlpha(image.pixel(150, y)) > 0 ? 1 : 0;
    QVERIFY2(qAbs(run - width) <= 2, qPrintable(QString("run %1").arg(run)));
    for (int x = 40; x < 260; x += 7) {
        const QColor seen = image.pixelColor(x, 60);
        QVERIFY2(qAbs(seen.alpha() - color.alpha()) <= 2, qPrintable(QString("x %1 alpha %2").arg(x).arg(seen.alpha())));
        QVERIFY(qAbs(seen.red() - color.red()) <= 2);
        QVERIFY(qAbs(seen.green() - color.green()) <= 2);
        QVERIFY(qAbs(seen.blue() - color.blue()) <= 2);
    }
}

void TestRDrawTempWidget::screenMatchesFullRepaint_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QVector<QPoint>>("moves");

    QTest::newRow("ordinary stroke") << 5 << QVector<QPoint>{{120, 100}, {160, 130}, {200, 170}, {230, 220}, {260, 240}};
    QTest::newRow("short jitter") << 8 << QVector<QPoint>{{101, 100}, {102, 101}, {101, 102}, {103, 103}, {104, 102}};
    QTest::newRow("long jumps back and forth") << 6 << QVector<QPoint>{{1100, 120}, {100, 600}, {1150, 650}, {80, 90}};
    QTest::newRow("fast flick then a short step") << 6 << QVector<QPoint>{{1100, 100}, {1150, 110}, {1160, 120}};
    QTest::newRow("very wide pen") << 240 << QVector<QPoint>{{300, 300}, {500, 300}, {700, 400}};
}

void TestRDrawTempWidget::screenMatchesFullRepaint()
{
    QFETCH(int, width);
    QFETCH(QVector<QPoint>, moves);

    // As in the main window: the overlay lies over an opaque widget. What
    // reaches the screen after the partial repaints of each move must be the
    // whole live stroke, as a full repaint draws it.
    QWidget host;
    host.setAutoFillBackground(true);
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, Qt::black);
    host.setPalette(pal);
    host.resize(1200, 700);
    auto *overlay = new RDrawTempWidget(&host);
    overlay->setGeometry(host.rect());
    overlay->setPen(width, QColor(200, 0, 0));
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QWindow *window = host.windowHandle();

    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(100, 100));
    for (const QPoint &p : moves) {
        QTest::mouseMove(window, p);
        QCoreApplication::processEvents();
    }
    const QImage screen = host.screen()->grabWindow(host.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage full = host.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QTest::mouseRelease(window, Qt::LeftButton, {}, moves.last());

    QCOMPARE(screen.size(), full.size());
    int differing = 0, inked = 0;
    for (int y = 0; y < full.height(); ++y)
        for (int x = 0; x < full.width(); ++x) {
            inked += qRed(full.pixel(x, y)) > 0 ? 1 : 0;
            differing += screen.pixel(x, y) != full.pixel(x, y) ? 1 : 0;
        }
    QVERIFY(inked > 0);
    QCOMPARE(differing, 0);
}

void TestRDrawTempWidget::canvasFollowsSize_data()
{
    QTest::addColumn<QSize>("first");
    QTest::addColumn<QSize>("second");

    QTest::newRow("grown after a stroke") << QSize(160, 120) << QSize(400, 300);
    QTest::newRow("shrunk after a stroke") << QSize(400, 300) << QSize(200, 150);
    QTest::newRow("from a tiny widget") << QSize(1, 1) << QSize(320, 240);
}

void TestRDrawTempWidget::canvasFollowsSize()
{
    QFETCH(QSize, first);
    QFETCH(QSize, second);

    Overlay o(first);
    QSignalSpy spy(&o.widget, &RDrawTempWidget::sTempPathPoints);
    o.press(QPoint(0, 0) + QPoint(first.width() / 2, first.height() / 2));
    o.release(QPoint(first.width() / 2, first.height() / 2));

    o.widget.resize(second);
    QCoreApplication::processEvents();
    // A stroke near the new bottom-right corner shows in full.
    const QPoint a(second.width() - 60, second.height() - 20);
    o.press(a);
    o.move(a + QPoint(20, 0));
    o.move(a + QPoint(40, 0));
    const QImage image = renderWidget(o.widget);
    o.release(a + QPoint(40, 0));
    QCOMPARE(image.size(), second);
    QVERIFY(inkPixels(image, QRect(a + QPoint(10, -4), QSize(20, 8))) > 0);
    QCOMPARE(spy.count(), 2);
}

void TestRDrawTempWidget::eventsWithoutPressArePassedOn_data()
{
    QTest::addColumn<bool>("withMove");

    QTest::newRow("release only") << false;
    QTest::newRow("move then release") << true;
}

void TestRDrawTempWidget::eventsWithoutPressArePassedOn()
{
    QFETCH(bool, withMove);

    RDrawTempWidget w;
    w.resize(100, 100);
    QSignalSpy spy(&w, &RDrawTempWidget::sTempPathPoints);
    if (withMove) {
        QMouseEvent move(QEvent::MouseMove, QPointF(40, 40), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &move);
        QVERIFY(!move.isAccepted());
    }
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(50, 50), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &release);
    QVERIFY(!release.isAccepted());
    QCOMPARE(spy.count(), 0);
    QVERIFY(w.points().isEmpty());
}

VISORA_TEST_MAIN(TestRDrawTempWidget)
#include "tst_rdrawtempwidget.moc"
