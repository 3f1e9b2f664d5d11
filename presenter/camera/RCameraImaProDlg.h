#pragma once

#include "PictureAdjust.h"
#include "UiLanguage.h"

#include <QDialog>
#include <QPoint>
#include <QSize>

class QLabel;
class QPushButton;
class QSlider;

// Frameless dialog with brightness, contrast and saturation sliders that go
// to the camera's own image-processing control.
class RCameraImaProDlg : public QDialog
{
    Q_OBJECT
public:
    explicit RCameraImaProDlg(QWidget *parent = nullptr);

    void changeLanguage(UiLanguage lang);
    UiLanguage language() const { return m_iLanguage; }

    // Where the dialog goes on a screen of `screen` pixels at `scale`
    // (logical DPI / 96); false when the dialog stays where it is.
    static bool placement(const QSize &screen, double scale, QPoint *pos);

    QSlider *slider(PictureAdjust kind) const;

signals:
    void sValChanged(PictureAdjust kind, double value);

public slots:
    void initVals(double bval, double cval, double sval);
    void brightnessValChanged(int ival);
    void contrastValChanged(int ival);
    void saturationValChanged(int ival);
    void setDefValue();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void valueChanged(PictureAdjust kind, int ival);

    QSlider *m_slider[3] = {};
    QLabel *m_nameLabel[3] = {};
    QLabel *m_valueLabel[3] = {};
    QPushButton *m_btnDefault = nullptr;
    QPushButton *m_btnClose = nullptr;
    UiLanguage m_iLanguage = UiLanguage::Chinese;
    bool m_bIniting = false;
    bool m_bDragging = false;
    QPoint m_ptPress;
    QPoint m_ptPressGlobal;
};
