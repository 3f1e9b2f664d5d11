#pragma once

#include <QToolButton>

// A tool button that reports a left double-click instead of passing it on.
class Mybtn : public QToolButton
{
    Q_OBJECT
public:
    explicit Mybtn(QWidget *parent = nullptr);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
