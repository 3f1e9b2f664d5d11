#include "BadPictures.h"
#include "CameraTestSupport.h"
#include "MouseTest.h"
#include "CoverParams.h"
#include "RCamera.h"
#include "RCapturePipeline.h"
#include "RCoverDlg.h"
#include "RCoverItem.h"
#include "RDragScene.h"
#include "RImageSaver.h"
#include "RProxyWidget.h"
#include "VisoraTest.h"

#include <QGraphicsView>
#include <QSignalSpy>

namespace {

// Reddish and not transparent: watermark ink, also half transparent and
// anti-aliased (which darkens it on a transparent ground).
bool isRed(QRgb c)
{
    return qAlpha(c) > 60 && qRed(c) > 100 && qRed(c) > qGreen(c) + 60 && qRed(c) > qBlue(c) + 60;
}

// Bounding box of the red pixels inside `area` (the whole picture when null).
QRect redBounds(const QImage &input, QRect area = QRect())
{
    const QImage image = input.convertToFormat(QImage::Format_ARGB32);
    if (area.isNull())
        area = image.rect();
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (isRed(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

CoverParams textParams()
{
    CoverParams p;
    p.m_iType = CoverParams::Text;
    p.m_strText = "WM";
    p.m_iFontSize = 20;
    p.m_strFontFamily = "DejaVu Sans";
    return p;
}

} // namespace

// The watermark item, its dialog and its way into snapshots and captures.
class TestCoverItem : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        CameraTest::writeOne("Cover Test Camera", {"1280x720"},
                             CameraTest::writePage("grey.png", CameraTest::uniformPage(120, QSize(1280, 720))));
    }

    void paintsEachType_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("text with frame") << int(CoverParams::Text);
        QTest::newRow("time with frame") << int(CoverParams::Time);
        QTest::newRow("none") << int(CoverParams::None);
    }

    void paintsEachType()
    {
        QFETCH(int, type);
        RCoverItem item;
        CoverParams p = textParams();
        p.m_iType = type;
        p.m_bBorder = true;
        p.m_strTimeFormat = "HH:mm";
        item.setParams(p);
        item.resize(200, 80);
        const QImage image = item.renderToImage();
        QCOMPARE(image.size(), QSize(200, 80));
        if (type == CoverParams::None) {
            QCOMPARE(redBounds(image), QRect());
            QCOMPARE(qAlpha(image.pixel(1, 1)), 0);
            return;
        }
        // The frame runs along the edge, the text inside it.
        QVERIFY(qAlpha(image.pixel(100, 3)) >= 253);
        QVERIFY(!redBounds(image, QRect(8, 8, 184, 64)).isEmpty());
    }

    void rightDragResizesWithClamp_data()
    {
        QTest::addColumn<QPoint>("drag");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("grows") << QPoint(30, 15) << QSize(130, 65);
        QTest::newRow("never below 3x3") << QPoint(-500, -500) << QSize(3, 3);
    }

    void rightDragResizesWithClamp()
    {
        QFETCH(QPoint, drag);
        QFETCH(QSize, expected);
        QGraphicsScene scene;
        auto *item = new RCoverItem;
        item->setFlag(QGraphicsItem::ItemIsMovable);
        scene.addItem(item);
        item->setPos(10, 10);
        item->resize(100, 50);
        item->show();
        const QPointF start(20, 20);
        VisoraTest::sceneDrag(&scene, {start, start + QPointF(drag) / 2, start + QPointF(drag)}, Qt::RightButton);
        QCOMPARE(item->size().toSize(), expected);
        QCOMPARE(item->pos(), QPointF(10, 10));
        QCOMPARE(item->params().m_iWidth, expected.width());
    }

    // On screen the view turns the scene by the picture's angle: the item is
    // turned back by it so the teacher sees the tilt.
    void itemRotation_data()
    {
        QTest::addColumn<int>("cover");
        QTest::addColumn<int>("picture");
        QTest::addColumn<int>("expected");
        QTest::newRow("tilt 30, picture 90") << 30 << 90 << -60;
        QTest::newRow("tilt 360, picture 90") << 360 << 90 << 270;
    }

    void itemRotation()
    {
        QFETCH(int, cover);
        QFETCH(int, picture);
        QFETCH(int, expected);
        RCoverItem item;
        CoverParams p = textParams();
        p.m_iRotateCover = cover;
        item.apply(p, CoverParams::Text, 100, 40, picture);
        QCOMPARE(int(item.rotation()), expected);
    }

    // A picture that cannot be read is refused and said; the good one stays.
    void dialogRefusesUnreadablePicture()
    {
        RCoverDlg pic;
        pic.m_params.m_iType = CoverParams::Picture;
        pic.m_params.m_bActualSize = true;
        pic.initData();
        const QString good = writeSolid("good.png", QSize(64, 32), Qt::green);
        QSignalSpy opened(&pic, &RCoverDlg::sPictureOpened);
        pic.openPicture(good);
        QTRY_COMPARE(opened.count(), 1);
        QVERIFY(opened.last().at(0).toBool());
        QVERIFY(pic.pictureMessage().isEmpty());
        pic.openPicture(m_dir.path() + "/missing.png");
        QTRY_COMPARE(opened.count(), 2);
        QVERIFY(!opened.last().at(0).toBool());
        QVERIFY(!pic.pictureMessage().isEmpty());
        QCOMPARE(pic.m_params.m_strPicturePath, good);
        pic.slotOK();
        QCOMPARE(QSize(pic.m_params.m_iWidth, pic.m_params.m_iHeight), QSize(64, 32));
    }

    // A large watermark picture decodes while the GUI thread goes on with its
    // events (a timer keeps ticking), in the dialog and on the scene.
    void pictureDecodedOffTheGuiThread_data()
    {
        QTest::addColumn<bool>("dialog");
        QTest::newRow("dialog opening it") << true;
        QTest::newRow("scene showing it") << false;
    }

    void pictureDecodedOffTheGuiThread()
    {
        QFETCH(bool, dialog);
        const QString path = m_dir.path() + "/large.png";
        QVERIFY(QFile::exists(path) || BadPictures::writeFlatPng(path, QSize(4000, 3000), 8));
        int ticks = 0;
        QTimer tick;
        tick.setInterval(1);
        connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start();
        int ticksAtArrival = -1;
        RCoverDlg dlg;
        RCoverItem item;
        if (dialog) {
            dlg.m_params.m_iType = CoverParams::Picture;
            dlg.initData();
            connect(&dlg, &RCoverDlg::sPictureOpened, [&] { ticksAtArrival = ticks; });
            dlg.openPicture(path);
        } else {
            connect(&item, &RCoverItem::sPictureLoaded, [&] { ticksAtArrival = ticks; });
            CoverParams p;
            p.m_strPicturePath = path;
            item.apply(p, CoverParams::Picture, 400, 300, 0);
        }
        QTRY_VERIFY(ticksAtArrival >= 0);
        QVERIFY(ticksAtArrival > 0);
        QVERIFY(dialog ? !dlg.preview().isNull() : item.hasPicture());
    }

    void updateCoverItemShowsAndHides()
    {
        RDragScene scene;
        QCOMPARE(scene.AddCameraItem("Cover Test Camera"), QSize(1280, 720));
        RCoverItem *item = scene.coverItem();
        QVERIFY(item && !item->isVisible());
        scene.coverParams() = textParams();
        scene.updateCoverItem(CoverParams::Text, 300, 90);
        QVERIFY(item->isVisible());
        // Cleared like any annotation, back with undo, hidden by type none.
        scene.clearAllMyItem();
        QVERIFY(!item->isVisible());
        scene.slotUndo();
        QVERIFY(item->isVisible());
        scene.updateCoverItem(CoverParams::None, 0, 0);
        QVERIFY(!item->isVisible());
    }

    void captureMatchesSnapshot_data()
    {
        QTest::addColumn<int>("angle");
        QTest::addColumn<int>("tilt");
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("90 tilted 30") << 90 << 30;
    }

    // The watermark lands in the scene snapshot and in the camera capture at the
    // same place, the place the teacher saw it.
    void captureMatchesSnapshot()
    {
        QFETCH(int, angle);
        QFETCH(int, tilt);
        RDragScene scene;
        QCOMPARE(scene.AddCameraItem("Cover Test Camera"), QSize(1280, 720));
        scene.setSceneRect(-640, -360, 1280, 720);
        const QString out = m_dir.path() + QString("/out%1_%2").arg(angle).arg(tilt);
        QDir().mkpath(out);
        scene.setSaveDir(out);
        scene.setRotateAngle(angle);
        CoverParams p;
        p.m_iType = CoverParams::Picture;
        p.m_strPicturePath = writeSolid("wm.png", QSize(16, 16), Qt::red);
        p.m_iRotateCover = tilt;
        scene.coverParams() = p;
        scene.updateCoverItem(CoverParams::Picture, 160, 60);
        QTRY_VERIFY(scene.coverItem()->hasPicture());
        scene.coverItem()->setPos(150, -150);

        QSignalSpy saved(&scene, &RDragScene::sAddImageItem);
        scene.slotSnap(angle, "png");
        QTRY_COMPARE_WITH_TIMEOUT(saved.count(), 1, 10000);
        const QImage snapshot(out + "/" + saved.first().at(1).toString());
        const QRect seen = redBounds(snapshot);

        scene.prepareCameraCapture(angle, "pdf");
        RCaptureParams params = scene.camera()->captureParams();
        QVERIFY(params.m_bCoverItem);
        QImage raw(1280, 720, QImage::Format_RGB32);
        raw.fill(QColor(120, 120, 120));
        RCardState card;
        const QImage page = RCapturePipeline::process(raw, params, RRotatedRect(), card);
        QCOMPARE(page.size(), snapshot.size());
        const QRect captured = redBounds(page);
        QVERIFY(!seen.isEmpty());
        QVERIFY(qAbs(seen.left() - captured.left()) <= 3 && qAbs(seen.top() - captured.top()) <= 3
                && qAbs(seen.right() - captured.right()) <= 3 && qAbs(seen.bottom() - captured.bottom()) <= 3);
        // A visible red at full strength: the opacity is applied once.
        QVERIFY(isRed(page.pixel(captured.center())));
        RImageSaver::instance()->waitForIdle(10000);
    }

    void defaultTextFollowsLanguage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<UiLanguage>("language");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Chinese default in English") << QString() << UiLanguage::English << "Confidential";
        QTest::newRow("English default in Chinese") << "Confidential" << UiLanguage::Chinese << "机密文件";
        QTest::newRow("own text kept") << "Class 3b" << UiLanguage::Chinese << "Class 3b";
    }

    void defaultTextFollowsLanguage()
    {
        QFETCH(QString, text);
        QFETCH(UiLanguage, language);
        RDragScene scene;
        if (!text.isEmpty())
            scene.coverParams().m_strText = text;
        scene.slotChangeLangue(language);
        QTEST(scene.coverParams().m_strText, "shown");
    }
private:
    QTemporaryDir m_dir;
    QString writeSolid(const QString &name, QSize size, QColor color)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        const QString path = m_dir.path() + "/" + name;
        image.save(path);
        return path;
    }
};


VISORA_TEST_MAIN(TestCoverItem)
#include "tst_coveritem.moc"
