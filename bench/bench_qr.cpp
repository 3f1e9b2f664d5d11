// QR reading per scan tick: the adapter's decode of the 960 x 540 middle of a
// 1920 x 1080 picture, with and without a code, beside zxing-cpp called
// directly on the same crop with the same hints, in the same run.
//
//   bench_qr [iterations]        (default 300)
// The GUI thread's share while scanning is measured by bench_livecamera
// with BENCH_SCAN=1.

#include "QrTestSupport.h"
#include "RQrDecoder.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Stats
{
    double median = 0;
    double mean = 0;
};

Stats stats(std::vector<double> v)
{
    Stats s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.median = v[v.size() / 2];
    for (double x : v)
        s.mean += x;
    s.mean /= v.size();
    return s;
}

std::string direct(const QImage &crop)
{
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    const ZXing::ImageView view(crop.constBits(), crop.width(), crop.height(), ZXing::ImageFormat::BGRX,
                                int(crop.bytesPerLine()));
    const ZXing::Result r = ZXing::ReadBarcode(view, hints);
    return r.isValid() ? r.text() : std::string();
}

void runCase(const char *name, const QImage &page, int iterations)
{
    const QImage crop = page.copy(RQrDecoder::centreHalf(page.size())).convertToFormat(QImage::Format_RGB32);
    std::vector<double> adapter, library;
    QString text;
    std::string textDirect;
    // Interleaved, so both see the same cache and clock conditions.
    for (int i = 0; i < iterations; ++i) {
        QElapsedTimer t;
        t.start();
        text = RQrDecoder().decodeImage(crop, -1, -1, false);
        adapter.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        textDirect = direct(crop);
        library.push_back(t.nsecsElapsed() / 1e6);
    }
    const Stats a = stats(adapter), l = stats(library);
    std::printf("%s, crop %dx%d, %d reads each\n", name, crop.width(), crop.height(), iterations);
    std::printf("  adapter     %.3f ms median, %.3f ms mean  (read: \"%s\")\n", a.median, a.mean,
                qPrintable(text.left(40)));
    std::printf("  zxing-cpp   %.3f ms median, %.3f ms mean  (read: \"%s\")\n", l.median, l.mean,
                textDirect.substr(0, 40).c_str());
    std::printf("  ratio       %.2f median, %.2f mean (target at most 1.20)\n", a.median / l.median,
                a.mean / l.mean);
    std::printf("  tick share  %.1f%% of a 200 ms tick on the reading thread\n", 100.0 * a.mean / 200.0);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 300;
    const QSize full(1920, 1080);
    // A worksheet photo is what the camera mostly shows; a flat grey page is
    // the decoder's slowest miss.
    const QImage sheet = QImage(VISORA_SAMPLE_PAGE).scaled(full).convertToFormat(QImage::Format_RGB32);
    QImage withCode = sheet;
    {
        const QImage code = QrTest::code("https://example.org/lesson/42", 7);
        QPainter(&withCode).drawImage(QPoint(1050, 560) - QPoint(code.width() / 2, code.height() / 2), code);
    }
    runCase("worksheet, no code", sheet, iterations);
    runCase("worksheet with a code in the middle", withCode, iterations);
    runCase("flat grey page, no code", QrTest::page(full, QString(), QPoint(-2000, -2000)), iterations);
    return 0;
}
