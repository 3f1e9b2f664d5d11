#include "RUndoLog.h"

#include "RPixmapItem.h"
#include "RWidgetItem.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsWidget>

bool RUndoLog::isAnnotation(const QGraphicsItem *item)
{
    return item->type() == QGraphicsWidget::Type;
}

bool RUndoLog::isPicture(const QGraphicsItem *item)
{
    return item->type() == QGraphicsPixmapItem::Type;
}

int RUndoLog::visibleCount(const QList<QGraphicsItem *> &items)
{
    int count = 0;
    for (QGraphicsItem *item : items) {
        if (item->isVisible() && (isAnnotation(item) || isPicture(item)))
            ++count;
    }
    return count;
}

void RUndoLog::setWaitErase(const QList<QGraphicsItem *> &items, bool wait)
{
    for (QGraphicsItem *item : items) {
        if (isAnnotation(item)) {
            item->setSelected(false);
            if (auto *w = dynamic_cast<RWidgetItem *>(item))
                w->m_bWaitEarse = wait;
        } else if (isPicture(item)) {
            item->setSelected(false);
            if (auto *pix = dynamic_cast<RPixmapItem *>(item))
                pix->m_bWaitEarse = wait;
        }
    }
}

void RUndoLog::erased(QGraphicsWidget *annotation)
{
    UndoRecord record;
    record.iType = UndoRecord::Annotation;
    record.itemWidget = annotation;
    m_records.append(record);
}

void RUndoLog::erased(RPixmapItem *picture)
{
    UndoRecord record;
    record.iType = UndoRecord::Picture;
    record.itemPixmap = picture;
    m_records.append(record);
}

void RUndoLog::hideAll(const QList<QGraphicsItem *> &items)
{
    for (QGraphicsItem *item : items) {
        if (!item->isVisible())
            continue;
        if (isAnnotation(item)) {
            item->hide();
            erased(static_cast<QGraphicsWidget *>(item));
        } else if (isPicture(item)) {
            auto *pix = dynamic_cast<RPixmapItem *>(item);
            if (!pix)
                continue;
            item->hide();
            erased(pix);
        }
    }
}

void RUndoLog::undo()
{
    if (m_records.isEmpty())
        return;
    const UndoRecord record = m_records.takeLast();
    if (record.iType == UndoRecord::Annotation && record.itemWidget) {
        if (!record.itemWidget->isVisible())
            record.itemWidget->show();
    } else if (record.iType == UndoRecord::Picture && record.itemPixmap) {
        if (!record.itemPixmap->isVisible())
            record.itemPixmap->show();
    }
}
