#include "RButton.h"

#include <QPainter>

RButton::RButton(bool isWidthButton, QWidget *parent)
    : QPushButton(parent)
    , m_bWidth(isWidthButton)
{
    setCheckable(true);
}

void RButton::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void RButton::setPenWidth(int width)
{
    m_iPenWidth = width;
    update();
}

QColor RButton::markColor(const QColor &swatch)
{
    if (swatch == QColor(139, 126, 110))
        return Qt::white;
    return QColor(255 - swatch.red(), 255 - swatch.green(), 255 - swatch.blue());
}

void RButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF area = rect();

    if (m_bWidth) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(area.center(), m_iPenWidth, m_iPenWidth);
        if (isChecked()) {
            const qreal side = qMin(area.width(), area.height());
            QPen ring(QColor(80, 183, 234));
            ring.setWidthF(2.0);
            painter.setPen(ring);
            painter.setBrush(Qt::NoBrush);
            // Inset by the pen so the ring is not clipped at the edges.
            const qreal r = side / 2.0 - ring.widthF();
            painter.drawEllipse(area.center(), r, r);
        }
        return;
    }

    painter.fillRect(area, m_color);
    if (isChecked()) {
        QFont font(QStringLiteral("黑体"));
        font.setPointSize(12);
        painter.setFont(font);
        painter.setPen(markColor(m_color));
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("√"));
    }
}
