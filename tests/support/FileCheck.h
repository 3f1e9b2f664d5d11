#pragma once
// Reading back what the program wrote: bytes, a tool's output, PDF pages, and
// a file size limit that stands in for a full disk.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace VisoraTest {

inline QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An empty file, standing where a test wants something in the way.
inline bool touch(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly);
}

// A program's standard output; empty when it fails.
inline QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Pages of a PDF as poppler reads them, -1 when it cannot.
inline int pdfPages(const QString &pdf)
{
    const QRegularExpressionMatch m = QRegularExpression("Pages:\\s+(\\d+)\\n").match(run("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

inline QString errnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// A picture that compresses badly, so that writing it takes many writes.
inline QImage noisy(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x * y) % 253, (x ^ y) & 0xff));
    return img;
}

// While it lives no file may grow past `limit` bytes: a write beyond fails
// with EFBIG, as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit) : m_handler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit small = m_old;
        small.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    void (*m_handler)(int);
    rlimit m_old {};
};

} // namespace VisoraTest
