#include "RJpegWriter.h"

#include <QColorSpace>
#include <QIODevice>
#include <QtMath>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo is needed: it reads 32-bit pixels as they are"
#endif

namespace {

// Large enough that each write goes to the file without another copy.
constexpr int kChunk = 64 * 1024;

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void outputMessage(j_common_ptr) {}

struct Destination
{
    jpeg_destination_mgr pub;
    QIODevice *device;
    JOCTET buffer[kChunk];
};

// A short write carries no reason; writing the rest fails with it (disk full).
bool writeAll(QIODevice *device, const JOCTET *data, qint64 size)
{
    while (size > 0) {
        const qint64 n = device->write(reinterpret_cast<const char *>(data), size);
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

void initDestination(j_compress_ptr cinfo)
{
    auto *dest = reinterpret_cast<Destination *>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kChunk;
}

boolean emptyBuffer(j_compress_ptr cinfo)
{
    auto *dest = reinterpret_cast<Destination *>(cinfo->dest);
    if (!writeAll(dest->device, dest->buffer, kChunk))
        ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kChunk;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto *dest = reinterpret_cast<Destination *>(cinfo->dest);
    const qint64 n = kChunk - qint64(dest->pub.free_in_buffer);
    if (!writeAll(dest->device, dest->buffer, n))
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

// The density QJpegHandler writes: dots per inch when the resolution is a
// whole number of them, else dots per centimetre.
void setDensity(jpeg_compress_struct *cinfo, const QImage &image)
{
    const int x = image.dotsPerMeterX();
    const int y = image.dotsPerMeterY();
    const qreal diffInch = qAbs(x * 2.54 / 100. - qRound(x * 2.54 / 100.)) + qAbs(y * 2.54 / 100. - qRound(y * 2.54 / 100.));
    const qreal diffCm = (qAbs(x / 100. - qRound(x / 100.)) + qAbs(y / 100. - qRound(y / 100.))) * 2.54;
    if (diffInch < diffCm) {
        cinfo->density_unit = 1;
        cinfo->X_density = UINT16(qRound(x * 2.54 / 100.));
        cinfo->Y_density = UINT16(qRound(y * 2.54 / 100.));
    } else {
        cinfo->density_unit = 2;
        cinfo->X_density = UINT16((x + 50) / 100);
        cinfo->Y_density = UINT16((y + 50) / 100);
    }
}

// Only plain C objects live between setjmp and a longjmp out of the library.
bool encode(const QImage &image, Destination *dest, ErrorManager *err)
{
    jpeg_compress_struct cinfo;
    cinfo.err = jpeg_std_error(&err->pub);
    err->pub.error_exit = errorExit;
    err->pub.output_message = outputMessage;
    err->message[0] = 0;
    if (setjmp(err->jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    dest->pub.init_destination = initDestination;
    dest->pub.empty_output_buffer = emptyBuffer;
    dest->pub.term_destination = termDestination;
    cinfo.dest = &dest->pub;
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 4;
    // QRgb in memory on a little-endian machine: blue, green, red, unused.
    cinfo.in_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_set_defaults(&cinfo);
    setDensity(&cinfo, image);
    jpeg_set_quality(&cinfo, 75, TRUE); // QImage::save's default
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

bool RJpegWriter::canWrite(const QImage &image)
{
    return !image.isNull() && image.format() == QImage::Format_RGB32 && image.textKeys().isEmpty()
           && !image.colorSpace().isValid();
}

bool RJpegWriter::write(const QImage &image, QIODevice *device, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!canWrite(image) || !device || !device->isWritable())
        return fail(QStringLiteral("picture or device not suited"));
    auto *dest = new Destination;
    dest->device = device;
    ErrorManager err;
    const bool ok = encode(image, dest, &err);
    delete dest;
    if (ok)
        return true;
    const QString reason = device->errorString();
    return fail(reason.isEmpty() || reason == QLatin1String("Unknown error") ? QString::fromLocal8Bit(err.message)
                                                                            : reason);
}
