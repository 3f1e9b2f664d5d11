#include "VisoraTest.h"

#include "RJpegWriter.h"

#include <QBuffer>
#include <QColorSpace>

// Noise over gradients: every block of the encoder has work to do.
static QImage photo(int w, int h, int dotsPerMeter)
{
    QImage img(w, h, QImage::Format_RGB32);
    quint32 x = 2463534242u;
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int c = 0; c < w; ++c) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            line[c] = qRgb((c * 255 / w + int(x & 15)) & 255, (y * 255 / qMax(1, h - 1)) & 255, int(x >> 24));
        }
    }
    img.setDotsPerMeterX(dotsPerMeter);
    img.setDotsPerMeterY(dotsPerMeter);
    return img;
}

class TestRJpegWriter : public QObject
{
    Q_OBJECT
private slots:
    // The file is the one QImage::save writes, header and density included.
    void sameBytesAsQImageSave_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::newRow("1080p at the default 96 dpi") << photo(1920, 1080, 3780);
        QTest::newRow("odd size, one block short") << photo(333, 17, 3780);
        QTest::newRow("whole dots per centimetre") << photo(640, 480, 4000);
    }
    void sameBytesAsQImageSave()
    {
        QFETCH(QImage, image);
        QByteArray expected;
        QBuffer qt(&expected);
        QVERIFY(qt.open(QIODevice::WriteOnly));
        QVERIFY(image.save(&qt, "JPG"));
        QByteArray ours;
        QBuffer out(&ours);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QVERIFY(RJpegWriter::write(image, &out));
        QVERIFY(ours == expected);
    }

    // Pictures with anything a 32-bit opaque copy would lose go to Qt's writer.
    void takesOnlyPlainOpaquePictures_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<bool>("taken");
        const QImage plain = photo(8, 8, 3780);
        QImage withText = plain;
        withText.setText("Description", "page");
        QImage withProfile = plain;
        withProfile.setColorSpace(QColorSpace::SRgb);
        QTest::newRow("opaque 32-bit") << plain << true;
        QTest::newRow("transparency") << plain.convertToFormat(QImage::Format_ARGB32) << false;
        QTest::newRow("text to carry") << withText << false;
        QTest::newRow("colour profile to carry") << withProfile << false;
        QTest::newRow("null picture") << QImage() << false;
    }
    void takesOnlyPlainOpaquePictures()
    {
        QFETCH(QImage, image);
        QFETCH(bool, taken);
        QCOMPARE(RJpegWriter::canWrite(image), taken);
        QByteArray bytes;
        QBuffer out(&bytes);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(RJpegWriter::write(image, &out), taken);
        QCOMPARE(bytes.isEmpty(), !taken);
    }
};

VISORA_TEST_MAIN(TestRJpegWriter)
#include "tst_rjpegwriter.moc"
