#include "VisoraTest.h"

#include "RImageProc.h"

#include <QPainter>
#include <QRandomGenerator>

#include <opencv2/imgproc.hpp>

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

// The rule exactly as written: Qt's pixel accessor, one pixel at a time.
static int slowGrey(const QImage &img, int x, int y)
{
    const QRgb c = img.pixel(x, y);
    return (11 * qRed(c) + 16 * qGreen(c) + 5 * qBlue(c)) >> 5;
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
                const int g = slowGrey(img, x, y);
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
        QTest::newRow("two levels: the dark level") << QList<int>{10, 10, 10, 200, 200, 200} << 10 << 11;
        QTest::newRow("black ink on white paper") << QList<int>{0, 0, 255, 255, 255} << 0 << 1;
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
        QVERIFY(RImageProc::matToImage(cv::Mat()).isNull());
    }

    void imageToMatChannels_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("wraps");
        QTest::newRow("RGB32 wraps 4") << int(QImage::Format_RGB32) << 4 << true;
        QTest::newRow("Indexed8 wraps 1") << int(QImage::Format_Indexed8) << 1 << true;
        QTest::newRow("RGB888 gives BGR") << int(QImage::Format_RGB888) << 3 << false;
        QTest::newRow("RGB16 converted, no over-read") << int(QImage::Format_RGB16) << 4 << false;
    }
    void imageToMatChannels()
    {
        QFETCH(int, format);
        QFETCH(int, channels);
        QImage img(5, 3, QImage::Format(format));
        if (img.format() == QImage::Format_Indexed8)
            img.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 0)});
        img.fill(1);
        if (img.format() != QImage::Format_Indexed8)
            img.fill(QColor(255, 0, 0));
        const QImage shared = img; // must stay shared: no detaching copy
        const cv::Mat m = RImageProc::imageToMat(img);
        QCOMPARE(m.channels(), channels);
        QCOMPARE(m.cols, 5);
        QTEST(m.data == img.constBits(), "wraps");
        QVERIFY(shared.constBits() == img.constBits());
        if (channels >= 3)
            QCOMPARE(int(m.at<uchar>(2, 4 * channels + 2)), 255); // red in BGR order
    }

    void matToImageOwnsPixels_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("format");
        QTest::newRow("grey -> Indexed8") << CV_8UC1 << int(QImage::Format_Indexed8);
        QTest::newRow("BGR -> RGB888") << CV_8UC3 << int(QImage::Format_RGB888);
        QTest::newRow("16-bit: unsupported") << CV_16UC3 << int(QImage::Format_Invalid);
    }
    void matToImageOwnsPixels()
    {
        QFETCH(int, type);
        QFETCH(int, format);
        cv::Mat m(4, 7, type, cv::Scalar(200, 100, 50, 255));
        const QImage img = RImageProc::matToImage(m);
        QCOMPARE(int(img.format()), format);
        if (img.isNull())
            return;
        const QRgb before = img.pixel(6, 3);
        m.setTo(cv::Scalar::all(0));
        QCOMPARE(img.pixel(6, 3), before);
        QCOMPARE(qRed(before), m.channels() == 1 ? 200 : 50);
        QCOMPARE(qBlue(before), 200);
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
};

VISORA_TEST_MAIN(TestRImageProc)
#include "tst_rimageproc.moc"
