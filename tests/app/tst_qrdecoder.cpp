#include "QrTestSupport.h"
#include "RQrDecoder.h"
#include "VisoraTest.h"

// The decoder adapter and the rules that decide what a read text may do.
class TestQrDecoder : public QObject
{
    Q_OBJECT
private slots:
    void decode_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("box"); // 0: decoded at its own size
        QTest::addColumn<QString>("text");
        // Odd width, so a row stride wider than the pixels is exercised.
        const QString link("https://example.org/a?b=1");
        const QImage page = QrTest::page(QSize(481, 301), link, QPoint(240, 150), 5);
        // One layout for each way the adapter hands pixels over.
        for (const auto format : {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_Grayscale8, QImage::Format_RGB16})
            QTest::addRow("layout %d", int(format)) << page.convertToFormat(format) << 0 << link;
        const QString chinese("二维码测试 https://例子.cn");
        QTest::newRow("chinese is read as UTF-8") << QrTest::page(QSize(500, 500), chinese, QPoint(250, 250), 5) << 0 << chinese;
        QTest::newRow("null picture") << QImage() << 0 << QString();
        QTest::newRow("no code") << QrTest::page(QSize(400, 300), QString(), QPoint(-500, -500)) << 0 << QString();
        // Scaled down to 40 pixels the modules are too small to read.
        QTest::newRow("modules too small once scaled")
            << QrTest::page(QSize(400, 400), "https://a.b", QPoint(200, 200), 2) << 40 << QString();
    }
    void decode()
    {
        QFETCH(QImage, image);
        QFETCH(int, box);
        QTEST(box ? RQrDecoder().decodeImage(image, box, box) : RQrDecoder().decodeImage(image), "text");
    }

    void openableLink_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("url");
        QTest::newRow("https") << "https://example.org/x" << "https://example.org/x";
        QTest::newRow("http with spaces round it") << "  http://example.org \n" << "http://example.org";
        QTest::newRow("plain words") << "hello class" << "";
        QTest::newRow("file") << "file:///etc/passwd" << "";
        QTest::newRow("javascript") << "javascript:alert(1)" << "";
        QTest::newRow("other scheme with a host") << "file://server/share/run.exe" << "";
        QTest::newRow("http without host") << "http:///path" << "";
        QTest::newRow("scheme in capitals") << "HTTPS://example.org/x" << "https://example.org/x";
        QTest::newRow("over 2000 characters") << "https://example.org/" + QString(1990, 'a') << "";
        QTest::newRow("exactly 2000 characters") << "https://example.org/" + QString(1980, 'a')
                                                 << "https://example.org/" + QString(1980, 'a');
    }
    void openableLink()
    {
        QFETCH(QString, text);
        QTEST(RQrDecoder::openableLink(text).toString(), "url"); // empty: refused
    }

    void centreHalf_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("odd sizes round down") << QSize(1283, 723) << QRect(320, 180, 641, 361);
        QTest::newRow("empty") << QSize(0, 0) << QRect(0, 0, 0, 0);
    }
    void centreHalf()
    {
        QFETCH(QSize, size);
        QTEST(RQrDecoder::centreHalf(size), "rect");
    }
};

VISORA_TEST_MAIN(TestQrDecoder)
#include "tst_qrdecoder.moc"
