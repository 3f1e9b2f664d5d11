#include "RPdfPage.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QRandomGenerator>

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
