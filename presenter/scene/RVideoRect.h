#pragma once
// Document frame overlay: the four corners found by the camera's detection,
// in camera picture pixels.

#include <QList>
#include <QPoint>
#include <QWidget>

class RVideoRect : public QWidget
{
    Q_OBJECT
public:
    explicit RVideoRect(QWidget *parent = nullptr);

    // Takes the first four points; a list of fewer keeps the previous corners.
    void setPoints(const QList<QPoint> &points);
    // The four corners, or none while no document was detected yet.
    QList<QPoint> points() const;
    void clearPoints();
    bool hasPoints() const { return m_bHasPoints; }
    // Frame line width for the widget's current width.
    int lineWidth() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_bHasPoints = false;
    QPoint m_pt1;
    QPoint m_pt2;
    QPoint m_pt3;
    QPoint m_pt4;
};
