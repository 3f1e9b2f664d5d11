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
    QThread thread;
    QObject *worker = nullptr; // lives in `thread`
    int nextId = 0;
    int pending = 0;
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
    d->thread.setObjectName(QStringLiteral("RImageSaver"));
    d->worker = new QObject;
    d->worker->moveToThread(&d->thread);
    connect(&d->thread, &QThread::finished, d->worker, &QObject::deleteLater);
    d->thread.start(QThread::LowPriority);
}

RImageSaver::~RImageSaver()
{
    // Queued behind every job, so they are all written before the thread ends.
    QThread *thread = &d->thread;
    QMetaObject::invokeMethod(d->worker, [thread] { thread->quit(); }, Qt::QueuedConnection);
    d->thread.wait();
    delete d;
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
    QPointer<RImageSaver> self(this);
    // Jobs run in posting order on the one worker thread; their results are
    // posted back in the same order.
    QMetaObject::invokeMethod(
        d->worker,
        [self, kind, image, path, key, id, receiver = static_cast<QObject *>(this)] {
            QString error;
            bool ok = false;
            try {
                ok = kind == Kind::Pdf ? RPdfPage::write(image, path, &error) : writeImage(image, path, &error);
            } catch (const std::exception &e) {
                error = QString::fromLocal8Bit(e.what());
            } catch (...) {
                error = QStringLiteral("unknown failure");
            }
            removePending(key);
            qInfo().noquote() << (kind == Kind::Pdf ? "RImageSaver::savePdf:" : "RImageSaver::saveImage:") << path
                              << "bOK:" << (ok ? "true" : "false") << error;
            QMetaObject::invokeMethod(
                receiver,
                [self, id, path, ok] {
                    if (!self)
                        return;
                    --self->d->pending;
                    emit self->finished(id, path, ok);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
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
