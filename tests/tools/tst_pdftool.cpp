#include "FileCheck.h"
#include "TextPicture.h"
#include "VisoraTest.h"

#include "RPDFTool.h"
#include "RPdfMaker.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QPainter>

namespace {

using namespace VisoraTest;

// Picture kinds: "<colour>" 300 x 200 PNG, "<colour>.jpg" the same as JPEG,
// "big" 4000 x 3000 red JPEG with a blue bottom-right corner, "turned" JPEG red
// left, blue right, tagged "turn 90 degrees clockwise", "cut" a blue JPEG
// without its end, "text" no picture.
QString make(const QString &dir, int n, const QString &kind)
{
    const bool big = kind == "big", png = QColor::isValidColor(kind);
    QImage img(big ? QSize(4000, 3000) : QSize(300, 200), QImage::Format_RGB32);
    img.fill(QColor(big ? "red" : kind == "turned" || kind == "cut" ? "blue" : kind.section('.', 0, 0)));
    QPainter painter(&img);
    if (big || kind == "turned")
        painter.fillRect(big ? QRect(3600, 2700, 400, 300) : QRect(0, 0, 150, 200), big ? Qt::blue : Qt::red);
    painter.end();
    const QString path = QString("%1/%2-%3.%4").arg(dir).arg(n).arg(kind.section('.', 0, 0)).arg(png ? "png" : "jpg");
    if (png)
        return img.save(path) ? path : QString();
    QByteArray data;
    QBuffer buf(&data);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG", 90);
    const QByteArray exif("Exif\0\0MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 32);
    if (kind == "turned")
        data.insert(2, QByteArray("\xFF\xE1", 2) + char(0) + char(exif.size() + 2) + exif);
    data.chop(kind == "cut" ? data.size() / 3 : 0);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(kind == "text" ? QByteArray("no picture here") : data);
    return path;
}

// Colour name of each page's spots at `probes` (in dots), rendered at 30 dpi.
QStringList pageColours(const QString &pdf, const QString &dir, const QList<QPoint> &probes)
{
    run("pdftoppm", {"-r", "30", "-png", pdf, dir + "/page"});
    QStringList out;
    for (const QString &name : QDir(dir).entryList({"page*.png"}, QDir::Files, QDir::Name)) {
        const QImage page(dir + "/" + name);
        for (const QPoint &probe : probes) {
            const QColor c = page.pixelColor(probe / 10);
            auto near = [&](const char *name) { const QColor k(name); return qAbs(c.red() - k.red()) + qAbs(c.green() - k.green()) + qAbs(c.blue() - k.blue()) < 90; };
            out << (near("red") ? "red" : near("green") ? "green" : near("blue") ? "blue" : near("white") ? "white" : c.name());
        }
    }
    return out;
}

} // namespace

class TestPdfTool : public QObject
{
    Q_OBJECT
    QTemporaryDir m_tmp;
    int m_iRun = 0;
    QString newDir()
    {
        const QString dir = m_tmp.path() + QString("/run%1").arg(++m_iRun);
        QDir().mkpath(dir);
        return dir;
    }

private slots:
    void makes_data()
    {
        QTest::addColumn<QStringList>("kinds");
        QTest::addColumn<int>("moveFrom"); // row dragged to the top, -1 none
        QTest::addColumn<QString>("file");
        QTest::addColumn<UiLanguage>("langue");
        const UiLanguage zh = UiLanguage::Chinese, en = UiLanguage::English;
        QTest::addColumn<QList<QPoint>>("probes");
        QTest::addColumn<QStringList>("colours"); // per page, per probe; empty: no PDF
        QTest::addColumn<QString>("message");
        const QList<QPoint> corner{{50, 50}};
        QTest::newRow("dragging reorders the pages") << QStringList{"red", "green", "blue.jpg"} << 2 << "b.pdf" << zh
            << corner << QStringList{"blue", "red", "green"} << "PDF文件已经完成";
        QTest::newRow("4000x3000 scaled to the page height") << QStringList{"big"} << -1 << "c.pdf" << en
            << QList<QPoint>{{3250, 2450}, {3400, 1200}} << QStringList{"blue", "white"} << "PDF Done";
        QTest::newRow("turned JPEG comes out upright") << QStringList{"turned"} << -1 << "t.pdf" << en
            << QList<QPoint>{{50, 50}, {50, 250}} << QStringList{"red", "blue"} << "PDF Done";
        QTest::newRow("bad pictures leave no page and are named") << QStringList{"text", "red.jpg", "cut", "green"} << -1
            << "g.pdf" << en << corner << QStringList{"red", "green"} << "These pictures could not be loaded:\n0-text.jpg\n2-cut.jpg";
        QTest::newRow("no picture loads: no file") << QStringList{"text", "cut"} << -1 << "h.pdf" << zh << corner
            << QStringList{} << "没有可以读取的图片";
        QTest::newRow("unwritable path says so") << QStringList{"red"} << -1 << "no/such/dir/i.pdf" << en << corner
            << QStringList{} << "Cannot write the PDF file: the save location does not exist\n";
    }
    void makes()
    {
        QFETCH(QStringList, kinds);
        QFETCH(int, moveFrom);
        QFETCH(QString, file);
        QFETCH(UiLanguage, langue);
        QFETCH(QList<QPoint>, probes);
        QFETCH(QStringList, colours);
        QFETCH(QString, message);
        const QString dir = newDir();
        QStringList paths;
        for (int i = 0; i < kinds.size(); ++i)
            paths << make(dir, i, kinds.at(i));

        RPDFTool tool;
        tool.slotSetLangue(langue);
        tool.addPictures(paths);
        if (moveFrom >= 0) // what an internal drag does to the list
            tool.listWidget()->insertItem(0, tool.listWidget()->takeItem(moveFrom));
        // A relative name lands in the start folder.
        tool.m_strCurDir = dir;
        tool.pathEdit()->setText(file);
        const QString pdf = dir + "/" + file;
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
        QCOMPARE(pdfPages(pdf), colours.size() / probes.size());
        QVERIFY(run("pdfinfo", {pdf}).contains(QRegularExpression("Page size:\\s+841.89 x 595.276 pts \\(A4\\)")));
        QCOMPARE(pageColours(pdf, dir, probes), colours);
    }

    // JPEG data goes into the PDF untouched (no second lossy pass, no growth);
    // a later run that loads nothing leaves that file as it was.
    void jpegEmbeddedAsIsAndKept()
    {
        const QString dir = newDir(), jpg = make(dir, 0, "big"), pdf = dir + "/x.pdf";
        QVERIFY(RPdfMaker::make({jpg}, pdf).written());
        const QByteArray data = bytes(jpg), before = bytes(pdf);
        QVERIFY(!data.isEmpty() && before.contains(data));
        QVERIFY(before.size() < data.size() + 2000);
        QVERIFY(!RPdfMaker::make({make(dir, 1, "text")}, pdf).written());
        QCOMPARE(bytes(pdf), before);
    }

    // A typed name gets ".pdf" and asks before replacing a file, as the Save
    // dialog does; one of the list's own pictures is never replaced.
    void typedPath_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("existing"); // a file there before; empty: none
        QTest::addColumn<int>("answer");       // to the question; 0: none expected
        QTest::addColumn<QString>("written");  // the PDF made; empty: none
        QTest::newRow("name without .pdf gets it") << "lesson" << "" << 0 << "lesson.pdf";
        QTest::newRow("typed over a file, No keeps it") << "old.pdf" << "old.pdf" << int(QMessageBox::No) << "";
        QTest::newRow("typed over a file, Yes replaces it") << "old.pdf" << "old.pdf" << int(QMessageBox::Yes) << "old.pdf";
        QTest::newRow("typed over a folder without .pdf, the PDF goes beside it") << "notes" << "notes" << 0 << "notes.pdf";
        QTest::newRow("one of the pictures is refused") << "0-red.png.pdf" << "" << -1 << "";
        QTest::newRow("spaces around a too short name make nothing") << "  a.p  " << "" << 0 << "";
    }
    void typedPath()
    {
        QFETCH(QString, typed);
        QFETCH(QString, existing);
        QFETCH(int, answer);
        QFETCH(QString, written);
        const QString dir = newDir();
        QString picture = make(dir, 0, "red");
        if (typed == "0-red.png.pdf") { // a picture whose name ends in .pdf
            QVERIFY(QFile::rename(picture, dir + "/" + typed));
            picture = dir + "/" + typed;
        }
        if (!existing.isEmpty()) {
            QFile f(dir + "/" + existing);
            QVERIFY(existing.contains('.') ? f.open(QIODevice::WriteOnly) && f.write("keep") == 4 : QDir(dir).mkdir(existing));
        }
        const QByteArray pictureBytes = bytes(picture);
        RPDFTool tool;
        tool.slotSetLangue(UiLanguage::English);
        tool.openCheck()->setChecked(false);
        tool.addPictures({picture});
        tool.m_strCurDir = dir;
        tool.pathEdit()->setText(typed);
        QSignalSpy finished(&tool, &RPDFTool::sPdfFinished);
        tool.makePDFFile();
        QMessageBox *question = tool.findChild<QMessageBox *>();
        QCOMPARE(question != nullptr, answer > 0);
        if (question) {
            QVERIFY(!tool.isWorking());
            question->button(QMessageBox::StandardButton(answer))->click();
        }
        if (!written.isEmpty()) {
            QVERIFY(finished.wait(60000));
            QCOMPARE(pdfPages(dir + "/" + written), 1);
        } else {
            QTest::qWait(50);
            QVERIFY(!tool.isWorking() && finished.isEmpty());
        }
        QCOMPARE(bytes(picture), pictureBytes);
        if (written != existing && existing.contains('.'))
            QCOMPARE(bytes(dir + "/" + existing), QByteArray("keep"));
        if (answer < 0)
            QVERIFY(tool.lastMessage().contains("one of the pictures"));
    }

    // The recognised text lies over each page, so the PDF can be searched.
    void searchable_data()
    {
        QTest::addColumn<bool>("searchable");
        QTest::addColumn<bool>("scannerWorks");
        QTest::addColumn<QString>("message");
        // Chinese is read in the scanner's test and comes back from a PDF in manyCharactersComeBack.
        QTest::newRow("the page gives back its text") << true << true << "PDF Done";
        QTest::newRow("off by default: picture only") << false << true << "PDF Done";
        QTest::newRow("failed recognition keeps the page and says so") << true << false
            << "Text could not be recognised in these pictures; their pages hold the picture only:\npage.png";
    }
    void searchable()
    {
        QFETCH(bool, searchable);
        QFETCH(bool, scannerWorks);
        QFETCH(QString, message);
        const QString text = "Plants make their food from sunlight,\nwater and the air around them.\nThis is called photosynthesis.";
        const QString dir = newDir(), picture = dir + "/page.png", pdf = dir + "/out.pdf";
        QVERIFY(VisoraTest::printedPage(text).save(picture, nullptr, 95));
        RPDFTool tool;
        QVERIFY(!tool.searchableCheck()->isChecked());
        tool.slotSetLangue(UiLanguage::English);
        tool.m_strProgram = scannerWorks ? qEnvironmentVariable("VISORA_PROGRAM_DIR") + "/scanner" : "/bin/false";
        tool.addPictures({picture});
        tool.pathEdit()->setText(pdf);
        tool.openCheck()->setChecked(false);
        if (searchable)
            tool.searchableCheck()->setChecked(true);
        QSignalSpy finished(&tool, &RPDFTool::sPdfFinished);
        tool.makePDFFile();
        QVERIFY(finished.wait(120000));
        QVERIFY(finished.first().first().toBool());
        QVERIFY2(tool.lastMessage().contains(message), qPrintable(tool.lastMessage()));
        QCOMPARE(pdfPages(pdf), 1);
        const QString got = VisoraTest::squeezed(run("pdftotext", {"-enc", "UTF-8", pdf, "-"}));
        if (!searchable || !scannerWorks) {
            QCOMPARE(got, QString());
            return;
        }
        const double share = VisoraTest::accuracy(got, text);
        QVERIFY2(share >= 0.95, qPrintable(QString("%1 of the text back: %2").arg(share).arg(got)));
    }

    // Boxes as the recogniser gives them become one reading line each.
    void wordTable_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QList<QRectF>>("boxes");
        const QString line = "4\t1\t1\t1\t1\t0\t10\t50\t300\t40\t-1\t\n";
        QTest::newRow("english words keep their gaps, take the line's height")
            << line + "5\t1\t1\t1\t1\t1\t10\t55\t60\t30\t96\tThe\n5\t1\t1\t1\t1\t2\t90\t52\t80\t35\t95\tquick\n"
            << QList<QRectF>{{10, 50, 60, 40}, {90, 50, 80, 40}};
        QTest::newRow("header, blanks and empty boxes are skipped")
            << "level\tpage_num\tblock_num\tpar_num\tline_num\tword_num\tleft\ttop\twidth\theight\tconf\ttext\n" + line
                   + "5\t1\t1\t1\t1\t1\t10\t50\t40\t40\t96\t \n5\t1\t1\t1\t1\t2\t60\t50\t0\t40\t95\tx\n"
            << QList<QRectF>{};
    }
    void wordTable()
    {
        QFETCH(QString, table);
        QList<QRectF> got;
        for (const RPdfDocument::Word &w : RPdfMaker::parseWords(table))
            got << w.box;
        QTEST(got, "boxes");
    }

    // More characters than one simple font holds, outside the basic plane too.
    void manyCharactersComeBack()
    {
        const QString dir = newDir(), pdf = dir + "/many.pdf";
        QVector<RPdfDocument::Word> words;
        QString all;
        for (int i = 0; i < 600; ++i) {
            const QString ch = i == 599 ? QString::fromUcs4(U"\U00020000") : QString(QChar(0x4E00 + i));
            all += ch;
            words.append({ch, QRectF(20 + (i % 30) * 40, 20 + (i / 30) * 50, 40, 40)});
        }
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::WriteOnly));
        RPdfDocument doc(&f, RPdfMaker::pagePoints());
        QImage white(1300, 1100, QImage::Format_Grayscale8);
        white.fill(255);
        QVERIFY(doc.addImagePage(white, RPdfMaker::drawSizeDots(white.size()) * 72.0 / RPdfMaker::kDpi, words));
        QVERIFY(doc.finish());
        f.close();
        QCOMPARE(VisoraTest::squeezed(run("pdftotext", {"-enc", "UTF-8", pdf, "-"})), all);
    }
};

VISORA_TEST_MAIN(TestPdfTool)
#include "tst_pdftool.moc"
