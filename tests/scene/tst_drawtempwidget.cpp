#include "VisoraTest.h"

#include "RDrawTempWidget.h"

#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QWindow>

namespace {

using IntPoints = QVector<QPoint>;

// The overlay over an opaque black widget, as in the main window; mouse input
// comes through the window system, or straight to the overlay ("direct"),
// which keeps repeated and sub-pixel positions that the window system drops.
struct Host {
    QWidget host;
    RDrawTempWidget *overlay;
    explicit Host(QSize size)
    {
        host.setAutoFillBackground(true);
        QPalette pal = host.palette();
        pal.setColor(QPalette::Window, Qt::black);
        host.setPalette(pal);
        host.resize(size);
        overlay = new RDrawTempWidget(&host);
        overlay->setGeometry(host.rect());
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
    }
    void send(QEvent::Type type, QPointF at, bool direct)
    {
        if (direct) {
            QMouseEvent e(type, at, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(overlay, &e);
        } else if (type == QEvent::MouseButtonPress) {
            QTest::mousePress(host.windowHandle(), Qt::LeftButton, {}, at.toPoint());
        } else if (type == QEvent::MouseMove) {
            QTest::mouseMove(host.windowHandle(), at.toPoint());
        } else {
            QTest::mouseRelease(host.windowHandle(), Qt::LeftButton, {}, at.toPoint());
        }
    }
    void stroke(QPointF press, const QVector<QPointF> &moves, bool direct = false, bool release = true)
    {
        send(QEvent::MouseButtonPress, press, direct);
        for (const QPointF &p : moves)
            send(QEvent::MouseMove, p, direct);
        if (release)
            send(QEvent::MouseButtonRelease, moves.isEmpty() ? press : moves.last(), direct);
    }
    // The overlay alone, fully repainted, over transparency.
    QImage overlayImage() const
    {
        QImage image(overlay->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        overlay->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        return image;
    }
};

int inked(const QImage &image, QRect area = QRect())
{
    area = area.isNull() ? image.rect() : area & image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return n;
}

} // namespace

class TestDrawTempWidget : public QObject
{
    Q_OBJECT
private slots:
    void strokeIsHandedOver_data()
    {
        QTest::addColumn<QVector<QPointF>>("moves");
        QTest::addColumn<bool>("direct");
        QTest::addColumn<IntPoints>("expected");
        QTest::newRow("click") << QVector<QPointF>{} << false << IntPoints{{20, 20}};
        QTest::newRow("repeated positions kept") << QVector<QPointF>{{25, 25}, {25, 25}, {40, 30}} << true
                                                 << IntPoints{{20, 20}, {25, 25}, {25, 25}, {40, 30}};
        QTest::newRow("sub-pixel positions rounded") << QVector<QPointF>{{30.5, 40.49}, {99.49, 99.51}} << true
                                                     << IntPoints{{20, 20}, {31, 40}, {99, 100}};
    }

    void strokeIsHandedOver()
    {
        QFETCH(QVector<QPointF>, moves);
        QFETCH(bool, direct);
        QFETCH(IntPoints, expected);

        Host h(QSize(200, 160));
        QSignalSpy spy(h.overlay, &RDrawTempWidget::sTempPathPoints);
        h.stroke(QPointF(20, 20), moves, direct);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().at(0).value<IntPoints>(), expected);
        QCOMPARE(spy.first().at(1).toPointF(), QPointF(expected.last())); // start carries the last point
        QCOMPARE(spy.first().at(3).value<CurStatus>(), CurPen);
        QVERIFY(!h.overlay->isDrawing());
        QVERIFY(h.overlay->points().isEmpty());

        // Without a press, moves and releases go to the base widget and nothing is sent.
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(50, 50), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(h.overlay, &release);
        QVERIFY(!release.isAccepted());
        QCOMPARE(spy.count(), 1);
    }

    void liveInkAndWipe_data()
    {
        QTest::addColumn<QVector<QPointF>>("moves");
        QTest::addColumn<bool>("shown");
        QTest::newRow("one move shows nothing yet") << QVector<QPointF>{{60, 50}} << false;
        QTest::newRow("two moves show the stroke") << QVector<QPointF>{{60, 50}, {100, 50}} << true;
        QTest::newRow("repeated positions paint nothing") << QVector<QPointF>{{20, 50}, {20, 50}, {20, 50}} << false;
    }

    void liveInkAndWipe()
    {
        QFETCH(QVector<QPointF>, moves);
        QFETCH(bool, shown);

        Host h(QSize(240, 200));
        h.stroke(QPointF(20, 50), moves, true, false);
        QCOMPARE(inked(h.overlayImage()) > 0, shown);
        h.send(QEvent::MouseButtonRelease, QPointF(20, 50), true);
        QCOMPARE(inked(h.overlayImage()), 0);
        // The next stroke starts on a clean canvas.
        h.stroke(QPointF(200, 180), {{210, 185}, {220, 190}}, true, false);
        QVERIFY(inked(h.overlayImage()) > 0);
        QCOMPARE(inked(h.overlayImage(), QRect(0, 0, 180, 160)), 0);
    }

    void screenShowsWholeStroke_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QVector<QPointF>>("moves");
        QTest::newRow("fast flick, then a short step") << 6 << QVector<QPointF>{{1100, 100}, {1150, 110}, {1160, 120}};
        QTest::newRow("very wide pen") << 240 << QVector<QPointF>{{300, 300}, {500, 300}, {700, 400}};
    }

    void screenShowsWholeStroke()
    {
        QFETCH(int, width);
        QFETCH(QVector<QPointF>, moves);

        // Each move repaints only a region; after them the screen must show what a
        // full repaint shows.
        Host h(QSize(1200, 700));
        h.overlay->setPen(width, QColor(200, 0, 0));
        h.send(QEvent::MouseButtonPress, QPointF(100, 100), false);
        for (const QPointF &p : moves) {
            h.send(QEvent::MouseMove, p, false);
            QCoreApplication::processEvents();
        }
        const QImage screen = h.host.screen()->grabWindow(h.host.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage full = h.host.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(inked(h.overlayImage()) > 0);
        QCOMPARE(screen, full);
    }

    void canvasFollowsSize()
    {
        Host h(QSize(160, 120));
        h.stroke(QPointF(80, 60), {{90, 60}, {100, 60}}, true);
        h.host.resize(400, 300);
        h.overlay->resize(400, 300);
        h.stroke(QPointF(340, 280), {{360, 280}, {380, 280}}, true, false);
        QVERIFY(inked(h.overlayImage(), QRect(350, 276, 20, 8)) > 0);
    }
};

VISORA_TEST_MAIN(TestDrawTempWidget)
#include "tst_drawtempwidget.moc"
