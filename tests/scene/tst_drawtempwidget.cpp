#include "VisoraTest.h"
#include "MouseTest.h"

#include "RDrawTempWidget.h"

#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QWindow>

namespace {

using IntPoints = QVector<QPoint>;

// The overlay over an opaque black widget, as in the main window.
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
    // The overlay alone, fully repainted, over transparency.
    QImage overlayImage() const
    {
        QImage image(overlay->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        overlay->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        return image;
    }
};

// A release on its own; true when the overlay took it.
bool release(QWidget *overlay, QPointF at)
{
    QMouseEvent up(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(overlay, &up);
    return up.isAccepted();
}

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
        QTest::addColumn<QVector<QPointF>>("stroke");
        QTest::addColumn<IntPoints>("expected");
        QTest::newRow("click") << QVector<QPointF>{{20, 20}} << IntPoints{{20, 20}};
        QTest::newRow("repeated positions kept") << QVector<QPointF>{{20, 20}, {25, 25}, {25, 25}, {40, 30}}
                                                 << IntPoints{{20, 20}, {25, 25}, {25, 25}, {40, 30}};
        QTest::newRow("sub-pixel positions rounded") << QVector<QPointF>{{20, 20}, {30.5, 40.49}, {99.49, 99.51}}
                                                     << IntPoints{{20, 20}, {31, 40}, {99, 100}};
    }

    void strokeIsHandedOver()
    {
        QFETCH(QVector<QPointF>, stroke);
        QFETCH(IntPoints, expected);
        Host h(QSize(200, 160));
        QSignalSpy spy(h.overlay, &RDrawTempWidget::sTempPathPoints);
        VisoraTest::widgetDrag(h.overlay, stroke);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().at(0).value<IntPoints>(), expected);
        QCOMPARE(spy.first().at(1).toPointF(), QPointF(expected.last())); // start carries the last point
        QCOMPARE(spy.first().at(3).value<CurStatus>(), CurPen);

        // Without a press, moves and releases go to the base widget and nothing is sent.
        QVERIFY(!release(h.overlay, QPointF(50, 50)));
        QCOMPARE(spy.count(), 1);
    }

    void liveInkAndWipe_data()
    {
        QTest::addColumn<QVector<QPointF>>("stroke");
        QTest::addColumn<bool>("shown");
        QTest::newRow("one move shows nothing yet") << QVector<QPointF>{{20, 50}, {60, 50}} << false;
        QTest::newRow("two moves show the stroke") << QVector<QPointF>{{20, 50}, {60, 50}, {100, 50}} << true;
        QTest::newRow("repeated positions paint nothing") << QVector<QPointF>{{20, 50}, {20, 50}, {20, 50}, {20, 50}}
                                                          << false;
    }

    void liveInkAndWipe()
    {
        QFETCH(QVector<QPointF>, stroke);
        QFETCH(bool, shown);
        Host h(QSize(240, 200));
        VisoraTest::widgetDrag(h.overlay, stroke, false);
        QCOMPARE(inked(h.overlayImage()) > 0, shown);
        release(h.overlay, stroke.last());
        QCOMPARE(inked(h.overlayImage()), 0);
        // The next stroke starts on a clean canvas.
        VisoraTest::widgetDrag(h.overlay, {{200, 180}, {210, 185}, {220, 190}}, false);
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

        // Each move, through the window system, repaints only a region; after
        // them the screen must show what a full repaint shows.
        Host h(QSize(1200, 700));
        h.overlay->setPen(width, QColor(200, 0, 0));
        QTest::mousePress(h.host.windowHandle(), Qt::LeftButton, {}, QPoint(100, 100));
        for (const QPointF &p : moves) {
            QTest::mouseMove(h.host.windowHandle(), p.toPoint());
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
        VisoraTest::widgetDrag(h.overlay, {{80, 60}, {90, 60}, {100, 60}});
        h.host.resize(400, 300);
        h.overlay->resize(400, 300);
        VisoraTest::widgetDrag(h.overlay, {{340, 280}, {360, 280}, {380, 280}}, false);
        QVERIFY(inked(h.overlayImage(), QRect(350, 276, 20, 8)) > 0);
    }
};

VISORA_TEST_MAIN(TestDrawTempWidget)
#include "tst_drawtempwidget.moc"
