#include "RPdfMaker.h"

#include "ROCRRules.h"
#include "RPartFile.h"
#include "RPictureLoader.h"

#include <QBuffer>
#include <QDebug>
#include <QFile>
#include <QImage>
#include <QImageIOHandler>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>

#include <exception>

namespace {

// Above this a JPEG is decoded like any other picture rather than read whole.
constexpr qint64 kMaxJpegBytes = 64LL * 1024 * 1024;
// Re-encoded pictures (turned by their EXIF tag, CMYK) keep no visible loss.
constexpr int kJpegQuality = 92;

int be16(const QByteArray &d, int pos)
{
    return (quint8(d[pos]) << 8) | quint8(d[pos + 1]);
}

QSizeF dotsToPoints(const QSizeF &dots)
{
    return dots * (72.0 / RPdfMaker::kDpi);
}

// A cut-off file loses its end-of-image marker; libjpeg would paint the
// missing part grey without failing.
bool hasEndMarker(const QByteArray &data)
{
    const int from = qMax(0, data.size() - 65536);
    return data.indexOf("\xFF\xD9", from) >= 0;
}

} // namespace

QSize RPdfMaker::pageDots()
{
    // 297 x 210 mm to the nearest dot; QPageSize truncates 2480.3 to 2479.
    return QSize(qRound(297.0 / 25.4 * kDpi), qRound(210.0 / 25.4 * kDpi));
}

QSizeF RPdfMaker::pagePoints()
{
    // Exact A4 (297 x 210 mm); QPageSize rounds points to whole numbers.
    return QSizeF(297.0, 210.0) * (72.0 / 25.4);
}

QSizeF RPdfMaker::drawSizeDots(const QSize &picture, const QSize &page)
{
    if (picture.width() < 1 || picture.height() < 1)
        return QSizeF();
    if (picture.width() <= page.width() && picture.height() <= page.height())
        return QSizeF(picture);
    return QSizeF(picture).scaled(QSizeF(page), Qt::KeepAspectRatio);
}

RPdfMaker::JpegInfo RPdfMaker::inspectJpeg(const QByteArray &d)
{
    JpegInfo info;
    const int n = d.size();
    if (n < 4 || quint8(d[0]) != 0xFF || quint8(d[1]) != 0xD8)
        return info;
    int adobeTransform = -1;
    int pos = 2;
    while (pos < n) {
        if (quint8(d[pos]) != 0xFF)
            return info;
        while (pos < n && quint8(d[pos]) == 0xFF)
            ++pos;
        if (pos >= n)
            return info;
        const int marker = quint8(d[pos++]);
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (pos + 2 > n)
            return info;
        const int len = be16(d, pos);
        if (len < 2 || pos + len > n)
            return info;
        const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            if (len < 8)
                return info;
            const int precision = quint8(d[pos + 2]);
            info.size = QSize(be16(d, pos + 5), be16(d, pos + 3));
            info.components = quint8(d[pos + 7]);
            // Lossless, arithmetic and 12-bit frames are not read by every PDF
            // viewer; RGB-coded and CMYK frames need colour handling we leave
            // to the decoder.
            info.embeddable = (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) && precision == 8
                && !info.size.isEmpty()
                && (info.components == 1 || (info.components == 3 && adobeTransform != 0));
            return info;
        }
        if (marker == 0xEE && len >= 14 && d.mid(pos + 2, 5) == "Adobe")
            adobeTransform = quint8(d[pos + 2 + 11]);
        if (marker == 0xDA || marker == 0xD9)
            return info;
        pos += len;
    }
    return info;
}

bool RPdfMaker::addJpegAsIs(RPdfDocument &doc, const QString &path, const Words &words, bool *handled)
{
    *handled = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxJpegBytes || file.size() < 4)
        return false;
    if (file.peek(2) != QByteArray("\xFF\xD8", 2))
        return false;
    QByteArray data = file.readAll();
    file.close();
    const JpegInfo info = inspectJpeg(data);
    if (!info.embeddable)
        return false;

    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    if (reader.transformation() != QImageIOHandler::TransformationNone)
        return false; // decoded upright below
    // Beyond this viewers struggle to show the page; such a picture is decoded
    // and scaled to the page instead.
    constexpr qint64 kMaxEmbeddedPixels = 100LL * 1000 * 1000;
    if (qint64(info.size.width()) * info.size.height() > kMaxEmbeddedPixels)
        return false;
    // A cheap reduced decode proves the data is a picture that viewers can show.
    reader.setScaledSize((info.size / 8).expandedTo(QSize(1, 1)));
    if (!hasEndMarker(data) || reader.read().isNull()) {
        qInfo().noquote() << "RPdfMaker::addJpegAsIs: broken JPEG" << path << reader.errorString();
        *handled = true;
        return false;
    }
    buffer.close();
    *handled = true;
    return doc.addJpegPage(data, info.size.width(), info.size.height(), info.components,
                           dotsToPoints(drawSizeDots(info.size)), words);
}

bool RPdfMaker::addPicture(RPdfDocument &doc, const QString &path, const Words &words)
{
    bool handled = false;
    const bool ok = addJpegAsIs(doc, path, words, &handled);
    if (handled)
        return ok;

    QString reason;
    QImage image = RPictureLoader::load(path, &reason);
    if (image.isNull()) {
        qInfo().noquote() << "RPdfMaker::addPicture: not loaded" << path << reason;
        return false;
    }
    const QSizeF drawPt = dotsToPoints(drawSizeDots(image.size()));
    if (image.hasAlphaChannel()) {
        // The page is white under a transparent picture.
        QImage flat(image.size(), QImage::Format_RGB888);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        image = flat;
    }
    image = image.convertToFormat(image.isGrayscale() ? QImage::Format_Grayscale8 : QImage::Format_RGB888);

    if (QImageReader::imageFormat(path) == "jpeg") {
        // A JPEG that had to be decoded (turned, CMYK) stays a JPEG.
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(kJpegQuality);
        if (writer.write(image)) {
            buffer.close();
            const int comps = image.format() == QImage::Format_Grayscale8 ? 1 : 3;
            return doc.addJpegPage(jpeg, image.width(), image.height(), comps, drawPt, words);
        }
    }
    return doc.addImagePage(image, drawPt, words);
}

RPdfMaker::Result RPdfMaker::make(const QStringList &pictures, const QString &pdfPath, const Progress &progress,
                                  const std::atomic_bool *cancel, const Options &options)
{
    Result result;
    RPartFile part(pdfPath);
    if (!part.open()) {
        result.writeError = part.errorString();
        qInfo().noquote() << "RPdfMaker::make: cannot write" << pdfPath << result.writeError;
        return result;
    }
    QFile &file = *part.device();
    RPdfDocument doc(&file, pagePoints());
    const int total = pictures.size();
    for (int i = 0; i < total; ++i) {
        if (cancel && cancel->load()) {
            part.cancel();
            result.cancelled = true;
            return result;
        }
        const QString &path = pictures.at(i);
        Words words;
        const bool recognised = !options.searchable || recognise(options.scanner, path, cancel, &words);
        if (cancel && cancel->load())
            continue; // reported at the top of the loop
        bool ok = false;
        try {
            ok = addPicture(doc, path, words);
        } catch (const std::exception &e) {
            qWarning().noquote() << "RPdfMaker::make:" << path << e.what();
        } catch (...) {
            qWarning().noquote() << "RPdfMaker::make:" << path << "unknown exception";
        }
        if (!ok)
            result.failed << path;
        else if (!recognised)
            result.unrecognised << path;
        if (file.error() != QFileDevice::NoError) {
            result.writeError = file.errorString();
            break;
        }
        if (progress)
            progress(i + 1, total);
    }
    result.pages = doc.pageCount();
    if (result.pages == 0 || !result.writeError.isEmpty() || !doc.finish()) {
        if (result.writeError.isEmpty() && result.pages > 0)
            result.writeError = file.errorString();
        part.cancel();
        return result;
    }
    if (!part.commit()) {
        result.writeError = part.errorString();
        qInfo().noquote() << "RPdfMaker::make: cannot finish" << pdfPath << result.writeError;
    }
    qInfo().noquote() << "RPdfMaker::make:" << pdfPath << "pages" << result.pages << "failed" << result.failed.size()
                      << "unrecognised" << result.unrecognised.size();
    return result;
}

RPdfMaker::Words RPdfMaker::parseWords(const QString &table)
{
    // level page block paragraph line word left top width height confidence text
    enum { Level, Left = 6, Top, Width, Height, Conf, Text, Columns };
    Words words;
    QRectF line;
    int lineStart = 0;
    // The recogniser's boxes of Chinese words overlap and leave gaps that a
    // reader takes for spaces: each word of a line ends where the next one
    // begins when either side is Chinese, and never runs into it.
    const auto closeLine = [&words, &lineStart] {
        const auto wide = [](QChar c) { return c.unicode() >= 0x2E80 || c.isSurrogate(); };
        for (int i = lineStart; i + 1 < words.size(); ++i) {
            QRectF &box = words[i].box;
            const double next = words.at(i + 1).box.left();
            if (next <= box.left())
                continue;
            if (next < box.right() || wide(words.at(i).text.back()) || wide(words.at(i + 1).text.front()))
                box.setRight(next);
        }
        lineStart = words.size();
    };
    for (const QString &row : table.split(QLatin1Char('\n'))) {
        const QStringList cells = row.split(QLatin1Char('\t'));
        if (cells.size() < Columns)
            continue;
        bool ok = true;
        int v[4];
        for (int i = 0; i < 4 && ok; ++i)
            v[i] = cells.at(Left + i).toInt(&ok);
        const int level = cells.at(Level).toInt();
        if (!ok || v[2] <= 0 || v[3] <= 0)
            continue;
        const QRectF box(v[0], v[1], v[2], v[3]);
        if (level == 4) {
            closeLine();
            line = box;
        } else if (level == 5) {
            const QString text = cells.mid(Text).join(QLatin1Char('\t')).trimmed();
            if (text.isEmpty())
                continue;
            // Words of one line share its baseline and size, as a reader expects.
            const bool inLine = line.isValid() && box.intersects(line);
            words.append({text, inLine ? QRectF(box.left(), line.top(), box.width(), line.height()) : box});
        }
    }
    closeLine();
    return words;
}

bool RPdfMaker::recognise(const QString &program, const QString &picture, const std::atomic_bool *cancel,
                          Words *words)
{
    if (program.isEmpty()) {
        qInfo().noquote() << "RPdfMaker::recognise: recognition program not found";
        return false;
    }
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // One thread each: the machine has other work, and more cost more than they gain.
    env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    process.setProcessEnvironment(env);
    process.start(program, ROCRRules::arguments(picture) << QStringLiteral("--words"), QIODevice::ReadOnly);
    if (!process.waitForStarted()) {
        qInfo().noquote() << "RPdfMaker::recognise:" << program << process.errorString();
        return false;
    }
    QByteArray output;
    while (!process.waitForFinished(200)) {
        output += process.readAllStandardOutput();
        if (process.state() == QProcess::NotRunning)
            break;
        if (cancel && cancel->load()) {
            process.kill();
            process.waitForFinished();
            return false;
        }
    }
    output += process.readAllStandardOutput();
    const QString text = QString::fromUtf8(output);
    if (ROCRRules::isFailure(process.exitStatus(), process.exitCode(), text)) {
        qInfo().noquote() << "RPdfMaker::recognise: failed" << picture << text.left(200)
                          << QString::fromUtf8(process.readAllStandardError()).trimmed().left(200);
        return false;
    }
    *words = parseWords(text);
    qInfo().noquote() << "RPdfMaker::recognise:" << picture << "words" << words->size();
    return true;
}
