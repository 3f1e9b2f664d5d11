#include "RPdfPage.h"

#include "RPdfDocument.h"

#include <QBuffer>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QRandomGenerator>
#include <QSaveFile>

#include <memory>

namespace {

bool fail(QString *error, const QString &why, const QString &path)
{
    qInfo().noquote() << "RPdfPage::write:" << path << why;
    if (error)
        *error = why;
    return false;
}

// A PDF that was cut short (disk full, device gone) lacks its trailer.
bool looksComplete(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 64)
        return false;
    f.seek(qMax<qint64>(0, f.size() - 1024));
    return f.readAll().contains("%%EOF");
}

} // namespace

int RPdfPage::scaleFactor(int viewportWidth, int pictureWidth)
{
    if (pictureWidth <= 0 || viewportWidth <= 0)
        return 0;
    return viewportWidth / pictureWidth;
}

double RPdfPage::pageScale(const QSize &viewport, const QSize &picture)
{
    if (picture.width() <= 0 || picture.height() <= 0 || viewport.width() <= 0 || viewport.height() <= 0)
        return 0.0;
    int factor = scaleFactor(viewport.width(), picture.width());
    // A tall picture (a turned page, two card sides) must not run off the page bottom.
    if (factor >= 1 && qint64(picture.height()) * factor > viewport.height())
        factor = viewport.height() / picture.height();
    if (factor >= 1)
        return factor;
    return qMin(double(viewport.width()) / picture.width(), double(viewport.height()) / picture.height());
}

bool RPdfPage::write(const QImage &image, const QString &pdfPath, QString *error)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return fail(error, QStringLiteral("empty picture"), pdfPath);
    const QFileInfo target(pdfPath);
    if (pdfPath.isEmpty() || !target.absoluteDir().exists())
        return fail(error, QStringLiteral("folder does not exist"), pdfPath);
    if (target.isDir())
        return fail(error, QStringLiteral("a folder has that name"), pdfPath);

    // Written beside the target and renamed into place, so a document is
    // either complete or absent.
    QString temp;
    do {
        temp = target.absoluteFilePath() + QStringLiteral(".%1.part").arg(QRandomGenerator::global()->generate(), 8, 16,
                                                                             QLatin1Char('0'));
    } while (QFileInfo::exists(temp));

    bool ok = false;
    QString why;
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(temp);
        printer.setOutputFormat(QPrinter::PdfFormat); // the name's suffix is not ".pdf"
        printer.setDocName(target.completeBaseName());
        QPainter painter;
        if (!painter.begin(&printer)) {
            why = QStringLiteral("cannot open the document for writing");
        } else {
            const QRect viewport = painter.viewport();
            const double scale = pageScale(viewport.size(), image.size());
            painter.scale(scale, scale);
            if (scale < 1.0)
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(0, 0, image);
            ok = painter.end() && printer.printerState() != QPrinter::Error;
            if (!ok)
                why = QStringLiteral("writing the document failed");
        }
    }
    if (ok && !looksComplete(temp)) {
        ok = false;
        why = QStringLiteral("the document was cut short");
    }
    if (ok) {
        if (QFileInfo::exists(pdfPath))
            QFile::remove(pdfPath);
        ok = QFile::rename(temp, pdfPath);
        if (!ok)
            why = QStringLiteral("cannot rename the document into place");
    }
    if (!ok) {
        QFile::remove(temp);
        return fail(error, why, pdfPath);
    }
    return true;
}

namespace {

// Black-and-white pages stay sharp and small compressed losslessly.
bool isBilevel(const QImage &grey)
{
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            if (row[x] != 0 && row[x] != 255)
                return false;
    }
    return true;
}

bool addPage(RPdfDocument &doc, const QImage &source, const QSizeF &drawPt)
{
    QImage image = source;
    if (image.hasAlphaChannel()) {
        // Cut corners and card gaps are white on paper.
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        image = flat;
    }
    const bool grey = image.isGrayscale();
    image = image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (grey && isBilevel(image))
        return doc.addImagePage(image, drawPt);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG", 92))
        return doc.addImagePage(image, drawPt);
    return doc.addJpegPage(jpeg, image.width(), image.height(), grey ? 1 : 3, drawPt);
}

} // namespace

bool RPdfPage::append(const QImage &image, const QString &pdfPath, QString *error)
{
    const auto failed = [&](const QString &why) {
        qInfo().noquote() << "RPdfPage::append:" << pdfPath << why;
        if (error)
            *error = why;
        return false;
    };
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return failed(QStringLiteral("empty picture"));
    const QFileInfo target(pdfPath);
    if (pdfPath.isEmpty() || !target.absoluteDir().exists())
        return failed(QStringLiteral("folder does not exist"));
    if (target.isDir())
        return failed(QStringLiteral("a folder has that name"));

    // Portrait A4, scaled as the one-page documents are on the high-resolution printer.
    constexpr double kDpi = 1200.0;
    const QSizeF pagePt = QSizeF(210.0, 297.0) * (72.0 / 25.4);
    const QSize pageDots = (pagePt * (kDpi / 72.0)).toSize();
    const QSizeF drawPt = QSizeF(image.size()) * pageScale(pageDots, image.size()) * (72.0 / kDpi);

    QSaveFile out(pdfPath);
    if (!out.open(QIODevice::WriteOnly))
        return failed(out.errorString());
    RPdfDocument::Revision revision;
    if (target.exists()) {
        QFile old(pdfPath);
        if (!old.open(QIODevice::ReadOnly))
            return failed(old.errorString());
        if (!RPdfDocument::readRevision(&old, &revision))
            return failed(QStringLiteral("the document was not started by this program"));
        old.seek(0);
        QByteArray chunk;
        while (!(chunk = old.read(1 << 20)).isEmpty()) {
            if (out.write(chunk) != chunk.size())
                return failed(out.errorString());
        }
        if (old.error() != QFileDevice::NoError || old.pos() != revision.size)
            return failed(QStringLiteral("cannot read the document"));
    }
    std::unique_ptr<RPdfDocument> doc = revision.size > 0 ? std::make_unique<RPdfDocument>(&out, pagePt, revision)
                                                          : std::make_unique<RPdfDocument>(&out, pagePt);
    if (!addPage(*doc, image, drawPt) || !doc->finish())
        return failed(out.errorString().isEmpty() ? QStringLiteral("writing the document failed")
                                                        : out.errorString());
    if (!out.commit())
        return failed(out.errorString());
    qInfo().noquote() << "RPdfPage::append:" << pdfPath << "pages" << doc->pageCount();
    return true;
}
