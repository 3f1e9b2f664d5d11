#pragma once

#include <QSize>

class QWidget;
class RNoScrollGraphicsView;

// The zoom level and the turn of the main view: zoom steps, the wheel, one
// to one, fitting the picture to the window, the quarter turns.
class RViewZoom
{
public:
    RViewZoom(RNoScrollGraphicsView *view, QWidget *window);

    int level() const { return m_iZoomLevel; }
    // The touch view zoomed by itself: only the level is taken over.
    void setLevel(int level) { m_iZoomLevel = level; }
    int rotateAngle() const { return m_iRotateAngle; }
    void setRotateAngle(int angle) { m_iRotateAngle = angle; }

    void apply(int level, double factor);
    // Scale `factor` and the turn on the view, anchored under the pointer when it is over the window.
    void refresh(double factor);
    void zoomBy(int steps);
    void wheel(int delta);
    void oneToOne();
    // The whole picture in the window, centred; false for an empty size.
    bool fit(const QSize &picture);
    // A quarter turn further; returns the new angle.
    int turn();

private:
    RNoScrollGraphicsView *m_view;
    QWidget *m_window;
    int m_iZoomLevel = 250;
    int m_iRotateAngle = 0;
};
