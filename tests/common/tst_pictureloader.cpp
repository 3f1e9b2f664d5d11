#include "BadPictures.h"
#include "FileCheck.h"
#include "RPictureLoader.h"
#include "VisoraTest.h"

#include <QImageWriter>

#include <thread>
#include <vector>

// The loader against pictures that are small on disk and huge in memory.
class TestPictureLoader : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    // "png16", "png8" or "jpeg" of `size`, written once per test run.
    QString corpus(const QString &kind, const QSize &size)
    {
        const QString path = m_dir.filePath(QString("%1-%2x%3.%4")
                                                .arg(kind)
                                                .arg(size.width())
                                                .arg(size.height())
                                                .arg(kind == "jpeg" ? "jpg" : "png"));
        // A failed write shows as a wrong pictureSize in the test.
        if (!QFile::exists(path))
            kind == "jpeg" ? BadPictures::writeFlatJpeg(path, size) : BadPictures::writeFlatPng(path, size, kind == "png16" ? 16 : 8);
        return path;
    }

private slots:
    void budget_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("box"); // invalid: full decode
        QTest::addColumn<QSize>("result"); // invalid: refused
        const QSize thumb(180, 135), scene(5000, 5000), full;
        QTest::newRow("16-bit png bomb refused in full") << "png16" << QSize(10000, 10000) << full << QSize();
        QTest::newRow("16-bit png within budget is 32-bit") << "png16" << QSize(2000, 1500) << full << QSize(2000, 1500);
        QTest::newRow("81 MP 8-bit png refused") << "png8" << QSize(9000, 9000) << thumb << QSize();
        QTest::newRow("108 MP jpeg as thumbnail") << "jpeg" << QSize(12000, 9000) << thumb << QSize(180, 135);
        QTest::newRow("108 MP jpeg placed on the scene") << "jpeg" << QSize(12000, 9000) << scene << QSize(5000, 3750);
        QTest::newRow("108 MP jpeg refused in full") << "jpeg" << QSize(12000, 9000) << full << QSize();
        QTest::newRow("jpeg too large even scaled refused") << "jpeg" << QSize(60000, 60000) << scene << QSize();
    }
    void budget()
    {
        QFETCH(QString, kind);
        QFETCH(QSize, size);
        QFETCH(QSize, box);
        QFETCH(QSize, result);
        const QString path = corpus(kind, size);
        QCOMPARE(RPictureLoader::pictureSize(path), size);
        QString reason;
        const QImage image = box.isValid() ? RPictureLoader::loadScaled(path, box, &reason)
                                           : RPictureLoader::load(path, &reason);
        QCOMPARE(image.size(), result.isValid() ? result : QSize(0, 0));
        QVERIFY2(result.isValid() ? image.depth() <= 32 : reason.contains("too large"), qPrintable(reason));
        if (!box.isValid())
            QCOMPARE(RPictureLoader::isAcceptable(path), result.isValid());
    }

    // The JPEG reader shows missing data as grey without a word; such files
    // are refused like other broken pictures, whole ones are not.
    void wholeJpegs_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("loads");
        QTest::newRow("whole baseline loads") << "baseline" << true;
        QTest::newRow("whole progressive loads") << "progressive" << true;
        QTest::newRow("camera data after the end marker loads") << "trailer" << true;
        QTest::newRow("cut just before the end marker refused") << "cut-end" << false;
        QTest::newRow("header claiming 65500 x 65500 refused") << "liar" << false;
    }
    void wholeJpegs()
    {
        QFETCH(QString, kind);
        QByteArray jpg;
        QBuffer buf(&jpg);
        buf.open(QIODevice::WriteOnly);
        QImageWriter writer(&buf, "jpeg");
        writer.setProgressiveScanWrite(kind == "progressive");
        QVERIFY(writer.write(VisoraTest::noisy(1200, 900)));
        if (kind == "trailer")
            jpg += QByteArray(4096, 'x');
        else if (kind == "cut-end")
            jpg.chop(2);
        else if (kind == "liar")
            jpg = BadPictures::lyingJpeg(QSize(65500, 65500));
        const QString path = m_dir.filePath(kind + ".jpg");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(jpg) == jpg.size());
        f.close();
        QString reason;
        QFETCH(bool, loads);
        QCOMPARE(!RPictureLoader::loadScaled(path, QSize(180, 135), &reason).isNull(), loads);
        QCOMPARE(!RPictureLoader::load(path).isNull(), loads);
        QVERIFY2(loads || reason.startsWith("damaged"), qPrintable(reason));
    }

    // What the budget rows above do not reach: the 32-bit copy of a 64-bit
    // decode, and a picture smaller than its box.
    void decodeCost_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("scaledDecode");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<qint64>("cost");
        QTest::newRow("64-bit full with its 32-bit copy") << QSize(1000, 1000) << int(QImage::Format_RGBX64) << false << QSize() << qint64(12000000);
        QTest::newRow("picture inside the box is not scaled") << QSize(100, 100) << int(QImage::Format_RGB32) << true << QSize(180, 135) << qint64(40000);
    }
    void decodeCost()
    {
        QFETCH(QSize, size);
        QFETCH(int, format);
        QFETCH(bool, scaledDecode);
        QFETCH(QSize, box);
        QTEST(RPictureLoader::decodeCost(size, QImage::Format(format), scaledDecode, box), "cost");
    }

    void largeDecodesRunOneAtATime()
    {
        // 72 MB each decoded: large, yet within the budget.
        const QString path = corpus("png16", QSize(3000, 3000));
        RPictureLoader::resetLargeDecodePeak();
        QVector<QSize> sizes(4);
        std::vector<std::thread> runs;
        for (int i = 0; i < sizes.size(); ++i)
            runs.emplace_back([&sizes, i, path] { sizes[i] = RPictureLoader::loadScaled(path, QSize(180, 135)).size(); });
        for (std::thread &run : runs)
            run.join();
        QCOMPARE(sizes, QVector<QSize>(4, QSize(135, 135)));
        QCOMPARE(RPictureLoader::largeDecodePeak(), 1);
    }
};

VISORA_TEST_MAIN(TestPictureLoader)
#include "tst_pictureloader.moc"
