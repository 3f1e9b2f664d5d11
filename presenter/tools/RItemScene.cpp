#include "RItemScene.h"

#include "RDragScene.h"
#include "RPictureLoader.h"

#include <QDebug>
#include <QFutureWatcher>
#include <QGraphicsPixmapItem>
#include <QGraphicsSceneDragDropEvent>
#include <QMimeData>
#include <QPixmap>
#include <QtConcurrent>

RItemScene::RItemScene(QObject *parent)
    : QGraphicsScene(parent)
{
}

RItemScene::Decoded RItemScene::decode(const QString &path)
{
    Decoded out;
    out.image = RPictureLoader::loadScaled(path, QSize(RDragScene::kMaxPlacedSide, RDragScene::kMaxPlacedSide),
                                           &out.reason);
    return out;
}

void RItemScene::setPicture(const QImage &image)
{
    clear();
    auto *item = addPixmap(QPixmap::fromImage(image));
    item->setPos(-(image.width() / 2), -(image.height() / 2));
    // The scene's own rectangle only ever grows; a smaller picture must not
    // inherit the larger one's.
    setSceneRect(item->sceneBoundingRect());
}

void RItemScene::loadPicture(const QString &path)
{
    const quint64 seq = ++m_uLoadSeq;
    ++m_iPending;
    auto *watcher = new QFutureWatcher<Decoded>(this);
    connect(watcher, &QFutureWatcher<Decoded>::finished, this, [this, watcher, seq, path] {
        const Decoded result = watcher->result();
        watcher->deleteLater();
        --m_iPending;
        if (seq != m_uLoadSeq)
            return;
        if (result.image.width() <= 0 || result.image.height() <= 0) {
            emit sPictureFailed(path, result.reason);
            return;
        }
        setPicture(result.image);
        emit sChangeName(path, result.image.width(), result.image.height());
    });
    watcher->setFuture(QtConcurrent::run([path] { return decode(path); }));
}

void RItemScene::dragEnterEvent(QGraphicsSceneDragDropEvent *event)
{
    if (event->mimeData()->hasFormat(QStringLiteral("text/plain")))
        event->acceptProposedAction();
    else
        event->ignore();
}

void RItemScene::dragMoveEvent(QGraphicsSceneDragDropEvent *event)
{
    event->accept();
}

void RItemScene::dropEvent(QGraphicsSceneDragDropEvent *event)
{
    if (!event->mimeData()->hasFormat(QStringLiteral("text/plain")))
        return;
    QString path = event->mimeData()->text().trimmed();
    // Other programs drop file URLs as text.
    if (path.startsWith(QLatin1String("file://")))
        path = QUrl(path).toLocalFile();
    qInfo().noquote() << "RItemScene::dropEvent: text:" << path;
    loadPicture(path);
    event->acceptProposedAction();
}
