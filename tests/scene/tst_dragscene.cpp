#include "RCamera.h"
#include "RClearQuestion.h"
#include "RDragScene.h"
#include "RNotice.h"
#include "RPixmapItem.h"
#include "RProxyWidget.h"
#include "RSceneSnapshot.h"
#include "RVideoRect.h"
#include "RVideoTracker.h"
#include "RWidgetItem.h"
#include "VisoraTest.h"
#include "BadPictures.h"
#include "CameraTestSupport.h"
#include "FileCheck.h"
#include "MouseTest.h"

#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsView>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>

#include <cerrno>
#include <cstring>

class TestDragScene : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        writeCamera();
    }

    void placing_data()
    {
        QTest::addColumn<QString>("picture"); // "png|jpeg|png16 WxH" or "text"
        QTest::addColumn<QString>("how");     // open, drop text, drop url
        QTest::addColumn<int>("requests");
        QTest::addColumn<QSize>("placed"); // invalid: nothing placed
        QTest::addColumn<QPointF>("pos");
        QTest::newRow("dropped file url 拖放") << "png 40x40" << "drop url" << 1 << QSize(40, 40) << QPointF(90, 40);
        QTest::newRow("dropped three times while decoding") << "png 3000x2000" << "drop text" << 3
                                                            << QSize(3000, 2000) << QPointF(-650, -450);
        QTest::newRow("108 MP photo placed scaled") << "jpeg 12000x9000" << "open" << 1 << QSize(5000, 3750)
                                                    << QPointF(-1250, -937);
        QTest::newRow("16-bit png bomb placed nowhere") << "png16 10000x10000" << "drop text" << 2 << QSize() << QPointF();
        QTest::newRow("text file is said, not placed") << "text" << "open" << 1 << QSize() << QPointF();
    }

    // A request returns before the picture is decoded; asking again for the
    // same file, while decoding or after, adds nothing.
    void placing()
    {
        QFETCH(QString, picture);
        QFETCH(QString, how);
        QFETCH(int, requests);
        QFETCH(QSize, placed);
        const QString kind = picture.section(' ', 0, 0);
        const QStringList wh = picture.section(' ', 1, 1).split('x');
        const QString path = m_dir.path() + "/" + QString(QTest::currentDataTag()).replace(' ', '_')
            + (kind == "jpeg" ? ".jpg" : ".png");
        const QSize size(wh.value(0).toInt(), wh.value(1).toInt());
        QFile text(path);
        if (kind == "text")
            QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a picture") > 0);
        else
            QVERIFY(kind == "jpeg" ? BadPictures::writeFlatJpeg(path, size)
                                   : BadPictures::writeFlatPng(path, size, kind == "png16" ? 16 : 8));
        RDragScene scene;
        QMimeData mime;
        how == "drop url" ? mime.setUrls({QUrl::fromLocalFile(path)}) : mime.setText(path);
        for (int i = 0; i < requests; ++i) {
            if (how == "open") {
                scene.showImageItem(QFileInfo(path).path(), QFileInfo(path).fileName());
            } else {
                for (QEvent::Type type : {QEvent::GraphicsSceneDragEnter, QEvent::GraphicsSceneDrop}) {
                    QGraphicsSceneDragDropEvent event(type);
                    event.setMimeData(&mime);
                    event.setScenePos(QPointF(100 + 10 * i, 50));
                    event.setProposedAction(Qt::CopyAction);
                    QApplication::sendEvent(&scene, &event);
                }
            }
            QCOMPARE(scene.items().count(), 0);
            QCOMPARE(scene.picturesDecoding(), 1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(scene.picturesDecoding(), 0, 30000);
        if (placed.isValid()) {
            scene.showImageItem(QFileInfo(path).path(), QFileInfo(path).fileName());
            QCOMPARE(scene.picturesDecoding(), 0);
        }
        QCOMPARE(scene.items().count(), placed.isValid() ? 1 : 0);
        if (kind == "text")
            QVERIFY(scene.notice()->messageText().startsWith("图片无法显示：" + QFileInfo(path).fileName()));
        if (!placed.isValid())
            return;
        auto *item = dynamic_cast<RPixmapItem *>(scene.items().first());
        QCOMPARE(item->pixmap().size(), placed);
        QCOMPARE(scene.imagePaths(), QStringList{path});
        QTEST(item->pos(), "pos");
        QVERIFY(item->flags() & QGraphicsItem::ItemIsMovable && item->flags() & QGraphicsItem::ItemIsSelectable);
    }

    void eraseUndoAndPlaceAgain()
    {
        RDragScene scene;
        QGraphicsView view(&scene);
        view.resize(300, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QString name = "e.png";
        QVERIFY(BadPictures::writeFlatPng(m_dir.path() + "/" + name, QSize(40, 40), 8));
        scene.showImageItem(m_dir.path(), name);
        QTRY_COMPARE(scene.picturesDecoding(), 0);
        auto *pix = dynamic_cast<RPixmapItem *>(scene.items().first());
        QVERIFY(pix);
        scene.slotRubber();
        pix->setSelected(true);
        QTRY_VERIFY(!pix->isVisible());
        QVERIFY(scene.imagePaths().isEmpty());
        scene.slotUndo();
        QVERIFY(pix->isVisible());
        QVERIFY(scene.undoRecords().isEmpty());
        // Erased again and asked for again: the hidden item comes back, no second copy.
        scene.slotRubber();
        pix->setSelected(true);
        QTRY_VERIFY(!pix->isVisible());
        scene.showImageItem(m_dir.path(), name);
        QTRY_COMPARE(scene.picturesDecoding(), 0);
        QCOMPARE(scene.items(), QList<QGraphicsItem *>{pix});
        QVERIFY(pix->isVisible());
        QCOMPARE(scene.imagePaths(), QStringList{m_dir.path() + "/" + name});
    }

    void clearThenUndoInReverseOrder()
    {
        RDragScene scene;
        scene.slotUndo(); // nothing to undo
        QVERIFY(scene.undoRecords().isEmpty());
        scene.slotCreateWritingItem({}, QPointF(), QPointF(), CurPen); // no view: empty item
        QVERIFY(BadPictures::writeFlatPng(m_dir.path() + "/c.png", QSize(10, 10), 8));
        scene.showImageItem(m_dir.path(), "c.png");
        QTRY_COMPARE(scene.picturesDecoding(), 0);
        const auto before = scene.items();
        QCOMPARE(before.count(), 2);
        auto visible = [&] {
            return int(std::count_if(before.begin(), before.end(), [](QGraphicsItem *i) { return i->isVisible(); }));
        };
        scene.clearAllMyItem();
        QCOMPARE(visible(), 0);
        const UndoRecord last = scene.undoRecords().last();
        scene.slotUndo();
        QVERIFY(last.iType == UndoRecord::Picture ? last.itemPixmap->isVisible() : last.itemWidget->isVisible());
        QCOMPARE(visible(), 1);
        scene.slotUndo();
        QCOMPARE(visible(), 2);
    }

    void strokeBecomesItemInSceneCoordinates()
    {
        RDragScene scene;
        scene.setSceneRect(-500, -500, 1000, 1000);
        QGraphicsView view(&scene);
        view.resize(400, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        scene.setPen(7, Qt::blue);
        const QVector<QPoint> points{{100, 100}, {150, 120}, {200, 180}};
        scene.slotCreateWritingItem(points, QPointF(200, 180), QPointF(), CurPen);
        QCOMPARE(scene.items().count(), 1);
        auto *item = dynamic_cast<RWidgetItem *>(scene.items().first());
        QVERIFY(item);
        const QPointF topLeft = view.mapToScene(QPoint(100, 100));
        QCOMPARE(item->pos(), topLeft - QPointF(0.5, 0.5));
        QCOMPARE(item->size(), QSizeF(100, 80));
        QCOMPARE(item->penWidth(), 7);
    }

    void shapeCanvas()
    {
        RDragScene scene;
        scene.setSceneRect(-200, -100, 400, 200);
        scene.slotRect();
        RWidgetItem *canvas = scene.shapeCanvas();
        QVERIFY(canvas);
        QCOMPARE(canvas->pos(), QPointF(-200, -100));
        QCOMPARE(canvas->size(), QSizeF(400, 200));
        QVERIFY(canvas->isDrawing());
        scene.setPenWidth(10);
        scene.setPenColor(4, QColor(50, 30, 181));
        QCOMPARE(canvas->penWidth(), 10);
        QCOMPARE(canvas->penColor(), QColor(50, 30, 181));
        // A finished shape lands at the drag start with its signed extent.
        canvas->setCorners(QPointF(50, 40), QPointF(10, 90)); // drawn to the left
        emit canvas->drawdone();
        RWidgetItem *finished = nullptr;
        for (QGraphicsItem *i : scene.items())
            if (i != canvas)
                finished = dynamic_cast<RWidgetItem *>(i);
        QVERIFY(finished);
        QCOMPARE(finished->pos(), QPointF(50 - 200, 40 - 100));
        QCOMPARE(finished->endPoint() - finished->startPoint(), QPointF(-40, 50));
        QCOMPARE(finished->kind(), CurRect);
        QCOMPARE(finished->penWidth(), 10);
        QVERIFY(canvas->isVisible() && canvas->isDrawing());
        scene.slotRubber();
        QVERIFY(!canvas->isVisible());
    }

    void whiteboardQuestion_data()
    {
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("clear");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<int>("visibleAfter");
        QTest::newRow("one item: no question") << 1 << true << false << 1;
        QTest::newRow("two items, clear") << 2 << true << true << 0;
        QTest::newRow("two items, retain") << 2 << false << true << 2;
    }

    void whiteboardQuestion()
    {
        QFETCH(int, items);
        QFETCH(bool, clear);
        QFETCH(bool, asked);
        QFETCH(int, visibleAfter);
        RDragScene scene;
        for (int i = 0; i < items; ++i)
            scene.slotCreateWritingItem({}, QPointF(), QPointF(), CurPen);
        bool seen = false;
        QTimer::singleShot(200, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen = true;
            box->button(clear ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        });
        scene.slotWhiteboard(true);
        QTest::qWait(asked ? 0 : 300);
        QCOMPARE(seen, asked);
        int visible = 0;
        for (QGraphicsItem *i : scene.items())
            visible += i->isVisible();
        QCOMPARE(visible, visibleAfter);
    }

    void whiteboardBoxPos_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("placed");
        QTest::addColumn<QPoint>("pos");
        QTest::newRow("1920 at 1.0") << 1920 << 1.0 << true << QPoint(1350, 1080 - 80 - 154);
        QTest::newRow("1920 above its rows") << 1920 << 2.0 << false << QPoint();
        QTest::newRow("3840 at 2.25") << 3840 << 2.25 << true << QPoint(2790, 1080 - 160 - 273);
        QTest::newRow("1366 keeps default") << 1366 << 1.0 << false << QPoint();
    }

    void whiteboardBoxPos()
    {
        QFETCH(int, width);
        QFETCH(double, scale);
        QFETCH(bool, placed);
        const auto result = RClearQuestion::boxPos(width, 1080, scale);
        QCOMPARE(result.has_value(), placed);
        if (placed)
            QTEST(*result, "pos");
    }

    void cutPolygonImage_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRectF>("polygon");
        QTest::addColumn<QSize>("cut"); // invalid: a null picture
        QImage red(200, 100, QImage::Format_ARGB32);
        red.fill(Qt::red);
        QTest::newRow("trims transparent borders") << red << QRectF(50, 20, 60, 40) << QSize(60, 40);
        QTest::newRow("null picture") << QImage() << QRectF(0, 0, 5, 5) << QSize();
        QTest::newRow("empty path") << red << QRectF() << QSize();
    }

    void cutPolygonImage()
    {
        QFETCH(QImage, image);
        QFETCH(QRectF, polygon);
        QFETCH(QSize, cut);
        QPainterPath path;
        if (!polygon.isNull())
            path.addRect(polygon);
        const QImage result = RSceneSnapshot::cutPolygonImage(image, path, 0, QRect(40, 10, 100, 80));
        QCOMPARE(result.size(), cut.isValid() ? cut : QSize(0, 0));
        if (cut.isValid()) {
            QCOMPARE(QColor(result.pixel(0, 0)), QColor(Qt::red));
            QCOMPARE(qAlpha(result.pixel(cut.width() - 1, cut.height() - 1)), 255);
        }
    }

    void deskewAngle_data()
    {
        QTest::addColumn<QList<QPoint>>("corners");
        QTest::addColumn<double>("angle");
        QTest::newRow("tilted clockwise") << QList<QPoint>{{0, 0}, {100, 10}, {95, 60}, {-5, 50}} << 5.71;
        QTest::newRow("tilted counter-clockwise") << QList<QPoint>{{0, 10}, {100, 0}, {105, 50}, {5, 60}} << -5.71;
        QTest::newRow("too few corners") << QList<QPoint>{{0, 0}, {1, 1}} << 0.0;
        QTest::newRow("all one point") << QList<QPoint>{{3, 3}, {3, 3}, {3, 3}, {3, 3}} << 0.0;
    }

    void deskewAngle()
    {
        QFETCH(QList<QPoint>, corners);
        QFETCH(double, angle);
        QVERIFY(qAbs(RSceneSnapshot::deskewAngle(corners) - angle) < 0.05);
    }

    void noCameraMeansNoSnapshotWork()
    {
        RDragScene scene;
        QSignalSpy finish(&scene, &RDragScene::sSnapFinish);
        QSignalSpy added(&scene, &RDragScene::sAddImageItem);
        scene.slotSnap(0, "jpg");
        scene.slotPDF(0);
        scene.slotStop(true);
        QCOMPARE(scene.setCameraResolution(1), QSize());
        QCOMPARE(finish.count(), 0);
        scene.whiteboardSnap(0, "jpg");
        QCOMPARE(finish.count(), 1);
        QCOMPARE(added.count(), 0);
    }

    // With the virtual camera.
    // The background goes around the camera picture only; at any zoom no pixel
    // is left between the two.
    void viewIsPaintedEverywhere_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("turnedOver");
        QTest::addColumn<double>("deskShare"); // the rest is the camera picture
        QTest::newRow("fitted to a screen (0.441)") << 0.441 << false << 0.628;
        QTest::newRow("zoomed in (1.73)") << 1.73 << false << 0.0;
        QTest::newRow("mirrored and flipped, fitted (0.441)") << 0.441 << true << 0.628;
    }

    void viewIsPaintedEverywhere()
    {
        QFETCH(double, scale);
        QFETCH(bool, turnedOver);
        QScopedPointer<RDragScene> scene(sceneWithCamera());
        QVERIFY(scene);
        scene->setOrientation(turnedOver, turnedOver);
        QTRY_VERIFY(!scene->camera()->pictureRect().isEmpty());
        const QRgb unpainted = qRgb(255, 0, 255);
        QImage canvas(801, 601, QImage::Format_RGB32);
        canvas.fill(unpainted);
        QPainter painter(&canvas);
        const QRectF source(-400.3 / scale, -300.7 / scale, 801 / scale, 601 / scale);
        scene->render(&painter, QRectF(canvas.rect()), source, Qt::IgnoreAspectRatio);
        painter.end();
        int left = 0, desk = 0;
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                const QRgb c = canvas.pixel(x, y);
                left += c == unpainted ? 1 : 0;
                desk += c == qRgb(23, 43, 39) ? 1 : 0;
            }
        }
        QCOMPARE(left, 0);
        QFETCH(double, deskShare);
        QVERIFY2(qAbs(double(desk) / (801 * 601) - deskShare) < 0.02, qPrintable(QString::number(desk)));
    }

    // Snapshots and PDFs that are saved, and those refused with a notice
    // that says why (nothing is saved then).
    void saves_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("pdf");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("saved");
        QTest::addColumn<QString>("notice");
        QTest::newRow("quick snapshots never overwrite") << "" << false << 3 << 3 << "";
        QTest::newRow("removed folder is made again") << "gone/图片" << false << 1 << 1 << "";
        QTest::newRow("auto crop before any corners keeps the whole picture") << "autocrop" << false << 1 << 1 << "";
        QTest::newRow("snapshot while the camera is lost") << "lost" << false << 1 << 0 << "照片未保存：设备未连接";
        QTest::newRow("PDF while the camera is lost") << "lost" << true << 1 << 0 << "PDF 未保存：设备未连接";
        QTest::newRow("snapshot of an empty spotlight") << "spotlight" << false << 1 << 0 << "照片未保存：聚光灯区域为空";
        QTest::newRow("PDF of an empty spotlight") << "spotlight" << true << 1 << 0 << "PDF 未保存：聚光灯区域为空";
        QTest::newRow("picture folder is a file, said in Chinese only")
            << "file/pictures" << false << 1 << 0 << "照片未保存：保存位置不是文件夹";
    }

    void saves()
    {
        QFETCH(QString, setup);
        QFETCH(bool, pdf);
        QFETCH(int, count);
        QFETCH(int, saved);
        QFETCH(QString, notice);
        writeCamera(); // present again, whatever a row before left
        QScopedPointer<RDragScene> scene(sceneWithCamera());
        QVERIFY(scene);
        QTemporaryDir out;
        const QString folder = setup.contains('/') ? out.path() + "/" + setup : out.path();
        scene->setSaveDir(folder);
        if (setup == "lost") {
            writeCamera({"1280x720", "640x480"}, false);
            scene->camera()->showResponse("Scene Test Camera", 0);
            QVERIFY(scene->camera()->isLost());
        } else if (setup == "spotlight") {
            scene->slotShowVideoTracker(true); // shown, never dragged
        } else if (setup == "autocrop") {
            scene->setCameraAuto(true, false);
        } else if (setup.startsWith("file")) {
            QVERIFY(VisoraTest::touch(out.path() + "/file"));
        }
        QSignalSpy added(scene.data(), &RDragScene::sAddImageItem);
        QSignalSpy finish(scene.data(), &RDragScene::sSnapFinish);
        for (int i = 0; i < count; ++i)
            pdf ? scene->slotPDF(0) : scene->slotSnap(0, "png");
        QTRY_COMPARE_WITH_TIMEOUT(finish.count(), pdf ? 0 : count, 15000);
        if (!notice.isEmpty()) {
            QTRY_VERIFY2(scene->notice()->messageText().contains(notice), qPrintable(scene->notice()->messageText()));
            QTest::qWait(300);
        }
        QCOMPARE(added.count(), saved);
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), saved);
        for (const auto &args : added)
            QCOMPARE(QImage(folder + "/" + args.at(1).toString()).size(), QSize(1280, 720));
    }

    // Turned over, the picture follows the same drag exactly as an upright
    // one, and the spotlight and page outline go with it.
    void dragMovesPictureWithPointer()
    {
        auto dragged = [this](bool m, bool f) -> QList<QPointF> {
            QScopedPointer<RDragScene> scene(sceneWithCamera());
            if (!scene)
                return {};
            scene->setOrientation(m, f);
            QGraphicsView view(scene.data());
            view.resize(1400, 800);
            view.show();
            if (!QTest::qWaitForWindowExposed(&view))
                return {};
            QWidget *viewport = view.viewport();
            const QPoint start = view.mapFromScene(QPointF(-300, -100));
            auto send = [&](QEvent::Type type, const QPoint &at, Qt::MouseButtons buttons) {
                QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
                QApplication::sendEvent(viewport, &event);
            };
            send(QEvent::MouseButtonPress, start, Qt::LeftButton);
            send(QEvent::MouseMove, start + QPoint(20, 10), Qt::LeftButton);
            send(QEvent::MouseButtonRelease, start + QPoint(20, 10), Qt::NoButton);
            return {scene->cameraProxy()->pos(), scene->trackerProxy()->pos(), scene->videoRectProxy()->pos()};
        };
        const QPointF to(-620, -350);
        const QList<QPointF> expected{to, to, to};
        QCOMPARE(dragged(false, false), expected);
        QCOMPARE(dragged(true, true), expected);
    }

    void whiteboardNeverShowsTheFrame()
    {
        QScopedPointer<RDragScene> scene(sceneWithCamera());
        QVERIFY(scene);
        QTemporaryDir out;
        scene->setSaveDir(out.path());
        QVERIFY(!scene->videoRectProxy()->isVisible());
        scene->setCameraAuto(true, false);
        const QList<QPoint> page{{100, 100}, {1100, 120}, {1080, 650}, {120, 600}};
        scene->slotUpdateVideoRect(page);
        QVERIFY(scene->videoRectProxy()->isVisible());
        scene->slotWhiteboard(true);
        QVERIFY(!scene->videoRectProxy()->isVisible());
        QVERIFY(scene->cameraProxy()->isLocked());
        scene->slotUpdateVideoRect(page); // detection goes on under the board
        scene->setCameraAuto(true, false);
        QVERIFY(!scene->videoRectProxy()->isVisible());
        QSignalSpy added(scene.data(), &RDragScene::sAddImageItem);
        scene->whiteboardSnap(0, "png");
        QTRY_COMPARE_WITH_TIMEOUT(added.count(), 1, 15000);
        const QImage board(out.path() + "/" + added.first().at(1).toString());
        QCOMPARE(board.size(), QSize(1280, 720));
        QCOMPARE(QColor(board.pixel(640, 360)), QColor(Qt::white));
        QCOMPARE(QColor(board.pixel(600, 110)), QColor(Qt::white)); // on the outline's top edge
        scene->slotWhiteboard(false);
        QVERIFY(scene->videoRectProxy()->isVisible());
        QVERIFY(!scene->cameraProxy()->isLocked());
    }

    // The same model on a slower port offers other sizes: the scene lays the
    // picture and its overlays out again for the one the camera chose.
    void replugLaysOutForTheNewSize()
    {
        QScopedPointer<RDragScene> scene(sceneWithCamera());
        QVERIFY(scene);
        QGraphicsView view(scene.data());
        RCamera *camera = scene->camera();
        QSignalSpy laidOut(scene.data(), &RDragScene::sPictureLaidOut);
        writeCamera({"800x600", "640x480"}, false);
        camera->showResponse("Scene Test Camera", 0);
        QVERIFY(camera->isLost());
        QCOMPARE(scene->notice()->standingText(), QString("正在重新连接设备…"));
        writeCamera({"800x600", "640x480"}, true);
        camera->showResponse("Scene Test Camera", 1);
        QTRY_VERIFY(!camera->isLost());
        QCOMPARE(scene->notice()->standingText(), QString());
        QCOMPARE(laidOut.last().at(0).toSize(), QSize(800, 600));
        QCOMPARE(scene->cameraProxy()->pos(), QPointF(-400, -300));
        QCOMPARE(scene->tracker()->size(), QSize(800, 600));
        QCOMPARE(scene->videoRect()->size(), QSize(800, 600));
        QCOMPARE(scene->sceneRect(), QRectF(-400, -300, 800, 600));
        QCOMPARE(scene->curResolutionIndex(), scene->resolutionList().indexOf(QSize(800, 600)));
        writeCamera();
    }
private:
    static void writeCamera(const QStringList &sizes = {"1280x720", "640x480"}, bool present = true)
    {
        CameraTest::writeOne("Scene Test Camera", sizes, "pattern", present);
    }

    RDragScene *sceneWithCamera()
    {
        auto *scene = new RDragScene;
        const QSize size = scene->AddCameraItem("Scene Test Camera");
        if (size.isEmpty()) {
            delete scene;
            return nullptr;
        }
        scene->setSceneRect(-size.width() / 2, -size.height() / 2, size.width(), size.height());
        return scene;
    }

    QTemporaryDir m_dir;
};


VISORA_TEST_MAIN(TestDragScene)
#include "tst_dragscene.moc"
