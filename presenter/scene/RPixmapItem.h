#pragma once

#include <QGraphicsPixmapItem>
#include <QObject>

// A picture placed on the scene. In erase mode a selected picture hides
// itself the next time it is painted and reports it, so the scene can
// record the erasure for undo.
class RPixmapItem : public QObject, public QGraphicsPixmapItem
{
    Q_OBJECT
public:
    explicit RPixmapItem(QGraphicsItem *parent = nullptr);

    bool m_bWaitEarse = false;

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

signals:
    void hadEarse();
};
