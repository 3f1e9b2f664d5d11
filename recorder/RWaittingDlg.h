#pragma once

// The notice shown while a recording is joined, with the join's progress.

#include "UiLanguage.h"

#include <QDialog>

class QLabel;
class QProgressBar;

class RWaittingDlg : public QDialog
{
    Q_OBJECT

public:
    explicit RWaittingDlg(UiLanguage langue, QWidget *parent = nullptr);

    // 0..1; a negative value shows a busy bar.
    void setProgress(double fraction);
    int progressValue() const;

private:
    QLabel *m_label;
    QProgressBar *m_bar;
};
