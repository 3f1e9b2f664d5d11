#pragma once
// Annotation item of the scene: a finished pen stroke (kind 1) or an outline
// shape (kinds 2..5). The scene's shape canvas is an RWidgetItem in drawing state.

#include "CurStatus.h"

#include <QColor>
#include <QGraphicsWidget>
#include <QPainterPath>
#include <QPointF>
#include <QSize>
#include <QSizeF>
#include <QVector>

class RWidgetItem : public QGraphicsWidget
{
    Q_OBJECT
public:
    // Where a stroke lands in the scene: its min corner, its extent and its
    // points relative to the min corner.
    struct StrokeGeometry {
        QPointF topLeft;
        QSizeF size = QSizeF(0, 0);
        QVector<QPointF> points;
    };

    explicit RWidgetItem(CurStatus kind, QGraphicsItem *parent = nullptr);
    ~RWidgetItem() override;

    void setDrawing(bool bDrawing);
    bool isDrawing() const { return m_bDrawing; }

    // Kind 1 empties the points; other kinds put both corners back to (0, 0).
    void setType(CurStatus kind);
    CurStatus kind() const { return m_iType; }

    void setPen(int wid, QColor color);
    void setPenWidth(int wid);
    void setPenColor(QColor color);
    int penWidth() const { return m_iPenWidth; }
    QColor penColor() const { return m_colorPen; }

    void setPoints(const QVector<QPointF> &points);
    QVector<QPointF> points() const { return m_listPoints; }

    void setItemSize(QSize size) { m_sizeItem = size; }
    QSize itemSize() const { return m_sizeItem; }

    // Shape corners in item coordinates.
    void setStartPoint(QPointF pt);
    void setEndPoint(QPointF pt);
    void setCorners(QPointF start, QPointF end);
    QPointF startPoint() const { return m_ptStart; }
    QPointF endPoint() const { return m_ptEnd; }

    void setWaitEarse(bool bWait) { m_bWaitEarse = bWait; }
    bool isWaitEarse() const { return m_bWaitEarse; }

    // Normalised extent of the size, the corners and the ink, plus half the
    // pen width and a pixel, so hit-testing and repaints cover the whole ink.
    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget = nullptr) override;

    // Outline of a shape kind between two corners, in the coordinates of the
    // corners; empty for the pen kind or when the corners coincide.
    static QPainterPath shapePath(CurStatus kind, QPointF start, QPointF end);
    // Draws the outline of a shape kind the way the item paints it.
    static void drawShape(QPainter *painter, CurStatus kind, QPointF start, QPointF end, int penWidth, QColor penColor);
    // Smoothed pen path through the points; empty with fewer than 3 points.
    static QPainterPath penPath(const QVector<QPointF> &points);
    // Geometry of a stroke from scene points; one point or none gives all zero.
    static StrokeGeometry strokeGeometry(const QVector<QPointF> &scenePoints);

    // Erase readiness, written by the scene in erase mode.
    bool m_bWaitEarse = false;

signals:
    void drawdone();
    void hadEarse();

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    bool isShapeCanvasActive() const;
    QRectF inkRect() const;

    int m_iPenWidth = 3;
    QColor m_colorPen = QColor(255, 0, 0, 255);
    QSize m_sizeItem = QSize(-1, -1);
    CurStatus m_iType;
    bool m_bDrawing = false;
    QPointF m_ptStart;
    QPointF m_ptEnd;
    QVector<QPointF> m_listPoints;
    QRectF m_rectPoints; // extent of m_listPoints, kept for boundingRect()
};
