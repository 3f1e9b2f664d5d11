#include "RItemView.h"

#include "GraphicsView.h"
#include "RContrastMath.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QTransform>
#include <QVBoxLayout>

namespace {

const char *const kButtonStyle =
    "QToolButton{border: none; background: rgba(68, 69, 73,0); color: rgb(0, 160, 230);}"
    "QToolButton:hover{border: none; background: rgb(68, 69, 73); color: rgb(255, 255, 255);}";
const char *const kActiveStyle = "QToolButton{border: none; background: rgb(0, 160, 230); color: rgb(68, 69, 73);}";
const QString kTipAnnotate = QStringLiteral("标注");
const QString kTipMove = QStringLiteral("移动");

} // namespace

RItemView::RItemView(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    setStyleSheet(QStringLiteral("RItemView{background: rgb(68, 69, 73); border: 1px solid rgb(0, 160, 230);}"
                                 "QLabel{color: rgb(255, 255, 255);}"));

    graphicsView = new GraphicsView(this);
    graphicsView->setRenderHint(QPainter::Antialiasing, false);
    graphicsView->setOptimizationFlags(QGraphicsView::DontSavePainterState);
    graphicsView->setViewportUpdateMode(QGraphicsView::SmartViewportUpdate);
    graphicsView->setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    graphicsView->setDragMode(QGraphicsView::RubberBandDrag);
    graphicsView->setDragMode(QGraphicsView::ScrollHandDrag);
    graphicsView->setBackgroundBrush(QColor(40, 41, 44));

    m_sliderZoom = new QSlider(Qt::Horizontal, this);
    m_sliderZoom->setRange(RContrastMath::kZoomMin, RContrastMath::kZoomMax);
    m_sliderZoom->setValue(RContrastMath::kZoomOneToOne);
    m_sliderZoom->hide();
    m_sliderRotate = new QSlider(Qt::Horizontal, this);
    m_sliderRotate->setRange(RContrastMath::kRotateMin, RContrastMath::kRotateMax);
    m_sliderRotate->setValue(0);
    m_sliderRotate->hide();

    m_labelName = new QLabel(this);
    // A long file name must not widen its pane.
    m_labelName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_btnZoomIn = makeButton(QStringLiteral("zoomin.png"), QStringLiteral("放大"));
    m_btnZoomOut = makeButton(QStringLiteral("zoomout.png"), QStringLiteral("缩小"));
    m_btnRotateLeft = makeButton(QStringLiteral("rotateleft.png"), QStringLiteral("左旋"));
    m_btnRotateRight = makeButton(QStringLiteral("rotateright.png"), QStringLiteral("右旋"));
    m_btnReset = makeButton(QStringLiteral("confix.png"), QStringLiteral("复位"));
    m_btnReset->setEnabled(false);
    m_btnLayout[0] = makeButton(QStringLiteral("layout4.png"), QStringLiteral("四分屏"));
    m_btnLayout[1] = makeButton(QStringLiteral("layoutv2.png"), QStringLiteral("左右分屏"));
    m_btnLayout[2] = makeButton(QStringLiteral("layouth2.png"), QStringLiteral("上下分屏"));
    m_btnToggle = makeButton(QStringLiteral("conmove.png"), kTipMove);

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    bar->addWidget(m_labelName, 1);
    for (QToolButton *b : {m_btnLayout[0], m_btnLayout[1], m_btnLayout[2], m_btnToggle, m_btnZoomIn, m_btnZoomOut,
                           m_btnRotateLeft, m_btnRotateRight, m_btnReset})
        bar->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(graphicsView, 1);
    setShowLayoutBtn(false);

    connect(m_sliderZoom, &QSlider::valueChanged, this, &RItemView::setupMatrix);
    connect(m_sliderRotate, &QSlider::valueChanged, this, &RItemView::setupMatrix);
    connect(m_sliderZoom, &QSlider::valueChanged, this, &RItemView::setResetButtonEnabled);
    connect(m_sliderRotate, &QSlider::valueChanged, this, &RItemView::setResetButtonEnabled);
    connect(m_btnZoomIn, &QToolButton::clicked, this, qOverload<>(&RItemView::zoomIn));
    connect(m_btnZoomOut, &QToolButton::clicked, this, qOverload<>(&RItemView::zoomOut));
    connect(m_btnRotateLeft, &QToolButton::clicked, this, &RItemView::rotateLeft);
    connect(m_btnRotateRight, &QToolButton::clicked, this, &RItemView::rotateRight);
    connect(m_btnReset, &QToolButton::clicked, this, &RItemView::resetView);
    connect(m_btnToggle, &QToolButton::clicked, this, &RItemView::togglePointerMode);
    for (QToolButton *b : m_btnLayout)
        connect(b, &QToolButton::clicked, this, &RItemView::resetConLayout);
    setupMatrix();
}

QToolButton *RItemView::makeButton(const QString &icon, const QString &tip)
{
    auto *button = new QToolButton(this);
    button->setIcon(QIcon(QStringLiteral(":/Kelu/images/") + icon));
    button->setIconSize(QSize(28, 28));
    button->setToolTip(tip);
    button->setStyleSheet(QString::fromLatin1(kButtonStyle));
    return button;
}

void RItemView::markActive(QToolButton *button, bool active)
{
    button->setStyleSheet(QString::fromLatin1(active ? kActiveStyle : kButtonStyle));
}

QToolButton *RItemView::layoutButton(ContrastLayout layout) const
{
    return m_btnLayout[static_cast<int>(layout)];
}

int RItemView::zoomValue() const
{
    return m_sliderZoom->value();
}

int RItemView::rotateValue() const
{
    return m_sliderRotate->value();
}

QString RItemView::labelText() const
{
    return m_labelName->text();
}

bool RItemView::isAnnotating() const
{
    return m_btnToggle->toolTip() == kTipAnnotate;
}

void RItemView::setCaption(const QString &text)
{
    m_labelName->setText(text);
}

void RItemView::setCurFileName(QString sname, int wid, int hei)
{
    const QString name = sname.mid(sname.lastIndexOf(QLatin1Char('/')) + 1);
    m_labelName->setText(QStringLiteral("%1  %2 X %3").arg(name).arg(wid).arg(hei));
    setContentSize(wid, hei);
    resetView();
}

void RItemView::zoomIn(int level)
{
    m_sliderZoom->setValue(m_sliderZoom->value() + level);
}

void RItemView::zoomIn()
{
    zoomIn(1);
}

void RItemView::zoomOut(int level)
{
    m_sliderZoom->setValue(m_sliderZoom->value() - level);
}

void RItemView::zoomOut()
{
    zoomOut(1);
}

void RItemView::setContentSize(int wid, int hei)
{
    m_sizeContent = QSize(wid, hei);
}

void RItemView::setShowLayoutBtn(bool bshow)
{
    for (QToolButton *b : m_btnLayout)
        b->setVisible(bshow);
}

void RItemView::resetView()
{
    const QSize view = graphicsView->viewport()->size();
    const int value = RContrastMath::fitZoomValue(view, QSizeF(m_sizeContent));
    qDebug() << "RItemView::resetView: view" << view << "picture" << m_sizeContent << "factor"
             << RContrastMath::zoomScale(value) << "value" << value;
    m_sliderZoom->setValue(value);
    m_sliderRotate->setValue(0);
    setupMatrix();
    if (graphicsView->scene())
        graphicsView->centerOn(graphicsView->scene()->sceneRect().center());
    m_btnReset->setEnabled(false);
}

void RItemView::setResetButtonEnabled()
{
    m_btnReset->setEnabled(true);
}

void RItemView::setupMatrix()
{
    const double scale = RContrastMath::zoomScale(m_sliderZoom->value());
    QTransform matrix;
    matrix.scale(scale, scale);
    matrix.rotate(m_sliderRotate->value());
    graphicsView->setTransform(matrix);
}

void RItemView::togglePointerMode(bool bchecked)
{
    Q_UNUSED(bchecked)
    if (isAnnotating()) {
        m_btnToggle->setToolTip(kTipMove);
        m_btnToggle->setIcon(QIcon(QStringLiteral(":/Kelu/images/conmove.png")));
        markActive(m_btnToggle, false);
        graphicsView->setDragMode(QGraphicsView::ScrollHandDrag);
        emit sDragMode();
    } else {
        m_btnToggle->setToolTip(kTipAnnotate);
        m_btnToggle->setIcon(QIcon(QStringLiteral(":/Kelu/images/conpen.png")));
        markActive(m_btnToggle, true);
        graphicsView->setDragMode(QGraphicsView::NoDrag);
        emit sAddItem();
    }
}

void RItemView::rotateLeft()
{
    m_sliderRotate->setValue(m_sliderRotate->value() - 10);
}

void RItemView::rotateRight()
{
    m_sliderRotate->setValue(m_sliderRotate->value() + 10);
}

void RItemView::resetConLayout()
{
    for (ContrastLayout layout : {ContrastLayout::FourPanes, ContrastLayout::SideBySide, ContrastLayout::OneAboveOther}) {
        QToolButton *button = layoutButton(layout);
        if (sender() == button) {
            for (QToolButton *b : m_btnLayout)
                markActive(b, b == button);
            emit sResetLayout(layout);
            return;
        }
    }
}

void RItemView::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    // A pane the teacher has not zoomed or turned keeps its picture fitted.
    if (!m_btnReset->isEnabled() && !m_sizeContent.isEmpty())
        resetView();
}
