#pragma once
// Spotlight overlay: veils the camera picture except a rectangle dragged out
// between the press point and the current point.

#include <QPoint>
#include <QRect>
#include <QWidget>

class RVideoTracker : public QWidget
{
    Q_OBJECT
public:
    explicit RVideoTracker(QWidget *parent = nullptr);

    QPoint pressPoint() const { return m_ptPress; }
    QPoint currentPoint() const { return m_ptCurrent; }
    // The clear rectangle between the two points, normalised.
    QRect spotlightRect() const;
    bool isDragging() const { return m_bDragging; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QPoint clampedPosition(const QMouseEvent *event) const;

    QPoint m_ptPress;
    QPoint m_ptCurrent;
    QRect m_rect = QRect(QPoint(10, 10), QPoint(409, 309));
    bool m_bDragging = false;
};
