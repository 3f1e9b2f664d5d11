#pragma once

#include "UndoRecord.h"

#include <QList>
#include <QVector>

class QGraphicsItem;
class QGraphicsWidget;
class RPixmapItem;

// What erasing and clearing hid, newest last, so undo shows it again. Only
// annotations (graphics widgets) and placed pictures take part.
class RUndoLog
{
public:
    static bool isAnnotation(const QGraphicsItem *item);
    static bool isPicture(const QGraphicsItem *item);
    // Annotations and pictures still shown.
    static int visibleCount(const QList<QGraphicsItem *> &items);
    // Arms or disarms erasing on every annotation and picture, unselecting them.
    static void setWaitErase(const QList<QGraphicsItem *> &items, bool wait);

    // Notes an item that erasing has just hidden.
    void erased(QGraphicsWidget *annotation);
    void erased(RPixmapItem *picture);
    // Hides every shown annotation and picture, each noted for undo.
    void hideAll(const QList<QGraphicsItem *> &items);
    // Shows the newest hidden item again; nothing when the log is empty.
    void undo();

    const QVector<UndoRecord> &records() const { return m_records; }

private:
    QVector<UndoRecord> m_records;
};
