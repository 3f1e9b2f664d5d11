#pragma once
// Drawing kinds shared by the freehand overlay, the annotation items and the scene.

#include <QMetaType>

enum CurStatus {
    CurPen = 1,
    CurRect = 2,
    CurTriangle = 3,
    CurEllipse = 4,
    CurStar = 5
};

Q_DECLARE_METATYPE(CurStatus)
