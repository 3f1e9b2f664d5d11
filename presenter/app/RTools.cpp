#include "RTools.h"
#include "RScreenScale.h"

#include "Mybtn.h"
#include "QTMyIconStyle.h"
#include "RAboutSoftware.h"
#include "RLanguage.h"
#include "RPDFTool.h"
#include "ROCRTool.h"
#include "RPlacement.h"
#include "RToolsLayout.h"
#include "RSettingsStore.h"

#include <QAction>
#include <QActionGroup>
#include <QDebug>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace {

const char *const kNormalStyle =
    "QToolButton{border: none; background: rgb(100, 99, 99); color: rgb(0, 160, 230);} "
    "QToolButton:hover{border: none; background: rgb(68, 69, 73); color: rgb(0, 160, 230);}";
const char *const kSelectedStyle =
    "QToolButton{border: none; background: rgb(0, 160, 230); color: rgb(68, 69, 73);}";

} // namespace

RTools::RTools(QWidget *parent)
    : QWidget(parent)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen) {
        m_iScreenWidth = screen->size().width();
        m_iScreenHeight = screen->size().height();
        m_dDpiScale = RScreenScale::dpiScale();
    }
    init();
}

RTools::RTools(int screenWidth, int screenHeight, double dpiScale, QWidget *parent)
    : QWidget(parent)
    , m_iScreenWidth(screenWidth)
    , m_iScreenHeight(screenHeight)
    , m_dDpiScale(dpiScale)
{
    init();
}

void RTools::init()
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_iButtonWidth = RToolsLayout::buttonWidthFor(m_iScreenWidth);
    m_iButtonHeight = RToolsLayout::buttonHeightFor(m_iScreenWidth);
    m_szIcon = RToolsLayout::iconSizeFor(m_iScreenWidth);

    m_timerSnapLock = new QTimer(this);
    m_timerSnapLock->setSingleShot(true);
    m_timerSnapLock->setInterval(1000);
    connect(m_timerSnapLock, &QTimer::timeout, this, &RTools::slotRecoverCanSnap);

    createButtons();
    createSettingMenu();
    createShapesMenu();
    createRotateMenu();
    createGroups();
    setMode(0);
    qDebug() << "RTools::init: screen" << m_iScreenWidth << m_iScreenHeight << "scale" << m_dDpiScale << "button"
             << m_iButtonWidth << m_iButtonHeight << "icon" << m_szIcon;
}

QIcon RTools::icon(const QString &file) const
{
    const QPixmap pixmap(QStringLiteral(":/Kelu/images/") + file);
    if (pixmap.isNull()) {
        qDebug() << "RTools::icon: missing" << file;
        return QIcon();
    }
    return QIcon(pixmap.scaled(m_szIcon, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void RTools::setButtonIcon(Button button, const QString &file)
{
    m_act[button]->setIcon(icon(file));
}

void RTools::createButtons()
{
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(RToolsLayout::fontPixelSizeFor(m_iScreenWidth));

    for (int i = 0; i < ButtonCount; ++i) {
        const RToolsLayout::Entry &def = RToolsLayout::kButtons[i];
        QToolButton *button = (i == BtnWrite || i == BtnRubber) ? new Mybtn(this) : new QToolButton(this);
        button->setObjectName(QString::fromLatin1(def.name));
        auto *action = new QAction(icon(QString::fromLatin1(def.icon)), QString::fromUtf8(def.cn), button);
        action->setFont(font);
        // An explicit tool tip keeps the Chinese label when the text changes language.
        action->setToolTip(QString::fromUtf8(def.cn));
        action->setCheckable(i == BtnSetting || i == BtnMove || i == BtnWrite);
        button->setDefaultAction(action);
        button->setIconSize(m_szIcon);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setStyleSheet(QString::fromLatin1(kNormalStyle));
        const int width = i == BtnMin ? RToolsLayout::minimizeWidthFor(m_iScreenWidth) : m_iButtonWidth;
        button->setFixedSize(width, m_iButtonHeight);
        m_btn[i] = button;
        m_act[i] = action;
    }

    // The setting button only opens its menu.
    static const Slot handlers[ButtonCount] = {
        &RTools::closeApp,     &RTools::minApp,        nullptr,               &RTools::setMove,
        &RTools::setRotate,    &RTools::setWrite,      &RTools::setRubber,    &RTools::setUndo,
        &RTools::setSnap,      &RTools::setTracker,    &RTools::setStop,      &RTools::setPDF,
        &RTools::setCamera11,  &RTools::setCameraFull, &RTools::setCameraSet, &RTools::setWhiteboard,
        &RTools::setImageList, &RTools::setScrCon,     &RTools::setFile,
    };
    for (int i = 0; i < ButtonCount; ++i)
        if (handlers[i])
            bind(m_act[i], handlers[i]);
    connect(static_cast<Mybtn *>(m_btn[BtnRubber]), &Mybtn::doubleClicked, this, &RTools::setClearAll);

    auto group = [this](int first, int last) {
        auto *layout = new QHBoxLayout;
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        for (int i = first; i <= last; ++i)
            layout->addWidget(m_btn[i]);
        return layout;
    };
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(group(BtnClose, BtnSetting));
    layout->addStretch(1);
    layout->addLayout(group(BtnMove, BtnWhiteboard));
    layout->addStretch(1);
    layout->addLayout(group(BtnImageList, BtnFile));
}

QMenu *RTools::textMenu(const char *name, const RToolsLayout::Entry *items, int count, const Slot *handlers,
                        QAction **actions, bool checkable)
{
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(RToolsLayout::fontPixelSizeFor(m_iScreenWidth));
    auto *menu = new QMenu(this);
    menu->setObjectName(QString::fromLatin1(name));
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            menu->addSeparator();
        QAction *action = menu->addAction(QString::fromUtf8(items[i].cn));
        action->setObjectName(QString::fromLatin1(items[i].name));
        action->setFont(font);
        action->setCheckable(checkable);
        bind(action, handlers[i]);
        actions[i] = action;
    }
    menu->setStyleSheet(RToolsLayout::settingMenuStyleSheet(m_iScreenWidth, m_btn[BtnWrite]->font().pixelSize()));
    return menu;
}

void RTools::createSettingMenu()
{
    static const Slot handlers[SettingItemCount] = {
        &RTools::setLanguage, &RTools::setSnapSetting, &RTools::setRecorder, &RTools::setCoverSet, &RTools::setPDFTool,
        &RTools::setBarcode,  &RTools::setOCR,         &RTools::setDetect,   &RTools::setAbout,
    };
    m_menuSetting = textMenu("menuSetting", RToolsLayout::kSettingItems, SettingItemCount, handlers, m_actSetting, false);
    m_btn[BtnSetting]->setMenu(m_menuSetting);
    m_btn[BtnSetting]->setPopupMode(QToolButton::InstantPopup);
}

void RTools::createShapesMenu()
{
    static const Slot handlers[ShapeItemCount] = {
        &RTools::setRectange, &RTools::setTriangle, &RTools::setEllipse, &RTools::setStar, &RTools::setDrawset,
    };
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(RToolsLayout::fontPixelSizeFor(m_iScreenWidth));

    m_menuWrite = new QMenu(m_btn[BtnWrite]);
    m_menuWrite->setObjectName(QStringLiteral("menuWrite"));
    auto *style = new QTMyIconStyle;
    style->setParent(m_menuWrite);
    m_menuWrite->setStyle(style);
    for (int i = 0; i < ShapeItemCount; ++i) {
        if (i > 0)
            m_menuWrite->addSeparator();
        QAction *action = m_menuWrite->addAction(icon(QString::fromLatin1(RToolsLayout::kShapeItems[i].icon)),
                                                 QString::fromUtf8(RToolsLayout::kShapeItems[i].cn));
        action->setObjectName(QString::fromLatin1(RToolsLayout::kShapeItems[i].name));
        action->setFont(font);
        bind(action, handlers[i]);
        m_actShape[i] = action;
    }
    m_menuWrite->setStyleSheet(RToolsLayout::shapesMenuStyleSheet(m_btn[BtnWrite]->font().pixelSize()));
}

void RTools::createRotateMenu()
{
    static const Slot handlers[RotateItemCount] = {&RTools::setMirror, &RTools::setFlip};
    m_menuRotate = textMenu("menuRotate", RToolsLayout::kRotateItems, RotateItemCount, handlers, m_actRotate, true);
    // A click still turns the picture; the arrow beside it opens the menu.
    m_btn[BtnRotate]->setMenu(m_menuRotate);
    m_btn[BtnRotate]->setPopupMode(QToolButton::MenuButtonPopup);
}

void RTools::bind(QAction *action, Slot command)
{
    // Qt still emits triggered() for a disabled action triggered from code.
    connect(action, &QAction::triggered, this, [this, action, command] {
        if (action->isEnabled())
            (this->*command)();
    });
}

void RTools::createGroups()
{
    m_groupLive = new QActionGroup(this);
    m_groupLive->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    for (Button b : {BtnMin, BtnMove, BtnWrite, BtnRubber, BtnUndo, BtnCameraFull, BtnWhiteboard, BtnImageList, BtnFile})
        m_groupLive->addAction(m_act[b]);
    for (QAction *shape : m_actShape)
        m_groupLive->addAction(shape);
    m_groupLive->addAction(m_actSetting[ItemSnapSetting]);
    m_groupCamera = new QActionGroup(this);
    m_groupCamera->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    m_groupCamera->addAction(m_act[BtnCamera11]);
    m_groupCamera->addAction(m_act[BtnCameraSet]);
}

void RTools::applyToolStates()
{
    m_groupLive->setEnabled(!m_bScrCon);
    m_groupCamera->setEnabled(!m_bScrCon && !m_bWhiteboard);
}

void RTools::setOrientation(bool mirror, bool flip)
{
    m_actRotate[0]->setChecked(mirror);
    m_actRotate[1]->setChecked(flip);
}

void RTools::setMode(int mode)
{
    static const Button modeButtons[4] = {BtnMove, BtnWrite, BtnRubber, BtnTracker};
    for (Button b : modeButtons)
        m_btn[b]->setStyleSheet(QString::fromLatin1(kNormalStyle));
    if (mode < 0 || mode > 3)
        return;
    m_btn[modeButtons[mode]]->setStyleSheet(QString::fromLatin1(kSelectedStyle));
    m_bWriteSelected = mode == 1;
    if (mode != 3)
        m_bTracker = false;
}

// ---- slots -------------------------------------------------------------

void RTools::slotShowOrHide(bool bshow)
{
    if (!m_act[BtnImageList]->isEnabled())
        return;
    setButtonIcon(BtnImageList, bshow ? QStringLiteral("up.png") : QStringLiteral("down.png"));
    emit sImageList(!m_bShowed);
    m_bShowed = bshow;
}

void RTools::shutcutSanp()
{
    requestSnap("shutcutSanp");
}

void RTools::slotChangeToolLanguage(int ilanguage)
{
    m_iLangue = ilanguage;
    const bool en = ilanguage != 0;
    for (int i = 0; i < ButtonCount; ++i)
        m_act[i]->setText(QString::fromUtf8(en ? RToolsLayout::kButtons[i].en : RToolsLayout::kButtons[i].cn));
    for (int i = 0; i < SettingItemCount; ++i)
        m_actSetting[i]->setText(QString::fromUtf8(en ? RToolsLayout::kSettingItems[i].en : RToolsLayout::kSettingItems[i].cn));
    for (int i = 0; i < ShapeItemCount; ++i)
        m_actShape[i]->setText(QString::fromUtf8(en ? RToolsLayout::kShapeItems[i].en : RToolsLayout::kShapeItems[i].cn));
    for (int i = 0; i < RotateItemCount; ++i)
        m_actRotate[i]->setText(QString::fromUtf8(en ? RToolsLayout::kRotateItems[i].en : RToolsLayout::kRotateItems[i].cn));
    // The freeze button keeps telling what a click will do.
    applyFreezeTexts();
    qInfo() << "RTools::slotChangeToolLanguage: langue" << ilanguage;
}

void RTools::slotRecoverCanSnap()
{
    m_timerSnapLock->stop();
    m_bSnapping = false;
}

void RTools::closeApp()
{
    qInfo() << "RTools::closeApp:";
    emit sClose();
}

void RTools::minApp()
{
    emit sMin();
}

void RTools::sysSetting()
{
    setSnapSetting();
}

void RTools::setMove()
{
    emit sMoveCamera();
    setMode(0);
}

void RTools::setRotate()
{
    emit sRotate();
}

void RTools::setMirror()
{
    qInfo() << "RTools::setMirror: mirror" << m_actRotate[0]->isChecked();
    emit sOrientation(m_actRotate[0]->isChecked(), m_actRotate[1]->isChecked());
}

void RTools::setFlip()
{
    qInfo() << "RTools::setFlip: flip" << m_actRotate[1]->isChecked();
    emit sOrientation(m_actRotate[0]->isChecked(), m_actRotate[1]->isChecked());
}

void RTools::setWrite()
{
    if (m_bWriteSelected) {
        setWriteSet();
        return;
    }
    emit sWrite();
    setMode(1);
}

void RTools::setWriteSet()
{
    const QPoint pos = RToolsLayout::shapesMenuPos(m_iScreenWidth, m_dDpiScale, m_btn[BtnWrite]->x(), m_szIcon.width(), y());
    qDebug() << "RTools::setWriteSet: menu at" << pos;
    m_menuWrite->move(pos);
    m_menuWrite->show();
}

void RTools::requestSnap(const char *from)
{
    if (m_bSnapping) {
        qDebug().noquote() << QStringLiteral("RTools::%1: locked").arg(QLatin1String(from));
        return;
    }
    // Show the strip so the new picture is seen; in compare mode (strip
    // button away) it is shown already and its collapse state must stay.
    if (m_act[BtnImageList]->isEnabled()) {
        m_bShowed = false;
        setImageList();
    }
    emit sSnap();
    m_bSnapping = true;
    m_timerSnapLock->start();
}

void RTools::setSnap()
{
    requestSnap("setSnap");
}

void RTools::setRubber()
{
    emit sRubber();
    setMode(2);
}

void RTools::setClearAll()
{
    emit sClearAll();
}

void RTools::setUndo()
{
    emit sUndo();
}

void RTools::setTracker()
{
    m_bTracker = !m_bTracker;
    if (m_bTracker) {
        emit sTracker();
        setMode(3);
    } else {
        emit sMoveCamera();
        setMode(0);
    }
}

void RTools::applyFreezeTexts()
{
    const bool en = m_iLangue != 0;
    const QString text = m_bFreeze ? (en ? QStringLiteral("Unfreeze") : QStringLiteral("解冻"))
                                   : (en ? QStringLiteral("Freeze") : QStringLiteral("冻结"));
    m_act[BtnStop]->setText(text);
}

void RTools::setStop()
{
    m_bFreeze = !m_bFreeze;
    emit sStopCamera(m_bFreeze);
    setButtonIcon(BtnStop, m_bFreeze ? QStringLiteral("start.png") : QStringLiteral("stop.png"));
    applyFreezeTexts();
    m_act[BtnStop]->setToolTip(m_act[BtnStop]->text());
    qInfo() << "RTools::setStop: freeze" << m_bFreeze;
}

void RTools::setFreezeState(bool frozen)
{
    if (m_bFreeze == frozen)
        return;
    m_bFreeze = frozen;
    setButtonIcon(BtnStop, m_bFreeze ? QStringLiteral("start.png") : QStringLiteral("stop.png"));
    applyFreezeTexts();
    m_act[BtnStop]->setToolTip(m_act[BtnStop]->text());
}

void RTools::setPDF()
{
    if (m_bSnapping) {
        qDebug() << "RTools::setPDF: locked";
        return;
    }
    emit sPDF();
    m_bSnapping = true;
    m_timerSnapLock->start();
}

void RTools::setCamera11()
{
    emit sCamera11();
}

void RTools::setCameraFull()
{
    emit sCameraFull();
}

void RTools::setCameraSet()
{
    emit sCameraSet();
}

void RTools::setWhiteboard()
{
    m_bWhiteboard = !m_bWhiteboard;
    applyToolStates();
    emit sWhiteboard(m_bWhiteboard);
    if (m_bWhiteboard) {
        setButtonIcon(BtnWhiteboard, QStringLiteral("unboard.png"));
        emit sMoveCamera();
        setMode(0);
    } else {
        setButtonIcon(BtnWhiteboard, QStringLiteral("board.png"));
    }
    showOrHideButton(QStringLiteral("setWhiteboard"), m_bWhiteboard);
    qInfo() << "RTools::setWhiteboard: whiteboard" << m_bWhiteboard;
}

void RTools::setImageList()
{
    setButtonIcon(BtnImageList, m_bShowed ? QStringLiteral("up.png") : QStringLiteral("down.png"));
    emit sImageList(m_bShowed);
    m_bShowed = !m_bShowed;
}

void RTools::setScrCon()
{
    m_bScrCon = !m_bScrCon;
    applyToolStates();
    if (m_bScrCon) {
        if (!m_bShowed) {
            setButtonIcon(BtnImageList, QStringLiteral("down.png"));
            emit sImageList(false);
            m_bShowed = true;
        }
        setButtonIcon(BtnScrCon, QStringLiteral("unscrcon.png"));
    } else {
        setButtonIcon(BtnScrCon, QStringLiteral("scrcon.png"));
    }
    emit sScrCon();
    showOrHideButton(QStringLiteral("setScrCon"), m_bScrCon);
    qInfo() << "RTools::setScrCon: compare" << m_bScrCon;
}

void RTools::setFile()
{
    emit sFile();
}

// Freehand and every shape: tell the window, then the annotate button shows selected.
void RTools::drawShape(Signal shape)
{
    emit(this->*shape)();
    setMode(1);
}

void RTools::setHand() { drawShape(&RTools::sWrite); }
void RTools::setRectange() { drawShape(&RTools::sRect); }
void RTools::setTriangle() { drawShape(&RTools::sTriangle); }
void RTools::setEllipse() { drawShape(&RTools::sEllipse); }
void RTools::setStar() { drawShape(&RTools::sStar); }

void RTools::setDrawset()
{
    emit sDrawset();
}

void RTools::setLanguage()
{
    RLanguage dialog;
    dialog.m_iLangue = m_iLangue;
    dialog.initData();
    if (const auto pos = RPlacement::toolDialogPos(RPlacement::Language, m_iScreenWidth, m_dDpiScale,
                                                   m_btn[BtnSetting]->x(), y()))
        dialog.move(*pos);
    const int result = dialog.exec();
    qInfo() << "RTools::setLanguage: result" << result << "langue" << dialog.m_iLangue << "was" << m_iLangue;
    if (result != QDialog::Accepted || dialog.m_iLangue == m_iLangue)
        return;
    m_iLangue = dialog.m_iLangue;
    emit sChangeLanguage(m_iLangue);
    RSettingsStore::write(RSettingsKeys::SystemLangue, m_iLangue);
}

void RTools::setSnapSetting()
{
    emit sSetting();
    emit sMoveCamera();
    setMode(0);
}

void RTools::setRecorder()
{
    emit sRecorder();
}

void RTools::setCoverSet()
{
    emit sCoverDlg();
}

void RTools::setPDFTool()
{
    RPDFTool dialog;
    dialog.slotSetLangue(m_iLangue);
    dialog.m_strCurDir = RSettingsStore::pictureFolder();
    if (const auto pos = RPlacement::toolDialogPos(RPlacement::PdfMaker, m_iScreenWidth, m_dDpiScale, 0, y()))
        dialog.move(*pos);
    dialog.exec();
}

void RTools::setBarcode()
{
    emit sBarcode();
}

void RTools::setOCR()
{
    ROCRTool dialog;
    dialog.slotSetLangue(m_iLangue);
    if (const auto pos = RPlacement::toolDialogPos(RPlacement::TextRecognition, m_iScreenWidth, m_dDpiScale, 0, y()))
        dialog.move(*pos);
    dialog.exec();
}

void RTools::setDetect()
{
    emit sDetect();
}

void RTools::setAbout()
{
    RAboutSoftware dialog;
    dialog.slotSetLangue(m_iLangue);
    if (const auto pos = RPlacement::toolDialogPos(RPlacement::About, m_iScreenWidth, m_dDpiScale,
                                                   m_btn[BtnSetting]->x(), y()))
        dialog.move(*pos);
    dialog.exec();
}

void RTools::showToolWid()
{
    qDebug() << "RTools::showToolWid:";
}

void RTools::showOrHideButton(QString btnName, bool bValue)
{
    qDebug() << "RTools::showOrHideButton:" << btnName << bValue;
    if (btnName == QLatin1String("setScrCon")) {
        if (bValue) {
            saveStatusLast();
            for (int i = 0; i < ButtonCount; ++i)
                m_btn[i]->setVisible(i == BtnScrCon);
        } else {
            setLastStatus();
        }
    } else if (btnName == QLatin1String("setWhiteboard")) {
        if (bValue) {
            saveStatusLast();
            for (Button b : {BtnClose, BtnMin, BtnMove, BtnWrite, BtnRubber, BtnUndo, BtnSnap, BtnCameraFull})
                m_btn[b]->show();
            for (Button b : {BtnSetting, BtnRotate, BtnTracker, BtnStop, BtnPdf, BtnCamera11, BtnCameraSet})
                m_btn[b]->hide();
            for (int i = BtnWhiteboard; i <= BtnFile; ++i)
                m_btn[i]->show();
        } else {
            for (QToolButton *button : m_btn)
                button->show();
        }
    }
}

void RTools::saveStatusLast()
{
    // Whether the tool bar window itself is shown does not matter here.
    for (int i = 0; i < ButtonCount; ++i)
        m_bVisibleLast[i] = !m_btn[i]->isHidden();
}

void RTools::setLastStatus()
{
    for (int i = 0; i < ButtonCount; ++i)
        m_btn[i]->setVisible(m_bVisibleLast[i]);
}

void RTools::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods != (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_I: emit sZoom(-4); break;
    case Qt::Key_O: emit sZoom(4); break;
    case Qt::Key_M: shutcutSanp(); break;
    case Qt::Key_P: emit sNoConfirmClose(); break;
    case Qt::Key_U: emit sRotate(); break;
    default: QWidget::keyPressEvent(event); break;
    }
}
