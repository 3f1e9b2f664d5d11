#pragma once

#include "UiLanguage.h"

#include <QColor>
#include <QDialog>
#include <QPoint>
#include <QVector>

class RButton;

// The pen popup: three pen widths and twelve colours. A colour closes it, a
// width leaves it open; it can be dragged anywhere by its body.
class RDrawSet : public QDialog
{
    Q_OBJECT
public:
    explicit RDrawSet(QWidget *parent = nullptr);

    enum { ColorCount = 12 };
    static QColor colorAt(int index);
    // Index of a palette colour, -1 when it is not one of the twelve.
    static int colorIndex(const QColor &color);
    static const QVector<int> &penWidths();

    // Title in the interface language.
    void setLangue(UiLanguage langue);
    // Marks the current pen without emitting anything.
    void setPen(int width, const QColor &color);

signals:
    void changedPenWidth(int width);
    void changedColor(int index, QColor color);

public slots:
    void colorClick();
    void penwidthClick();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QVector<RButton *> m_widthButtons;
    QVector<RButton *> m_colorButtons;
    QPoint m_pointPress;
    QPoint m_pointWindow;
};
