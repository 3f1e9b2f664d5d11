#include "RScenePictures.h"

#include "RDragScene.h"
#include "RPicturePlacer.h"
#include "RPixmapItem.h"

#include <QMimeData>
#include <QUrl>

RScenePictures::RScenePictures(RDragScene *scene)
    : QObject(scene)
    , m_scene(scene)
    , m_placer(new RPicturePlacer(QSize(RDragScene::kMaxPlacedSide, RDragScene::kMaxPlacedSide), this))
{
    connect(m_placer, &RPicturePlacer::sPictureReady, this, &RScenePictures::add);
    connect(m_placer, &RPicturePlacer::sPictureFailed, this, &RScenePictures::sPictureFailed);
}

void RScenePictures::place(const QString &path, const QPointF *dropPoint)
{
    if (m_listImagePath.contains(path))
        return;
    // A picture erased earlier is still in the scene, hidden: show it again
    // instead of loading a second copy.
    const auto all = m_scene->items();
    for (QGraphicsItem *existing : all) {
        auto *pix = dynamic_cast<RPixmapItem *>(existing);
        if (pix && !pix->isVisible() && pix->data(0).toString() == path) {
            pix->setSelected(false);
            pix->show();
            if (dropPoint)
                pix->setPos(*dropPoint - QPointF(pix->pixmap().width() / 4, pix->pixmap().height() / 4));
            m_listImagePath.append(path);
            return;
        }
    }
    // Decoded on a worker, no larger than a camera picture needs: a large
    // file must not freeze the live picture.
    m_placer->request(path, m_scene->rotateAngle(), dropPoint != nullptr, dropPoint ? *dropPoint : QPointF());
}

void RScenePictures::add(const QString &path, const QImage &image, bool hasDropPoint, const QPointF &dropPoint)
{
    // Placed meanwhile by bringing back an erased copy.
    if (m_listImagePath.contains(path))
        return;
    auto *item = new RPixmapItem();
    item->setData(0, path);
    item->setPixmap(QPixmap::fromImage(image));
    m_scene->addItem(item);
    const QPointF quarter(image.width() / 4, image.height() / 4);
    item->setPos(hasDropPoint ? dropPoint - quarter : -quarter);
    item->setFlag(QGraphicsItem::ItemIsMovable);
    item->setFlag(QGraphicsItem::ItemIsSelectable);
    m_listImagePath.append(path);
    connect(item, &RPixmapItem::hadEarse, m_scene, &RDragScene::pixItemEarse);
}

int RScenePictures::decoding() const
{
    return m_placer->pendingCount();
}

QString RScenePictures::droppedPath(const QMimeData *mime)
{
    QString path = mime->hasUrls() && mime->urls().value(0).isLocalFile() ? mime->urls().value(0).toLocalFile()
                                                                          : mime->text().trimmed();
    if (path.startsWith("file://"))
        path = QUrl(path).toLocalFile();
    return path;
}
