#include "RScreenScale.h"
#include "RSetting.h"
#include "RSettingsStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

void fill(QComboBox *combo, const QStringList &items)
{
    combo->clear();
    combo->addItems(items);
}

} // namespace

RSetting::RSetting(QWidget *parent)
    : QDialog(parent)
{
    // Keeps the dialog type: a title bar with only a close button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    setFont(RScreenScale::dialogFont());

    m_btnOK = named(new QPushButton(this), "btnOK");
    m_btnCancel = named(new QPushButton(this), "btnCancel");
    m_comboVideoType = named(new QComboBox(this), "comboVideoType");
    m_comboResolution = named(new QComboBox(this), "comboResolution");
    m_comboNameType = named(new QComboBox(this), "comboNameType");
    m_comboFileType = named(new QComboBox(this), "comboFileType");
    m_comboColorType = named(new QComboBox(this), "comboColorType");
    m_comboSnapType = named(new QComboBox(this), "comboSnapType");
    m_checkCardMix = named(new QCheckBox(this), "checkCardMix");
    m_checkAutoCut = named(new QCheckBox(this), "checkAutoCut");
    m_checkAutoRotate = named(new QCheckBox(this), "checkAutoRotate");
    m_checkPdfAppend = named(new QCheckBox(this), "checkPdfAppend");
    m_checkAutoPerspective = named(new QCheckBox(this), "checkAutoPerspective");
    m_editPrefix = named(new QLineEdit(this), "editPrefix");
    m_editCurNum = named(new QLineEdit(this), "editCurNum");
    m_editPath = named(new QLineEdit(this), "editPath");
    m_editPath->setReadOnly(true);
    // Each field grows with its text, so a long prefix, number or folder is
    // never cut; the narrow widths of old are the least they take.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int widest = screen ? screen->availableGeometry().width() * 2 / 3 : 1200;
    const auto fitted = [](QLineEdit *edit, int least, int most) {
        fitToText(edit, least, most);
        connect(edit, &QLineEdit::textChanged, edit, [edit, least, most] { fitToText(edit, least, most); });
    };
    fitted(m_editPrefix, 50, widest / 3);
    fitted(m_editCurNum, 30, widest / 3);
    fitted(m_editPath, 200, widest);
    m_spinNumLength = named(new QSpinBox(this), "spinNumLength");
    // The ranges the store mends stored values into.
    const auto rangeOf = [](QSpinBox *spin, const QString &key) {
        const RSettingRule *rule = RSettingsStore::rule(key);
        spin->setRange(rule->minimum(), rule->maximum());
    };
    rangeOf(m_spinNumLength, RSettingsKeys::FileNameNumLength);
    m_spinInterval = named(new QSpinBox(this), "spinInterval");
    rangeOf(m_spinInterval, RSettingsKeys::FileASnapInterval);
    m_btnBrowse = named(new QPushButton(this), "btnBrowse");

    m_labelVideoType = new QLabel(this);
    m_labelResolution = new QLabel(this);
    m_labelNameType = new QLabel(this);
    m_labelFileType = new QLabel(this);
    m_labelColorType = new QLabel(this);
    m_labelSnapType = new QLabel(this);
    m_labelPrefix = new QLabel(this);
    m_labelNumLength = new QLabel(this);
    m_labelCurNum = new QLabel(this);
    m_labelPath = new QLabel(this);
    m_labelInterval = new QLabel(this);

    auto row = [](std::initializer_list<QWidget *> widgets) {
        auto *h = new QHBoxLayout;
        for (QWidget *w : widgets)
            h->addWidget(w);
        h->addStretch();
        return h;
    };
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row({m_labelVideoType, m_comboVideoType, m_labelResolution, m_comboResolution}));
    layout->addLayout(row({m_labelSnapType, m_comboSnapType, m_labelFileType, m_comboFileType,
                           m_labelColorType, m_comboColorType, m_labelInterval, m_spinInterval}));
    layout->addLayout(row({m_labelNameType, m_comboNameType, m_labelPrefix, m_editPrefix,
                           m_labelNumLength, m_spinNumLength, m_labelCurNum, m_editCurNum}));
    layout->addLayout(row({m_checkCardMix, m_checkAutoCut, m_checkAutoPerspective, m_checkAutoRotate, m_checkPdfAppend}));
    layout->addLayout(row({m_labelPath, m_editPath, m_btnBrowse}));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnOK);
    buttons->addWidget(m_btnCancel);
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(m_btnOK, &QPushButton::clicked, this, &RSetting::slotOK);
    connect(m_btnCancel, &QPushButton::clicked, this, &RSetting::slotCancel);
    connect(m_btnBrowse, &QPushButton::clicked, this, &RSetting::setPath);
}

int RSetting::fileTypeIndex(const QString &ext)
{
    static const char *const exts[] = {"png", "jpg", "bmp", "tif"};
    for (int i = 0; i < 4; ++i) {
        if (ext.contains(QLatin1String(exts[i])))
            return i;
    }
    return 0;
}

QString RSetting::fileTypeExt(int index)
{
    switch (index) {
    case 1: return QStringLiteral("jpg");
    case 2: return QStringLiteral("bmp");
    case 3: return QStringLiteral("tif");
    default: return QStringLiteral("png");
    }
}

void RSetting::initData()
{
    const bool zh = m_iLangue == UiLanguage::Chinese;
    auto t = [zh](const char *cn, const char *en) {
        return zh ? QString::fromUtf8(cn) : QString::fromUtf8(en);
    };
    setWindowTitle(t("设置", "Snap Setting"));
    m_labelVideoType->setText(t("画质", "Video Quality"));
    fill(m_comboVideoType, {t("高速", "Fluently"), t("高清", "High Definition")});
    m_labelResolution->setText(t("分辨率", "Resolution"));
    m_labelNameType->setText(t("文件名命名", "Name Type"));
    fill(m_comboNameType, {t("时间", "Time"), t("数字", "Number")});
    m_labelFileType->setText(t("图片格式", "Picture Format"));
    fill(m_comboFileType, {QStringLiteral("PNG"), QStringLiteral("JPG"), QStringLiteral("BMP"), QStringLiteral("TIF")});
    m_labelColorType->setText(t("扫描类型", "Picture Color"));
    fill(m_comboColorType, {t("原始", "Colorful"), t("灰度", "Gray"), t("二值化", "Threshold")});
    m_labelSnapType->setText(t("拍照方式", "Snap Type"));
    fill(m_comboSnapType, {t("手动", "Manual Snap"), t("定时", "Fixed Time")});
    m_checkCardMix->setText(t("证件合成", "Compose"));
    m_checkAutoCut->setText(t("自动裁边纠偏", "Auto Cut"));
    m_checkAutoRotate->setText(t("自动纠偏", "Auto Rotate"));
    m_checkPdfAppend->setText(t("追加到同一PDF", "Append to one PDF"));
    m_checkAutoPerspective->setText(t("透视校正", "Perspective"));
    m_labelPrefix->setText(t("前缀", "Prefix"));
    m_labelNumLength->setText(t("数字长度", "No. Length"));
    m_labelCurNum->setText(t("当前序号", "Index"));
    m_labelPath->setText(t("保存路径", "Path"));
    m_labelInterval->setText(t("间隔", "Interval"));
    m_btnOK->setText(t("确定", "OK"));
    m_btnCancel->setText(t("取消", "Cancel"));
    m_btnBrowse->setText(t("设置", "Browse"));

    showChoices();
    for (const auto &[spin, field] : numbers())
        spin->setValue(m_capture.*field);
    for (const auto &[check, field] : switches())
        check->setChecked(m_capture.*field);
    m_comboFileType->setCurrentIndex(fileTypeIndex(m_capture.m_strFileExt));

    // The leading "4000 x 3000" item stands for the largest resolution, the
    // last one the camera lists.
    m_comboResolution->clear();
    m_comboResolution->addItem(QStringLiteral("4000 x 3000"));
    for (const QSize &size : qAsConst(m_listResolution))
        m_comboResolution->addItem(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()));
    if (m_iCurResolutionIndex >= 0 && m_iCurResolutionIndex < m_listResolution.size())
        m_comboResolution->setCurrentIndex(m_iCurResolutionIndex + 1);

    m_editPath->setText(m_capture.m_strCurImageDir);
    // A folder too long even for the widest field shows its start.
    m_editPath->setCursorPosition(0);
    m_editPrefix->setText(m_capture.m_strNamePrefix);
    m_editCurNum->setText(QString::number(m_capture.m_iNameCurNum));
    qDebug() << "RSetting::initData: resolutions" << m_listResolution.size() << "index" << m_iCurResolutionIndex
             << "ext" << m_capture.m_strFileExt;
}

void RSetting::slotOK()
{
    const int resolution = m_comboResolution->currentIndex();
    if (resolution >= 1)
        m_iCurResolutionIndex = resolution - 1;
    else if (!m_listResolution.isEmpty())
        m_iCurResolutionIndex = m_comboResolution->count() - 2;
    // Without any resolution there is nothing to choose: the index stays.

    takeChoices();
    for (const auto &[spin, field] : numbers())
        m_capture.*field = spin->value();
    for (const auto &[check, field] : switches())
        m_capture.*field = check->isChecked();
    m_capture.m_strCurImageDir = m_editPath->text();
    m_capture.m_strFileExt = fileTypeExt(m_comboFileType->currentIndex());
    m_capture.m_strNamePrefix = m_editPrefix->text();
    m_capture.m_iNameCurNum = m_editCurNum->text().toInt();
    qInfo() << "RSetting::slotOK: resolution index" << m_iCurResolutionIndex << "ext" << m_capture.m_strFileExt
            << "snap type" << enumToStored(m_capture.m_iSnapType) << "interval" << m_capture.m_iASnapInterval << "number"
            << m_capture.m_iNameCurNum;
    accept();
}

namespace {
// A list's row is the mode's stored number; a row naming none keeps the mode.
template <typename E>
void take(const QComboBox *combo, E &field)
{
    if (const auto mode = enumFromStored<E>(combo->currentIndex()))
        field = *mode;
}
} // namespace

void RSetting::showChoices()
{
    m_comboVideoType->setCurrentIndex(enumToStored(m_capture.m_iVideoType));
    m_comboSnapType->setCurrentIndex(enumToStored(m_capture.m_iSnapType));
    m_comboColorType->setCurrentIndex(enumToStored(m_capture.m_iSaveColorType));
    m_comboNameType->setCurrentIndex(enumToStored(m_capture.m_iNameType));
}

void RSetting::takeChoices()
{
    take(m_comboVideoType, m_capture.m_iVideoType);
    take(m_comboSnapType, m_capture.m_iSnapType);
    take(m_comboColorType, m_capture.m_iSaveColorType);
    take(m_comboNameType, m_capture.m_iNameType);
}

std::vector<std::pair<QSpinBox *, int RCaptureSettings::*>> RSetting::numbers() const
{
    return {{m_spinInterval, &RCaptureSettings::m_iASnapInterval},
            {m_spinNumLength, &RCaptureSettings::m_iNameNumLength}};
}

std::vector<std::pair<QCheckBox *, bool RCaptureSettings::*>> RSetting::switches() const
{
    return {{m_checkCardMix, &RCaptureSettings::m_bCardMix},
            {m_checkAutoCut, &RCaptureSettings::m_bAutoCut},
            {m_checkAutoRotate, &RCaptureSettings::m_bAutoRotate},
            {m_checkPdfAppend, &RCaptureSettings::m_bPdfAppend},
            {m_checkAutoPerspective, &RCaptureSettings::m_bAutoPerspective}};
}

void RSetting::slotCancel()
{
    reject();
}

int RSetting::widthForText(const QFontMetrics &metrics, const QString &text, int frame, int least, int most)
{
    // QLineEdit keeps 2 px each side of its text inside the frame, plus the cursor.
    const int needed = metrics.horizontalAdvance(text) + 2 * frame + 2 * 2 + 2;
    return qBound(least, needed, qMax(least, most));
}

void RSetting::fitToText(QLineEdit *edit, int least, int most)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QMargins margins = edit->textMargins();
    edit->setFixedWidth(widthForText(edit->fontMetrics(), edit->text(), frame, least, most)
                        + margins.left() + margins.right());
}

void RSetting::setPath()
{
    const QString dir = QFileDialog::getExistingDirectory(this, tr("选择路径"), m_capture.m_strCurImageDir,
                                                          QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    qInfo() << "RSetting::setPath: chosen" << dir;
    if (dir.isEmpty())
        return;
    m_editPath->setText(dir);
    m_editPath->setCursorPosition(0);
    m_capture.m_strCurImageDir = dir;
}
