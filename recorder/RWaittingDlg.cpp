#include "RWaittingDlg.h"

#include "RRecorderRules.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

RWaittingDlg::RWaittingDlg(UiLanguage langue, QWidget *parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_TranslucentBackground);
    m_label = new QLabel(this);
    m_label->setText(QStringLiteral("<p style=\"color:red;font-size:40px;\"> %1 </p>")
                         .arg(RRecorderRules::text(langue, "正在压缩中……", "Compressing...")));
    m_label->setStyleSheet(QStringLiteral("background-color: transparent;"));
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setMinimumWidth(360);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
}

void RWaittingDlg::setProgress(double fraction)
{
    if (fraction < 0) {
        m_bar->setRange(0, 0);
        return;
    }
    m_bar->setRange(0, 100);
    m_bar->setValue(qBound(0, int(fraction * 100.0 + 0.5), 100));
}

int RWaittingDlg::progressValue() const
{
    return m_bar->value();
}
