#pragma once
// Transparent overlay over the scene view that paints the stroke being written.
// The stroke is painted incrementally into an off-screen canvas so that each
// mouse move costs one short curve segment, however long the stroke gets.

#include "CurStatus.h"

#include <QColor>
#include <QImage>
#include <QMap>
#include <QPainterPath>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QVector>
#include <QWidget>

class QPainter;

class RDrawTempWidget : public QWidget
{
    Q_OBJECT
public:
    explicit RDrawTempWidget(QWidget *parent = nullptr);
    ~RDrawTempWidget() override;

    int penWidth() const { return m_iPenWidth; }
    QColor penColor() const { return m_colorPen; }
    // Kind drawn by the widget; the pen kind (1) unless set otherwise.
    CurStatus kind() const { return m_iType; }
    void setType(CurStatus kind);
    bool isDrawing() const { return m_bDrawing; }
    // Points of the stroke in progress, widget coordinates.
    QVector<QPoint> points() const { return m_listPoints; }
    QPointF startPoint() const { return m_ptStart; }
    QPointF endPoint() const { return m_ptEnd; }

signals:
    // Always sent with kind 1 (pen).
    void sTempPathPoints(QVector<QPoint> points, QPointF ptStart, QPointF ptEnd, CurStatus type);

public slots:
    void setPen(int wid, QColor color);
    void setPenWidth(int wid);
    void setPenColor(QColor color);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct StrokeRecord {
        QPainterPath path; // segment not yet painted
        QRectF rect;       // region to repaint
    };

    void ensureCanvas();
    void releaseCanvas();
    void paintPendingSegment(StrokeRecord *record);
    QPen canvasPen() const;

    bool m_bDrawing = false;
    int m_iPenWidth = 5;
    QColor m_colorPen = QColor(255, 0, 0, 255);
    QPointF m_ptStart;
    QPointF m_ptEnd;
    QVector<QPoint> m_listPoints;
    CurStatus m_iType = CurPen;
    QImage *m_imageCanvas = nullptr;
    QPainter *m_painterCanvas = nullptr;
    QMap<int, StrokeRecord *> m_mapStrokes;
    QRect m_rectStrokeDirty; // everything painted on the canvas for this stroke
};
