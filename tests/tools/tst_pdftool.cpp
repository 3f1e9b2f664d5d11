#include "VisoraTest.h"

#include "RPDFTool.h"
#include "RPdfMaker.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProcess>

namespace {

// Picture kinds: "<colour>" 300 x 200 PNG, "<colour>.jpg" 300 x 200 JPEG,
// "big" 4000 x 3000 JPEG, red with a blue bottom-right corner, "small"
// 600 x 300 green PNG, "text" no picture, "cut" a JPEG without its end.
QByteArray jpegOf(const QImage &img)
{
    QByteArray data;
    QBuffer buf(&data);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG", 90);
    return data;
}

QString make(const QString &dir, int n, const QString &kind)
{
    QImage img(300, 200, QImage::Format_RGB32);
    QByteArray data;
    QString ext = "png";
    if (kind == "big") {
        img = QImage(4000, 3000, QImage::Format_RGB32);
        img.fill(Qt::red);
        QPainter(&img).fillRect(3600, 2700, 400, 300, Qt::blue);
        ext = "jpg";
        data = jpegOf(img);
    } else if (kind == "turned") {
        // Left half red, right half blue, tagged "turn 90 degrees clockwise".
        img.fill(Qt::blue);
        QPainter(&img).fillRect(0, 0, 150, 200, Qt::red);
        const QByteArray exif = QByteArray("Exif\0\0MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 32);
        data = jpegOf(img);
        data.insert(2, QByteArray("\xFF\xE1", 2) + char((exif.size() + 2) >> 8) + char((exif.size() + 2) & 0xff) + exif);
        ext = "jpg";
    } else if (kind == "small") {
        img = QImage(600, 300, QImage::Format_RGB32);
        img.fill(QColor("green"));
    } else if (kind == "text") {
        data = "no picture here";
        ext = "jpg";
    } else if (kind == "cut") {
        img.fill(Qt::blue);
        data = jpegOf(img);
        data.chop(data.size() / 3);
        ext = "jpg";
    } else {
        img.fill(QColor(kind.section('.', 0, 0)));
        if (kind.endsWith(".jpg")) {
            ext = "jpg";
            data = jpegOf(img);
        }
    }
    const QString path = QString("%1/%2-%3.%4").arg(dir).arg(n).arg(kind.section('.', 0, 0)).arg(ext);
    if (data.isEmpty())
        img.save(path);
    else {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(data);
    }
    return path;
}

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Colour name of each page's picture corner and of the spot at `probe` (in
// dots), rendered at 30 dpi.
QStringList pageColours(const QString &pdf, const QString &dir, QPoint probe)
{
    run("pdftoppm", {"-r", "30", "-png", pdf, dir + "/page"});
    QStringList out;
    QStringList pages = QDir(dir).entryList({"page*.png"}, QDir::Files, QDir::Name);
    for (const QString &name : pages) {
        const QImage page(dir + "/" + name);
        const QColor c = page.pixelColor(probe / 10);
        auto near = [&](const char *name) { const QColor k(name); return qAbs(c.red() - k.red()) + qAbs(c.green() - k.green()) + qAbs(c.blue() - k.blue()) < 90; };
        out << (near("red") ? "red" : near("green") ? "green" : near("blue") ? "blue" : near("white") ? "white" : c.name());
    }
    return out;
}

} // namespace

class TestPdfTool : public QObject
{
    Q_OBJECT
    QTemporaryDir m_tmp;
    int m_iRun = 0;

private slots:
    void pageFit_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSizeF>("dots");
        QTest::newRow("small keeps one pixel per dot") << QSize(600, 300) << QSizeF(600, 300);
        QTest::newRow("page-sized stays") << QSize(3508, 2480) << QSizeF(3508, 2480);
        QTest::newRow("4000x3000 fits the height") << QSize(4000, 3000) << QSizeF(2480 * 4.0 / 3, 2480);
        QTest::newRow("wide strip fits the width") << QSize(7016, 100) << QSizeF(3508, 50);
        QTest::newRow("empty") << QSize(0, 10) << QSizeF();
    }
    void pageFit()
    {
        QFETCH(QSize, picture);
        QFETCH(QSizeF, dots);
        QCOMPARE(RPdfMaker::pageDots(), QSize(3508, 2480));
        QCOMPARE(RPdfMaker::drawSizeDots(picture), dots);
    }

    void makes_data()
    {
        QTest::addColumn<QStringList>("kinds");
        QTest::addColumn<int>("moveFrom"); // row dragged to the top, -1 none
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("langue");
        QTest::addColumn<QPoint>("probe");
        QTest::addColumn<QStringList>("colours"); // per page at probe; empty: no PDF
        QTest::addColumn<QString>("message");
        const QPoint corner(50, 50);
        QTest::newRow("three pictures in list order") << QStringList{"red", "green", "blue"} << -1 << "a.pdf" << 1
            << corner << QStringList{"red", "green", "blue"} << "PDF Done";
        QTest::newRow("dragging reorders the pages") << QStringList{"red", "green", "blue.jpg"} << 2 << "b.pdf" << 0
            << corner << QStringList{"blue", "red", "green"} << "PDF文件已经完成";
        QTest::newRow("4000x3000 scaled onto its page") << QStringList{"big"} << -1 << "c.pdf" << 1
            << QPoint(3250, 2450) << QStringList{"blue"} << "PDF Done";
        QTest::newRow("nothing right of the scaled picture") << QStringList{"big"} << -1 << "d.pdf" << 1
            << QPoint(3400, 1200) << QStringList{"white"} << "PDF Done";
        QTest::newRow("small picture one pixel per dot") << QStringList{"small"} << -1 << "e.pdf" << 1
            << QPoint(590, 290) << QStringList{"green"} << "PDF Done";
        QTest::newRow("nothing beyond the small picture") << QStringList{"small"} << -1 << "f.pdf" << 1
            << QPoint(620, 150) << QStringList{"white"} << "PDF Done";
        QTest::newRow("turned JPEG comes out upright: top") << QStringList{"turned"} << -1 << "t1.pdf" << 1
            << corner << QStringList{"red"} << "PDF Done";
        QTest::newRow("turned JPEG comes out upright: bottom") << QStringList{"turned"} << -1 << "t2.pdf" << 1
            << QPoint(50, 250) << QStringList{"blue"} << "PDF Done";
        QTest::newRow("bad pictures leave no page and are named") << QStringList{"text", "red.jpg", "cut", "green"} << -1
            << "g.pdf" << 1 << corner << QStringList{"red", "green"} << "These pictures could not be loaded:\n0-text.jpg\n2-cut.jpg";
        QTest::newRow("no picture loads: no file") << QStringList{"text", "cut"} << -1 << "h.pdf" << 0 << corner
            << QStringList{} << "没有可以读取的图片";
        QTest::newRow("unwritable path says so") << QStringList{"red"} << -1 << "no/such/dir/i.pdf" << 1 << corner
            << QStringList{} << "Cannot write the PDF file";
    }
    void makes()
    {
        QFETCH(QStringList, kinds);
        QFETCH(int, moveFrom);
        QFETCH(QString, file);
        QFETCH(int, langue);
        QFETCH(QPoint, probe);
        QFETCH(QStringList, colours);
        QFETCH(QString, message);
        const QString dir = m_tmp.path() + QString("/run%1").arg(++m_iRun);
        QDir().mkpath(dir);
        QStringList paths;
        for (int i = 0; i < kinds.size(); ++i)
            paths << make(dir, i, kinds.at(i));

        RPDFTool tool;
        tool.slotSetLangue(langue);
        tool.addPictures(paths);
        if (moveFrom >= 0) // what an internal drag does to the list
            tool.listWidget()->insertItem(0, tool.listWidget()->takeItem(moveFrom));
        const QString pdf = dir + "/" + file;
        tool.pathEdit()->setText(pdf);
        tool.openCheck()->setChecked(false);
        QSignalSpy finished(&tool, &RPDFTool::sPdfFinished);
        tool.makePDFFile();
        QVERIFY(tool.isWorking());
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().toBool(), !colours.isEmpty());
        QVERIFY2(tool.lastMessage().contains(message), qPrintable(tool.lastMessage()));
        // Only the finished PDF is left in the folder, no temporary file.
        QCOMPARE(QFileInfo::exists(pdf), !colours.isEmpty());
        QCOMPARE(QDir(dir).entryList({"*.pdf*", ".*pdf*"}, QDir::Files | QDir::Hidden).size(), colours.isEmpty() ? 0 : 1);
        if (colours.isEmpty())
            return;
        const QString info = run("pdfinfo", {pdf});
        QVERIFY2(info.contains(QRegularExpression(QString("Pages:\\s+%1\\n").arg(colours.size()))), qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression("Page size:\\s+841.89 x 595.276 pts \\(A4\\)")), qPrintable(info));
        QCOMPARE(pageColours(pdf, dir, probe), colours);
    }

    // JPEG data goes into the PDF untouched: no second lossy pass, no growth.
    void jpegEmbeddedAsIs()
    {
        const QString dir = m_tmp.path() + "/asis";
        QDir().mkpath(dir);
        const QString jpg = make(dir, 0, "big");
        QFile in(jpg);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray data = in.readAll();
        const RPdfMaker::Result r = RPdfMaker::make({jpg}, dir + "/x.pdf");
        QVERIFY(r.written());
        QFile out(dir + "/x.pdf");
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QByteArray pdf = out.readAll();
        QVERIFY(pdf.contains(data));
        QVERIFY(pdf.size() < data.size() + 2000);
    }

    void refusedPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("pictures");
        QTest::newRow("three characters") << "a.p" << true;
        QTest::newRow("only spaces around a short name") << "  a.p  " << true;
        QTest::newRow("empty list") << "list.pdf" << false;
    }
    void refusedPaths()
    {
        QFETCH(QString, path);
        QFETCH(bool, pictures);
        const QString dir = m_tmp.path() + "/refused";
        QDir().mkpath(dir);
        RPDFTool tool;
        if (pictures)
            tool.addPictures({make(dir, 0, "red")});
        tool.pathEdit()->setText(path);
        tool.makePDFFile();
        QVERIFY(!tool.isWorking());
        QVERIFY(tool.lastMessage().isEmpty());
    }

    // "a.pdf" is long enough, and lands in the start folder.
    void bareNameGoesToStartFolder()
    {
        const QString dir = m_tmp.path() + "/bare";
        QDir().mkpath(dir);
        RPDFTool tool;
        tool.m_strCurDir = dir;
        tool.addPictures({make(dir, 0, "red")});
        tool.pathEdit()->setText("a.pdf");
        tool.openCheck()->setChecked(false);
        QSignalSpy finished(&tool, &RPDFTool::sPdfFinished);
        tool.makePDFFile();
        QVERIFY(finished.wait(30000));
        QVERIFY(QFileInfo::exists(dir + "/a.pdf"));
    }

    void earlierFileKeptWhenNothingLoads()
    {
        const QString dir = m_tmp.path() + "/keep";
        QDir().mkpath(dir);
        const QString pdf = dir + "/old.pdf";
        QVERIFY(RPdfMaker::make({make(dir, 0, "red")}, pdf).written());
        const QByteArray before = [&] { QFile f(pdf); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        const RPdfMaker::Result r = RPdfMaker::make({make(dir, 1, "text")}, pdf);
        QVERIFY(!r.written());
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    void languages_data()
    {
        QTest::addColumn<int>("langue");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("create");
        QTest::newRow("Chinese") << 0 << "PDF转换工具" << "生成";
        QTest::newRow("English") << 1 << "PDF Maker" << "Create";
    }
    void languages()
    {
        QFETCH(int, langue);
        QFETCH(QString, title);
        QFETCH(QString, create);
        RPDFTool tool;
        tool.slotSetLangue(langue);
        QCOMPARE(tool.windowTitle(), title);
        QVERIFY(tool.findChild<QPushButton *>() != nullptr);
        QStringList texts;
        for (auto *b : tool.findChildren<QPushButton *>())
            texts << b->text();
        QVERIFY2(texts.contains(create), qPrintable(texts.join(',')));
        QVERIFY(tool.openCheck()->isChecked());
    }

    void previewShowsFullSize()
    {
        const QString dir = m_tmp.path() + "/preview";
        QDir().mkpath(dir);
        RPDFTool tool;
        tool.addPictures({make(dir, 0, "small")});
        tool.listWidget()->setCurrentRow(0);
        QTRY_COMPARE(tool.sizeLabel()->text(), QString("600 X 300"));
    }
};

VISORA_TEST_MAIN(TestPdfTool)
#include "tst_pdftool.moc"
