#include "VisoraTest.h"

#include "RPdfPage.h"
#include "RPictureLoader.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

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

static QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

class TestRPdfPage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pdfinfo").isEmpty() || QStandardPaths::findExecutable("pdftoppm").isEmpty())
            QSKIP("poppler-utils are not installed");
    }

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
        const QString pdf = dir.filePath("页面.pdf");
        QVERIFY(RPdfPage::write(marked(size.width(), size.height()), pdf));
        const QString info = run("pdfinfo", {pdf});
        QVERIFY(info.contains(QRegularExpression("Pages:\\s+1\\n")));
        QVERIFY2(info.contains(QRegularExpression("Page size:\\s+595(\\.\\d+)? x 84[12](\\.\\d+)? pts")),
                 qPrintable(info));
        run("pdftoppm", {"-r", "20", "-png", "-singlefile", pdf, dir.filePath("page")});
        const QImage page = RPictureLoader::load(dir.filePath("page.png"));
        QVERIFY(!page.isNull());
        // The picture's extent on the rendered page: anything not white.
        QRect box;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (qGray(page.pixel(x, y)) < 200)
                    box |= QRect(x, y, 1, 1);
        QVERIFY(!box.isEmpty());
        QVERIFY(box.left() <= 5 && box.top() <= 5); // drawn at the top-left
        QVERIFY(box.width() >= minWidthShare * page.width());
        QVERIFY(box.bottom() < page.height() - 1); // nothing runs off the page
        QVERIFY(qAbs(double(box.width()) / box.height() - double(size.width()) / size.height()) < 0.1);
        const QRgb corner = page.pixel(box.right() - box.width() / 20, box.bottom() - box.height() / 20);
        const QRgb middle = page.pixel(box.center());
        QVERIFY(qBlue(corner) > 150 && qRed(corner) < 100); // the whole picture, marker included
        QVERIFY(qRed(middle) > 150 && qBlue(middle) < 100);
    }

    void failedWriteLeavesNoFile_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QString>("name");
        QTest::newRow("a folder has the name") << marked(64, 48) << "sub";
        QTest::newRow("null picture") << QImage() << "page.pdf";
        QTest::newRow("unwritable place") << marked(64, 48) << "/proc/page.pdf";
    }
    void failedWriteLeavesNoFile()
    {
        QFETCH(QImage, image);
        QFETCH(QString, name);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("sub");
        const QString path = QDir(dir.path()).filePath(name);
        QString error;
        QVERIFY(!RPdfPage::write(image, path, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo(path).isFile());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
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
        for (int y = 0; y < 100; ++y) // every page shows something dark at its top-left
            memset(bilevel.scanLine(y), 0, 100);
        const QList<QImage> pages{marked(1920, 1080), grey, bilevel};
        QByteArray before;
        for (int n = 1; n <= pages.size(); ++n) {
            QString error;
            QVERIFY2(RPdfPage::append(pages.at(n - 1), pdf, &error), qPrintable(error));
            QFile f(pdf);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray now = f.readAll();
            QVERIFY(now.startsWith(before));
            before = now;
            const QString info = run("pdfinfo", {pdf});
            QVERIFY2(info.contains(QRegularExpression(QString("Pages:\\s+%1\\n").arg(n))), qPrintable(info));
            QVERIFY(info.contains(QRegularExpression("Page size:\\s+595(\\.\\d+)? x 841(\\.\\d+)? pts")));
            run("pdftoppm", {"-r", "20", "-png", "-f", QString::number(n), "-singlefile", pdf, dir.filePath("page")});
            const QImage page = RPictureLoader::load(dir.filePath("page.png"));
            QVERIFY(!page.isNull());
            QVERIFY(qGray(page.pixel(2, 2)) < 150); // the picture at the top-left of the new page
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
            QVERIFY(RPdfPage::write(marked(64, 48), pdf));
        } else {
            QVERIFY(RPdfPage::append(marked(64, 48), pdf));
            QFile f(pdf);
            QVERIFY(f.open(QIODevice::ReadWrite));
            if (kind == "cut")
                QVERIFY(f.resize(f.size() - 40));
            else
                QVERIFY(f.resize(0) && f.write(QByteArray(200, 'x')) == 200);
        }
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        QString error;
        QVERIFY(!RPdfPage::append(marked(64, 48), pdf, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.pdf"});
    }
};

VISORA_TEST_MAIN(TestRPdfPage)
#include "tst_rpdfpage.moc"
