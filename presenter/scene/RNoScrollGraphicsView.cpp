#include "RNoScrollGraphicsView.h"

#include <QDebug>
#include <QLineF>
#include <QTouchEvent>
#include <QWheelEvent>
#include <cmath>

RNoScrollGraphicsView::RNoScrollGraphicsView(QWidget *parent)
    : QGraphicsView(parent)
{
    viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    setAttribute(Qt::WA_AcceptTouchEvents);
    // The scene's background and items paint every pixel of the view, so
    // the viewport is not filled first on every frame.
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

double RNoScrollGraphicsView::clampFactor(double factor)
{
    if (!(factor >= kMinFactor)) // also catches NaN
        return kMinFactor;
    if (factor > kMaxFactor)
        return kMaxFactor;
    return factor;
}

int RNoScrollGraphicsView::zoomValueForFactor(double factor)
{
    const double qval = std::log(factor) / 0.6931471805599453;
    return int(qval * 50) + 250;
}

int RNoScrollGraphicsView::applyPinch(double currentScaleFactor, bool released)
{
    qDebug() << "RNoScrollGraphicsView::viewportEvent: currentScaleFactor:" << currentScaleFactor;
    double s = m_dTotalFactor * currentScaleFactor;
    qDebug() << "RNoScrollGraphicsView::viewportEvent: sFactor:" << s;
    s = clampFactor(s);
    qDebug() << "RNoScrollGraphicsView::viewportEvent: 2sFactor:" << s;
    if (released)
        m_dTotalFactor = s;
    m_iZoomValue = zoomValueForFactor(s);
    qDebug() << "RNoScrollGraphicsView::viewportEvent: iCurZoolValue:" << m_iZoomValue;

    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setResizeAnchor(QGraphicsView::AnchorUnderMouse);
    QTransform t;
    t.rotate(m_iRotateAngle);
    t.scale(s, s);
    setTransform(t);
    emit changedTouchValue(m_iZoomValue);
    emit sChangeFactor(m_dTotalFactor);
    return m_iZoomValue;
}

bool RNoScrollGraphicsView::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: {
        auto *touch = static_cast<QTouchEvent *>(event);
        const auto points = touch->touchPoints();
        if (points.count() != 2)
            break;
        const QLineF now(points[0].pos(), points[1].pos());
        const QLineF start(points[0].startPos(), points[1].startPos());
        if (start.length() <= 0.0)
            return true; // both fingers on one spot: no ratio yet
        const bool released = touch->touchPointStates() & Qt::TouchPointReleased;
        applyPinch(now.length() / start.length(), released);
        return true;
    }
    default:
        break;
    }
    return QGraphicsView::viewportEvent(event);
}

void RNoScrollGraphicsView::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

void RNoScrollGraphicsView::setFactor(double qval)
{
    m_dTotalFactor = qval;
    emit sChangeFactor(m_dTotalFactor);
}

void RNoScrollGraphicsView::setValue(int ival)
{
    m_iZoomValue = ival;
}
