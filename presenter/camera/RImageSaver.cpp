#include "RImageSaver.h"

#include "RFileNaming.h"
#include "RJpegWriter.h"
#include "RPdfPage.h"
#include "RSaveNotice.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QImageWriter>
#include <QMutex>
#include <QPointer>
#include <QSaveFile>
#include <QPainter>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <QThread>
#include <QWaitCondition>

#include <cerrno>
#include <cstring>
#include <deque>

namespace {

QMutex g_pendingLock;
QHash<QString, int> g_pendingPaths; // several jobs may name one path

QString pendingKey(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void addPending(const QString &key)
{
    QMutexLocker lock(&g_pendingLock);
    ++g_pendingPaths[key];
}

void removePending(const QString &key)
{
    QMutexLocker lock(&g_pendingLock);
    auto it = g_pendingPaths.find(key);
    if (it != g_pendingPaths.end() && --it.value() <= 0)
        g_pendingPaths.erase(it);
}

} // namespace

struct RImageSaver::Private
{
    struct Job
    {
        Kind kind;
        QImage image;
        QString path;
        QString key;
        int id;
        Prepare prepare;
    };
    // A queue of our own rather than posted events: posted events are dropped
    // when the thread or the application goes, and a queued picture must not be.
    QMutex lock;
    QWaitCondition wake;
    std::deque<Job> jobs;
    bool stopping = false;
    QThread *thread = nullptr;
    int nextId = 0;
    int pending = 0; // GUI-thread count of jobs whose `finished` is still to come
    // Lesson documents another program replaced, and where their pages go
    // instead; the worker's alone.
    QHash<QString, QString> moved;
};

namespace {

// A page for a lesson document that another program replaced goes to a new
// document beside it, and so do the lesson's later pages.
bool appendPage(const QImage &image, QString *path, QHash<QString, QString> *moved, QString *error)
{
    const QString requested = *path;
    *path = moved->value(requested, requested);
    if (RPdfPage::append(image, *path, error))
        return true;
    if (*error != RPdfPage::notOurs())
        return false;
    const QFileInfo fi(*path);
    *path = RFileNaming::uniqueFileName(fi.absolutePath(), fi.completeBaseName(), QStringLiteral("pdf"));
    moved->insert(requested, *path);
    qInfo().noquote() << "RImageSaver::appendPdf:" << requested << "replaced by another program, pages go to" << *path;
    return RPdfPage::append(image, *path, error);
}

} // namespace

RImageSaver *RImageSaver::instance()
{
    static QPointer<RImageSaver> saver;
    if (!saver) {
        QCoreApplication *app = QCoreApplication::instance();
        if (app && QThread::currentThread() == app->thread()) {
            saver = new RImageSaver(app); // written out when the application object goes
        } else {
            saver = new RImageSaver;
            if (app)
                saver->moveToThread(app->thread());
        }
    }
    return saver;
}

RImageSaver::RImageSaver(QObject *parent)
    : QObject(parent)
    , d(new Private)
{
    QPointer<RImageSaver> self(this);
    Private *p = d;
    d->thread = QThread::create([p, self] { run(p, self); });
    d->thread->setObjectName(QStringLiteral("RImageSaver"));
    d->thread->start(QThread::LowPriority);
}

RImageSaver::~RImageSaver()
{
    {
        QMutexLocker lock(&d->lock);
        d->stopping = true;
    }
    d->wake.wakeAll();
    d->thread->wait(); // the worker empties the queue first
    delete d->thread;
    delete d;
}

void RImageSaver::run(Private *p, QPointer<RImageSaver> self)
{
    for (;;) {
        Private::Job job;
        {
            QMutexLocker lock(&p->lock);
            while (p->jobs.empty() && !p->stopping)
                p->wake.wait(&p->lock);
            if (p->jobs.empty())
                return;
            job = std::move(p->jobs.front());
            p->jobs.pop_front();
        }
        QString error;
        bool ok = false;
        bool nothing = false;
        try {
            if (job.prepare)
                job.image = job.prepare(job.image);
            nothing = job.prepare && job.image.isNull();
            if (!nothing)
                ok = job.kind == Kind::Pdf         ? RPdfPage::write(job.image, job.path, &error)
                    : job.kind == Kind::PdfAppend ? appendPage(job.image, &job.path, &p->moved, &error)
                                                  : writeImage(job.image, job.path, &error);
        } catch (const std::exception &e) {
            error = QString::fromLocal8Bit(e.what());
        } catch (...) {
            error = RSaveNotice::writeFailed();
        }
        if (!ok && !nothing && (error.isEmpty() || error == RSaveNotice::writeFailed())) {
            // A write that did not say why: the folder usually does.
            const QString problem = folderProblem(QFileInfo(job.path).absolutePath());
            if (!problem.isEmpty())
                error = problem;
        }
        // An empty reason is kept for "nothing to save".
        if (!ok && !nothing && error.isEmpty())
            error = RSaveNotice::writeFailed();
        job.image = QImage();
        job.prepare = nullptr;
        removePending(job.key);
        qInfo().noquote() << (job.kind == Kind::Image ? "RImageSaver::saveImage:" : "RImageSaver::savePdf:") << job.path
                          << "bOK:" << (ok ? "true" : "false") << (nothing ? QStringLiteral("nothing to save") : error);
        // Posted in job order, so `finished` keeps the request order.
        const int id = job.id;
        const QString path = job.path;
        QMetaObject::invokeMethod(
            self.data(),
            [self, id, path, ok, error] {
                if (!self)
                    return;
                --self->d->pending;
                emit self->finished(id, path, ok, ok ? QString() : error);
            },
            Qt::QueuedConnection);
    }
}

bool RImageSaver::isPending(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QString key = pendingKey(path);
    QMutexLocker lock(&g_pendingLock);
    return g_pendingPaths.contains(key);
}

bool RImageSaver::writeImage(const QImage &image, const QString &path, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return fail(RSaveNotice::emptyPictureReason());
    const QFileInfo info(path);
    if (path.isEmpty())
        return fail(QString::fromLocal8Bit(std::strerror(ENOENT)));
    if (info.isDir())
        return fail(QString::fromLocal8Bit(std::strerror(EISDIR)));
    // A pipe or a device is never replaced by a picture.
    if (info.exists() && !info.isFile())
        return fail(QString::fromLocal8Bit(std::strerror(EEXIST)));
    const QByteArray format = info.suffix().toLower().toLatin1();
    // Asked once: the list walks every image plugin.
    static const QList<QByteArray> writable = QImageWriter::supportedImageFormats();
    if (format.isEmpty() || !writable.contains(format))
        return fail(RSaveNotice::unknownFormat());

    // QSaveFile writes a temporary file, syncs it and renames it over the
    // target only when everything was written. The picture is encoded
    // straight into it: no copy of the encoded bytes in memory first.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const QString problem = folderProblem(info.absolutePath());
        return fail(problem.isEmpty() ? file.errorString() : problem);
    }
    const QImage flat = flattenForFormat(image, format);
    QString why;
    bool written;
    if ((format == "jpg" || format == "jpeg") && RJpegWriter::canWrite(flat)) {
        written = RJpegWriter::write(flat, &file, &why);
    } else {
        QImageWriter writer(&file, format);
        written = writer.write(flat);
        why = writer.errorString();
    }
    if (written && !file.flush())
        written = false;
    if (!written) {
        // The file's own reason (disk full, read-only) rather than the
        // encoder's "Unknown error"; taken before cancelling forgets it. A
        // short write carries none: writing the rest again fails with it.
        if (file.error() != QFileDevice::NoError)
            file.flush();
        if (file.error() != QFileDevice::NoError)
            why = file.errorString();
        file.cancelWriting();
        file.commit();
        return fail(why);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

QImage RImageSaver::flattenForFormat(const QImage &image, const QByteArray &format)
{
    static const QList<QByteArray> opaque = {"jpg", "jpeg", "bmp", "ppm", "pgm", "pbm"};
    if (!image.hasAlphaChannel() || !opaque.contains(format.toLower()))
        return image;
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(0, 0, image);
    painter.end();
    return out;
}

QString RImageSaver::folderProblem(const QString &folder)
{
    const QFileInfo info(folder);
    if (folder.isEmpty())
        return QString::fromLocal8Bit(std::strerror(ENOENT));
    if (!info.exists()) {
        // As mkdir would say: a file on the way is "not a directory".
        QFileInfo up(info.absolutePath());
        while (!up.exists() && !up.isRoot())
            up = QFileInfo(up.absolutePath());
        return QString::fromLocal8Bit(std::strerror(up.exists() && !up.isDir() ? ENOTDIR : ENOENT));
    }
    if (!info.isDir())
        return QString::fromLocal8Bit(std::strerror(ENOTDIR));
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".probe-XXXXXX")));
    if (!probe.open())
        return probe.errorString();
    probe.close();
    // Opening works on a full disk; the free space tells.
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.bytesAvailable() < 64 * 1024)
        return QString::fromLocal8Bit(std::strerror(ENOSPC));
    return QString();
}

int RImageSaver::saveImage(const QImage &image, const QString &path, Prepare prepare)
{
    return enqueue(Kind::Image, image, path, std::move(prepare));
}

int RImageSaver::savePdf(const QImage &image, const QString &pdfPath, Prepare prepare)
{
    return enqueue(Kind::Pdf, image, pdfPath, std::move(prepare));
}

int RImageSaver::appendPdf(const QImage &image, const QString &pdfPath, Prepare prepare)
{
    return enqueue(Kind::PdfAppend, image, pdfPath, std::move(prepare));
}

int RImageSaver::enqueue(Kind kind, const QImage &image, const QString &path, Prepare prepare)
{
    const int id = ++d->nextId;
    ++d->pending;
    const QString key = pendingKey(path);
    addPending(key);
    {
        QMutexLocker lock(&d->lock);
        d->jobs.push_back(Private::Job{kind, image, path, key, id, std::move(prepare)});
    }
    d->wake.wakeOne();
    return id;
}

int RImageSaver::pendingCount() const
{
    return d->pending;
}

bool RImageSaver::waitForIdle(int msecs)
{
    QElapsedTimer timer;
    timer.start();
    while (d->pending > 0) {
        if (timer.elapsed() >= msecs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (d->pending > 0)
            QThread::msleep(1);
    }
    return true;
}
