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
        QTest::addColumn<int>("side"); // 0: made at 6 px a module
        QTest::newRow("ascii") << "Class 3B" << 0;
        QTest::newRow("url with a key") << "http://192.168.1.23:8117/k/7H3K9Q" << 0;
        QTest::newRow("chinese") << "共享到学生设备 http://10.0.0.5:8117/k/AB12CD" << 0;
        QTest::newRow("fitted into 300 px") << "http://192.168.1.23:8117/k/7H3K9Q" << 300;
        QTest::newRow("fitted into an odd 257 px") << "rtmp://media.school/live/x" << 257;
    }
    void roundTrip()
    {
        QFETCH(QString, text);
        QFETCH(int, side);
        QString error;
        const QImage image = side ? RQrImage::fit(text, side, &error) : RQrImage::make(text, 6, &error);
        QVERIFY2(!image.isNull(), qPrintable(error));
        const int modules = RQrImage::modules(text) + 2 * RQrImage::kQuietModules;
        QCOMPARE(image.width(), image.height());
        QCOMPARE(image.width() % modules, 0);
        if (side)
            QVERIFY(image.width() <= side && image.width() + modules > side);
        // The quiet zone is white all round.
        const int quiet = image.width() / modules * RQrImage::kQuietModules;
        for (int i = 0; i < image.width(); ++i)
            for (const QPoint p : {QPoint(i, quiet - 1), QPoint(quiet - 1, i), QPoint(i, image.width() - quiet),
                                   QPoint(image.width() - quiet, i)})
                QCOMPARE(qGray(image.pixel(p)), 255);
        QCOMPARE(RQrDecoder().decodeImage(image), text);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("side");
        QTest::newRow("empty") << QString() << 400;
        // Version 40-M holds 2331 bytes; 1200 Chinese characters are 3600.
        QTest::newRow("too long") << QString(1200, QChar(0x4E2D)) << 4000;
        QTest::newRow("too long ascii") << QString(2400, 'a') << 4000;
        QTest::newRow("side smaller than the modules") << "http://192.168.1.23:8117/k/7H3K9Q" << 20;
    }
    void refused()
    {
        QFETCH(QString, text);
        QFETCH(int, side);
        QString error;
        QVERIFY(RQrImage::fit(text, side, &error).isNull());
        QVERIFY(!error.isEmpty());
    }
};

VISORA_TEST_MAIN(TestQrImage)
#include "tst_qrimage.moc"
