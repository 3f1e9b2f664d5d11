#pragma once

#include "UiLanguage.h"

#include <QDialog>

class QLabel;
class QPushButton;

// Shows the software's name and version, and where its log file is.
class RAboutSoftware : public QDialog
{
    Q_OBJECT
public:
    explicit RAboutSoftware(QWidget *parent = nullptr);

public slots:
    void slotOK();
    void slotSetLangue(UiLanguage ilangue);

private:
    QPushButton *m_btnOK = nullptr;
    QLabel *m_labelName = nullptr;
    QLabel *m_labelLog = nullptr;
};
