#include "RQrDecoder.h"
#include "RQrImage.h"
#include "VisoraTest.h"

// Codes made here are read back by the program's own reader.
class TestQrImage : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("side"); // 0: too small or too long, nothing made
        QTest::newRow("ascii") << "Class 3B" << 200;
        QTest::newRow("url with a key, odd side") << "http://192.168.1.23:8117/k/7H3K9Q" << 257;
        QTest::newRow("chinese") << "共享到学生设备 http://10.0.0.5:8117/k/AB12CD" << 400;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("side smaller than the modules") << "http://192.168.1.23:8117/k/7H3K9Q" << 0;
        // Version 40-M holds 2331 bytes.
        QTest::newRow("too long") << QString(1200, QChar(0x4E2D)) << 0;
    }
    void roundTrip()
    {
        QFETCH(QString, text);
        QFETCH(int, side);
        QString error;
        const QImage image = RQrImage::fit(text, side ? side : 20, &error);
        QCOMPARE(image.isNull(), side == 0);
        QCOMPARE(error.isEmpty(), side != 0);
        if (!side)
            return;
        // Whole pixels a module, as large as fits, with a white quiet zone all round.
        const int modules = RQrImage::modules(text) + 2 * RQrImage::kQuietModules, module = image.width() / modules;
        QCOMPARE(image.size(), QSize(modules * module, modules * module));
        QVERIFY(image.width() + modules > side);
        const int quiet = module * RQrImage::kQuietModules, far = image.width() - quiet;
        for (int i = 0; i < image.width(); ++i)
            for (const QPoint p : {QPoint(i, quiet - 1), QPoint(quiet - 1, i), QPoint(i, far), QPoint(far, i)})
                QCOMPARE(qGray(image.pixel(p)), 255);
        QCOMPARE(RQrDecoder().decodeImage(image), text);
    }
};

VISORA_TEST_MAIN(TestQrImage)
#include "tst_qrimage.moc"
