#include "FileCheck.h"
#include "VisoraTest.h"

#include "RCapturePipeline.h"
#include "RImageSaver.h"
#include "RPictureOrientation.h"
#include "RSettingsStore.h"

#include <QDir>
#include <QSignalSpy>

static QImage solid(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// Grey picture with a red block in its top-left corner.
static QImage markedTopLeft(int w, int h)
{
    QImage img = solid(w, h, QColor(100, 100, 100));
    for (int y = 0; y < h / 4; ++y)
        for (int x = 0; x < w / 4; ++x)
            img.setPixel(x, y, qRgb(220, 0, 0));
    return img;
}

// A document found in the middle of an 80 x 60 picture: 50 x `width` turned a quarter.
static RRotatedRect detected(float width)
{
    RRotatedRect rect;
    rect.cx = 40;
    rect.cy = 30;
    rect.width = width;
    rect.height = 50;
    rect.angle = -90;
    return rect;
}

class TestRCapturePipeline : public QObject
{
    Q_OBJECT
private slots:
    // The watermark is centred on its raw-picture centre and turns with the picture.
    void watermark_data()
    {
        QTest::addColumn<int>("angle");
        QTest::addColumn<QPoint>("expectedCentre");
        QTest::newRow("unrotated") << 0 << QPoint(60, 50);
        QTest::newRow("rotated 90") << 90 << QPoint(69, 60);
    }
    void watermark()
    {
        QFETCH(int, angle);
        QFETCH(QPoint, expectedCentre);
        RCaptureParams p;
        p.m_bCoverItem = true;
        p.m_iRotateAngle = angle;
        p.m_iAlphaCover = 255;
        p.m_imageCover = solid(20, 10, QColor(0, 0, 255));
        p.m_ptCoverCenter = QPointF(60.7, 50.2);
        RCardState card;
        const QImage out = RCapturePipeline::process(solid(200, 120, QColor(100, 100, 100)), p, RRotatedRect(), card);
        const int blue = qBlue(out.pixel(expectedCentre));
        QVERIFY2(qAbs(blue - 255) <= 3, qPrintable(QString::number(blue)));
        QCOMPARE(qBlue(out.pixel(expectedCentre + QPoint(15, 15))), 100);
    }

    // A mirrored or flipped camera gives the page a camera delivering the
    // shown picture would: spotlight, watermark and turn all as on screen.
    void orientation_data()
    {
        QTest::addColumn<bool>("mirror");
        QTest::addColumn<bool>("flip");
        QTest::addColumn<int>("angle");
        QTest::newRow("flip") << false << true << 0;
        QTest::newRow("mirror turned 90") << true << false << 90;
    }
    void orientation()
    {
        QFETCH(bool, mirror);
        QFETCH(bool, flip);
        QFETCH(int, angle);
        const QImage camera = markedTopLeft(80, 60);
        QImage cover = solid(20, 10, QColor(0, 0, 255));
        cover.setPixel(0, 0, qRgb(0, 255, 0));
        RCaptureParams shownParams;
        shownParams.m_iRotateAngle = angle;
        shownParams.m_bCutRect = true;
        shownParams.m_ptCut1 = QPoint(5, 8);
        shownParams.m_ptCut2 = QPoint(61, 40);
        shownParams.m_bCoverItem = true;
        shownParams.m_imageCover = cover;
        shownParams.m_ptCoverCenter = QPointF(30, 20);
        RCaptureParams oriented = shownParams;
        oriented.m_bMirror = mirror;
        oriented.m_bFlip = flip;
        RCardState card;
        const QImage expected = RCapturePipeline::process(RPictureOrientation::apply(camera, 0, mirror, flip), shownParams,
                                                          RRotatedRect(), card);
        QVERIFY(!expected.isNull());
        QCOMPARE(RCapturePipeline::process(camera, oriented, RRotatedRect(), card), expected);
    }

    // An empty picture stops the capture, with the watermark or the card merge
    // on, and is no card side.
    void emptyCaptureStops()
    {
        RCaptureParams p;
        p.m_bCoverItem = true;
        p.m_imageCover = solid(4, 4, Qt::blue);
        RCardState card;
        QVERIFY(RCapturePipeline::process(QImage(), p, RRotatedRect(), card).isNull());
        p.m_bCoverItem = false;
        p.m_bCardMix = true;
        QVERIFY(RCapturePipeline::process(QImage(), p, RRotatedRect(), card).isNull());
        QCOMPARE(card.m_iCardCount, 0);
    }

    void spotlightCut_data()
    {
        QTest::addColumn<QPoint>("a");
        QTest::addColumn<QPoint>("b");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("corners in order") << QPoint(10, 5) << QPoint(50, 35) << QRect(10, 5, 40, 30);
        QTest::newRow("corners crossed") << QPoint(50, 5) << QPoint(10, 35) << QRect(10, 5, 40, 30);
        QTest::newRow("no width: nothing to save") << QPoint(10, 5) << QPoint(10, 35) << QRect();
    }
    void spotlightCut()
    {
        QFETCH(QPoint, a);
        QFETCH(QPoint, b);
        QFETCH(QRect, expected);
        RCaptureParams p;
        p.m_bCutRect = true;
        p.m_ptCut1 = a;
        p.m_ptCut2 = b;
        RCardState card;
        const QImage in = markedTopLeft(80, 60);
        const QImage out = RCapturePipeline::process(in, p, RRotatedRect(), card);
        QCOMPARE(out.isNull(), expected.isEmpty());
        if (!out.isNull())
            QCOMPARE(out, in.copy(expected));
    }

    void documentCutAndColour_data()
    {
        QTest::addColumn<bool>("autoCut");
        QTest::addColumn<float>("rectWidth");
        QTest::addColumn<ColourMode>("colour");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("format");
        QTest::newRow("document cut") << true << 30.0f << ColourMode::Colour << QSize(50, 30) << int(QImage::Format_RGB888);
        QTest::newRow("no document detected yet: whole picture")
            << true << 0.0f << ColourMode::Colour << QSize(80, 60) << int(QImage::Format_RGB32);
        QTest::newRow("black and white") << false << 0.0f << ColourMode::BlackWhite << QSize(80, 60)
                                         << int(QImage::Format_Grayscale8);
    }
    void documentCutAndColour()
    {
        QFETCH(bool, autoCut);
        QFETCH(float, rectWidth);
        QFETCH(ColourMode, colour);
        QFETCH(QSize, size);
        QFETCH(int, format);
        RCaptureParams p;
        p.m_bAutoCut = autoCut;
        p.m_iSaveColorType = colour;
        RCardState card;
        const QImage out = RCapturePipeline::process(markedTopLeft(80, 60), p, detected(rectWidth), card);
        QCOMPARE(out.size(), size);
        QCOMPARE(int(out.format()), format);
        if (colour == ColourMode::BlackWhite)
            for (int y = 0; y < out.height(); ++y)
                for (int x = 0; x < out.width(); ++x)
                    QVERIFY(out.constScanLine(y)[x] == 0 || out.constScanLine(y)[x] == 255);
    }

    // With the perspective flag the cut flattens the quadrilateral; whenever
    // that cannot be done it is the rotated rectangle's cut as before.
    void perspectiveCut_data()
    {
        QTest::addColumn<QList<QPointF>>("quad");
        QTest::addColumn<QSize>("size");
        QTest::newRow("quad flattened") << QList<QPointF>{{10, 5}, {70, 5}, {70, 45}, {10, 45}} << QSize(60, 40);
        QTest::newRow("collinear quad: rectangle cut") << QList<QPointF>{{10, 5}, {40, 5}, {70, 5}, {10, 45}} << QSize(50, 30);
    }
    void perspectiveCut()
    {
        QFETCH(QList<QPointF>, quad);
        RCaptureParams p;
        p.m_bAutoCut = p.m_bAutoPerspective = true;
        RCardState card;
        QTEST(RCapturePipeline::process(markedTopLeft(80, 60), p, detected(30), card, quad).size(), "size");
    }

    void cardMergeAlternates()
    {
        RCaptureParams p;
        p.m_bCardMix = true;
        RCardState card;
        const QImage front = solid(100, 60, Qt::red), wideBack = solid(120, 40, Qt::blue);
        QCOMPARE(RCapturePipeline::process(front, p, RRotatedRect(), card), front);
        QCOMPARE(card.m_iCardCount, 1);
        const QImage both = RCapturePipeline::process(wideBack, p, RRotatedRect(), card);
        QCOMPARE(card.m_iCardCount, 0);
        QCOMPARE(both.size(), QSize(100, 100)); // clipped at the first side's width
        QCOMPARE(both.pixel(99, 59), QColor(Qt::red).rgb());
        QCOMPARE(both.pixel(99, 60), QColor(Qt::blue).rgb());
    }

    // Two documents named within one second, the first still queued: no overwrite.
    void sameSecondNamesNeverCollide()
    {
        QTemporaryDir dir, other;
        RCaptureParams p;
        p.m_strCurImageDir = dir.path();
        p.m_iNameType = NameMode::Time;
        p.m_strNamePrefix = "IMG";
        const QDateTime now(QDate(2024, 3, 5), QTime(7, 8, 9));
        RImageSaver *saver = RImageSaver::instance();
        saver->saveImage(solid(3000, 3000, Qt::gray), other.filePath("slow.png")); // keeps the documents queued
        for (int i = 0; i < 2; ++i)
            RCapturePipeline::saveDocument(solid(64, 48, Qt::red), p, now);
        QVERIFY(saver->waitForIdle());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"IMG20240305_070809.pdf", "IMG20240305_070809_1.pdf"}));
    }

    // Appending, the lesson's PDF captures go to the one document named at its
    // first page; turning it off or changing the folder starts afresh.
    void appendNamesOneDocument()
    {
        QTemporaryDir dir, other;
        RCaptureParams p;
        p.m_strCurImageDir = dir.path();
        p.m_iNameType = NameMode::Number;
        p.m_strNamePrefix = "IMG";
        p.m_iNameNumLength = 4;
        p.m_iNameCurNum = 7;
        p.m_strFileExt = "PDF"; // as old settings may hold it
        p.m_bPdfAppend = true;
        const QDateTime now = QDateTime::currentDateTime();
        QStringList paths;
        for (int i = 0; i < 3; ++i) {
            QString path;
            QVERIFY(RCapturePipeline::saveDocument(solid(64, 48, Qt::red), p, now, &path) > 0);
            paths << QFileInfo(path).fileName();
        }
        QCOMPARE(paths, (QStringList{"IMG0007.pdf", "IMG0007.pdf", "IMG0007.pdf"}));
        QCOMPARE(RSettingsStore::readInt(RSettingsKeys::FileNameCurNum), 8);
        QVERIFY(RImageSaver::instance()->waitForIdle());
        QCOMPARE(VisoraTest::pdfPages(dir.filePath("IMG0007.pdf")), 3);

        QString path;
        p.m_strCurImageDir = other.path();
        RCapturePipeline::saveDocument(solid(64, 48, Qt::red), p, now, &path);
        QCOMPARE(path, other.filePath("IMG0008.pdf"));
        p.m_bPdfAppend = false;
        RCapturePipeline::saveDocument(solid(64, 48, Qt::red), p, now, &path);
        QCOMPARE(path, other.filePath("IMG0009.pdf"));
        QVERIFY(RImageSaver::instance()->waitForIdle());
    }

    void failedSaveStillConsumesTheNumber()
    {
        RCaptureParams p;
        p.m_strCurImageDir = QDir::currentPath() + "/no such folder";
        p.m_iNameType = NameMode::Number;
        p.m_iNameCurNum = 41;
        QSignalSpy spy(RImageSaver::instance(), &RImageSaver::finished);
        QVERIFY(RCapturePipeline::saveDocument(solid(10, 10, Qt::red), p, QDateTime::currentDateTime()) > 0);
        QVERIFY(RImageSaver::instance()->waitForIdle());
        QCOMPARE(spy.value(0).value(2).toBool(), false);
        QCOMPARE(RSettingsStore::readInt(RSettingsKeys::FileNameCurNum), 42);
        QCOMPARE(RCapturePipeline::saveDocument(QImage(), p, QDateTime::currentDateTime()), -1);
    }
};

VISORA_TEST_MAIN(TestRCapturePipeline)
#include "tst_rcapturepipeline.moc"
