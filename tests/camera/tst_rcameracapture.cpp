#include "VisoraTest.h"

#include "CameraTestSupport.h"
#include "FileCheck.h"
#include "PageOnDesk.h"
#include "RCamera.h"
#include "RImageSaver.h"

#include <QCamera>
#include <QCameraImageCapture>
#include <QCameraViewfinder>
#include <QPainter>
#include <QSignalSpy>

#include <cerrno>
#include <functional>

using namespace CameraTest;

namespace {
// Numbered names; `more` sets the rest.
RCaptureSettings numbered(const QString &prefix, int digits, const std::function<void(RCaptureSettings &)> &more = {})
{
    RCaptureSettings s;
    s.m_iNameType = NameMode::Number;
    s.m_strNamePrefix = prefix;
    s.m_iNameNumLength = digits;
    if (more)
        more(s);
    return s;
}

// A dark document on a white desk.
QImage documentPage(const QRect &document)
{
    QImage img(640, 480, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.fillRect(document, QColor(30, 30, 30));
    return img;
}

// Where an A4 page's corners show for a camera of focal length 600 tilted out
// of the desk's plane, as fractions of a 640x480 frame: TL, TR, BR, BL.
QList<QPointF> tiltedA4(double tiltX, double tiltY, double spin)
{
    const PageOnDesk::Shot shot = PageOnDesk::photograph(QSize(640, 480), QSizeF(210, 297), tiltX, tiltY, spin, 600, 560);
    QList<QPointF> corners;
    for (const QPointF &c : shot.corners)
        corners << QPointF(c.x() / 640, c.y() / 480);
    return corners;
}

bool openPage(RCamera &camera, const QImage &page)
{
    writeOne("Doc Cam", {"640x480"}, writePage("page.png", page));
    camera.show();
    // Wait until the viewfinder has a frame: the page is on screen.
    return camera.initCamera("Doc Cam") == QSize(640, 480)
           && QTest::qWaitFor([&] { return !camera.viewfinder()->sizeHint().isEmpty(); }, 5000);
}
} // namespace

class TestRCameraCapture : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase()
    {
        // Ends the save queue while the application still runs.
        delete RImageSaver::instance();
    }

    // Names themselves: tst_rcapturepipeline and tst_rfilenaming.
    void captureWritesDocument()
    {
        RCamera camera;
        QVERIFY(openPage(camera, documentPage(QRect(100, 80, 300, 200))));
        const QString dir = QDir::current().absoluteFilePath("out");
        camera.setSaveDir(dir); // not there yet: the capture creates it
        camera.setCameraParam(numbered("IMG", 4));
        camera.setNameCurNum(7);
        camera.setCaptureExt("pdf");
        QSignalSpy shown(&camera, &RCamera::sShowOrHideImageList);
        QSignalSpy finished(&camera, &RCamera::sCaptureFinished);
        camera.capture();
        QVERIFY(finished.wait(10000));
        const QString name = finished.at(0).at(1).toString();
        QCOMPARE(finished.at(0).at(0).toString(), dir);
        QCOMPARE(name, QString("IMG0007.pdf"));
        QCOMPARE(VisoraTest::pdfPages(dir + "/" + name), 1);
        QVERIFY(shown.contains(QList<QVariant>{true}));
        QCOMPARE(camera.nameCurNum(), 8);
        // No stray pictures beside the document, and none left by the camera
        // itself: the still picture stays in memory.
        QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList{name});
        QCOMPARE(camera.imageCapture()->captureDestination(), QCameraImageCapture::CaptureToBuffer);
    }

    void documentDetection_data()
    {
        QTest::addColumn<QImage>("page");
        QTest::addColumn<int>("corners");
        QTest::addColumn<bool>("mirror");
        QTest::addColumn<bool>("flip");
        QTest::addColumn<QRect>("shownPage"); // where the teacher sees the page
        const QImage doc = documentPage(QRect(100, 80, 300, 200));
        QTest::newRow("document on the desk gives four corners") << doc << 4 << false << false << QRect(90, 70, 321, 221);
        QTest::newRow("mirrored: corners on the mirrored page") << doc << 4 << true << false << QRect(230, 70, 321, 221);
        QTest::newRow("flipped: corners on the flipped page") << doc << 4 << false << true << QRect(90, 190, 321, 221);
        QTest::newRow("blank desk gives no corners") << uniformPage(255) << 0 << false << false << QRect();
    }

    void documentDetection()
    {
        QFETCH(QImage, page);
        QFETCH(int, corners);
        QFETCH(bool, mirror);
        QFETCH(bool, flip);
        QFETCH(QRect, shownPage);
        RCamera camera;
        QVERIFY(openPage(camera, page));
        camera.setOrientation(mirror, flip);
        QSignalSpy spy(&camera, &RCamera::detectRect4Point);
        camera.setCameraParam(numbered("IMG", 4, [](RCaptureSettings &s) { s.m_bAutoCut = true; }));
        QVERIFY(spy.wait(3000));
        const QList<QPoint> points = spy.at(0).at(0).value<QList<QPoint>>();
        QCOMPARE(points.size(), corners);
        // The corners lie on the document as shown, in picture pixels.
        for (const QPoint &p : points)
            QVERIFY2(shownPage.contains(p), qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
        camera.setCameraAuto(false, false);
        QVERIFY(!camera.isRectDetecting());
    }

    // A page photographed askew: the frame shows its true corners and the
    // capture is the flat page, of A4's proportions, with no desk left in it.
    void perspectiveCaptureOfAPageLeaning25Degrees()
    {
        const QList<QPointF> corners = tiltedA4(-18, 17, -7);
        Cam c = cam("Doc Cam");
        c.pageCorners = corners;
        writeConfig({c});
        RCamera camera;
        camera.show();
        QCOMPARE(camera.initCamera("Doc Cam"), QSize(640, 480));
        const auto flattened = [](RCaptureSettings &s) { s.m_bAutoCut = s.m_bAutoPerspective = true; };
        camera.setCameraParam(numbered("IMG", 4, flattened));
        QVERIFY(QTest::qWaitFor([&] { return camera.rectPoints().size() == 4; }, 5000));
        for (int i = 0; i < 4; ++i) // the page's own corners, not its bounding rectangle's
            QVERIFY2(QLineF(QPointF(corners[i].x() * 640, corners[i].y() * 480), camera.rectPoints()[i]).length() < 8,
                     qPrintable(QString("corner %1").arg(i)));

        const QString dir = QDir::current().absoluteFilePath("flat");
        camera.setSaveDir(dir);
        camera.setCaptureExt("png");
        QSignalSpy finished(&camera, &RCamera::sCaptureFinished);
        camera.capture();
        QVERIFY(finished.wait(10000));
        const QImage page(dir + "/" + finished.at(0).at(1).toString());
        QVERIFY(!page.isNull());
        const double ratio = double(page.height()) / page.width();
        QVERIFY2(qAbs(ratio / (297.0 / 210.0) - 1) < 0.03, qPrintable(QString::number(ratio)));
        // Paper right up to the corners: the desk is dark.
        const int dx = page.width() / 30 + 1, dy = page.height() / 30 + 1;
        for (const QPoint &p : {QPoint(dx, dy), QPoint(page.width() - 1 - dx, dy),
                                QPoint(page.width() - 1 - dx, page.height() - 1 - dy), QPoint(dx, page.height() - 1 - dy)})
            QVERIFY2(qGray(page.pixel(p)) > 180, qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
    }

    // The camera widget paints every pixel of its area itself (the picture,
    // or white where there is none), so the scene never fills it first.
    void everyPixelIsPainted_data()
    {
        QTest::addColumn<bool>("whiteboard");
        QTest::addColumn<QRect>("picture"); // where the picture shows; white elsewhere
        QTest::newRow("letterboxed picture, white bands") << false << QRect(160, 0, 640, 480);
        QTest::newRow("whiteboard is white") << true << QRect();
    }
    void everyPixelIsPainted()
    {
        QFETCH(bool, whiteboard);
        QFETCH(QRect, picture);
        RCamera camera;
        QVERIFY(openPage(camera, uniformPage(40)));
        camera.resize(960, 480);
        camera.setWhiteBoard(whiteboard);
        QTRY_COMPARE(camera.pictureRect(), picture);

        const QRgb unpainted = qRgb(255, 0, 255);
        QImage canvas(camera.size(), QImage::Format_RGB32);
        canvas.fill(unpainted);
        QPainter painter(&canvas);
        camera.render(&painter); // as the scene's proxy item draws it
        painter.end();
        // Inside the picture the dark page, outside it white; on the edge,
        // which may blend, anything painted.
        const QRect inner = picture.isEmpty() ? QRect() : picture.adjusted(2, 2, -2, -2);
        const QRect outer = picture.isEmpty() ? QRect() : picture.adjusted(-2, -2, 2, 2);
        int wrong = 0;
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                const QRgb c = canvas.pixel(x, y);
                wrong += inner.contains(x, y) ? qGray(c) > 80 : outer.contains(x, y) ? c == unpainted : c != qRgb(255, 255, 255);
            }
        }
        QCOMPARE(wrong, 0);
        if (!whiteboard)
            return;
        // The board stops the camera and hides its picture; off again, both come back.
        QVERIFY(camera.isWhiteBoard() && camera.viewfinder()->isHidden());
        QVERIFY(camera.camera()->state() != QCamera::ActiveState);
        camera.setWhiteBoard(false);
        QVERIFY(!camera.viewfinder()->isHidden());
        QCOMPARE(camera.camera()->state(), QCamera::ActiveState);
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(meanGrey(camera.grab(QRect(160, 0, 640, 480)).toImage()) - 40) < 10, 5000);
    }

    // Mode 2 compares every second; an unchanged picture compares as 0 dB,
    // which counts as changed.
    void changeDetection()
    {
        RCamera camera;
        QSignalSpy spy(&camera, &RCamera::sDetectSnap);
        camera.detectNetImage(); // before any picture there is nothing to compare
        QCOMPARE(spy.count(), 0);
        QVERIFY(openPage(camera, documentPage(QRect(100, 80, 300, 200))));
        camera.setCameraParam(numbered("IMG", 4, [](RCaptureSettings &s) { s.m_iSnapType = SnapMode::OnChange; }));
        QVERIFY(camera.isChangeDetecting());
        QVERIFY(spy.wait(3000));
        // Leaving the mode stops the comparison.
        camera.setCameraParam(numbered("IMG", 4));
        QVERIFY(!camera.isChangeDetecting());
    }

    // Captures handed over back to back, before the worker has done any:
    // card sides still pair in the order taken; a capture with nothing to
    // save reports failure (no reason: there was none) and the card waits on.
    void queuedCaptures_data()
    {
        QTest::addColumn<QList<bool>>("emptySpotlight"); // per capture
        QTest::addColumn<QList<int>>("heights");         // of the pictures written, in order
        QTest::newRow("card sides pair up, then a new first side") << QList<bool>{false, false, false} << QList<int>{30, 60, 30};
        QTest::newRow("empty spotlight fails, the card waits on") << QList<bool>{false, true, false} << QList<int>{30, 60};
    }
    void queuedCaptures()
    {
        QFETCH(QList<bool>, emptySpotlight);
        QFETCH(QList<int>, heights);
        QTemporaryDir dir;
        RCamera camera;
        camera.setSaveDir(dir.path());
        camera.setCameraParam(numbered("C", 2, [&](RCaptureSettings &s) { s.m_bCardMix = true; }));
        camera.setCaptureExt("png");
        QSignalSpy failed(&camera, &RCamera::sCaptureFailed);
        QSignalSpy finished(&camera, &RCamera::sCaptureFinished);
        for (int i = 0; i < emptySpotlight.size(); ++i) {
            camera.setCutRect(emptySpotlight[i], QPoint(5, 5), QPoint(5, 20));
            camera.cameraImageCaptured(i, uniformPage(i % 2 ? 60 : 200, QSize(40, 30)));
        }
        QCOMPARE(finished.size() + failed.size(), 0); // nothing done on this thread
        QVERIFY(RImageSaver::instance()->waitForIdle());
        QCOMPARE(failed.size(), emptySpotlight.count(true));
        QCOMPARE(failed.value(0).value(0).toString(), QString());
        const QStringList files = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), heights.size());
        for (int i = 0; i < heights.size(); ++i)
            QCOMPARE(QImage(dir.filePath(files[i])).height(), heights[i]);
    }

    // A page the lesson's document could not take is said with its reason,
    // and the next page goes on in the same document rather than a second one.
    void failedPageKeepsTheLessonDocument()
    {
        QTemporaryDir dir;
        RCamera camera;
        camera.setSaveDir(dir.path());
        camera.setCameraParam(numbered("C", 2));
        camera.setCaptureExt("pdf");
        camera.setPdfAppend(true);
        QSignalSpy failed(&camera, &RCamera::sCaptureFailed);
        bool idle;
        {
            VisoraTest::FileSizeLimit full(300); // no room for the page
            camera.cameraImageCaptured(0, uniformPage(200, QSize(40, 30)));
            idle = RImageSaver::instance()->waitForIdle();
        }
        QVERIFY(idle);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0][0].toString(), VisoraTest::errnoText(EFBIG));
        for (int i = 1; i < 3; ++i)
            camera.cameraImageCaptured(i, uniformPage(60, QSize(40, 30)));
        QVERIFY(RImageSaver::instance()->waitForIdle());
        QCOMPARE(failed.size(), 1);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"C01.pdf"});
        QCOMPARE(VisoraTest::pdfPages(dir.filePath("C01.pdf")), 2);
    }
};

VISORA_TEST_MAIN(TestRCameraCapture)
#include "tst_rcameracapture.moc"
