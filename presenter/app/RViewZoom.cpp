#include "RViewZoom.h"

#include "RNoScrollGraphicsView.h"
#include "RZoomModel.h"

#include <QCursor>
#include <QDebug>
#include <QTransform>
#include <QWidget>

RViewZoom::RViewZoom(RNoScrollGraphicsView *view, QWidget *window)
    : m_view(view)
    , m_window(window)
{
}

void RViewZoom::apply(int level, double factor)
{
    m_iZoomLevel = level;
    refresh(factor);
}

void RViewZoom::refresh(double factor)
{
    const QPoint cursor = m_window->mapFromGlobal(QCursor::pos());
    if (cursor.x() > 0) {
        m_view->setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
        m_view->setResizeAnchor(QGraphicsView::AnchorUnderMouse);
    } else {
        qDebug() << "RViewZoom::refresh: No Mouse";
    }
    QTransform t;
    t.scale(factor, factor);
    t.rotate(m_iRotateAngle);
    m_view->setTransform(t);
    m_view->setFactor(factor);
    m_view->setValue(m_iZoomLevel);
}

void RViewZoom::zoomBy(int steps)
{
    const RZoomModel::Step step = RZoomModel::zoomBy(m_iZoomLevel, steps);
    apply(step.level, step.factor);
}

void RViewZoom::wheel(int delta)
{
    const RZoomModel::Step step = RZoomModel::wheel(m_iZoomLevel, delta);
    apply(step.level, step.factor);
}

void RViewZoom::oneToOne()
{
    apply(RZoomModel::kOneToOne, 1.0);
    m_view->centerOn(0, 0);
}

bool RViewZoom::fit(const QSize &picture)
{
    RZoomModel::Step step;
    if (!RZoomModel::fit(m_window->size(), picture, m_iRotateAngle, &step))
        return false;
    apply(step.level, step.factor);
    m_view->centerOn(0, 0);
    return true;
}

int RViewZoom::turn()
{
    m_iRotateAngle = (m_iRotateAngle + 90) % 360;
    m_view->setRotateAngle(m_iRotateAngle);
    refresh(RZoomModel::factorForLevel(m_iZoomLevel));
    return m_iRotateAngle;
}
