#pragma once
// A combo box the mouse wheel leaves alone, so scrolling over the window
// never changes a recording setting by accident.

#include <QComboBox>

class RComboBox : public QComboBox
{
    Q_OBJECT

public:
    using QComboBox::QComboBox;

protected:
    void wheelEvent(QWheelEvent *event) override;
};
