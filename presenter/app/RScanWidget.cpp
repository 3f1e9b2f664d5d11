#include "RScanWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const char *const kHover = "QPushButton:hover:pressed{background-color:white; color: black;}";

QHBoxLayout *centredRow(QWidget *w)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(w);
    row->addStretch();
    return row;
}
} // namespace

RScanWidget::RScanWidget(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_btnExit = new QPushButton(this);
    m_movie = new QMovie(":/Kelu/images/scanning.gif", QByteArray(), this);
    m_labelMovie = new QLabel(this);
    m_labelMovie->setScaledContents(true);
    m_labelHint = new QLabel(this);
    m_labelText = new QLabel(this);
    m_labelText->setWordWrap(true);
    m_labelText->setAlignment(Qt::AlignCenter);
    m_labelText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_labelText->hide();
    m_btnCopy = new QPushButton(this);
    m_btnCopy->hide();

    m_btnExit->setStyleSheet(QString("QPushButton{background-color:white;font: bold large \"微软雅黑\";font-size:18px; "
                                     "color: #1ECD97; border-radius: 17px;  border: 3px #1ECD97;}")
                             + kHover);
    // On a dark ground: the page under the overlay is usually white.
    m_labelHint->setStyleSheet("QLabel{color:white; background-color: rgba(0, 0, 0, 160); font: bold \"微软雅黑\";"
                               "font-size:14px; padding: 6px;}");

    // The hint and the buttons lie over the lower part of the animation: at
    // the sizes used the frame fills the overlay's height by itself, and the
    // overlay must stay half the picture.
    auto *front = new QVBoxLayout;
    front->setContentsMargins(0, 0, 0, 0);
    front->setSpacing(0);
    front->addStretch();
    front->addLayout(centredRow(m_labelText));
    front->addLayout(centredRow(m_labelHint));
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(10, 10, 10, 10);
    buttons->addStretch();
    buttons->setSpacing(24);
    buttons->addWidget(m_btnCopy);
    buttons->addWidget(m_btnExit);
    buttons->addStretch();
    front->addLayout(buttons);
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->addLayout(centredRow(m_labelMovie), 0, 0);
    layout->addLayout(front, 0, 0);
    m_labelMovie->lower();

    connect(m_btnExit, &QPushButton::clicked, this, &RScanWidget::slotExit);
    connect(m_btnCopy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(m_strText); });
    slotChangeLangue(UiLanguage::Chinese);
}

RScanWidget::Metrics RScanWidget::metrics(int w, int h)
{
    const int m = std::min(w, h);
    return {std::max(m - 10, 1), std::max(m / 20, 10)};
}

void RScanWidget::slotExit()
{
    emit sExitScanning();
}

void RScanWidget::setScanPixSize(int iwid, int ihei)
{
    const Metrics mt = metrics(iwid, ihei);
    m_movie->setScaledSize(QSize(mt.animationSide, mt.animationSide));
    m_labelMovie->setFixedSize(mt.animationSide, mt.animationSide);
    m_labelMovie->setMovie(m_movie);
    m_movie->start();
    m_iFontPx = mt.fontPx;
    const QString button = QString("QPushButton{background-color:white;font: bold large \"微软雅黑\";font-size:%1px; "
                                   "color: #1ECD97; border-radius: %2px;  border: 3px #1ECD97;}")
                               .arg(mt.fontPx)
                               .arg(mt.fontPx / 3);
    m_btnExit->setStyleSheet(button + kHover);
    m_btnCopy->setStyleSheet(button + kHover);
    m_labelHint->setStyleSheet(QString("QLabel{color:white; background-color: rgba(0, 0, 0, 160); font: bold "
                                       "\"微软雅黑\";font-size:%1px; padding: 6px;}")
                                   .arg(mt.fontPx));
    m_labelText->setStyleSheet(QString("QLabel{color:white; background-color: rgba(0, 0, 0, 160); font: bold "
                                       "\"微软雅黑\";font-size:%1px; padding: 8px;}")
                                   .arg(mt.fontPx));
    m_labelText->setMaximumWidth(std::max(iwid - 20, 50));
}

void RScanWidget::showText(const QString &text)
{
    m_strText = text;
    m_movie->stop();
    m_labelMovie->hide();
    m_labelHint->hide();
    const QString shown = text.size() > kShownChars ? text.left(kShownChars) + QStringLiteral("…") : text;
    m_labelText->setText(shown.toHtmlEscaped().replace('\n', "<br>"));
    m_labelText->setTextFormat(Qt::RichText);
    m_labelText->show();
    m_btnCopy->show();
}

void RScanWidget::slotChangeLangue(UiLanguage ilangue)
{
    m_iLangue = ilangue;
    const bool zh = ilangue == UiLanguage::Chinese;
    m_labelHint->setText(zh ? "将二维码放入框内，即可自动扫描" : "Put the QR code in the box");
    m_btnExit->setText(zh ? "退出识别" : "Exit");
    m_btnCopy->setText(zh ? "复制" : "Copy");
}

void RScanWidget::resizeEvent(QResizeEvent *event)
{
    qDebug() << "RScanWidget::resizeEvent:" << event->size();
    QWidget::resizeEvent(event);
}
