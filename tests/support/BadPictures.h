#pragma once
// Pictures that are cheap on disk but expensive to decode, written at run time
// so that no large file is kept in the repository.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QFile>
#include <QSize>
#include <QString>
#include <QtEndian>

#include <zlib.h>

namespace BadPictures {

inline QByteArray pngChunk(const char *type, const QByteArray &body)
{
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(body.size()), out.data());
    const QByteArray typed = QByteArray(type, 4) + body;
    out += typed;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef *>(typed.constData()), uInt(typed.size()))),
                          crc.data());
    return out + crc;
}

// An RGB PNG of `size` with `bitDepth` 8 or 16 per channel, all black: a
// 10000 x 10000 16-bit one is a few hundred KB on disk and 800 MB decoded.
inline bool writeFlatPng(const QString &path, const QSize &size, int bitDepth)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(quint32(size.width()), ihdr.data());
    qToBigEndian<quint32>(quint32(size.height()), ihdr.data() + 4);
    ihdr[8] = char(bitDepth);
    ihdr[9] = 2; // RGB
    f.write("\x89PNG\r\n\x1a\n");
    f.write(pngChunk("IHDR", ihdr));

    z_stream z {};
    if (deflateInit2(&z, 9, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK)
        return false;
    const QByteArray row(1 + size.width() * 3 * bitDepth / 8, '\0');
    QByteArray out(1 << 16, '\0');
    auto drain = [&](int flush) {
        do {
            z.next_out = reinterpret_cast<Bytef *>(out.data());
            z.avail_out = uInt(out.size());
            deflate(&z, flush);
            const int have = out.size() - int(z.avail_out);
            if (have > 0)
                f.write(pngChunk("IDAT", out.left(have)));
        } while (z.avail_out == 0);
    };
    for (int y = 0; y < size.height(); ++y) {
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(row.constData()));
        z.avail_in = uInt(row.size());
        drain(Z_NO_FLUSH);
    }
    drain(Z_FINISH);
    deflateEnd(&z);
    f.write(pngChunk("IEND", QByteArray()));
    return f.error() == QFile::NoError;
}

// A valid baseline colour JPEG of `size`, uniformly grey. One-code Huffman
// tables make every block two zero bits, so 12000 x 9000 is about 1.3 MB.
inline bool writeFlatJpeg(const QString &path, const QSize &size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    auto be16 = [](int v) { return QByteArray(1, char(v >> 8)) + QByteArray(1, char(v & 0xff)); };
    QByteArray h("\xff\xd8", 2);
    h += QByteArray("\xff\xdb", 2) + be16(67) + QByteArray(1, '\0') + QByteArray(64, '\1');
    h += QByteArray("\xff\xc0", 2) + be16(17) + QByteArray(1, 8) + be16(size.height()) + be16(size.width())
        + QByteArray(1, 3);
    for (int c = 1; c <= 3; ++c)
        h += QByteArray(1, char(c)) + QByteArray(1, 0x11) + QByteArray(1, 0);
    QByteArray oneCode(16, '\0');
    oneCode[0] = 1;
    h += QByteArray("\xff\xc4", 2) + be16(2 + 2 * 18) + QByteArray(1, 0x00) + oneCode + QByteArray(1, 0)
        + QByteArray(1, 0x10) + oneCode + QByteArray(1, 0);
    h += QByteArray("\xff\xda", 2) + be16(12) + QByteArray(1, 3);
    for (int c = 1; c <= 3; ++c)
        h += QByteArray(1, char(c)) + QByteArray(1, 0);
    h += QByteArray(1, 0) + QByteArray(1, 63) + QByteArray(1, 0);
    f.write(h);
    const qint64 blocks = qint64((size.width() + 7) / 8) * ((size.height() + 7) / 8) * 3;
    const qint64 bits = blocks * 2;
    QByteArray data(int((bits + 7) / 8), '\0');
    if (bits % 8)
        data[data.size() - 1] = char((1 << (8 - bits % 8)) - 1); // pad with ones
    f.write(data);
    f.write("\xff\xd9", 2);
    return f.error() == QFile::NoError;
}

// A JPEG of an ordinary small picture whose frame header claims `claimed`
// pixels: a few KB on disk, gigabytes if believed.
inline QByteArray lyingJpeg(const QSize &claimed)
{
    QImage img(800, 600, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QByteArray jpg;
    QBuffer buf(&jpg);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG");
    const int sof = jpg.indexOf(QByteArray("\xff\xc0", 2));
    if (sof < 0)
        return QByteArray();
    qToBigEndian<quint16>(quint16(claimed.height()), jpg.data() + sof + 5);
    qToBigEndian<quint16>(quint16(claimed.width()), jpg.data() + sof + 7);
    return jpg;
}

} // namespace BadPictures
