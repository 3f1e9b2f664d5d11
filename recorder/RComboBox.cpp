#include "RComboBox.h"

#include <QWheelEvent>

void RComboBox::wheelEvent(QWheelEvent *event)
{
    event->accept();
}
