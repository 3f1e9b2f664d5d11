#include "RPdfPage.h"

#include "RPartFile.h"
#include "RPdfDocument.h"
#include "RPlatform.h"
#include "RSaveNotice.h"

#include <QBuffer>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>

#include <cerrno>
#include <cstring>

namespace {

constexpr double kDpi = 1200.0;
constexpr double kMarginPt = 10.0;
constexpr char kJournalHead[] = "visora-pdf-journal 1";
// Bytes before the cut the journal remembers, to know the file is still ours.
constexpr int kTailBytes = 64;

bool fail(QString *error, const char *where, const QString &path, const QString &why)
{
    qInfo().noquote() << where << path << why;
    if (error)
        *error = why;
    return false;
}

QString systemReason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Why `path` cannot take a document, empty when it can.
QString targetProblem(const QString &path)
{
    const QFileInfo target(path);
    if (path.isEmpty())
        return systemReason(ENOENT);
    if (!target.absoluteDir().exists()) {
        // As the system would say: a file on the way is "not a directory".
        QFileInfo up(target.absolutePath());
        while (!up.exists() && !up.isRoot())
            up = QFileInfo(up.absolutePath());
        return systemReason(up.exists() && !up.isDir() ? ENOTDIR : ENOENT);
    }
    if (target.isDir())
        return systemReason(EISDIR);
    if (target.exists() && !target.isFile())
        return systemReason(EEXIST);
    return QString();
}

QString journalPath(const QString &pdfPath)
{
    const QFileInfo fi(pdfPath);
    return fi.absoluteDir().filePath(QLatin1Char('.') + fi.fileName() + QStringLiteral(".journal"));
}

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

bool addPage(RPdfDocument &doc, const QImage &source)
{
    const QSizeF drawPt = RPdfPage::pictureRectPt(source.size()).size();
    doc.setOrigin(RPdfPage::pictureRectPt(source.size()).topLeft());
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

// The file's reason for a failed write. A short write (the disk filled
// part-way) carries none: writing on fails with it. The bytes are cut off
// or thrown away afterwards.
QString deviceReason(QFileDevice &device)
{
    if (device.isWritable()) {
        if (device.error() == QFileDevice::NoError)
            device.write(" ", 1);
        // A flush cut short says nothing either; the rest of it does.
        if (!device.flush())
            device.flush();
    }
    return device.error() != QFileDevice::NoError ? device.errorString() : RSaveNotice::writeFailed();
}

QByteArray readTail(QFile &file, qint64 end)
{
    const qint64 from = qMax<qint64>(0, end - kTailBytes);
    if (!file.seek(from))
        return QByteArray();
    return file.read(end - from);
}

bool writeJournal(const QString &path, qint64 size, const QByteArray &tail, QString *why)
{
    QFile journal(path);
    if (!journal.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *why = journal.errorString();
        return false;
    }
    const QByteArray text = QByteArray(kJournalHead) + '\n' + QByteArray::number(size) + '\n' + tail.toHex() + '\n';
    if (journal.write(text) != text.size() || !RPlatform::syncFile(journal)) {
        *why = deviceReason(journal);
        journal.remove();
        return false;
    }
    RPlatform::syncFolder(QFileInfo(path).absolutePath());
    return true;
}

} // namespace

QString RPdfPage::notOurs()
{
    return RSaveNotice::notOurs();
}

QSizeF RPdfPage::pageSizePt()
{
    return QPageSize(QPageSize::A4).size(QPageSize::Point);
}

QRectF RPdfPage::pictureRectPt(const QSize &picture)
{
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(kMarginPt, kMarginPt, kMarginPt, kMarginPt), QPageLayout::Point);
    const QSize viewport = layout.paintRectPixels(int(kDpi)).size();
    const double scale = pageScale(viewport, picture);
    return QRectF(QPointF(kMarginPt, kMarginPt), QSizeF(picture) * scale * (72.0 / kDpi));
}

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
    const char *where = "RPdfPage::write:";
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return fail(error, where, pdfPath, RSaveNotice::emptyPictureReason());
    const QString problem = targetProblem(pdfPath);
    if (!problem.isEmpty())
        return fail(error, where, pdfPath, problem);
    RPartFile part(pdfPath);
    if (!part.open())
        return fail(error, where, pdfPath, part.errorString());
    RPdfDocument doc(part.device(), pageSizePt());
    if (!addPage(doc, image) || !doc.finish())
        return fail(error, where, pdfPath, deviceReason(*part.device()));
    if (!part.commit())
        return fail(error, where, pdfPath, part.errorString());
    return true;
}

bool RPdfPage::append(const QImage &image, const QString &pdfPath, QString *error)
{
    const char *where = "RPdfPage::append:";
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return fail(error, where, pdfPath, RSaveNotice::emptyPictureReason());
    const QString problem = targetProblem(pdfPath);
    if (!problem.isEmpty())
        return fail(error, where, pdfPath, problem);
    recover(pdfPath);
    if (!QFileInfo::exists(pdfPath))
        return write(image, pdfPath, error);

    QFile file(pdfPath);
    // Unbuffered: nothing may wait in memory to be written after the cut.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return fail(error, where, pdfPath, file.errorString());
    RPdfDocument::Revision revision;
    if (!RPdfDocument::readRevision(&file, &revision))
        return fail(error, where, pdfPath, notOurs());
    const QString journal = journalPath(pdfPath);
    QString why;
    if (!writeJournal(journal, revision.size, readTail(file, revision.size), &why))
        return fail(error, where, pdfPath, why);
    bool ok = file.seek(revision.size);
    int pages = 0;
    if (ok) {
        RPdfDocument doc(&file, pageSizePt(), revision);
        ok = addPage(doc, image) && doc.finish() && RPlatform::syncFile(file);
        pages = doc.pageCount();
    }
    if (!ok) {
        why = deviceReason(file);
        // The previous version is whole again before anyone reads the file.
        if (file.resize(revision.size) && RPlatform::syncFile(file))
            QFile::remove(journal);
        return fail(error, where, pdfPath, why);
    }
    file.close();
    QFile::remove(journal);
    qInfo().noquote() << where << pdfPath << "pages" << pages;
    return true;
}

bool RPdfPage::recover(const QString &pdfPath)
{
    const QString journalFile = journalPath(pdfPath);
    QFile journal(journalFile);
    if (!journal.open(QIODevice::ReadOnly))
        return !journal.exists();
    const QList<QByteArray> lines = journal.read(4096).split('\n');
    journal.close();
    bool ok = false;
    const qint64 size = lines.value(1).toLongLong(&ok);
    const QByteArray tail = QByteArray::fromHex(lines.value(2));
    // A journal cut short was written before the document was touched.
    if (lines.value(0) != kJournalHead || !ok || size <= 0 || lines.size() < 4) {
        QFile::remove(journalFile);
        return true;
    }
    QFile file(pdfPath);
    if (!file.open(QIODevice::ReadWrite))
        return !file.exists() && QFile::remove(journalFile);
    bool repaired = true;
    if (file.size() > size && readTail(file, size) == tail) {
        // The page may have been complete when the program stopped; keep it then.
        RPdfDocument::Revision now;
        const bool whole = RPdfDocument::readRevision(&file, &now) && now.size == file.size() && now.xrefOffset > size;
        if (!whole) {
            repaired = file.resize(size) && RPlatform::syncFile(file);
            qInfo().noquote() << "RPdfPage::recover:" << pdfPath << "cut back to" << size << repaired;
        }
    }
    // A shorter or different file is not the one the journal speaks of.
    file.close();
    return repaired && QFile::remove(journalFile);
}

int RPdfPage::cleanFolder(const QString &folder)
{
    if (folder.isEmpty())
        return 0;
    int count = 0;
    const QDir dir(folder);
    const QStringList journals = dir.entryList({QStringLiteral(".*.journal")}, QDir::Files | QDir::Hidden);
    for (const QString &name : journals) {
        const QString document = dir.filePath(name.mid(1, name.size() - 1 - int(qstrlen(".journal"))));
        if (recover(document))
            ++count;
    }
    return count + RPartFile::removeStale(folder);
}
