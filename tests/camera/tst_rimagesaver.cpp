#include "VisoraTest.h"

#include "RImageSaver.h"
#include "RPictureLoader.h"

#include <QDir>
#include <QSignalSpy>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

static QImage picture(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(c);
    return img;
}

class TestRImageSaver : public QObject
{
    Q_OBJECT
private slots:
    void finishedComeInRequestOrder()
    {
        QTemporaryDir dir;
        RImageSaver saver;
        QSignalSpy spy(&saver, &RImageSaver::finished);
        QList<int> ids;
        QStringList paths;
        // Slow and fast jobs mixed: a large PNG, small JPGs, a PDF, a failing one.
        const QStringList names = {"big.png", "a.jpg", "doc.pdf", "missing/x.png", "b.bmp", "c.jpg"};
        for (int i = 0; i < names.size(); ++i) {
            const QString path = dir.filePath(names[i]);
            const QImage img = picture(i == 0 ? 3000 : 64 + i, i == 0 ? 2000 : 48, QColor(10 * i, 100, 200));
            ids << (path.endsWith(".pdf") ? saver.savePdf(img, path) : saver.saveImage(img, path));
            paths << path;
            QVERIFY(RImageSaver::isPending(path));
        }
        QVERIFY(saver.waitForIdle());
        QCOMPARE(spy.size(), names.size());
        for (int i = 0; i < spy.size(); ++i) {
            QCOMPARE(spy[i][0].toInt(), ids[i]);
            QCOMPARE(spy[i][1].toString(), paths[i]);
            QCOMPARE(spy[i][2].toBool(), !names[i].startsWith("missing"));
            QVERIFY(!RImageSaver::isPending(paths[i]));
        }
        QCOMPARE(RPictureLoader::load(paths[0]).size(), QSize(3000, 2000));
        QCOMPARE(RPictureLoader::load(paths[5]).size(), QSize(69, 48));
        QCOMPARE(saver.pendingCount(), 0);
    }

    void failedSaveLeavesNothing_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QString>("name");
        QTest::newRow("folder missing") << picture(32, 32, Qt::red) << "nowhere/a.png";
        QTest::newRow("unwritable place") << picture(32, 32, Qt::red) << "/proc/a.png";
        QTest::newRow("unknown format") << picture(32, 32, Qt::red) << "a.xyz";
        QTest::newRow("null picture") << QImage() << "a.png";
        QTest::newRow("a folder has the name") << picture(32, 32, Qt::red) << "sub";
        QTest::newRow("pdf, folder missing") << picture(32, 32, Qt::red) << "nowhere/a.pdf";
    }
    void failedSaveLeavesNothing()
    {
        QFETCH(QImage, image);
        QFETCH(QString, name);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("sub");
        const QString path = QDir(dir.path()).filePath(name);
        RImageSaver saver;
        QSignalSpy spy(&saver, &RImageSaver::finished);
        name.endsWith(".pdf") ? saver.savePdf(image, path) : saver.saveImage(image, path);
        QVERIFY(saver.waitForIdle());
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][2].toBool(), false);
        QVERIFY(!QFileInfo(path).isFile());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
    }

    // A write that runs out of room part-way (a file size limit stands in for
    // a full disk) reports failure and leaves no partial file.
    void writeCutShortLeavesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("png") << "big.png";
        QTest::newRow("pdf") << "big.pdf";
    }
    void writeCutShortLeavesNothing()
    {
#ifndef Q_OS_UNIX
        QSKIP("needs a file size limit");
#else
        QFETCH(QString, name);
        QTemporaryDir dir;
        QImage noisy(1500, 1000, QImage::Format_RGB32);
        for (int y = 0; y < noisy.height(); ++y)
            for (int x = 0; x < noisy.width(); ++x)
                noisy.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x * y) % 253, (x ^ y) & 0xff));
        RImageSaver saver;
        QSignalSpy spy(&saver, &RImageSaver::finished);
        rlimit old {};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 64 * 1024;
        setrlimit(RLIMIT_FSIZE, &small);
        name.endsWith(".pdf") ? saver.savePdf(noisy, dir.filePath(name)) : saver.saveImage(noisy, dir.filePath(name));
        const bool idle = saver.waitForIdle();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(idle);
        QCOMPARE(spy.value(0).value(2).toBool(), false);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
#endif
    }

    void nonAsciiFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("png") << "照片.png";
        QTest::newRow("pdf") << "文档.pdf";
    }
    void nonAsciiFolder()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString folder = dir.filePath("图片/课堂");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/" + name;
        RImageSaver saver;
        QSignalSpy spy(&saver, &RImageSaver::finished);
        name.endsWith(".pdf") ? saver.savePdf(picture(40, 30, Qt::blue), path)
                              : saver.saveImage(picture(40, 30, Qt::blue), path);
        QVERIFY(saver.waitForIdle());
        QCOMPARE(spy.value(0).value(2).toBool(), true);
        QVERIFY(QFileInfo(path).size() > 0);
        if (!name.endsWith(".pdf"))
            QCOMPARE(RPictureLoader::load(path).size(), QSize(40, 30));
    }

    // Shutting down with jobs still queued writes them all.
    void destructionWritesQueuedJobs()
    {
        QTemporaryDir dir;
        {
            RImageSaver saver;
            for (int i = 0; i < 4; ++i)
                saver.saveImage(picture(800, 600, Qt::green), dir.filePath(QString("s%1.png").arg(i)));
        }
        for (int i = 0; i < 4; ++i)
            QCOMPARE(RPictureLoader::load(dir.filePath(QString("s%1.png").arg(i))).size(), QSize(800, 600));
    }
};

VISORA_TEST_MAIN(TestRImageSaver)
#include "tst_rimagesaver.moc"
