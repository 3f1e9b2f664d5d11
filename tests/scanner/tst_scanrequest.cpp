#include "VisoraTest.h"

#include "RScanPicture.h"
#include "RScanRequest.h"

class TestScanRequest : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        const QString word = RScanRequest::accessWord(), key = RScanRequest::accessKey();
        QTest::newRow("the presenter's call") << QStringList{word, key, "/tmp/页.png"} << QString();
        QTest::newRow("wrong access word") << QStringList{"zx7391047", key, "/tmp/a.png"} << "wrong access word";
        QTest::newRow("wrong access key") << QStringList{word, key.toLower(), "/tmp/a.png"} << "wrong access key";
        QTest::newRow("no picture") << QStringList{word, key, ""} << "no picture given";
        QTest::newRow("nothing") << QStringList{} << "expected access word, access key and picture path, got 0 arguments";
        QTest::newRow("word boxes asked for") << QStringList{word, key, "/tmp/a.png", "--words"} << QString();
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        QString path, why;
        QCOMPARE(RScanRequest::parse(arguments, &path, &why), reason.isEmpty());
        QCOMPARE(why, reason);
        QCOMPARE(path, reason.isEmpty() ? arguments.value(2) : QString());
        if (!reason.isEmpty())
            QVERIFY(RScanRequest::errorText(why).startsWith("解析出错，出错原因"));
    }

    void resolution_data()
    {
        QTest::addColumn<int>("dotsPerMeter");
        QTest::addColumn<int>("dpi");
        QTest::newRow("camera's 72 dpi is not believed") << 2835 << 300;
        QTest::newRow("a 200 dpi scan") << 7874 << 200;
        QTest::newRow("absurd density") << 400000 << 300;
    }

    void resolution()
    {
        QFETCH(int, dotsPerMeter);
        QImage image(8, 8, QImage::Format_Grayscale8);
        image.setDotsPerMeterX(dotsPerMeter);
        QTEST(RScanPicture::resolution(image), "dpi");
    }

    void transparentPictureReadsDarkOnWhite()
    {
        QTemporaryDir dir;
        QImage image(20, 10, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        image.setPixel(5, 5, qRgba(0, 0, 0, 255));
        const QString path = dir.filePath("alpha.png");
        QVERIFY(image.save(path));
        const QImage grey = RScanPicture::loadGrey(path, nullptr);
        QCOMPARE(grey.format(), QImage::Format_Grayscale8);
        QCOMPARE(qGray(grey.pixel(0, 0)), 255);
        QCOMPARE(qGray(grey.pixel(5, 5)), 0);
    }
};

VISORA_TEST_MAIN(TestScanRequest)
#include "tst_scanrequest.moc"
