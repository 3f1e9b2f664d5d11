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
        QTest::addColumn<int>("statedDpi");
        QTest::addColumn<double>("markHeight");
        QTest::addColumn<int>("dpi");
        QTest::newRow("camera's fixed density on a close-up is not believed") << 100 << 31.0 << 248;
        QTest::newRow("camera's fixed density on a whole page agrees with its text") << 100 << 12.0 << 100;
        QTest::newRow("absurd density gives way to the text") << 10160 << 27.0 << 216;
        QTest::newRow("no text found keeps the stated density") << 200 << 0.0 << 200;
        QTest::newRow("nothing known leaves the estimate to the recogniser") << 0 << 0.0 << 0;
    }

    void resolution()
    {
        QFETCH(int, statedDpi);
        QFETCH(double, markHeight);
        QTEST(RScanPicture::resolution(statedDpi, markHeight), "dpi");
    }

    void transparentPictureReadsDarkOnWhite()
    {
        QTemporaryDir dir;
        QImage image(20, 10, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        image.setPixel(5, 5, qRgba(0, 0, 0, 255));
        const QString path = dir.filePath("alpha.png");
        QVERIFY(image.save(path));
        const QImage picture = RScanPicture::loadColour(path, nullptr);
        QCOMPARE(picture.format(), QImage::Format_RGBA8888);
        QCOMPARE(picture.pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(picture.pixel(5, 5), qRgb(0, 0, 0));
    }
};

VISORA_TEST_MAIN(TestScanRequest)
#include "tst_scanrequest.moc"
