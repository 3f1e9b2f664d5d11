#include "QrTestSupport.h"
#include "RQrDecoder.h"
#include "VisoraTest.h"

// The decoder adapter and the rules that decide what a read text may do.
class TestQrDecoder : public QObject
{
    Q_OBJECT
private slots:
    void readsEveryPictureLayout_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("RGB32") << int(QImage::Format_RGB32);
        QTest::newRow("ARGB32") << int(QImage::Format_ARGB32);
        QTest::newRow("ARGB32 premultiplied") << int(QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("RGB888") << int(QImage::Format_RGB888);
        QTest::newRow("Grayscale8") << int(QImage::Format_Grayscale8);
        QTest::newRow("RGB16 converted") << int(QImage::Format_RGB16);
        QTest::newRow("Indexed8 converted") << int(QImage::Format_Indexed8);
    }
    void readsEveryPictureLayout()
    {
        QFETCH(int, format);
        // Odd width, so a row stride wider than the pixels is exercised.
        const QImage page = QrTest::page(QSize(481, 301), "https://example.org/a?b=1", QPoint(240, 150), 5);
        const QImage image = page.convertToFormat(QImage::Format(format));
        QCOMPARE(RQrDecoder().decodeImage(image), QString("https://example.org/a?b=1"));
    }

    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("chinese is read as UTF-8") << QString("二维码测试 https://例子.cn");
        QTest::newRow("plain words") << QString("hello class");
    }
    void texts()
    {
        QFETCH(QString, text);
        QCOMPARE(RQrDecoder().decodeImage(QrTest::page(QSize(500, 500), text, QPoint(250, 250), 5)), text);
    }

    void nothingToRead()
    {
        QCOMPARE(RQrDecoder().decodeImage(QImage()), QString());
        QCOMPARE(RQrDecoder().decodeImage(QrTest::page(QSize(400, 300), QString(), QPoint(-500, -500))), QString());
        // Scaled down to 40 pixels the modules are too small to read.
        QCOMPARE(RQrDecoder().decodeImage(QrTest::page(QSize(400, 400), "https://a.b", QPoint(200, 200), 2), 40, 40),
                 QString());
    }

    void openableLink_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("url");
        QTest::newRow("https") << "https://example.org/x" << "https://example.org/x";
        QTest::newRow("http with spaces round it") << "  http://example.org \n" << "http://example.org";
        QTest::newRow("scheme in capitals") << "HTTPS://EXAMPLE.ORG" << "https://example.org";
        QTest::newRow("plain words") << "hello class" << "";
        QTest::newRow("file") << "file:///etc/passwd" << "";
        QTest::newRow("javascript") << "javascript:alert(1)" << "";
        QTest::newRow("custom scheme") << "ms-settings:privacy" << "";
        QTest::newRow("http without host") << "http:///path" << "";
        QTest::newRow("over 2000 characters") << "https://example.org/" + QString(1990, 'a') << "";
        QTest::newRow("exactly 2000 characters") << "https://example.org/" + QString(1980, 'a')
                                                 << "https://example.org/" + QString(1980, 'a');
    }
    void openableLink()
    {
        QFETCH(QString, text);
        QFETCH(QString, url);
        const QUrl link = RQrDecoder::openableLink(text);
        QCOMPARE(link.isValid(), !url.isEmpty());
        if (!url.isEmpty())
            QCOMPARE(link.toString(), url);
    }

    void centreHalf_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("1920x1080") << QSize(1920, 1080) << QRect(480, 270, 960, 540);
        QTest::newRow("odd sizes round down") << QSize(1283, 723) << QRect(320, 180, 641, 361);
        QTest::newRow("empty") << QSize(0, 0) << QRect(0, 0, 0, 0);
    }
    void centreHalf()
    {
        QFETCH(QSize, size);
        QFETCH(QRect, rect);
        QCOMPARE(RQrDecoder::centreHalf(size), rect);
    }
};

VISORA_TEST_MAIN(TestQrDecoder)
#include "tst_qrdecoder.moc"
