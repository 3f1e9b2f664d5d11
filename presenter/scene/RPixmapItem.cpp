#include "RPixmapItem.h"

#include <QDebug>

RPixmapItem::RPixmapItem(QGraphicsItem *parent)
    : QObject(nullptr)
    , QGraphicsPixmapItem(parent)
{
}

void RPixmapItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    if (m_bWaitEarse && isSelected()) {
        qDebug() << "RPixmapItem::paint isSelected";
        hide();
        emit hadEarse();
        return;
    }
    QGraphicsPixmapItem::paint(painter, option, widget);
}
