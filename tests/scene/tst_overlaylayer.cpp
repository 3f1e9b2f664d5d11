#include "CameraTestSupport.h"
#include "MouseTest.h"
#include "RCamera.h"
#include "RCoverItem.h"
#include "RDragScene.h"
#include "RFrameCompositor.h"
#include "ROverlayLayer.h"
#include "RPixmapItem.h"
#include "RProxyWidget.h"
#include "RSceneSnapshot.h"
#include "RVideoTracker.h"
#include "RWidgetItem.h"
#include "VisoraTest.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsView>
#include <QPainter>
#include <QSignalSpy>

// The cached layer over the camera picture and the compositor that lays it
// over the camera's own frame, for snapshots now and recorded frames later.
class TestOverlayLayer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        CameraTest::writeOne("Layer Camera", {"1280x720"});
        QImage picture(120, 80, QImage::Format_RGB32);
        picture.fill(QColor(0, 200, 0));
        QVERIFY(picture.save(m_dir.path() + "/placed.png"));
    }

    void composesAsTheViewShows_data()
    {
        QTest::addColumn<bool>("mirror");
        QTest::addColumn<bool>("flip");
        QTest::addColumn<int>("turn");
        QTest::addColumn<QRectF>("source");
        QTest::addColumn<QSize>("out");
        QTest::addColumn<QPoint>("red");  // where the frame's top-left mark lands
        QTest::addColumn<QPoint>("blue"); // where the layer's bottom-right mark lands
        const QRectF all;
        QTest::newRow("mirrored frame, layer stays") << true << false << 0 << all << QSize(40, 20) << QPoint(38, 1)
                                                     << QPoint(38, 18);
        QTest::newRow("flipped frame") << false << true << 0 << all << QSize(40, 20) << QPoint(1, 18) << QPoint(38, 18);
        QTest::newRow("turned a quarter") << false << false << 90 << all << QSize(20, 40) << QPoint(18, 1)
                                          << QPoint(1, 38);
        QTest::newRow("zoomed on the top-left") << false << false << 0 << QRectF(0, 0, 10, 5) << QSize(40, 20)
                                                << QPoint(8, 8) << QPoint(-1, -1);
        QTest::newRow("zoomed on the bottom-right, scaled down") << false << false << 0 << QRectF(20, 10, 20, 10)
                                                                 << QSize(10, 5) << QPoint(-1, -1) << QPoint(9, 4);
    }

    void composesAsTheViewShows()
    {
        QFETCH(bool, mirror);
        QFETCH(bool, flip);
        QFETCH(int, turn);
        QFETCH(QRectF, source);
        QFETCH(QSize, out);
        QFETCH(QPoint, red);
        QFETCH(QPoint, blue);
        QImage frame(40, 20, QImage::Format_RGB32);
        frame.fill(Qt::white);
        QPainter(&frame).fillRect(0, 0, 4, 4, Qt::red);
        QImage layer(40, 20, QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        QPainter(&layer).fillRect(36, 16, 4, 4, Qt::blue);
        RFrameCompositor::View view;
        view.mirror = mirror;
        view.flip = flip;
        view.turn = turn;
        view.source = source;
        view.out = out;
        const QImage result = RFrameCompositor::compose(frame, layer, view);
        QCOMPARE(result.size(), out);
        auto countOf = [&](QRgb c) {
            int n = 0;
            for (int y = 0; y < result.height(); ++y)
                for (int x = 0; x < result.width(); ++x)
                    n += result.pixel(x, y) == c;
            return n;
        };
        if (red.x() >= 0)
            QCOMPARE(result.pixel(red), qRgb(255, 0, 0));
        else
            QCOMPARE(countOf(qRgb(255, 0, 0)), 0);
        if (blue.x() >= 0)
            QCOMPARE(result.pixel(blue), qRgb(0, 0, 255));
        else
            QCOMPARE(countOf(qRgb(0, 0, 255)), 0);
        QCOMPARE(result.pixel(out.width() / 2, out.height() / 2), qRgb(255, 255, 255));
    }

    void workerDeliversTheLatestFrame()
    {
        RFrameCompositor compositor;
        // Reported from the worker: received here through the event loop.
        QObject receiver;
        QList<qint64> stamps;
        QImage last;
        connect(&compositor, &RFrameCompositor::sComposed, &receiver, [&](const QImage &picture, qint64 stamp) {
            stamps << stamp;
            last = picture;
        });
        QImage frame(64, 48, QImage::Format_RGB32);
        for (int i = 1; i <= 5; ++i) {
            frame.fill(QColor(i * 40, 0, 0));
            compositor.submit(frame.copy(), QImage(), RFrameCompositor::View(), i);
        }
        QTRY_VERIFY(!stamps.isEmpty() && stamps.last() == 5);
        QCOMPARE(last.pixel(10, 10), qRgb(200, 0, 0));
        QCOMPARE(stamps.size() + compositor.dropped(), 5);
    }

    void layerRedrawsOnlyOnChange_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("redrawn");
        QTest::newRow("camera frames only") << "frames" << false;
        QTest::newRow("spotlight dragged (veiled by the compositor)") << "spotlight" << false;
        QTest::newRow("stroke drawn") << "stroke" << true;
        QTest::newRow("picture moved") << "move" << true;
        QTest::newRow("picture erased") << "hide" << true;
        QTest::newRow("watermark text changed") << "watermark" << true;
    }

    void layerRedrawsOnlyOnChange()
    {
        QFETCH(QString, change);
        QFETCH(bool, redrawn);
        QGraphicsView view;
        QScopedPointer<RDragScene> scene(inkedScene(view, 0, false));
        QVERIFY(scene);
        ROverlayLayer *layer = scene->overlayLayer();
        layer->setKeepWarm(false);
        layer->refresh();
        QVERIFY(layer->isComplete());
        const quint64 before = layer->revision();
        QVERIFY(!layer->refresh());
        QGraphicsItem *picture = nullptr;
        for (QGraphicsItem *item : scene->items())
            if (dynamic_cast<RPixmapItem *>(item))
                picture = item;
        QVERIFY(picture);
        const QPoint origin = scene->cameraProxy()->pos().toPoint();
        const QPoint was = (picture->sceneBoundingRect().center() - origin).toPoint();
        QCOMPARE(qAlpha(layer->image().pixel(was)), 255);
        if (change == "frames") {
            scene->slotStop(false);
            QTest::qWait(300);
        } else if (change == "spotlight") {
            dragSpotlight(scene.data(), QPointF(300, 200), QPointF(100, 50));
        } else if (change == "stroke") {
            scene->slotCreateWritingItem({QPoint(10, 300), QPoint(50, 310), QPoint(90, 330)}, QPoint(), QPointF(), CurPen);
        } else if (change == "move") {
            picture->moveBy(300, 100);
        } else if (change == "hide") {
            picture->hide();
        } else if (change == "watermark") {
            scene->coverParams().m_strText = "Other";
            scene->updateCoverItem(CoverParams::Text, 250, 60);
        }
        QCOMPARE(layer->refresh(), redrawn);
        QCOMPARE(layer->revision() > before, redrawn);
        // Only what changed was redrawn, and all of it.
        if (change == "move") {
            QCOMPARE(qAlpha(layer->image().pixel(was)), 0);
            QCOMPARE(layer->image().pixel(was + QPoint(300, 100)), qRgb(0, 200, 0));
        } else if (change == "hide") {
            QCOMPARE(qAlpha(layer->image().pixel(was)), 0);
        }
        QVERIFY(!layer->refresh());
    }

    void snapshotMatchesRenderedScene_data()
    {
        QTest::addColumn<int>("angle");
        QTest::addColumn<bool>("mirror");
        QTest::addColumn<bool>("flip");
        QTest::addColumn<bool>("ink"); // without, the camera's frame itself is saved
        QTest::addColumn<bool>("spotlight");
        QTest::addColumn<bool>("board");
        QTest::newRow("upright") << 0 << false << false << true << false << false;
        QTest::newRow("mirrored and turned, spotlight") << 90 << true << false << true << true << false;
        QTest::newRow("whiteboard, turned") << 90 << false << false << true << false << true;
        QTest::newRow("no ink, mirrored and turned") << 90 << true << false << false << false << false;
        QTest::newRow("no ink, flipped and mirrored") << 0 << true << true << false << false << false;
    }

    // The snapshot lays the cached layer over the camera's frame on the saver's
    // worker; it must hold what rendering the whole scene gives.
    void snapshotMatchesRenderedScene()
    {
        QFETCH(int, angle);
        QFETCH(bool, mirror);
        QFETCH(bool, flip);
        QFETCH(bool, ink);
        QFETCH(bool, spotlight);
        QFETCH(bool, board);
        QGraphicsView view;
        QScopedPointer<RDragScene> scene(inkedScene(view, angle, mirror, flip, ink));
        QVERIFY(scene);
        QCOMPARE(scene->hasOverlays(), ink);
        QTemporaryDir out;
        scene->setSaveDir(out.path());
        RSceneSnapshot::Cut cut;
        if (spotlight) {
            dragSpotlight(scene.data(), QPointF(1000, 600), QPointF(150, 60));
            cut.kind = RSceneSnapshot::Cut::Rect;
            cut.rect = scene->tracker()->spotlightRect();
        }
        if (ink) {
            QVERIFY(scene->overlayLayer()->refresh() || !scene->overlayLayer()->image().isNull());
            QVERIFY(scene->overlayLayer()->isComplete());
        }

        QSignalSpy added(scene.data(), &RDragScene::sAddImageItem);
        if (board) {
            scene->camera()->setWhiteBoard(true);
            QTest::qWait(100);
            scene->whiteboardSnap(angle, "png");
        } else {
            scene->slotSnap(angle, "png");
        }
        QTRY_COMPARE_WITH_TIMEOUT(added.count(), 1, 10000);
        const QImage saved = QImage(out.path() + "/" + added.at(0).at(1).toString()).convertToFormat(QImage::Format_RGB32);

        const QSize size = scene->camera()->size();
        QImage rendered(size, QImage::Format_ARGB32);
        rendered.fill(Qt::transparent);
        {
            QPainter painter(&rendered);
            painter.setRenderHint(QPainter::Antialiasing);
            scene->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), QRectF(scene->cameraProxy()->pos(), QSizeF(size)),
                          Qt::KeepAspectRatio);
        }
        const QImage expected = RSceneSnapshot::cutAndTurn(rendered, cut, angle).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(saved.size(), expected.size());
        int worst = 0;
        for (int y = 0; y < saved.height(); ++y)
            for (int x = 0; x < saved.width(); ++x) {
                const QRgb a = saved.pixel(x, y), b = expected.pixel(x, y);
                const int d = std::max({qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))});
                worst = std::max(worst, d);
            }
        QVERIFY2(worst <= 3, qPrintable(QString::number(worst)));
    }
private:
    // A frozen camera picture with a stroke, a shape, a placed picture and a watermark over it.
    // Dragged and still held: the spotlight as it is while the teacher draws it.
    static void dragSpotlight(RDragScene *scene, QPointF from, QPointF to)
    {
        scene->slotShowVideoTracker(true);
        VisoraTest::widgetDrag(scene->tracker(), {from, to}, false);
    }

    RDragScene *inkedScene(QGraphicsView &view, int angle, bool mirror, bool flip = false, bool ink = true)
    {
        auto *scene = new RDragScene;
        if (scene->AddCameraItem("Layer Camera").isEmpty()) {
            delete scene;
            return nullptr;
        }
        scene->setRotateAngle(angle);
        scene->setOrientation(mirror, flip);
        view.setScene(scene);
        view.resize(640, 360);
        view.show();
        view.fitInView(scene->sceneRect(), Qt::KeepAspectRatio);
        if (!QTest::qWaitFor([&] { return !scene->camera()->currentFrame().isNull(); }, 5000))
            return scene;
        scene->slotStop(true); // one still picture for both renders
        QTest::qWait(200);
        if (!ink)
            return scene;
        QVector<QPoint> stroke;
        for (int i = 0; i < 60; ++i)
            stroke << QPoint(100 + 6 * i, 80 + (i % 9) * 5);
        scene->setPen(7, QColor(255, 0, 0));
        scene->slotCreateWritingItem(stroke, stroke.last(), QPointF(), CurPen);
        auto *shape = new RWidgetItem(CurEllipse);
        shape->setPen(5, QColor(0, 0, 255, 180));
        shape->setCorners(QPointF(0, 0), QPointF(300, 160));
        shape->resize(300, 160);
        shape->setPos(-500, 0);
        scene->addItem(shape);
        scene->showImageItem(m_dir.path(), "placed.png");
        (void)QTest::qWaitFor([&] { return scene->picturesDecoding() == 0; }, 10000);
        for (QGraphicsItem *item : scene->items())
            if (dynamic_cast<RPixmapItem *>(item))
                item->setPos(150, 120); // clear of the other marks
        scene->coverParams().m_strText = "Layer";
        scene->coverParams().m_iAlpha = 150;
        scene->coverParams().m_iRotateCover = 20;
        scene->coverParams().m_iType = CoverParams::Text;
        scene->updateCoverItem(CoverParams::Text, 250, 60);
        return scene;
    }

    QTemporaryDir m_dir;
};


VISORA_TEST_MAIN(TestOverlayLayer)
#include "tst_overlaylayer.moc"
