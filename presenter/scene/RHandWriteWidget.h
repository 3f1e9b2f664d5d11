#pragma once
// Hand-writing item of the compare panes: plain polylines over a pane's picture.

#include <QColor>
#include <QGraphicsWidget>
#include <QPointF>
#include <QVector>

class RHandWriteWidget : public QGraphicsWidget
{
    Q_OBJECT
public:
    explicit RHandWriteWidget(QGraphicsItem *parent = nullptr);

    void setDrawing(bool bDrawing);
    bool isDrawing() const { return m_bDrawing; }

    void setPen(int wid, QColor color);
    void setPenWidth(int wid);
    void setPenColor(QColor color);
    int penWidth() const { return m_iPenWidth; }
    QColor penColor() const { return m_colorPen; }

    // Points of the latest stroke, item coordinates.
    QVector<QPointF> points() const { return m_listPoints; }
    // Every stroke written on this item, the latest last.
    QVector<QVector<QPointF>> strokes() const;

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget = nullptr) override;

signals:
    // A stroke was finished.
    void drawdone();

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    void appendPoint(QPointF pt);

    bool m_bDrawing = false;
    int m_iPenWidth = 6;
    QColor m_colorPen = QColor(255, 0, 0, 255);
    QVector<QPointF> m_listPoints;
    QVector<QVector<QPointF>> m_listDone; // earlier strokes
    QRectF m_rectInk;                     // extent of all points
};
