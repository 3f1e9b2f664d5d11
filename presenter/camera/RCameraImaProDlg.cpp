#include "RCameraImaProDlg.h"
#include "RScreenScale.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const char *kStyle =
    "QSlider::groove:horizontal {            height: 6px;            background: qlineargradient(x1: 0, y1: 0, "
    "x2: 0, y2: 1, stop: 0 rgb(124, 124, 124), stop: 1.0 rgb(72, 71, 71));    }    QSlider::handle:horizontal "
    "{            width: 1px;            background: rgb(0, 160, 230);            margin: -6px 0px -6px 0px;     "
    "       border-radius: 9px;    }";

} // namespace

RCameraImaProDlg::RCameraImaProDlg(QWidget *parent)
    : QDialog(parent)
{
    qRegisterMetaType<PictureAdjust>("PictureAdjust");
    setWindowFlags(Qt::FramelessWindowHint);
    setFont(RScreenScale::dialogFont());
    setStyleSheet(QLatin1String(kStyle));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 30, 30, 30);
    layout->setSpacing(30);
    for (int k = 0; k < 3; ++k) {
        auto *row = new QHBoxLayout;
        m_nameLabel[k] = new QLabel(this);
        m_slider[k] = new QSlider(Qt::Horizontal, this);
        m_slider[k]->setRange(-100, 100);
        m_slider[k]->setTickInterval(1);
        m_slider[k]->setValue(0);
        m_valueLabel[k] = new QLabel(QStringLiteral("0"), this);
        row->addWidget(m_nameLabel[k]);
        row->addWidget(m_slider[k], 1);
        row->addWidget(m_valueLabel[k]);
        layout->addLayout(row);
    }
    auto *buttons = new QHBoxLayout;
    m_btnDefault = new QPushButton(this);
    m_btnClose = new QPushButton(this);
    buttons->addWidget(m_btnDefault);
    buttons->addWidget(m_btnClose);
    layout->addLayout(buttons);

    connect(m_slider[0], &QSlider::valueChanged, this, &RCameraImaProDlg::brightnessValChanged);
    connect(m_slider[1], &QSlider::valueChanged, this, &RCameraImaProDlg::contrastValChanged);
    connect(m_slider[2], &QSlider::valueChanged, this, &RCameraImaProDlg::saturationValChanged);
    connect(m_btnDefault, &QPushButton::clicked, this, &RCameraImaProDlg::setDefValue);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::close);

    changeLanguage(UiLanguage::Chinese);
}

void RCameraImaProDlg::changeLanguage(UiLanguage lang)
{
    m_iLanguage = lang;
    const bool zh = lang == UiLanguage::Chinese;
    m_nameLabel[0]->setText(zh ? QStringLiteral("亮  度") : QStringLiteral("Brightness"));
    m_nameLabel[1]->setText(zh ? QStringLiteral("对比度") : QStringLiteral("Contrast"));
    m_nameLabel[2]->setText(zh ? QStringLiteral("饱和度") : QStringLiteral("Saturation"));
    m_btnDefault->setText(zh ? QStringLiteral("默认") : QStringLiteral("Default"));
    m_btnClose->setText(zh ? QStringLiteral("关闭") : QStringLiteral("Close"));
}

bool RCameraImaProDlg::placement(const QSize &screen, double scale, QPoint *pos)
{
    const int w = screen.width();
    const int h = screen.height();
    if (w != 1920 && w != 2560 && w != 3840)
        return false;
    struct Band
    {
        double upTo;
        int k;
        int minWidth; // the band applies to this width and the larger ones
    };
    static const Band bands[] = {
        {1.0, 271, 1920}, {1.25, 275, 1920}, {1.5, 287, 1920}, {1.75, 314, 1920}, {2.0, 329, 2560},
        {2.25, 346, 2560}, {2.5, 384, 3840}, {3.0, 417, 3840}, {3.5, 455, 3840},
    };
    int k = -1;
    double lower = -1e300;
    for (const Band &b : bands) {
        if (scale > lower && scale <= b.upTo) {
            if (w >= b.minWidth)
                k = b.k;
            break;
        }
        lower = b.upTo;
    }
    if (k < 0)
        return false;
    const int icon = std::max(w / 24, 68);
    if (pos)
        *pos = QPoint(w / 2 - 123 + 5 * (w / 24), h - icon - k);
    return true;
}

QSlider *RCameraImaProDlg::slider(PictureAdjust kind) const
{
    return m_slider[static_cast<int>(kind)];
}

void RCameraImaProDlg::initVals(double bval, double cval, double sval)
{
    // Showing the camera's own values must not send them back to it.
    m_bIniting = true;
    m_slider[0]->setValue(static_cast<int>(bval * 100));
    m_slider[1]->setValue(static_cast<int>(cval * 100));
    m_slider[2]->setValue(static_cast<int>(sval * 100));
    m_bIniting = false;
}

void RCameraImaProDlg::brightnessValChanged(int ival)
{
    valueChanged(PictureAdjust::Brightness, ival);
}

void RCameraImaProDlg::contrastValChanged(int ival)
{
    valueChanged(PictureAdjust::Contrast, ival);
}

void RCameraImaProDlg::saturationValChanged(int ival)
{
    valueChanged(PictureAdjust::Saturation, ival);
}

void RCameraImaProDlg::valueChanged(PictureAdjust kind, int ival)
{
    m_valueLabel[static_cast<int>(kind)]->setText(QString::number(ival));
    if (!m_bIniting)
        emit sValChanged(kind, ival / 100.0);
}

void RCameraImaProDlg::setDefValue()
{
    for (QSlider *s : m_slider)
        s->setValue(0);
}

void RCameraImaProDlg::mousePressEvent(QMouseEvent *event)
{
    m_bDragging = true;
    m_ptPress = event->globalPos() - pos();
    m_ptPressGlobal = event->globalPos();
    QDialog::mousePressEvent(event);
}

void RCameraImaProDlg::mouseMoveEvent(QMouseEvent *event)
{
    if (m_bDragging && (event->buttons() & Qt::LeftButton)
        && (event->globalPos() - m_ptPressGlobal).manhattanLength() >= QApplication::startDragDistance()) {
        move(event->globalPos() - m_ptPress);
    }
    QDialog::mouseMoveEvent(event);
}

void RCameraImaProDlg::mouseReleaseEvent(QMouseEvent *event)
{
    m_bDragging = false;
    QDialog::mouseReleaseEvent(event);
}
