#include "RPicturePlacer.h"

#include "RPictureLoader.h"

#include <QDebug>
#include <QFutureWatcher>
#include <QTransform>
#include <QtConcurrent>

#include <exception>

RPicturePlacer::RPicturePlacer(const QSize &box, QObject *parent)
    : QObject(parent)
    , m_sizeBox(box)
{
    // The loader lets one large decode run at a time anyway.
    m_pool.setMaxThreadCount(2);
}

RPicturePlacer::~RPicturePlacer()
{
    for (Pending &pending : m_hashPending)
        pending.watcher->disconnect(this);
    m_pool.waitForDone();
    for (Pending &pending : m_hashPending)
        delete pending.watcher;
}

RPicturePlacer::Decoded RPicturePlacer::decode(const QString &path, const QSize &box, int angle)
{
    Decoded out;
    try {
        out.image = RPictureLoader::loadScaled(path, box, &out.reason);
        if (!out.image.isNull() && angle != 0)
            out.image = out.image.transformed(QTransform().rotate(-angle), Qt::SmoothTransformation);
    } catch (const std::exception &e) {
        out.image = QImage();
        out.reason = QString::fromLocal8Bit(e.what());
    } catch (...) {
        out.image = QImage();
        out.reason = QStringLiteral("unknown exception");
    }
    return out;
}

bool RPicturePlacer::request(const QString &path, int angle, bool hasDropPoint, const QPointF &dropPoint)
{
    if (m_hashPending.contains(path)) {
        qInfo().noquote() << "RPicturePlacer::request: still decoding" << path;
        return false;
    }
    Pending pending;
    pending.hasDropPoint = hasDropPoint;
    pending.dropPoint = dropPoint;
    pending.watcher = new QFutureWatcher<Decoded>;
    connect(pending.watcher, &QFutureWatcher<Decoded>::finished, this, [this, path] { finished(path); });
    m_hashPending.insert(path, pending);
    const QSize box = m_sizeBox;
    pending.watcher->setFuture(QtConcurrent::run(&m_pool, [path, box, angle] { return decode(path, box, angle); }));
    return true;
}

void RPicturePlacer::finished(const QString &path)
{
    const Pending pending = m_hashPending.take(path);
    if (!pending.watcher)
        return;
    const Decoded result = pending.watcher->result();
    pending.watcher->deleteLater();
    if (result.image.width() < 1 || result.image.height() < 1) {
        qInfo().noquote() << "RPicturePlacer::finished: not placed" << path << result.reason;
        emit sPictureFailed(path, result.reason);
        return;
    }
    emit sPictureReady(path, result.image, pending.hasDropPoint, pending.dropPoint);
}
