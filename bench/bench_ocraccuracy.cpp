// Character accuracy of the recognition program beside the plain tesseract
// program (same languages, one thread) on pages made here: scans, camera
// snapshots that state a fixed density, and tilted pages.
// Usage: bench_ocraccuracy [FOLDER]  keeps the pictures and texts in FOLDER.
#include "RScanRequest.h"
#include "TextPicture.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

const QString kEnglish = QStringLiteral(
    "The teacher lays the page under the camera and the whole class reads it on the screen. "
    "Recognised text can be copied into notes, corrected and printed again for the next lesson. "
    "Pupils compare their answers with the worked example and mark the steps they missed. "
    "At the end of the hour the board is saved as a picture and shared with everyone.");
const QString kChinese = QStringLiteral(
    "老师把课本放在展台下面，全班同学在屏幕上一起阅读。识别出来的文字可以复制到笔记中，"
    "修改以后再打印出来，方便学生复习和整理课堂内容。同学们把自己的答案和例题对照，"
    "圈出漏掉的步骤。下课以前，黑板上的内容保存成图片，发给每一位同学。");
const QString kMixed = QStringLiteral(
    "第三课 Photosynthesis 光合作用。植物利用 sunlight 把 water 和 carbon dioxide 变成葡萄糖和氧气。"
    "实验步骤：Step 1 把叶片放在暗处一天；Step 2 用 iodine solution 检验淀粉。"
    "记录结果 record the results，并和同桌讨论 discuss with your partner。");

QImage rotated(const QImage &page, double degrees)
{
    const QImage out = page.convertToFormat(QImage::Format_ARGB32)
                           .transformed(QTransform().rotate(degrees), Qt::SmoothTransformation);
    // The corners the turn uncovers are paper, not black.
    QImage white(out.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    QPainter painter(&white);
    painter.drawImage(0, 0, out);
    white.setDotsPerMeterX(page.dotsPerMeterX());
    white.setDotsPerMeterY(page.dotsPerMeterY());
    return white;
}

struct Run {
    QString text;
    double seconds = 0;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    process.waitForFinished(-1);
    return {QString::fromUtf8(process.readAllStandardOutput()), timer.elapsed() / 1000.0};
}

} // namespace

int main(int argc, char *argv[])
{
    if (!BenchSupport::runWithOneOpenMpThread(argv))
        return 1;
    QGuiApplication app(argc, argv);
    const QString scanner = QCoreApplication::applicationDirPath() + "/../bin/scanner";
    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    QDir().mkpath(folder);

    const QSize a5(1748, 2480); // A5 at 300 dpi
    const QSize hd(1920, 1080), photo(3264, 2448);
    struct Page {
        const char *name;
        QString text;
        QByteArray file;
    };
    auto png = [](const QImage &image) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    };
    using VisoraTest::printedPage;
    const QImage en = printedPage(kEnglish, a5, 50, 300), zh = printedPage(kChinese, a5, 50, 300),
                 mixed = printedPage(kMixed, a5, 50, 300);
    const QString zhLong = kChinese + kChinese + kChinese, enLong = kEnglish + " " + kEnglish + " " + kEnglish;
    const QSize a4(2480, 3508);
    using VisoraTest::cameraPicture;
    const std::vector<Page> pages = {
        {"scan en 300dpi", kEnglish, png(en)},
        {"scan zh 300dpi", kChinese, png(zh)},
        {"scan mixed none stated", kMixed, png(printedPage(kMixed, a5, 50, 0))},
        {"scan zh 96dpi stated", kChinese, png(printedPage(kChinese, {1000, 1000}, 30, 96))},
        {"scan en tilted 5", kEnglish, png(rotated(en, 5))},
        {"camera zh 1080p 100dpi", kChinese, cameraPicture(zh, hd, 0, 100)},
        {"camera mixed 1080p 100dpi", kMixed, cameraPicture(mixed, hd, 0, 100)},
        {"camera en 1080p 100dpi", kEnglish, cameraPicture(en, hd, 0, 100)},
        {"camera zh A4 1080p 100dpi", zhLong, cameraPicture(printedPage(zhLong, a4, 50, 300), hd, 0, 100, 6)},
        {"camera en A4 1080p 100dpi", enLong, cameraPicture(printedPage(enLong, a4, 50, 300), hd, 0, 100, 7)},
        {"camera en 8MP 72dpi", kEnglish, cameraPicture(en, photo, 0, 72)},
        {"camera zh 8MP 100dpi", kChinese, cameraPicture(zh, photo, 0, 100, 2)},
        {"camera en tilted 5 100dpi", kEnglish, cameraPicture(en, photo, 5, 100, 3)},
        {"camera zh tilted 5 100dpi", kChinese, cameraPicture(zh, photo, -5, 100, 4)},
        {"camera mixed tilted 5 1080p", kMixed, cameraPicture(mixed, hd, 5, 100, 5)},
    };
    std::printf("chi_sim+eng, OMP_THREAD_LIMIT=1; character accuracy without white space\n");
    std::printf("%-30s %10s %10s %9s %9s\n", "page", "scanner %", "tesseract%", "scanner s", "tess s");
    int worse = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        const Page &p = pages[i];
        const QString path = QDir(folder).filePath(QStringLiteral("page%1.%2").arg(i, 2, 10, QChar('0'))
                                                       .arg(p.file.startsWith("\x89PNG") ? "png" : "jpg"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(p.file) != p.file.size())
            return 1;
        file.close();
        QFile truth(path + ".txt");
        if (truth.open(QIODevice::WriteOnly))
            truth.write(p.text.toUtf8());
        if (qEnvironmentVariableIsSet("BENCH_PICTURES_ONLY"))
            continue;
        const Run ours = run(scanner, {RScanRequest::accessWord(), RScanRequest::accessKey(), path});
        const Run plain = run(QStringLiteral("tesseract"), {path, QStringLiteral("stdout"), QStringLiteral("-l"),
                                                            QStringLiteral("chi_sim+eng")});
        const double a = VisoraTest::accuracy(ours.text, p.text), b = VisoraTest::accuracy(plain.text, p.text);
        worse += a < b;
        std::printf("%-30s %10.1f %10.1f %9.1f %9.1f\n", p.name, 100 * a, 100 * b, ours.seconds, plain.seconds);
        std::fflush(stdout);
    }
    std::printf("pages where scanner reads worse than tesseract: %d\n", worse);
    return 0;
}
