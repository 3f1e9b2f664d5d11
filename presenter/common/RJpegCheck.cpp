#include "RJpegCheck.h"

#include <QFile>

#include <cstring>

namespace {

int be16(const uchar *p)
{
    return (p[0] << 8) | p[1];
}

bool fail(QString *reason, const char *why)
{
    if (reason)
        *reason = QString::fromLatin1(why);
    return false;
}

// Frame markers of Huffman-coded pictures; the arithmetic-coded ones
// (0xC9 to 0xCF) can legitimately hold less than a bit per block.
bool isHuffmanFrame(int marker)
{
    return (marker >= 0xC0 && marker <= 0xC3) || (marker >= 0xC5 && marker <= 0xC7);
}

bool isFrame(int marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

} // namespace

bool RJpegCheck::isWhole(const QByteArray &bytes, QString *reason)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const qint64 n = bytes.size();
    if (n < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return fail(reason, "damaged picture: not a JPEG");
    qint64 pos = 2;
    int frame = 0;
    qint64 blocks = 0;
    qint64 scanBytes = 0;
    while (pos < n) {
        // Stray bytes between segments are skipped, as the decoder does.
        if (data[pos] != 0xFF) {
            const void *next = std::memchr(data + pos, 0xFF, size_t(n - pos));
            if (!next)
                break;
            pos = static_cast<const uchar *>(next) - data;
        }
        while (pos + 1 < n && data[pos + 1] == 0xFF)
            ++pos;
        if (pos + 1 >= n)
            break;
        const int marker = data[pos + 1];
        if (marker == 0xD9) {
            if (isHuffmanFrame(frame) && blocks > 0 && scanBytes * 16 < blocks)
                return fail(reason, "damaged picture: far less data than its size needs");
            return true;
        }
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        if (pos + 4 > n)
            break;
        const int length = be16(data + pos + 2);
        if (length < 2)
            return fail(reason, "damaged picture: bad segment length");
        if (pos + 2 + length > n)
            break;
        if (isFrame(marker) && length >= 8) {
            frame = marker;
            const qint64 height = be16(data + pos + 5);
            const qint64 width = be16(data + pos + 7);
            blocks = ((width + 7) / 8) * ((height + 7) / 8);
        }
        pos += 2 + length;
        if (marker != 0xDA)
            continue;
        // Entropy-coded data runs to the next marker other than a stuffed
        // zero or a restart.
        const qint64 start = pos;
        while (pos < n) {
            const void *ff = std::memchr(data + pos, 0xFF, size_t(n - pos));
            if (!ff) {
                pos = n;
                break;
            }
            pos = static_cast<const uchar *>(ff) - data;
            if (pos + 1 >= n) {
                pos = n;
                break;
            }
            const int next = data[pos + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                pos += 2;
                continue;
            }
            if (next == 0xFF) {
                ++pos;
                continue;
            }
            break;
        }
        scanBytes += pos - start;
    }
    return fail(reason, "damaged picture: the file ends early");
}

bool RJpegCheck::isWholeFile(const QString &path, QString *reason)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(reason, "cannot read the file");
    const qint64 size = file.size();
    if (size > (qint64(1) << 30))
        return fail(reason, "file too large");
    if (uchar *mapped = size > 0 ? file.map(0, size) : nullptr) {
        const bool whole = isWhole(QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), int(size)), reason);
        file.unmap(mapped);
        return whole;
    }
    return isWhole(file.readAll(), reason);
}
