#pragma once

#include <QColor>
#include <QPushButton>

// A checkable button of the pen popup that paints either a pen width (a
// black dot) or a colour swatch, with its own check mark.
class RButton : public QPushButton
{
    Q_OBJECT
public:
    explicit RButton(bool isWidthButton, QWidget *parent = nullptr);

    bool isWidthButton() const { return m_bWidth; }
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    int penWidth() const { return m_iPenWidth; }
    void setPenWidth(int width);

    // The check mark's colour on a swatch: the inverse colour, white on the
    // grey-brown swatch where the inverse would hardly show.
    static QColor markColor(const QColor &swatch);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_bWidth = false;
    QColor m_color;
    int m_iPenWidth = 0;
};
