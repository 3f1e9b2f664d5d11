#include "VisoraTest.h"

#include "FileCheck.h"
#include "RPdfPage.h"
#include "RPictureLoader.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>

#include <cerrno>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace VisoraTest;

// A solid picture with a blue marker in its bottom-right corner.
static QImage marked(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(200, 30, 30));
    const int mw = qMax(1, w / 5), mh = qMax(1, h / 5);
    for (int y = h - mh; y < h; ++y)
        for (int x = w - mw; x < w; ++x)
            img.setPixel(x, y, qRgb(20, 40, 210));
    return img;
}

// Page `page` of the PDF rendered at `dpi`.
static QImage render(const QString &pdf, int page, const QString &dir, int dpi = 20)
{
    VisoraTest::run("pdftoppm", {"-r", QString::number(dpi), "-png", "-f", QString::number(page), "-singlefile", pdf,
                                 dir + "/page"});
    return RPictureLoader::load(dir + "/page.png");
}

// The extent of everything not white.
static QRect inkBox(const QImage &img)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 200)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Started again as a child by the crash test: adds one large page under a
// file size limit, which kills the program part-way through the page.
static const int s_crashingChild = [] {
    const QByteArray pdf = qgetenv("TST_RPDFPAGE_CRASH_INTO");
    if (pdf.isEmpty())
        return 0;
    rlimit noCore {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit small {};
    getrlimit(RLIMIT_FSIZE, &small);
    small.rlim_cur = rlim_t(qgetenv("TST_RPDFPAGE_LIMIT").toLongLong());
    setrlimit(RLIMIT_FSIZE, &small);
    RPdfPage::append(VisoraTest::noisy(1600, 1200), QFile::decodeName(pdf));
    _exit(0);
}();

class TestRPdfPage : public QObject
{
    Q_OBJECT
private slots:
    // A one-page capture shows the whole picture at the page's top-left, and a
    // page appended to the lesson looks the same.
    void pageShowsThePicture_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("minWidthShare"); // of the page width
        QTest::newRow("camera picture") << QSize(1920, 1080) << 0.6;
        QTest::newRow("turned camera picture") << QSize(1080, 1920) << 0.4;
        QTest::newRow("wider than the page") << QSize(12000, 3000) << 0.9;
    }
    void pageShowsThePicture()
    {
        QFETCH(QSize, size);
        QFETCH(double, minWidthShare);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("页面.pdf"), lesson = dir.filePath("lesson.pdf");
        const QImage picture = marked(size.width(), size.height());
        QVERIFY(RPdfPage::write(picture, pdf));
        QCOMPARE(pdfPages(pdf), 1);
        QVERIFY(run("pdfinfo", {pdf}).contains(QRegularExpression("Page size:\\s+595(\\.\\d+)? x 84[12](\\.\\d+)? pts")));
        const QImage page = render(pdf, 1, dir.path());
        const QRect box = inkBox(page);
        QVERIFY(box.left() <= 5 && box.top() <= 5); // drawn at the top-left
        QVERIFY(box.width() >= minWidthShare * page.width());
        QVERIFY(box.bottom() < page.height() - 1); // nothing runs off the page
        QVERIFY(qAbs(double(box.width()) / box.height() - double(size.width()) / size.height()) < 0.1);
        const QRgb corner = page.pixel(box.right() - box.width() / 20, box.bottom() - box.height() / 20);
        QVERIFY(qBlue(corner) > 150 && qRed(corner) < 100); // the whole picture, marker included
        QVERIFY(RPdfPage::append(marked(640, 480), lesson));
        QVERIFY(RPdfPage::append(picture, lesson));
        QCOMPARE(inkBox(render(lesson, 2, dir.path(), 36)), inkBox(render(pdf, 1, dir.path(), 36)));
    }

    // Replacing a document renames the new version over it: the old one is
    // never removed first, so a failed rename could not lose it.
    void replaceNeverRemovesTheOldVersion()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("page.pdf");
        QVERIFY(RPdfPage::write(marked(64, 48), pdf));
        const int fd = inotify_init1(IN_NONBLOCK);
        QVERIFY(fd >= 0);
        QVERIFY(inotify_add_watch(fd, QFile::encodeName(dir.path()).constData(), IN_DELETE) >= 0);
        QVERIFY(RPdfPage::write(marked(640, 480), pdf));
        char event[4096];
        const ssize_t deleted = read(fd, event, sizeof event); // nothing at all was removed
        close(fd);
        QCOMPARE(deleted, ssize_t(-1));
        QCOMPARE(pdfPages(pdf), 1);
    }

    void failedWriteLeavesNoFile_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QString>("name");
        QTest::newRow("a folder has the name") << marked(64, 48) << "sub";
        QTest::newRow("null picture") << QImage() << "page.pdf";
        QTest::newRow("unwritable place") << marked(64, 48) << "/proc/page.pdf";
        QTest::newRow("a pipe has the name") << marked(64, 48) << "pipe";
    }
    void failedWriteLeavesNoFile()
    {
        QFETCH(QImage, image);
        QFETCH(QString, name);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("sub");
        QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
        const QString path = QDir(dir.path()).filePath(name);
        QString error;
        QVERIFY(!RPdfPage::write(image, path, &error));
        QVERIFY(!error.isEmpty());
        // Only a missing place is said to be missing.
        QCOMPARE(error == errnoText(ENOENT), name.startsWith("/proc"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1); // the pipe
    }

    // Each appended capture adds a page; the file is whole after every one
    // and the earlier pages are kept byte for byte.
    void appendGrowsOneDocument()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("课堂.pdf");
        QImage grey = marked(800, 600).convertToFormat(QImage::Format_Grayscale8);
        QImage bilevel(640, 480, QImage::Format_Grayscale8);
        bilevel.fill(255);
        QPainter(&bilevel).fillRect(0, 0, 100, 100, Qt::black); // every page shows something dark at its top-left
        const QList<QImage> pages{marked(1920, 1080), grey, bilevel};
        QByteArray before;
        for (int n = 1; n <= pages.size(); ++n) {
            QString error;
            QVERIFY2(RPdfPage::append(pages.at(n - 1), pdf, &error), qPrintable(error));
            const QByteArray now = bytes(pdf);
            QVERIFY(now.startsWith(before));
            before = now;
            QCOMPARE(pdfPages(pdf), n);
            QVERIFY(qGray(render(pdf, n, dir.path()).pixel(2, 2)) < 150);
            QCOMPARE(QDir(dir.path()).entryList({"*.pdf*"}, QDir::Files | QDir::Hidden).size(), 1);
        }
    }

    void appendRefusedKeepsTheDocument_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("another program's PDF") << "printer";
        QTest::newRow("document cut short") << "cut";
        QTest::newRow("not a PDF at all") << "text";
    }
    void appendRefusedKeepsTheDocument()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("doc.pdf");
        if (kind == "printer") {
            QPdfWriter writer(pdf);
            QPainter(&writer).drawImage(0, 0, marked(64, 48));
        } else {
            QVERIFY(RPdfPage::append(marked(64, 48), pdf));
            QFile f(pdf);
            QVERIFY(f.open(QIODevice::ReadWrite));
            if (kind == "cut")
                QVERIFY(f.resize(f.size() - 40));
            else
                QVERIFY(f.resize(0) && f.write(QByteArray(200, 'x')) == 200);
        }
        const QByteArray before = bytes(pdf);
        QString error;
        QVERIFY(!RPdfPage::append(marked(64, 48), pdf, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(bytes(pdf), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.pdf"});
    }

    // A page that fails or is cut short by a crash part-way leaves the
    // lesson's earlier pages readable, and the lesson goes on in the file.
    void pageCutShortKeepsThePreviousVersion_data()
    {
        QTest::addColumn<bool>("crash");
        QTest::newRow("disk fills during the page") << false;
        QTest::newRow("program killed during the page") << true;
    }
    void pageCutShortKeepsThePreviousVersion()
    {
        QFETCH(bool, crash);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("课堂.pdf");
        QVERIFY(RPdfPage::append(marked(640, 480), pdf));
        QVERIFY(RPdfPage::append(marked(480, 640), pdf));
        const QByteArray before = bytes(pdf);
        const QImage big = VisoraTest::noisy(1600, 1200);
        const rlim_t limit = rlim_t(before.size() + 30000); // a file may not grow past this
        if (crash) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("TST_RPDFPAGE_CRASH_INTO", pdf);
            env.insert("TST_RPDFPAGE_LIMIT", QString::number(limit));
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), QStringList());
            QVERIFY(child.waitForFinished(60000));
            QVERIFY2(child.exitStatus() == QProcess::CrashExit, "the page was meant to be cut short");
            QVERIFY(bytes(pdf).size() > before.size());
            RPdfPage::cleanFolder(dir.path()); // the next start
        } else {
            QString error;
            bool ok;
            {
                FileSizeLimit full(limit);
                ok = RPdfPage::append(big, pdf, &error);
            }
            QVERIFY(!ok);
            QCOMPARE(error, errnoText(EFBIG));
        }
        QVERIFY(bytes(pdf) == before);
        QCOMPARE(pdfPages(pdf), 2);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"课堂.pdf"});
        QVERIFY(RPdfPage::append(big, pdf));
        QCOMPARE(pdfPages(pdf), 3);
        QVERIFY(bytes(pdf).startsWith(before));
    }
};

VISORA_TEST_MAIN(TestRPdfPage)
#include "tst_rpdfpage.moc"
