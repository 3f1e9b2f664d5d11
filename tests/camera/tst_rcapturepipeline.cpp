#include "FileCheck.h"
#include "VisoraTest.h"

#include "RCapturePipeline.h"
#include "RImageSaver.h"
#include "RPictureOrientation.h"
#include "RSettingsStore.h"

#include <QDir>
#include <QPainter>
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
    QPainter(&img).fillRect(0, 0, w / 4, h / 4, QColor(220, 0, 0));
    return img;
}

class TestRCapturePipeline : public QObject
{
    Q_OBJECT
private slots:
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

    // The document cut: the rotated rectangle, or with the perspective flag
    // the flattened quadrilateral, the rectangle whenever that cannot be done.
    void documentCutAndColour_data()
    {
        QTest::addColumn<float>("rectWidth");     // of the detected document; 0: none detected yet
        QTest::addColumn<QList<QPointF>>("quad"); // empty: perspective off
        QTest::addColumn<ColourMode>("colour");
        QTest::addColumn<QSize>("size");
        const ColourMode colour = ColourMode::Colour;
        const QList<QPointF> off;
        QTest::newRow("document cut") << 30.0f << off << colour << QSize(50, 30);
        QTest::newRow("no document detected yet: whole picture") << 0.0f << off << colour << QSize(80, 60);
        QTest::newRow("quad flattened") << 30.0f << QList<QPointF>{{10, 5}, {70, 5}, {70, 45}, {10, 45}} << colour << QSize(60, 40);
        QTest::newRow("collinear quad: rectangle cut")
            << 30.0f << QList<QPointF>{{10, 5}, {40, 5}, {70, 5}, {10, 45}} << colour << QSize(50, 30);
        QTest::newRow("black and white") << 0.0f << off << ColourMode::BlackWhite << QSize(80, 60);
    }
    void documentCutAndColour()
    {
        QFETCH(float, rectWidth);
        QFETCH(QList<QPointF>, quad);
        QFETCH(ColourMode, colour);
        RCaptureParams p;
        p.m_bAutoCut = true;
        p.m_bAutoPerspective = !quad.isEmpty();
        p.m_iSaveColorType = colour;
        RCardState card;
        // A document found in the middle of the picture: 50 x `rectWidth` turned a quarter.
        const QImage out = RCapturePipeline::process(markedTopLeft(80, 60), p, RRotatedRect{40, 30, rectWidth, 50, -90}, card, quad);
        QTEST(out.size(), "size");
        if (colour != ColourMode::BlackWhite)
            return;
        QCOMPARE(out.format(), QImage::Format_Grayscale8);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                QVERIFY(out.constScanLine(y)[x] == 0 || out.constScanLine(y)[x] == 255);
    }

    void cardMergeAlternates()
    {
        RCaptureParams p;
        p.m_bCardMix = true;
        RCardState card;
        const QImage front = solid(100, 60, Qt::red), wideBack = solid(120, 40, Qt::blue);
        QCOMPARE(RCapturePipeline::process(front, p, RRotatedRect(), card), front);
        const QImage both = RCapturePipeline::process(wideBack, p, RRotatedRect(), card);
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
    // first page; turning it off or changing the folder starts afresh. A number
    // is consumed even by a save that fails.
    void lessonDocumentsAndNumbers()
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
        QString path;
        for (int i = 0; i < 3; ++i) {
            QVERIFY(RCapturePipeline::saveDocument(solid(64, 48, Qt::red), p, now, &path) > 0);
            QCOMPARE(path, dir.filePath("IMG0007.pdf"));
        }
        QCOMPARE(RSettingsStore::readInt(RSettingsKeys::FileNameCurNum), 8);
        QVERIFY(RImageSaver::instance()->waitForIdle());
        QCOMPARE(VisoraTest::pdfPages(dir.filePath("IMG0007.pdf")), 3);

        p.m_strCurImageDir = other.path();
        RCapturePipeline::saveDocument(solid(64, 48, Qt::red), p, now, &path);
        QCOMPARE(path, other.filePath("IMG0008.pdf"));
        p.m_bPdfAppend = false;
        RCapturePipeline::saveDocument(solid(64, 48, Qt::red), p, now, &path);
        QCOMPARE(path, other.filePath("IMG0009.pdf"));

        p.m_strCurImageDir = other.filePath("no such folder");
        QSignalSpy spy(RImageSaver::instance(), &RImageSaver::finished);
        QVERIFY(RCapturePipeline::saveDocument(solid(10, 10, Qt::red), p, now) > 0);
        QVERIFY(RImageSaver::instance()->waitForIdle());
        QCOMPARE(spy.last().value(2).toBool(), false);
        QCOMPARE(RSettingsStore::readInt(RSettingsKeys::FileNameCurNum), 11);
        QCOMPARE(RCapturePipeline::saveDocument(QImage(), p, now), -1);
    }
};

VISORA_TEST_MAIN(TestRCapturePipeline)
#include "tst_rcapturepipeline.moc"
