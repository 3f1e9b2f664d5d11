#include "FileCheck.h"
#include "VisoraTest.h"

#include "RImageSaver.h"
#include "RPictureLoader.h"
#include "RSaveNotice.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QSignalSpy>
#include <QThread>

#include <cerrno>
#include <sys/stat.h>

using namespace VisoraTest;

// Its top-left 16 x 16 corner is transparent, as a cut leaves it.
static QImage picture(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(c);
    for (int y = 0; y < qMin(h, 16); ++y)
        for (int x = 0; x < qMin(w, 16); ++x)
            img.setPixel(x, y, qRgba(0, 0, 0, 0));
    return img;
}

class TestRImageSaver : public QObject
{
    Q_OBJECT
private slots:
    // In a folder with a non-ASCII name, as classroom folders often have. Work
    // handed with a picture runs before its write, off the caller's thread.
    void finishedComeInRequestOrder()
    {
        QTemporaryDir tmp;
        const QDir dir(tmp.filePath("图片/课堂"));
        QVERIFY(dir.mkpath("."));
        RImageSaver saver;
        QSignalSpy spy(&saver, &RImageSaver::finished);
        QList<int> ids;
        QStringList paths;
        Qt::HANDLE worker = nullptr;
        const RImageSaver::Prepare crop = [&worker](const QImage &img) {
            worker = QThread::currentThreadId();
            return img.copy(0, 0, 30, 20);
        };
        // Slow and fast jobs mixed: a large PNG, small JPGs, a PDF, a failing one.
        const QStringList names = {"big.png", "a.jpg", "文档.pdf", "missing/x.png", "b.bmp", "照片.jpg"};
        for (int i = 0; i < names.size(); ++i) {
            const QString path = dir.filePath(names[i]);
            const QImage img = picture(i == 0 ? 3000 : 64 + i, i == 0 ? 2000 : 48, QColor(10 * i, 100, 200));
            ids << (path.endsWith(".pdf") ? saver.savePdf(img, path) : saver.saveImage(img, path, i == 4 ? crop : nullptr));
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
        const QImage png = RPictureLoader::load(paths[0]), jpg = RPictureLoader::load(paths[5]);
        QCOMPARE(png.size(), QSize(3000, 2000));
        // PNG keeps the transparent corner; JPEG shows it white, never black.
        QCOMPARE(qAlpha(png.pixel(2, 2)), 0);
        const QRgb corner = jpg.pixel(2, 2);
        QVERIFY2(qRed(corner) > 240 && qGreen(corner) > 240 && qBlue(corner) > 240, qPrintable(QColor(corner).name()));
        QVERIFY(qBlue(jpg.pixel(40, 30)) > 150);
        QVERIFY(worker && worker != QThread::currentThreadId());
        QCOMPARE(RPictureLoader::load(paths[4]).size(), QSize(30, 20));
    }

    // The reason reaches the teacher, so it is the system's own words. A write
    // that runs out of room part-way (a file size limit stands in for a full
    // disk) leaves no partial file either.
    void failedSaveLeavesNothing_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("errnoCode"); // 0: any reason the system gave
        QTest::addColumn<int>("roomKb");    // 0: no limit
        QTest::newRow("folder missing") << picture(32, 32, Qt::red) << "nowhere/a.png" << ENOENT << 0;
        QTest::newRow("picture folder is a file") << picture(32, 32, Qt::red) << "file/a.png" << ENOTDIR << 0;
        QTest::newRow("unwritable place") << picture(32, 32, Qt::red) << "/proc/a.png" << 0 << 0;
        QTest::newRow("unknown format") << picture(32, 32, Qt::red) << "a.xyz" << 0 << 0;
        QTest::newRow("null picture") << QImage() << "a.png" << 0 << 0;
        QTest::newRow("a folder has the name") << picture(32, 32, Qt::red) << "sub" << EISDIR << 0;
        QTest::newRow("pdf, picture folder is a file") << picture(32, 32, Qt::red) << "file/a.pdf" << ENOTDIR << 0;
        QTest::newRow("a pipe has the name") << picture(32, 32, Qt::red) << "pipe.png" << EEXIST << 0;
        const QImage big = noisy(1500, 1000);
        for (const char *name : {"big.png", "big.jpg", "big.pdf"})
            QTest::newRow(qPrintable(QString("disk fills part-way, ") + name)) << big << name << EFBIG << 64;
    }
    void failedSaveLeavesNothing()
    {
        QFETCH(QImage, image);
        QFETCH(QString, name);
        QFETCH(int, errnoCode);
        QFETCH(int, roomKb);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("sub");
        QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("pipe.png")).constData(), 0600), 0);
        QVERIFY(touch(dir.filePath("file")));
        const QString path = QDir(dir.path()).filePath(name);
        RImageSaver saver;
        QSignalSpy spy(&saver, &RImageSaver::finished);
        bool idle;
        {
            FileSizeLimit full(roomKb ? rlim_t(roomKb) * 1024 : RLIM_INFINITY);
            name.endsWith(".pdf") ? saver.savePdf(image, path) : saver.saveImage(image, path);
            idle = saver.waitForIdle();
        }
        QVERIFY(idle);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][2].toBool(), false);
        const QString reason = spy[0][3].toString();
        QVERIFY(!reason.isEmpty() && reason != "Unknown error");
        if (errnoCode)
            QCOMPARE(reason, errnoText(errnoCode));
        QVERIFY(!QFileInfo(path).isFile());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"file"});
    }

    // Notice texts come from one table in the interface language, never
    // mixing the two.
    void noticeTexts_data()
    {
        QTest::addColumn<UiLanguage>("language");
        const UiLanguage zh = UiLanguage::Chinese, en = UiLanguage::English;
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("text");
        const auto sys = errnoText;
        QTest::newRow("disk full, English") << en << int(RSaveNotice::Picture) << sys(ENOSPC)
                                            << "Picture not saved: disk full";
        QTest::newRow("lesson replaced, Chinese") << zh << int(RSaveNotice::Document) << RSaveNotice::notOurs()
                                                  << "PDF 未保存：该PDF已被其他程序替换";
        QTest::newRow("reason not in the table, Chinese")
            << zh << int(RSaveNotice::Document) << "odd failure" << "PDF 未保存：写入失败";
    }
    void noticeTexts()
    {
        QFETCH(UiLanguage, language);
        QFETCH(int, kind);
        QFETCH(QString, reason);
        QTEST(RSaveNotice::notSaved(language, RSaveNotice::Kind(kind), reason), "text");
    }

    // A lesson document another program replaced is left alone: its page and
    // the later ones go to one new document beside it.
    void replacedLessonGoesOnInANewDocument()
    {
        QTemporaryDir dir;
        const QString lesson = dir.filePath("L.pdf");
        RImageSaver saver;
        QSignalSpy spy(&saver, &RImageSaver::finished);
        saver.appendPdf(picture(64, 48, Qt::red), lesson);
        QVERIFY(saver.waitForIdle());
        {
            QPdfWriter other(lesson);
            QPainter(&other).fillRect(0, 0, 100, 100, Qt::blue);
        }
        const QByteArray foreign = bytes(lesson);
        for (int i = 0; i < 2; ++i)
            saver.appendPdf(picture(64, 48, Qt::green), lesson);
        QVERIFY(saver.waitForIdle());
        QCOMPARE(spy.size(), 3);
        for (int i = 1; i < 3; ++i) {
            QVERIFY(spy[i][2].toBool());
            QCOMPARE(spy[i][1].toString(), dir.filePath("L_1.pdf"));
        }
        QCOMPARE(bytes(lesson), foreign);
        QCOMPARE(pdfPages(dir.filePath("L_1.pdf")), 2);
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
