#pragma once

class QGraphicsWidget;
class RPixmapItem;

// One erased or cleared item. The item stays in the scene, hidden, so undo
// only has to show it again.
struct UndoRecord
{
    enum Kind { Annotation = 0, Picture = 1 };
    int iType = Annotation;
    QGraphicsWidget *itemWidget = nullptr;
    RPixmapItem *itemPixmap = nullptr;
};
