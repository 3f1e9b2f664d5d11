#include "RDrawSet.h"

#include "RButton.h"

#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

const QColor kColors[RDrawSet::ColorCount] = {
    QColor(255, 16, 0),   QColor(0, 0, 0),       QColor(255, 139, 0),  QColor(255, 197, 16),
    QColor(50, 30, 181),  QColor(50, 110, 217),  QColor(48, 108, 0),   QColor(102, 213, 82),
    QColor(255, 30, 207), QColor(78, 161, 183),  QColor(139, 126, 110), QColor(255, 255, 255),
};

} // namespace

QColor RDrawSet::colorAt(int index)
{
    if (index < 0 || index >= ColorCount)
        return QColor();
    return kColors[index];
}

int RDrawSet::colorIndex(const QColor &color)
{
    for (int i = 0; i < ColorCount; ++i) {
        if (kColors[i] == color)
            return i;
    }
    return -1;
}

const QVector<int> &RDrawSet::penWidths()
{
    static const QVector<int> widths{3, 6, 10};
    return widths;
}

RDrawSet::RDrawSet(QWidget *parent)
    : QDialog(parent)
{
    // Keeps the dialog type: a title bar with only a close button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    setLangue(UiLanguage::Chinese);

    auto *widthRow = new QHBoxLayout;
    for (int width : penWidths()) {
        auto *button = new RButton(true, this);
        button->setObjectName(QStringLiteral("width%1").arg(width));
        button->setFixedSize(41, 41);
        button->setPenWidth(width);
        connect(button, &RButton::clicked, this, &RDrawSet::penwidthClick);
        widthRow->addWidget(button);
        m_widthButtons << button;
    }
    widthRow->addStretch();

    auto *grid = new QGridLayout;
    for (int i = 0; i < ColorCount; ++i) {
        auto *button = new RButton(false, this);
        button->setObjectName(QStringLiteral("color%1").arg(i));
        button->setFixedSize(49, 41);
        button->setColor(kColors[i]);
        connect(button, &RButton::clicked, this, &RDrawSet::colorClick);
        grid->addWidget(button, i / 4, i % 4);
        m_colorButtons << button;
    }

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(widthRow);
    layout->addLayout(grid);
}

void RDrawSet::setLangue(UiLanguage langue)
{
    setWindowTitle(langue == UiLanguage::Chinese ? QStringLiteral("画笔设置") : QStringLiteral("Pen Setting"));
}

void RDrawSet::setPen(int width, const QColor &color)
{
    for (RButton *button : qAsConst(m_widthButtons))
        button->setChecked(button->penWidth() == width);
    const int index = colorIndex(color);
    for (int i = 0; i < m_colorButtons.size(); ++i)
        m_colorButtons[i]->setChecked(i == index);
}

void RDrawSet::penwidthClick()
{
    auto *source = qobject_cast<RButton *>(sender());
    if (!source)
        return;
    const int width = source->penWidth();
    if (!penWidths().contains(width))
        return;
    for (RButton *button : qAsConst(m_widthButtons))
        button->setChecked(button == source);
    qInfo() << "RDrawSet::penwidthClick: width" << width;
    emit changedPenWidth(width);
}

void RDrawSet::colorClick()
{
    auto *source = qobject_cast<RButton *>(sender());
    if (!source)
        return;
    for (RButton *button : qAsConst(m_colorButtons))
        button->setChecked(false);
    const int index = colorIndex(source->color());
    if (index < 0)
        return;
    m_colorButtons[index]->setChecked(true);
    qInfo() << "RDrawSet::colorClick: index" << index << source->color().name();
    emit changedColor(index, kColors[index]);
    close();
}

void RDrawSet::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pointPress = event->globalPos();
        m_pointWindow = frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(event);
}

void RDrawSet::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        move(m_pointWindow + (event->globalPos() - m_pointPress));
    QDialog::mouseMoveEvent(event);
}
