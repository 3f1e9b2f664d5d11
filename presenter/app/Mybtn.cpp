#include "Mybtn.h"

#include <QMouseEvent>

Mybtn::Mybtn(QWidget *parent)
    : QToolButton(parent)
{
}

void Mybtn::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The base handler is skipped on purpose: a double-click is its own command.
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}
