#pragma once

#include <QGraphicsView>

class RItemView;

// A compare pane's view: Ctrl + wheel zooms the pane, the plain wheel scrolls.
class GraphicsView : public QGraphicsView
{
    Q_OBJECT
public:
    explicit GraphicsView(RItemView *pane, QWidget *parent = nullptr);

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    RItemView *m_pane;
};
