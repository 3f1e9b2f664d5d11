#include "RPictureLoader.h"

#include "RJpegCheck.h"

#include <QDebug>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QtMath>

#include <atomic>

namespace {

qint64 bytesFor(const QSize &size, QImage::Format format)
{
    if (!size.isValid())
        return 0;
    int bits = 32;
    if (format != QImage::Format_Invalid)
        bits = QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 line = (qint64(size.width()) * bits + 31) / 32 * 4;
    return line * size.height();
}

int depthOf(QImage::Format format)
{
    return format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
}

// The reduction Qt's JPEG reader picks for a scaled read: a power of two up
// to 8, never below the requested size.
int scaleDenominator(const QSize &size, const QSize &target)
{
    const int ratio = qMin(size.width() / qMax(1, target.width()), size.height() / qMax(1, target.height()));
    return ratio < 2 ? 1 : ratio < 4 ? 2 : ratio < 8 ? 4 : 8;
}

bool fitsInside(const QSize &size, const QSize &box)
{
    return size.width() <= box.width() && size.height() <= box.height();
}

QSize fittedSize(const QSize &size, const QSize &box)
{
    return size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

bool usableBox(const QSize &box)
{
    return box.isValid() && !box.isEmpty();
}

std::atomic<int> g_largeRunning{0};
std::atomic<int> g_largePeak{0};

QMutex &largeDecodeGate()
{
    static QMutex gate;
    return gate;
}

// Holds the one-large-decode-at-a-time gate for the life of a decode.
class DecodeTicket
{
public:
    explicit DecodeTicket(qint64 cost)
        : m_bLarge(cost > RPictureLoader::kLargeDecodeBytes)
    {
        if (!m_bLarge)
            return;
        largeDecodeGate().lock();
        const int now = ++g_largeRunning;
        int peak = g_largePeak.load();
        while (now > peak && !g_largePeak.compare_exchange_weak(peak, now)) {
        }
    }
    ~DecodeTicket()
    {
        if (!m_bLarge)
            return;
        --g_largeRunning;
        largeDecodeGate().unlock();
    }
    DecodeTicket(const DecodeTicket &) = delete;
    DecodeTicket &operator=(const DecodeTicket &) = delete;

private:
    bool m_bLarge;
};

bool fail(const QString &path, const QString &why, QString *reason)
{
    if (reason)
        *reason = why;
    qInfo().noquote() << "RPictureLoader::load:" << path << why;
    return false;
}

// Only JPEG decodes at a reduced size; other handlers that take a scaled
// size (PNG) decode in full and scale afterwards.
bool decodesScaled(QImageReader &reader)
{
    return reader.format() == "jpeg" && reader.supportsOption(QImageIOHandler::ScaledSize);
}

qint64 costOf(QImageReader &reader, const QSize &box)
{
    return RPictureLoader::decodeCost(reader.size(), reader.imageFormat(), decodesScaled(reader), box);
}

// Checks the file and, from its header, the memory the decode would take.
bool checkReader(QImageReader &reader, const QString &path, const QSize &box, QString *reason)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || !info.isFile())
        return fail(path, QStringLiteral("no such file"), reason);
    if (info.size() == 0)
        return fail(path, QStringLiteral("empty file"), reason);
    if (!reader.canRead())
        return fail(path, QStringLiteral("not a picture: ") + reader.errorString(), reason);
    const QSize size = reader.size();
    if (!size.isValid()) {
        if (info.size() > RPictureLoader::kMaxUnknownSizeBytes)
            return fail(path, QStringLiteral("picture size unknown and file too large"), reason);
        return true;
    }
    if (size.width() < 1 || size.height() < 1)
        return fail(path, QStringLiteral("empty picture"), reason);
    const qint64 cost = costOf(reader, box);
    if (cost > RPictureLoader::kMaxDecodeBytes)
        return fail(path,
                    QStringLiteral("picture too large: %1 x %2 needs %3 MB to decode")
                        .arg(size.width())
                        .arg(size.height())
                        .arg(cost / (1024 * 1024)),
                    reason);
    // The JPEG reader shows a cut or lying file as grey without a word.
    QString why;
    if (reader.format() == "jpeg" && !RJpegCheck::isWholeFile(path, &why))
        return fail(path, why, reason);
    return true;
}

QImage readOrLog(QImageReader &reader, const QString &path, QString *reason)
{
    QImage image = reader.read();
    if (image.isNull()) {
        if (reason)
            *reason = reader.errorString();
        qInfo().noquote() << "RPictureLoader::load:" << path << reader.errorString();
    }
    return image;
}

} // namespace

qint64 RPictureLoader::decodeCost(const QSize &size, QImage::Format format, bool scaledDecode, const QSize &box)
{
    if (!size.isValid() || size.isEmpty())
        return 0;
    const qint64 full = bytesFor(size, format);
    if (!usableBox(box) || fitsInside(size, box)) {
        // Pictures deeper than 32 bits are handed on as 32-bit ones.
        return full + (depthOf(format) > 32 ? bytesFor(size, QImage::Format_ARGB32) : 0);
    }
    const QSize target = fittedSize(size, box);
    const qint64 small = bytesFor(target, format)
        + (depthOf(format) != 32 ? bytesFor(target, QImage::Format_ARGB32) : 0);
    if (scaledDecode) {
        const int d = scaleDenominator(size, target);
        const QSize reduced((size.width() + d - 1) / d, (size.height() + d - 1) / d);
        return bytesFor(reduced, format) + small;
    }
    return full + small;
}

QSize RPictureLoader::pictureSize(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.size();
}

bool RPictureLoader::isAcceptable(const QString &path, QString *reason)
{
    QImageReader reader(path);
    return checkReader(reader, path, QSize(), reason);
}

QImage RPictureLoader::load(const QString &path, QString *reason)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!checkReader(reader, path, QSize(), reason))
        return QImage();
    const DecodeTicket ticket(costOf(reader, QSize()));
    QImage image = readOrLog(reader, path, reason);
    if (image.depth() > 32)
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return image;
}

QImage RPictureLoader::loadScaled(const QString &path, const QSize &box, QString *reason)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!checkReader(reader, path, box, reason))
        return QImage();
    const QSize size = reader.size();
    const bool shrink = size.isValid() && usableBox(box) && !fitsInside(size, box);
    const bool scaledDecode = decodesScaled(reader);
    // Only formats that decode scaled are asked to: for the others Qt decodes
    // in full and then scales smoothly through yet another full-size copy.
    if (shrink && scaledDecode)
        reader.setScaledSize(fittedSize(size, box));
    const DecodeTicket ticket(costOf(reader, box));
    QImage image = readOrLog(reader, path, reason);
    if (image.isNull())
        return image;
    if (usableBox(box) && !fitsInside(image.size(), box)) {
        const QSize target = fittedSize(image.size(), box);
        // Smooth scaling of these formats needs no full-size copy.
        if (image.format() == QImage::Format_ARGB32)
            image.convertTo(QImage::Format_ARGB32_Premultiplied);
        const bool smooth = image.format() == QImage::Format_RGB32
            || image.format() == QImage::Format_ARGB32_Premultiplied;
        image = image.scaled(target, Qt::IgnoreAspectRatio,
                             smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
    }
    if (image.depth() > 32)
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return image;
}

int RPictureLoader::largeDecodePeak()
{
    return g_largePeak.load();
}

void RPictureLoader::resetLargeDecodePeak()
{
    g_largePeak = g_largeRunning.load();
}
