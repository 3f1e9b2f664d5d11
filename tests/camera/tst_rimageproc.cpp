#include "VisoraTest.h"

#include "RImageProc.h"

#include "PageOnDesk.h"

#include <QPainter>
#include <QRandomGenerator>

// Random pixels in any format; Indexed8 gets a table shorter than 256 when asked,
// so some indices point past it.
static QImage randomImage(QImage::Format format, int w, int h, quint32 seed, int tableSize = 256)
{
    QRandomGenerator rng(seed);
    QImage img(w, h, format);
    if (format == QImage::Format_Indexed8) {
        QVector<QRgb> table(tableSize);
        for (QRgb &c : table)
            c = rng.generate() | 0xff000000u;
        img.setColorTable(table);
    }
    for (int y = 0; y < h; ++y) {
        uchar *line = img.scanLine(y);
        for (int i = 0; i < img.bytesPerLine(); ++i)
            line[i] = uchar(rng.bounded(256));
    }
    return img;
}

// How far the found corner nearest to any true one lies from it, at worst.
static double cornerError(const QPolygonF &truth, const QList<QPoint> &corners)
{
    double worst = 0;
    for (const QPointF &t : truth) {
        double nearest = 1e9;
        for (const QPoint &c : corners)
            nearest = qMin(nearest, QLineF(t, QPointF(c)).length());
        worst = qMax(worst, nearest);
    }
    return worst;
}

class TestRImageProc : public QObject
{
    Q_OBJECT
private slots:
    void greyAndBlackWhiteFollowTheRule_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("tableSize");
        // One format per path: 32-bit, 24-bit, table, grey, any other.
        const QList<QPair<const char *, QImage::Format>> formats = {
            {"ARGB32pm", QImage::Format_ARGB32_Premultiplied}, {"RGB888", QImage::Format_RGB888},
            {"Indexed8", QImage::Format_Indexed8}, {"Grayscale8", QImage::Format_Grayscale8},
            {"RGB16 (other format)", QImage::Format_RGB16}};
        for (const auto &f : formats) {
            QTest::addRow("%s odd width", f.first) << int(f.second) << 37 << 5 << 256;
            QTest::addRow("%s large odd width, striped", f.first) << int(f.second) << 1001 << 601 << 256;
        }
        QTest::newRow("Indexed8 with short colour table") << int(QImage::Format_Indexed8) << 19 << 3 << 100;
    }
    void greyAndBlackWhiteFollowTheRule()
    {
        QFETCH(int, format);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, tableSize);
        const QImage img = randomImage(QImage::Format(format), width, height, quint32(width * 131 + format), tableSize);
        const QImage grey = RImageProc::toGray(img);
        const QImage fixedBw = RImageProc::toThreadhold(img, 100);
        const QImage otsuBw = RImageProc::toThreadhold(img, 0);
        const int t = RImageProc::otsuThreshold(img);
        QCOMPARE(grey.format(), QImage::Format_Grayscale8);
        QCOMPARE(grey.size(), img.size());
        QVERIFY(t >= 0 && t <= 255);
        // Each pixel counted once, row padding never.
        QVector<qint64> hist(256, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const QRgb c = img.pixel(x, y); // the rule as written, through Qt's own pixel reader
                const int g = (11 * qRed(c) + 16 * qGreen(c) + 5 * qBlue(c)) >> 5;
                ++hist[g];
                QCOMPARE(int(grey.constScanLine(y)[x]), g);
                QCOMPARE(int(fixedBw.constScanLine(y)[x]), g >= 100 ? 255 : 0);
                QCOMPARE(int(otsuBw.constScanLine(y)[x]), g >= t ? 255 : 0);
            }
        QCOMPARE(RImageProc::greyHistogram(img), hist);
    }

    void otsu_data()
    {
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<int>("whiteFrom");
        // Two levels: every t between them separates equally well, the first
        // is kept; as the darkest level it stays black, or the page would vanish.
        QTest::newRow("two levels: black ink on white paper") << QList<int>{0, 0, 255, 255, 255} << 0 << 1;
        QTest::newRow("three levels: threshold level turns white") << QList<int>{0, 0, 120, 120, 250, 250} << 120 << 120;
        QTest::newRow("uniform: 0") << QList<int>{77, 77, 77, 77} << 0 << 0;
    }
    void otsu()
    {
        QFETCH(QList<int>, values);
        QFETCH(int, whiteFrom);
        QImage img(values.size(), 1, QImage::Format_Grayscale8);
        for (int i = 0; i < values.size(); ++i)
            img.scanLine(0)[i] = uchar(values[i]);
        QTEST(RImageProc::otsuThreshold(img), "threshold");
        const QImage bw = RImageProc::toThreadhold(img, 0);
        for (int i = 0; i < values.size(); ++i)
            QCOMPARE(int(bw.constScanLine(0)[i]), values[i] >= whiteFrom ? 255 : 0);
    }

    void nullPictures()
    {
        QCOMPARE(RImageProc::otsuThreshold(QImage()), -1);
        QVERIFY(RImageProc::toGray(QImage()).isNull());
        QVERIFY(RImageProc::toThreadhold(QImage(), 0).isNull());
        QVERIFY(RImageProc::referenceFrame(QImage()).empty());
    }

    // Identical frames give 0, a light veil stays above the 20 dB change
    // mark, an inverted page falls below it.
    void framePsnr()
    {
        const QImage page = randomImage(QImage::Format_RGB32, 640, 480, 7);
        QImage veiled = page;
        QPainter(&veiled).fillRect(veiled.rect(), QColor(128, 128, 128, 16));
        QImage inverted = page;
        inverted.invertPixels();
        const cv::Mat a = RImageProc::referenceFrame(page);
        QCOMPARE(RImageProc::framePsnr(a, RImageProc::referenceFrame(page)), 0.0);
        QVERIFY(RImageProc::framePsnr(a, RImageProc::referenceFrame(veiled)) > 20.0);
        QVERIFY(RImageProc::framePsnr(a, RImageProc::referenceFrame(inverted)) < 20.0);
        QCOMPARE(RImageProc::framePsnr(a, cv::Mat()), 0.0); // cannot be compared: no crash
    }

    // Nothing found keeps the rectangle as it was.
    void nothingFoundKeepsTheRectangle_data()
    {
        QTest::addColumn<QImage>("image");
        QImage uniform(320, 240, QImage::Format_RGB32);
        uniform.fill(QColor(128, 128, 128));
        QTest::newRow("uniform picture") << uniform;
        QTest::newRow("null picture") << QImage();
        QTest::newRow("one pixel") << QImage(1, 1, QImage::Format_RGB32);
    }
    void nothingFoundKeepsTheRectangle()
    {
        QFETCH(QImage, image);
        RRotatedRect rect;
        rect.width = 22;
        QVERIFY(RImageProc::detectRectShown(image, 1024, QSize(), QImage(), &rect).isEmpty());
        QCOMPARE(rect.width, 22.0f);
    }

    void degenerateCutGivesNullPicture_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<RRotatedRect>("rect"); // centre, width, height, angle
        QImage frame(64, 48, QImage::Format_RGB32);
        frame.fill(Qt::white);
        QTest::newRow("null picture") << QImage() << RRotatedRect{10, 10, 20, 20, -90};
        QTest::newRow("zero width") << frame << RRotatedRect{10, 10, 0, 20, -90};
        QTest::newRow("rounds to nothing") << frame << RRotatedRect{10, 10, 20, 0.4f, -90};
        QTest::newRow("not a number") << frame << RRotatedRect{float(qQNaN()), 10, 20, 20, -90};
        QTest::newRow("absurdly large") << frame << RRotatedRect{10, 10, 1e7f, 1e7f, -90};
    }
    void degenerateCutGivesNullPicture()
    {
        QFETCH(QImage, image);
        QFETCH(RRotatedRect, rect);
        QVERIFY(RImageProc::cutRotatedRect(image, rect).isNull());
    }

    // The live tick: the frame as a backend delivers it (any format, maybe
    // reduced, maybe turned), the page where the viewfinder shows it; the
    // rectangle then cuts the page upright out of the picture.
    void pageFoundWhereShownAndCutUpright_data()
    {
        QTest::addColumn<QSize>("frame"); // the page covers 0.6 of it each way
        QTest::addColumn<double>("tilt");
        QTest::addColumn<int>("format");
        QTest::addColumn<QPoint>("margin"); // of the view beside the frame, which it shows centred
        QTest::addColumn<int>("turn");
        const QSize frame(960, 720);
        const int rgb32 = QImage::Format_RGB32, asIs = RImageProc::kNoFlip;
        QTest::newRow("tilted +7") << frame << 7.0 << rgb32 << QPoint() << asIs;
        const int rgb888 = QImage::Format_RGB888;
        QTest::newRow("portrait -30, RGB888") << frame.transposed() << -30.0 << rgb888 << QPoint() << asIs;
        QTest::newRow("tilted -20, ARGB32") << frame << -20.0 << int(QImage::Format_ARGB32) << QPoint() << asIs;
        QTest::newRow("grey frame") << frame << 7.0 << int(QImage::Format_Grayscale8) << QPoint() << asIs;
        QTest::newRow("camera frame, reduced") << QSize(3264, 2448) << 7.0 << rgb32 << QPoint() << asIs;
        QTest::newRow("letterboxed in a wider view") << QSize(1280, 960) << 7.0 << rgb32 << QPoint(320, 0) << asIs;
        QTest::newRow("delivered upside down") << frame << 7.0 << rgb32 << QPoint() << 0;
        QTest::newRow("delivered mirrored") << frame << 7.0 << rgb32 << QPoint() << 1;
    }
    void pageFoundWhereShownAndCutUpright()
    {
        QFETCH(QSize, frame);
        QFETCH(double, tilt);
        QFETCH(int, format);
        QFETCH(QPoint, margin);
        QFETCH(int, turn);
        const QSize page = frame * 0.6;
        // A flat page turned on the desk, its units the picture's pixels.
        PageOnDesk::Shot s = PageOnDesk::photograph(frame, page, 0, 0, tilt, 1000);
        s.image = s.image.convertToFormat(QImage::Format(format));
        const QImage shown = s.image.scaledToWidth(48, Qt::SmoothTransformation);
        const QImage delivered = turn == RImageProc::kNoFlip ? s.image : s.image.mirrored(turn != 0, turn != 1);
        RRotatedRect rect;
        const QSize view = frame + QSize(2 * margin.x(), 2 * margin.y());
        const QList<QPoint> corners = RImageProc::detectRectShown(delivered, 1024, view, shown, &rect);
        QCOMPARE(corners.size(), 4);
        // The reduced picture's pixels, plus the edge work's own slack.
        const double tolerance = 5.0 * qMax(1.0, frame.width() / 1024.0);
        const QPolygonF truth = s.corners.translated(margin);
        QVERIFY(cornerError(truth, corners) < tolerance);
        QVERIFY(QLineF(truth.boundingRect().center(), QPointF(rect.cx, rect.cy)).length() < tolerance);

        rect.cx -= margin.x();
        rect.cy -= margin.y();
        const QImage cut = RImageProc::cutRotatedRect(s.image, rect);
        QVERIFY(qAbs(cut.width() - page.width()) <= tolerance && qAbs(cut.height() - page.height()) <= tolerance);
        // Upright, not mirrored, colours in order: the page's only dark mark,
        // red or grey, is top-left.
        const QRgb mark = cut.pixel(int(cut.width() * 0.09), int(cut.height() * 0.09));
        QVERIFY2(qGray(mark) < 150 && qBlue(mark) < 100, qPrintable(QColor(mark).name()));
    }
};

VISORA_TEST_MAIN(TestRImageProc)
#include "tst_rimageproc.moc"
