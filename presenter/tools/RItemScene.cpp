#include "RItemScene.h"

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
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, seq, path] {
        const QImage image = watcher->result();
        watcher->deleteLater();
        --m_iPending;
        qDebug() << "RItemScene::dropEvent: wid:" << image.width() << " hei:" << image.height();
        if (seq != m_uLoadSeq || image.width() <= 0 || image.height() <= 0)
            return;
        setPicture(image);
        emit sChangeName(path, image.width(), image.height());
    });
    watcher->setFuture(QtConcurrent::run([path] { return RPictureLoader::load(path); }));
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
