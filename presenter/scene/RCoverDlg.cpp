#include "RCoverDlg.h"

#include "RCoverItem.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDateTime>
#include <QDebug>
#include <QFileDialog>
#include <QFontComboBox>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTransform>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace {
const QSize kPreviewSize(400, 300);
}

RCoverDlg::RCoverDlg(QWidget *parent)
    : QDialog(parent, Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
{
    m_btnNone = new QRadioButton(this);
    m_btnText = new QRadioButton(this);
    m_btnTime = new QRadioButton(this);
    m_btnPicture = new QRadioButton(this);
    m_typeGroup = new QButtonGroup(this);
    m_typeGroup->setExclusive(true);
    m_typeGroup->addButton(m_btnNone, CoverParams::None);
    m_typeGroup->addButton(m_btnText, CoverParams::Text);
    m_typeGroup->addButton(m_btnTime, CoverParams::Time);
    m_typeGroup->addButton(m_btnPicture, CoverParams::Picture);
    m_editText = new QLineEdit(this);
    m_editTime = new QLineEdit(this);
    m_comboFont = new QFontComboBox(this);
    m_spinFontSize = new QSpinBox(this);
    m_spinFontSize->setRange(6, 200);
    m_btnColor = new QPushButton(this);
    m_btnColor->setFixedSize(100, 60);
    m_labelRotate = new QLabel(this);
    m_sliderRotate = new QSlider(Qt::Horizontal, this);
    m_sliderRotate->setRange(0, 360);
    m_labelRotateValue = new QLabel("0", this);
    m_labelAlpha = new QLabel(this);
    m_sliderAlpha = new QSlider(Qt::Horizontal, this);
    m_sliderAlpha->setRange(0, 255);
    m_sliderAlpha->setValue(255);
    m_labelAlphaValue = new QLabel("255", this);
    m_checkBorder = new QCheckBox(this);
    m_spinBorderWidth = new QSpinBox(this);
    m_spinBorderWidth->setRange(1, 20);
    m_btnOpen = new QPushButton(this);
    m_checkActualSize = new QCheckBox(this);
    m_btnRefresh = new QPushButton(this);
    m_labelPreviewTitle = new QLabel(this);
    m_labelPreview = new QLabel(this);
    m_labelPreview->setFixedSize(kPreviewSize);
    m_labelPreview->setAlignment(Qt::AlignCenter);
    m_labelPreview->setStyleSheet("QLabel{background-color: rgb(200, 200, 200);}");
    m_labelHint = new QLabel(this);
    m_labelMessage = new QLabel(this);
    m_labelMessage->setStyleSheet("QLabel{color: rgb(220, 40, 40);}");
    m_labelMessage->setWordWrap(true);
    m_btnOK = new QPushButton(this);
    m_btnCancel = new QPushButton(this);

    auto *types = new QHBoxLayout;
    for (QRadioButton *b : {m_btnNone, m_btnText, m_btnTime, m_btnPicture})
        types->addWidget(b);
    auto *grid = new QGridLayout;
    grid->addWidget(m_editText, 0, 0, 1, 3);
    grid->addWidget(m_editTime, 1, 0, 1, 3);
    grid->addWidget(m_comboFont, 2, 0, 1, 2);
    grid->addWidget(m_spinFontSize, 2, 2);
    grid->addWidget(m_labelRotate, 3, 0);
    grid->addWidget(m_sliderRotate, 3, 1);
    grid->addWidget(m_labelRotateValue, 3, 2);
    grid->addWidget(m_labelAlpha, 4, 0);
    grid->addWidget(m_sliderAlpha, 4, 1);
    grid->addWidget(m_labelAlphaValue, 4, 2);
    grid->addWidget(m_checkBorder, 5, 0);
    grid->addWidget(m_spinBorderWidth, 5, 1);
    grid->addWidget(m_btnColor, 5, 2);
    grid->addWidget(m_btnOpen, 6, 0);
    grid->addWidget(m_checkActualSize, 6, 1);
    grid->addWidget(m_btnRefresh, 6, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnOK);
    buttons->addWidget(m_btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(types);
    layout->addLayout(grid);
    layout->addWidget(m_labelMessage);
    layout->addWidget(m_labelPreviewTitle);
    layout->addWidget(m_labelPreview, 0, Qt::AlignHCenter);
    layout->addWidget(m_labelHint);
    layout->addLayout(buttons);

    connect(m_btnNone, &QRadioButton::clicked, this, &RCoverDlg::slotTypeNone);
    connect(m_btnText, &QRadioButton::clicked, this, &RCoverDlg::slotTypeText);
    connect(m_btnTime, &QRadioButton::clicked, this, &RCoverDlg::slotTypeTime);
    connect(m_btnPicture, &QRadioButton::clicked, this, &RCoverDlg::slotTypePicture);
    connect(m_comboFont, &QFontComboBox::currentFontChanged, this, &RCoverDlg::slotFontChange);
    connect(m_btnColor, &QPushButton::clicked, this, &RCoverDlg::slotColor);
    connect(m_sliderRotate, &QSlider::valueChanged, this, &RCoverDlg::slotSetRotate);
    connect(m_sliderAlpha, &QSlider::valueChanged, this, &RCoverDlg::slotSetAlpha);
    connect(m_btnOpen, &QPushButton::clicked, this, &RCoverDlg::slotOpen);
    connect(m_btnRefresh, &QPushButton::clicked, this, &RCoverDlg::updateMyUIData);
    connect(m_btnOK, &QPushButton::clicked, this, &RCoverDlg::slotOK);
    connect(m_btnCancel, &QPushButton::clicked, this, &RCoverDlg::slotCancel);
    setLanguage(UiLanguage::Chinese);
}

void RCoverDlg::initData()
{
    m_editText->setText(m_params.m_strText);
    m_editTime->setText(m_params.m_strTimeFormat);
    m_comboFont->setCurrentFont(QFont(m_params.m_strFontFamily));
    m_spinFontSize->setValue(m_params.m_iFontSize);
    m_sliderRotate->setValue(m_params.m_iRotateCover);
    m_sliderAlpha->setValue(m_params.m_iAlpha);
    m_checkBorder->setChecked(m_params.m_bBorder);
    m_spinBorderWidth->setValue(m_params.m_iBorderWidth);
    m_checkActualSize->setChecked(m_params.m_bActualSize);
    paintColorButton();
    if (!m_params.m_strPicturePath.isEmpty()) {
        decodePicture(m_params.m_strPicturePath, [this](const QImage &image, const QString &) {
            if (image.isNull())
                return;
            m_pixPicture = QPixmap::fromImage(image);
            m_sizePicture = image.size();
            updateMyUIData();
        });
    }
    setType(m_params.m_iType);
}

void RCoverDlg::setLanguage(UiLanguage ilangue)
{
    m_iLangue = ilangue;
    const bool en = ilangue == UiLanguage::English;
    setWindowTitle(en ? "Watermark" : "水印设置");
    m_btnNone->setText(en ? "None" : "无水印");
    m_btnText->setText(en ? "Text" : "文字");
    m_btnTime->setText(en ? "Time" : "时间");
    m_btnPicture->setText(en ? "Picture" : "图片");
    m_labelRotate->setText(en ? "Rotate" : "倾斜度");
    m_labelAlpha->setText(en ? "Alpha" : "透明度");
    m_checkBorder->setText(en ? "Border" : "边框");
    m_btnOpen->setText(en ? "Open" : "打开图片");
    m_btnRefresh->setText(en ? "Refresh" : "刷新预览");
    m_checkActualSize->setText(en ? "Actual size" : "实际大小");
    m_labelPreviewTitle->setText(en ? "Preview" : "预览");
    m_labelHint->setText(en ? "Left button drag, right button zoom" : "左键拖动，右键缩放");
    m_btnOK->setText(en ? "OK" : "确定");
    m_btnCancel->setText(en ? "Cancel" : "取消");
}

QString RCoverDlg::pictureMessage() const
{
    return m_labelMessage->text();
}

QPixmap RCoverDlg::preview() const
{
    return m_labelPreview->pixmap(Qt::ReturnByValue);
}

void RCoverDlg::setType(int type)
{
    m_params.m_iType = type;
    if (QAbstractButton *b = m_typeGroup->button(type); b && !b->isChecked())
        b->setChecked(true);
    const bool textish = type == CoverParams::Text || type == CoverParams::Time;
    m_editText->setEnabled(type == CoverParams::Text);
    m_editTime->setEnabled(type == CoverParams::Time);
    m_comboFont->setEnabled(textish);
    m_spinFontSize->setEnabled(textish);
    m_btnColor->setEnabled(textish);
    m_checkBorder->setEnabled(textish);
    m_spinBorderWidth->setEnabled(textish);
    m_sliderRotate->setEnabled(type != CoverParams::None);
    m_sliderAlpha->setEnabled(type != CoverParams::None);
    m_btnOpen->setEnabled(type == CoverParams::Picture);
    m_checkActualSize->setEnabled(type == CoverParams::Picture);
    updateMyUIData();
}

void RCoverDlg::slotTypeNone() { setType(CoverParams::None); }
void RCoverDlg::slotTypeText() { setType(CoverParams::Text); }
void RCoverDlg::slotTypeTime() { setType(CoverParams::Time); }
void RCoverDlg::slotTypePicture() { setType(CoverParams::Picture); }

void RCoverDlg::slotFontChange(QFont font)
{
    m_params.m_strFontFamily = font.family();
}

void RCoverDlg::paintColorButton()
{
    const QColor &c = m_params.m_color;
    m_btnColor->setStyleSheet(QString("QPushButton{border: none; background: rgba(%1, %2, %3,255); color: rgb(%1, %2, %3);}")
                                  .arg(c.red())
                                  .arg(c.green())
                                  .arg(c.blue()));
}

void RCoverDlg::slotColor()
{
    const QColor c = QColorDialog::getColor(m_params.m_color, this);
    if (!c.isValid())
        return;
    m_params.m_color = c;
    paintColorButton();
    updateMyUIData();
}

void RCoverDlg::decodePicture(const QString &path, std::function<void(const QImage &, const QString &)> done)
{
    const quint64 request = ++m_uRequest;
    ++m_iLoading;
    // No OK while the size the watermark takes is not known yet.
    m_btnOK->setEnabled(false);
    auto *watcher = new QFutureWatcher<QPair<QImage, QString>>(this);
    connect(watcher, &QFutureWatcher<QPair<QImage, QString>>::finished, this, [this, watcher, request, done] {
        const QPair<QImage, QString> result = watcher->result();
        watcher->deleteLater();
        if (--m_iLoading == 0)
            m_btnOK->setEnabled(true);
        if (request == m_uRequest)
            done(result.first, result.second);
    });
    watcher->setFuture(QtConcurrent::run([path] {
        QString reason;
        const QImage image = RCoverItem::decodePicture(path, &reason);
        return qMakePair(image, reason);
    }));
}

void RCoverDlg::openPicture(const QString &path)
{
    decodePicture(path, [this, path](const QImage &image, const QString &reason) {
        const bool ok = image.width() >= 1 && image.height() >= 1;
        if (!ok) {
            qInfo() << "RCoverDlg::openPicture: not loaded:" << path << reason;
            m_labelMessage->setText(m_iLangue == UiLanguage::English ? "This picture cannot be used; the previous one is kept."
                                                   : "无法使用该图片，保留原来的图片。");
        } else {
            m_labelMessage->clear();
            m_pixPicture = QPixmap::fromImage(image);
            m_params.m_strPicturePath = path;
            m_sizePicture = image.size();
            updateMyUIData();
        }
        emit sPictureOpened(ok);
    });
}

void RCoverDlg::slotOpen()
{
    const QString path = QFileDialog::getOpenFileName(this, QString(), QString(), m_iLangue == UiLanguage::English ? "Images (*.png *.bmp *.jpg)" : "图片 (*.png *.bmp *.jpg)");
    if (!path.isEmpty())
        openPicture(path);
}

void RCoverDlg::slotSetRotate(int value)
{
    m_params.m_iRotateCover = value;
    m_labelRotateValue->setText(QString::number(value));
    if (m_sliderRotate->value() != value)
        m_sliderRotate->setValue(value);
}

void RCoverDlg::slotSetAlpha(int value)
{
    m_params.m_iAlpha = value;
    m_labelAlphaValue->setText(QString::number(value));
    if (m_sliderAlpha->value() != value)
        m_sliderAlpha->setValue(value);
}

void RCoverDlg::updateMyUIData()
{
    const int rotate = m_sliderRotate->value();
    QPixmap shown;
    if (m_params.m_iType == CoverParams::Picture) {
        if (!m_pixPicture.isNull())
            shown = m_pixPicture.transformed(QTransform().rotate(rotate), Qt::SmoothTransformation);
    } else if (m_params.m_iType == CoverParams::Text || m_params.m_iType == CoverParams::Time) {
        const QString text = m_params.m_iType == CoverParams::Text
                                 ? m_editText->text()
                                 : QDateTime::currentDateTime().toString(m_editTime->text());
        QFont font(m_comboFont->currentFont().family(), m_spinFontSize->value());
        const QRect r = QFontMetrics(font).boundingRect(text).adjusted(-4, -4, 4, 4);
        qDebug() << "RCoverDlg::updateMyUIData: new Rect:" << r;
        QPixmap pix(r.size().expandedTo(QSize(1, 1)));
        pix.fill(Qt::transparent);
        QPainter painter(&pix);
        painter.setFont(font);
        painter.setPen(QColor(m_params.m_color.red(), m_params.m_color.green(), m_params.m_color.blue(),
                              m_sliderAlpha->value()));
        painter.drawText(pix.rect(), Qt::AlignCenter, text);
        painter.end();
        shown = pix.transformed(QTransform().rotate(rotate), Qt::SmoothTransformation);
    }
    if (!shown.isNull() && (shown.width() > kPreviewSize.width() || shown.height() > kPreviewSize.height()))
        shown = shown.scaled(kPreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_labelPreview->setPixmap(shown);
}

void RCoverDlg::slotOK()
{
    m_params.m_strFontFamily = m_comboFont->currentFont().family();
    m_params.m_iFontSize = m_spinFontSize->value();
    m_params.m_bBorder = m_checkBorder->isChecked();
    m_params.m_iBorderWidth = m_spinBorderWidth->value();
    m_params.m_strText = m_editText->text();
    m_params.m_strTimeFormat = m_editTime->text();
    m_params.m_iAlpha = m_sliderAlpha->value();
    m_params.m_iRotateCover = m_sliderRotate->value();
    m_params.m_bActualSize = m_checkActualSize->isChecked();
    if (m_params.m_bActualSize && m_sizePicture.isValid() && !m_sizePicture.isEmpty()) {
        m_params.m_iWidth = m_sizePicture.width();
        m_params.m_iHeight = m_sizePicture.height();
    }
    accept();
}

void RCoverDlg::slotCancel()
{
    reject();
}
