#pragma once

#include "ContrastLayout.h"

#include <QFrame>
#include <QSize>
#include <QString>

class GraphicsView;
class QLabel;
class QSlider;
class QToolButton;

// One pane of the compare view: its view, tool buttons and the hidden zoom
// and rotation sliders that hold the pane's state.
class RItemView : public QFrame
{
    Q_OBJECT
public:
    explicit RItemView(QWidget *parent = nullptr);

    GraphicsView *graphicsView = nullptr;

    int zoomValue() const;
    int rotateValue() const;
    QString labelText() const;
    // True while the pen/move toggle is on annotate.
    bool isAnnotating() const;
    QToolButton *toggleButton() const { return m_btnToggle; }
    QToolButton *layoutButton(ContrastLayout layout) const;
    QToolButton *resetButton() const { return m_btnReset; }
    // Shows a caption without a size (the camera pane).
    void setCaption(const QString &text);

signals:
    void sAddItem();
    void sDragMode();
    void sResetLayout(ContrastLayout layout);

public slots:
    void setCurFileName(QString sname, int wid, int hei);
    void zoomIn(int level);
    void zoomIn();
    void zoomOut(int level);
    void zoomOut();
    void setContentSize(int wid, int hei);
    void setShowLayoutBtn(bool bshow);
    void resetView();
    void setResetButtonEnabled();
    void setupMatrix();
    void togglePointerMode(bool bchecked);
    void rotateLeft();
    void rotateRight();
    void resetConLayout();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *makeButton(const QString &icon, const QString &tip);
    void markActive(QToolButton *button, bool active);

    QSlider *m_sliderZoom = nullptr;
    QSlider *m_sliderRotate = nullptr;
    QToolButton *m_btnZoomIn = nullptr;
    QToolButton *m_btnZoomOut = nullptr;
    QToolButton *m_btnRotateLeft = nullptr;
    QToolButton *m_btnRotateRight = nullptr;
    QToolButton *m_btnReset = nullptr;
    QToolButton *m_btnLayout[3] = {};
    QToolButton *m_btnToggle = nullptr;
    QLabel *m_labelName = nullptr;
    QSize m_sizeContent;
};
