// Seconds per A4 page at 300 dpi for the recognition program, beside the same
// recognition through Tesseract's API in this process, on the same picture.
#include "RScanRequest.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <tesseract/baseapi.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace {

double seconds(const timeval &t) { return t.tv_sec + t.tv_usec / 1e6; }

double childCpu()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double ownCpu()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// A printed page: 2480 x 3508 pixels, 12 pt text, 2 cm margins.
QImage page(const QString &paragraph)
{
    QImage image(2480, 3508, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(11811);
    image.setDotsPerMeterY(11811);
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(50);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QRect area = image.rect().adjusted(236, 236, -236, -236);
    QString text;
    while (text.size() < 6000)
        text += paragraph + "\n\n";
    painter.drawText(area, Qt::TextWordWrap, text);
    return image;
}

struct Figure {
    double wall = 0, cpu = 0;
    int chars = 0;
};

Figure viaProgram(const QString &program, const QString &path)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("OMP_THREAD_LIMIT", "1");
    process.setProcessEnvironment(env);
    const double cpu0 = childCpu();
    QElapsedTimer timer;
    timer.start();
    process.start(program, {RScanRequest::accessWord(), RScanRequest::accessKey(), path});
    process.waitForFinished(-1);
    Figure f{timer.elapsed() / 1000.0, childCpu() - cpu0, 0};
    const QString out = QString::fromUtf8(process.readAllStandardOutput()).simplified();
    f.chars = out.startsWith(RScanRequest::errorMarker()) ? -1 : out.size();
    return f;
}

Figure viaApi(const QString &path)
{
    const double cpu0 = ownCpu();
    QElapsedTimer timer;
    timer.start();
    const QImage grey = QImage(path).convertToFormat(QImage::Format_Grayscale8);
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    api->Init(nullptr, "chi_sim+eng", tesseract::OEM_LSTM_ONLY);
    api->SetPageSegMode(tesseract::PSM_AUTO);
    api->SetImage(grey.constBits(), grey.width(), grey.height(), 1, grey.bytesPerLine());
    api->SetSourceResolution(300);
    const std::unique_ptr<char[]> text(api->GetUTF8Text());
    api->End();
    return {timer.elapsed() / 1000.0, ownCpu() - cpu0, QString::fromUtf8(text.get()).simplified().size()};
}

} // namespace

int main(int argc, char *argv[])
{
    if (!BenchSupport::runWithOneOpenMpThread(argv))
        return 1;
    QGuiApplication app(argc, argv);
    const QString program = QCoreApplication::applicationDirPath() + "/../bin/scanner";
    QTemporaryDir dir;
    const struct {
        const char *name;
        QString paragraph;
    } pages[] = {
        {"English", QStringLiteral("The teacher lays a page under the camera and the whole class reads it on the "
                                   "screen. Recognised text can be copied into notes, corrected and printed again.")},
        {"Chinese", QStringLiteral("老师把课本放在展台下面，全班同学在屏幕上一起阅读。识别出来的文字可以复制到笔记中，"
                                   "修改以后再打印出来，方便学生复习和整理课堂内容。")},
    };
    std::printf("A4 page at 300 dpi (2480 x 3508), chi_sim+eng, LSTM, OMP_THREAD_LIMIT=1\n");
    std::printf("%-8s %-28s %8s %8s %7s\n", "page", "path", "wall s", "CPU s", "chars");
    for (const auto &p : pages) {
        const QString path = dir.filePath(QString::fromLatin1(p.name) + ".png");
        page(p.paragraph).save(path);
        const Figure prog = viaProgram(program, path);
        const Figure api = viaApi(path);
        std::printf("%-8s %-28s %8.2f %8.2f %7d\n", p.name, "scanner program", prog.wall, prog.cpu, prog.chars);
        std::printf("%-8s %-28s %8.2f %8.2f %7d\n", p.name, "Tesseract API in-process", api.wall, api.cpu, api.chars);
    }
    return 0;
}
