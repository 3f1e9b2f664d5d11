#include "RSceneInk.h"

#include "RDragScene.h"
#include "RWidgetItem.h"

#include <QGraphicsView>

RSceneInk::RSceneInk(RDragScene *scene)
    : QObject(scene)
    , m_scene(scene)
{
}

void RSceneInk::setPen(int width, QColor color)
{
    m_iPenWidth = width;
    m_colorPen = color;
    if (m_canvas)
        m_canvas->setPen(width, color);
}

void RSceneInk::setItemSize(QSize size)
{
    if (m_canvas)
        m_canvas->setItemSize(size);
}

void RSceneInk::startShapes(CurStatus kind)
{
    if (!m_canvas) {
        m_canvas = new RWidgetItem(kind);
        m_canvas->setPen(m_iPenWidth, m_colorPen);
        connect(m_canvas, &RWidgetItem::drawdone, m_scene, &RDragScene::temItemDone);
        m_scene->addItem(m_canvas);
    }
    const QRectF r = m_scene->sceneRect();
    const int w = int(r.width());
    const int h = int(r.height());
    m_canvas->resize(w, h);
    m_canvas->setPos(-(w / 2), -(h / 2));
    m_canvas->setZValue(9999);
    m_canvas->show();
    m_canvas->setType(kind);
    m_canvas->setDrawing(true);
}

void RSceneInk::hideCanvas(bool stopDrawing)
{
    if (!m_canvas)
        return;
    if (stopDrawing)
        m_canvas->setDrawing(false);
    m_canvas->hide();
}

void RSceneInk::shapeDone()
{
    if (!m_canvas)
        return;
    m_canvas->hide();
    const QPointF s = m_canvas->startPoint();
    const QPointF e = m_canvas->endPoint();
    const qreal w = e.x() - s.x();
    const qreal h = e.y() - s.y();
    const qreal x = s.x() - 0.5 * m_scene->sceneRect().width();
    const qreal y = s.y() - 0.5 * m_scene->sceneRect().height();

    auto *item = new RWidgetItem(m_canvas->kind());
    item->setFlag(QGraphicsItem::ItemIsSelectable);
    item->setPen(m_canvas->penWidth(), m_canvas->penColor());
    item->setType(m_canvas->kind());
    item->setDrawing(false);
    item->setCorners(QPointF(0, 0), QPointF(w, h));
    item->resize(w, h);
    connect(item, &RWidgetItem::hadEarse, m_scene, &RDragScene::temItemEarse);
    item->setPos(x, y);
    m_scene->addItem(item);

    m_canvas->setType(m_canvas->kind());
    m_canvas->setDrawing(true);
    m_canvas->setZValue(9999);
    m_canvas->show();
    m_scene->update();
}

void RSceneInk::addStroke(const QVector<QPoint> &points, QPointF ptStart, QPointF ptEnd)
{
    auto *item = new RWidgetItem(CurPen);
    item->setFlag(QGraphicsItem::ItemIsSelectable);

    QVector<QPointF> mapped;
    mapped.reserve(points.size());
    const QList<QGraphicsView *> allViews = m_scene->views();
    QGraphicsView *view = allViews.isEmpty() ? nullptr : allViews.first();
    if (view) {
        for (const QPoint &p : points)
            mapped.append(view->mapToScene(p));
    }

    const RWidgetItem::StrokeGeometry g = RWidgetItem::strokeGeometry(mapped);
    item->setPen(m_iPenWidth, m_colorPen);
    item->setType(CurPen);
    item->setDrawing(false);
    item->setPoints(g.points);
    item->setCorners(ptStart, ptEnd);
    item->resize(g.size);
    connect(item, &RWidgetItem::hadEarse, m_scene, &RDragScene::temItemEarse);
    item->setPos(g.topLeft - QPointF(0.5, 0.5));
    m_scene->addItem(item);
    m_scene->update();
}
