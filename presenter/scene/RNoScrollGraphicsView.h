#pragma once

#include <QGraphicsView>

class QTouchEvent;

// The view of the presentation scene: the wheel never scrolls it, and a
// two-finger pinch zooms it, committed when a finger is lifted.
class RNoScrollGraphicsView : public QGraphicsView
{
    Q_OBJECT
public:
    explicit RNoScrollGraphicsView(QWidget *parent = nullptr);

    static constexpr double kMinFactor = 0.25;
    static constexpr double kMaxFactor = 5.0;

    // Zoom value for a scale factor: 250 at 1.0, +50 per doubling.
    static int zoomValueForFactor(double factor);
    static double clampFactor(double factor);

    double totalFactor() const { return m_dTotalFactor; }
    int zoomValue() const { return m_iZoomValue; }
    void setRotateAngle(int angle) { m_iRotateAngle = angle; }
    int rotateAngle() const { return m_iRotateAngle; }

    // One pinch step: the scale shown for a two-finger distance ratio, and
    // whether it is committed. Returns the zoom value.
    int applyPinch(double currentScaleFactor, bool released);

signals:
    void changedTouchValue(int value);
    void sChangeFactor(double factor);

public slots:
    void setFactor(double qval);
    void setValue(int ival);

protected:
    bool viewportEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    int m_iRotateAngle = 0;
    int m_iZoomValue = 250;
    double m_dTotalFactor = 1.0;
};
