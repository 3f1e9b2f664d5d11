#include "RImageSaver.h"

#include "RPdfPage.h"

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
#include <QThread>
#include <QWaitCondition>

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
};

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
        try {
            ok = job.kind == Kind::Pdf ? RPdfPage::write(job.image, job.path, &error)
                                       : writeImage(job.image, job.path, &error);
        } catch (const std::exception &e) {
            error = QString::fromLocal8Bit(e.what());
        } catch (...) {
            error = QStringLiteral("unknown failure");
        }
        job.image = QImage();
        removePending(job.key);
        qInfo().noquote() << (job.kind == Kind::Pdf ? "RImageSaver::savePdf:" : "RImageSaver::saveImage:") << job.path
                          << "bOK:" << (ok ? "true" : "false") << error;
        // Posted in job order, so `finished` keeps the request order.
        const int id = job.id;
        const QString path = job.path;
        QMetaObject::invokeMethod(
            self.data(),
            [self, id, path, ok] {
                if (!self)
                    return;
                --self->d->pending;
                emit self->finished(id, path, ok);
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
        return fail(QStringLiteral("empty picture"));
    const QFileInfo info(path);
    if (path.isEmpty() || !info.absoluteDir().exists())
        return fail(QStringLiteral("folder does not exist"));
    const QByteArray format = info.suffix().toLower().toLatin1();
    if (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format))
        return fail(QStringLiteral("unknown picture format"));

    // QSaveFile writes a temporary file and renames it over the target only
    // when everything was written.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    QImageWriter writer(&file, format);
    if (!writer.write(image)) {
        file.cancelWriting();
        file.commit();
        return fail(writer.errorString());
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

int RImageSaver::saveImage(const QImage &image, const QString &path)
{
    return enqueue(Kind::Image, image, path);
}

int RImageSaver::savePdf(const QImage &image, const QString &pdfPath)
{
    return enqueue(Kind::Pdf, image, pdfPath);
}

int RImageSaver::enqueue(Kind kind, const QImage &image, const QString &path)
{
    const int id = ++d->nextId;
    ++d->pending;
    const QString key = pendingKey(path);
    addPending(key);
    {
        QMutexLocker lock(&d->lock);
        d->jobs.push_back(Private::Job{kind, image, path, key, id});
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
