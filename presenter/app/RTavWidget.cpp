#include "RTavWidget.h"

#include "RClassView.h"
#include "RLessonRecorder.h"
#include "RNotice.h"
#include "RPublishControl.h"
#include "RDetectDlg.h"
#include "RDragScene.h"
#include "RDrawSet.h"
#include "RDrawTempWidget.h"
#include "RImageList.h"
#include "RNoScrollGraphicsView.h"
#include "RPlacement.h"
#include "RCoverDlg.h"
#include "RQrScanner.h"
#include "RRecorderLaunch.h"
#include "RSharePanel.h"
#include "RShareSession.h"
#include "RSetting.h"
#include "RScreenScale.h"
#include "RSettingsStore.h"
#include "RTavMessages.h"
#include "RTavWiring.h"
#include "RTools.h"
#include "RViewZoom.h"
#include "RCamera.h"
#include "RCameraGuard.h"

#include <QCloseEvent>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QStackedLayout>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

RTavWidget::RTavWidget(QWidget *parent)
    : QWidget(parent)
{
    setWindowFlags(windowFlags() & ~Qt::WindowMinimizeButtonHint & ~Qt::WindowMaximizeButtonHint);
    setWindowTitle("高拍仪");
    setWindowIcon(QIcon(":/Kelu/images/logom.png"));

    readStoredState();
    RSettingsStore::writeConfigIni(m_capture.m_strCurImageDir,
                                   RSettingsStore::joinAudioNames(RSettingsStore::audioInputNames()));
    createToolWindows();
    createView();
    RTavWiring::connectTools(m_widgetTool, this);
    RTavWiring::connectParts(this);
    m_widgetImageList->show();
    m_scene->setSaveDir(m_capture.m_strCurImageDir);
    m_scene->setPen(m_iPenWidth, m_colorPen);
    createTimers();
    createQrScanner();
    slotChangeLangue(m_iLangue);
}

RTavWidget::~RTavWidget()
{
    m_share->stop(); // before the class view it holds goes
    delete m_zoom;
    // The tool bar and the strip are parentless windows of ours.
    delete m_widgetTool;
    delete m_widgetImageList;
    delete m_drawSet;
}

// ---------------------------------------------------------------- construction

void RTavWidget::readStoredState()
{
    m_dDpiScale = RScreenScale::dpiScale();
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        m_iScreenWidth = screen->size().width();
        m_iScreenHeight = screen->size().height();
    }

    m_iRotateAngle = RSettingsStore::readInt(RSettingsKeys::VideoRotate);
    m_bMirror = RSettingsStore::readFlag(RSettingsKeys::VideoMirror);
    m_bFlip = RSettingsStore::readFlag(RSettingsKeys::VideoFlip);
    m_capture = RSettingsStore::readCapture();
    m_iPenWidth = RSettingsStore::readInt(RSettingsKeys::PenWidth);
    m_colorPen = RSettingsStore::readColor(RSettingsKeys::PenColor);
    m_iLangue = RSettingsStore::readLanguage();
    qInfo() << "RTavWidget::RTavWidget: rotate" << m_iRotateAngle << "dir" << m_capture.m_strCurImageDir << "langue"
            << enumToStored(m_iLangue);
}

void RTavWidget::createToolWindows()
{
    m_widgetImageList = new RImageList(nullptr);
    m_widgetImageList->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_widgetImageList->hide();
    m_widgetTool = new RTools(nullptr);
    m_widgetTool->setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_widgetTool->hide();
    m_widgetTool->setLangue(m_iLangue);
    m_widgetTool->setOrientation(m_bMirror, m_bFlip);
}

// The scene in its view, with the ink overlay stacked above it.
void RTavWidget::createView()
{
    m_scene = new RDragScene(this);
    m_view = new RNoScrollGraphicsView(nullptr);
    m_view->setScene(m_scene);
    m_view->setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    m_view->setDragMode(QGraphicsView::ScrollHandDrag);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setRotateAngle(m_iRotateAngle);
    m_view->setFrameShape(QFrame::NoFrame);
    m_scene->setRotateAngle(m_iRotateAngle);
    m_scene->setOrientation(m_bMirror, m_bFlip);
    m_zoom = new RViewZoom(m_view, this);
    m_zoom->setRotateAngle(m_iRotateAngle);
    // Made before the class view, so it is gone (and has stopped) first.
    m_publish = new RPublishControl(this);
    m_classView = new RClassView(m_scene, m_view, this);
    m_lesson = new RLessonRecorder(m_classView, m_scene, this, m_iLangue);
    m_share = new RShareSession({[this](QString *error) { return m_classView->acquire(error); },
                                 [this] { m_classView->release(); }, [this] { return m_classView->hub(); }}, this);
    m_sharePanel = new RSharePanel(m_share, this);
    m_publish->setClassView(m_classView);
    connect(m_widgetTool, &RTools::sPublish, this, [this] { m_publish->showDialog(this); });
    connect(m_publish, &RPublishControl::sNotice, this,
            [this](const QString &text) { m_scene->notice()->showMessage(text); });

    m_drawTemp = new RDrawTempWidget(nullptr);
    m_drawTemp->setGeometry(QRect(QPoint(0, 0), QPoint(m_iScreenWidth - 1, m_iScreenHeight - 1)));
    auto *layout = new QStackedLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setStackingMode(QStackedLayout::StackAll);
    layout->addWidget(m_drawTemp);
    layout->addWidget(m_view);
    layout->setCurrentWidget(m_drawTemp);
    setLayout(layout);
    m_drawTemp->hide();
}

void RTavWidget::createTimers()
{
    m_timerDelay = new QTimer(this);
    connect(m_timerDelay, &QTimer::timeout, this, &RTavWidget::DelayTriggel);
    m_timerSnap = new QTimer(this);
    connect(m_timerSnap, &QTimer::timeout, this, &RTavWidget::slotTimerSnap);
    m_timerScan = new QTimer(this);
    m_timerScan->setInterval(200);
    connect(m_timerScan, &QTimer::timeout, this, &RTavWidget::sysTimerFun);
}

void RTavWidget::createQrScanner()
{
    m_qrScanner = new RQrScanner(this);
    connect(m_qrScanner, &RQrScanner::sLinkRead, this, [this](const QUrl &url) {
        m_timerScan->stop();
        m_bScanning = false;
        emit sRemoveScanItem();
        if (openOrSay(url))
            minTav();
    });
    // Other text stays in the overlay until the teacher leaves it.
    connect(m_qrScanner, &RQrScanner::sTextRead, m_timerScan, &QTimer::stop);
}

// ---------------------------------------------------------------- start

void RTavWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_bFirstShow) {
        m_timerDelay->setSingleShot(true);
        m_timerDelay->start(1);
    }
}

void RTavWidget::DelayTriggel()
{
    if (!m_bFirstShow)
        return;
    m_bFirstShow = false;
    addCameraItem();
}

void RTavWidget::showCameraWarning(const QString &text)
{
    if (RTavMessages::askDetect(this, m_iLangue, text))
        slotDetectDlg();
    else
        close();
}

std::optional<QPoint> RTavWidget::dialogPos(int dialog) const
{
    return RPlacement::mainDialogPos(RPlacement::MainDialog(dialog), m_iScreenWidth, m_iScreenHeight, m_dDpiScale,
                                     m_widgetTool->y());
}

bool RTavWidget::addCameraItem()
{
    m_scene->setVideoType(m_capture.m_iVideoType);
    m_sizeVideo = m_scene->AddCameraItem(QString());
    const bool busy = m_scene->cameraBusy();
    qInfo() << "RTavWidget::addCameraItem: size" << m_sizeVideo << "busy" << busy;

    const bool opened = !(m_sizeVideo.width() == 0 && m_sizeVideo.height() == 0);
    // A camera that cannot open because the system lacks Qt's camera
    // service looks like no camera or a busy one; say what is missing.
    const QString failure =
        RTavMessages::cameraFailure(m_iLangue, opened, busy, !opened && RCameraGuard::serviceMissing());
    if (!failure.isEmpty()) {
        if (!opened)
            m_bNoConfirmClose = true;
        showCameraWarning(failure);
        return false;
    }
    m_bOpenCamera = true;
    m_bNoConfirmClose = false;
    m_scene->setSaveDir(m_capture.m_strCurImageDir);
    m_scene->setCameraParam(m_capture);
    m_scene->setNameCurNum(m_capture.m_iNameCurNum);
    slotPictureLaidOut(m_sizeVideo);
    // Raised as well: without a window manager stay-on-top is not enforced.
    m_widgetImageList->show();
    m_widgetImageList->raise();
    m_widgetTool->show();
    m_widgetTool->raise();
    emit sChangeDir(m_capture.m_strCurImageDir);
    return true;
}

// ---------------------------------------------------------------- geometry and zoom

// Every new picture size (open, replug, resolution change): room to drag the
// picture around, and the picture fitted to the screen.
void RTavWidget::slotPictureLaidOut(QSize size)
{
    if (size.isEmpty())
        return;
    m_sizeVideo = size;
    const int w = size.width();
    const int h = size.height();
    m_scene->setSceneRect(1 - 3 * w, 1 - 3 * h, 6 * w - 2, 6 * h - 2);
    slotCameraFull();
}

void RTavWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int h = height();
    const int b = m_widgetTool->buttonHeight();
    const int r = int(1.25 * b);
    m_widgetTool->setGeometry(20, h - r - 10, m_iScreenWidth - 40, r);
}

void RTavWidget::updateZoomLevel(double level)
{
    m_zoom->refresh(level);
}

void RTavWidget::slotZoom(int ival)
{
    m_zoom->zoomBy(ival);
}

void RTavWidget::wheelEvent(QWheelEvent *event)
{
    m_zoom->wheel(event->angleDelta().y());
}

int RTavWidget::zoomLevel() const
{
    return m_zoom->level();
}

void RTavWidget::touchZoom(int level)
{
    m_zoom->setLevel(level);
}

void RTavWidget::slotCamera11()
{
    if (!m_bIsWhiteboard)
        m_zoom->oneToOne();
}

void RTavWidget::slotCameraFull()
{
    m_zoom->fit(m_sizeVideo);
}

void RTavWidget::slotRotate()
{
    m_iRotateAngle = m_zoom->turn();
    m_scene->setRotateAngle(m_iRotateAngle);
    RSettingsStore::write(RSettingsKeys::VideoRotate, m_iRotateAngle);
}

void RTavWidget::slotOrientation(bool bmirror, bool bflip)
{
    m_bMirror = bmirror;
    m_bFlip = bflip;
    m_scene->setOrientation(m_bMirror, m_bFlip);
    RSettingsStore::write(RSettingsKeys::VideoMirror, m_bMirror);
    RSettingsStore::write(RSettingsKeys::VideoFlip, m_bFlip);
}

void RTavWidget::slotViewFactorChange(double qfactor)
{
    m_drawTemp->setPen(int(m_scene->penWidth() * qfactor), m_scene->penColor());
}

// ---------------------------------------------------------------- tool modes

void RTavWidget::setToolMode(CursorMode cursorMode, bool showOverlay)
{
    m_scene->setSceneCursor(cursorMode);
    m_drawTemp->setVisible(showOverlay);
}

void RTavWidget::slotMoveCamera()
{
    m_scene->slotShowVideoTracker(false);
    m_view->setDragMode(QGraphicsView::ScrollHandDrag);
    setToolMode(CursorMode::Move, false);
}

void RTavWidget::slotWrite()
{
    m_scene->slotWrite();
    m_drawTemp->setPen(int(m_scene->penWidth() * m_view->totalFactor()), m_scene->penColor());
    setToolMode(CursorMode::Pen, true);
    m_drawTemp->raise();
}

void RTavWidget::slotRubber()
{
    m_scene->slotRubber();
    m_view->setDragMode(QGraphicsView::RubberBandDrag);
    setToolMode(CursorMode::Erase, false);
}

void RTavWidget::slotRect()
{
    m_scene->slotRect();
    setToolMode(CursorMode::Pen, false);
}

void RTavWidget::slotTriangle()
{
    m_scene->slotTriangle();
    setToolMode(CursorMode::Pen, false);
}

void RTavWidget::slotEllipse()
{
    m_scene->slotEllipse();
    setToolMode(CursorMode::Pen, false);
}

void RTavWidget::slotStar()
{
    m_scene->slotStar();
    setToolMode(CursorMode::Pen, false);
}

void RTavWidget::slotTracker()
{
    if (m_bIsWhiteboard || m_bScanning)
        return;
    m_capture.m_bAutoCut = false;
    m_capture.m_bAutoRotate = false;
    m_scene->setCameraAuto(false, false);
    m_scene->slotShowVideoTracker(true);
    setToolMode(CursorMode::Spotlight, false);
}

void RTavWidget::slotClearAll()
{
    m_scene->clearAllMyItem();
}

void RTavWidget::slotUndo()
{
    m_scene->slotUndo();
}

void RTavWidget::slotWhiteboard(bool bIsBoard)
{
    m_scene->slotWhiteboard(bIsBoard);
    m_bIsWhiteboard = bIsBoard;
    if (!bIsBoard)
        m_widgetTool->setFreezeState(false);
}

void RTavWidget::slotCameraSet()
{
    if (!m_bIsWhiteboard)
        m_scene->slotCameraSet();
}

void RTavWidget::slotPDF()
{
    if (m_bIsWhiteboard || m_bScanning)
        return;
    m_scene->slotPDF(m_iRotateAngle);
}

void RTavWidget::setPenColor(int idx, QColor colorpen)
{
    Q_UNUSED(idx)
    m_drawTemp->setPenColor(colorpen);
}

void RTavWidget::setPenWidth(int ipenwid)
{
    m_drawTemp->setPenWidth(ipenwid);
}

// ---------------------------------------------------------------- snapshots and camera

void RTavWidget::slotSnap()
{
    if (m_bScanning)
        return;
    if (m_bIsWhiteboard)
        m_scene->whiteboardSnap(m_iRotateAngle, m_capture.m_strFileExt);
    else
        m_scene->slotSnap(m_iRotateAngle, m_capture.m_strFileExt);
}

// Timed and automatic snapshots skip a tick while the previous picture is
// still being written, so a slow format cannot pile pictures up in memory.
void RTavWidget::slotTimerSnap()
{
    if (!m_bIsWhiteboard && !m_bScanning && !m_scene->snapshotPending())
        slotSnap();
}

// Detection snapshots follow the timed ones' rule; the slot stays for callers.
void RTavWidget::slotDetectSnap()
{
    slotTimerSnap();
}

void RTavWidget::slotStopCamera(bool bstop)
{
    if (m_bIsWhiteboard || m_bScanning)
        return;
    if (m_bOpenCamera) {
        m_scene->slotStop(bstop);
    } else if (!bstop) {
        // addCameraItem sets the flag itself, also from a nested detection.
        addCameraItem();
    }
}

void RTavWidget::slotScrCon()
{
    if (!m_widgetImageList)
        return;
    if (!m_widgetImageList->cameraIsPlaying()) {
        m_widgetImageList->show();
        m_scene->slotStop(true);
        m_widgetImageList->showScreenContrast(m_scene->cameraName());
        // A compare view that did not start must not leave the live picture frozen.
        if (!m_widgetImageList->cameraIsPlaying())
            m_scene->slotStop(false);
    } else {
        m_widgetImageList->showScreenContrast(m_scene->cameraName());
        m_scene->slotStop(false);
        m_widgetTool->setFreezeState(false);
    }
}

// ---------------------------------------------------------------- other slots

void RTavWidget::minTav()
{
    showMinimized();
    m_widgetImageList->hide();
    m_widgetTool->hide();
}

void RTavWidget::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange) {
        // The tool bar belongs to a running camera, also after a restore.
        if ((windowState() & Qt::WindowFullScreen) && m_bOpenCamera)
            m_widgetTool->show();
        return;
    }
    QWidget::changeEvent(event);
}

void RTavWidget::slotImageList(bool bshowed)
{
    if (bshowed)
        m_widgetImageList->hide();
    else
        m_widgetImageList->show();
}

void RTavWidget::slotShowOrHideImageList(bool bshow)
{
    Q_UNUSED(bshow)
}

void RTavWidget::slotScrollChanged(int ival)
{
    Q_UNUSED(ival)
}

void RTavWidget::slotFile()
{
    if (!m_capture.m_strCurImageDir.isEmpty() && QDir(m_capture.m_strCurImageDir).exists())
        openOrSay(QUrl::fromLocalFile(m_capture.m_strCurImageDir));
}

bool RTavWidget::openOrSay(const QUrl &url)
{
    if (QDesktopServices::openUrl(url))
        return true;
    // Without an opener (xdg-utils) nothing would happen at all.
    const QString what = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
    m_scene->showNotice(m_iLangue == UiLanguage::English ? QStringLiteral("No program found to open %1").arg(what)
                                       : QStringLiteral("没有找到可以打开 %1 的程序").arg(what));
    return false;
}

void RTavWidget::slotChangeLangue(UiLanguage ilangue)
{
    m_widgetTool->slotChangeToolLanguage(ilangue);
    m_scene->slotChangeLangue(ilangue);
    m_qrScanner->setLanguage(ilangue);
    m_sharePanel->setLanguage(ilangue);
    m_publish->setLanguage(ilangue);
    m_widgetImageList->setLangue(ilangue);
    m_iLangue = ilangue;
    emit sLanguageChanged(ilangue);
}

void RTavWidget::slotBarcode()
{
    qDebug() << "RTavWidget::slotBarcode";
    if (m_bIsWhiteboard || m_bScanning || !m_scene->camera())
        return;
    m_bScanning = true;
    m_timerScan->start();
    m_qrScanner->start(m_scene, m_iLangue, -m_iRotateAngle);
}

void RTavWidget::slotScanStatus(bool bscan)
{
    m_bScanning = bscan;
    if (!bscan) {
        m_timerScan->stop();
        m_qrScanner->cancel();
    }
}

void RTavWidget::sysTimerFun()
{
    if (m_scene && m_bScanning)
        m_qrScanner->tick(m_scene->camera());
}

void RTavWidget::slotCoverDlg()
{
    if (!m_scene)
        return;
    RCoverDlg dlg;
    m_scene->coverSize();
    dlg.m_params = m_scene->coverParams();
    dlg.setLanguage(m_iLangue);
    dlg.initData();
    if (auto pos = dialogPos(RPlacement::Watermark))
        dlg.move(*pos);
    if (dlg.exec() != QDialog::Accepted)
        return;
    m_scene->coverParams() = dlg.m_params;
    m_scene->updateCoverItem(dlg.m_params.m_iType, dlg.m_params.m_iWidth, dlg.m_params.m_iHeight);
}

// ---------------------------------------------------------------- keys and closing

void RTavWidget::keyPressEvent(QKeyEvent *event)
{
    // The tool bar owns the shortcuts; its signals come back to this window.
    QCoreApplication::sendEvent(m_widgetTool, event);
}

void RTavWidget::closeTav()
{
    close();
}

void RTavWidget::closeTavNoConfirm()
{
    m_bNoConfirmClose = true;
    close();
}

void RTavWidget::closeEverything()
{
    m_bClosing = true;
    // A lesson being recorded is finished before the camera and scene go.
    m_lesson->finishNow();
    m_share->stop();
    m_scene->slotCloseApp();
    emit closeImageList();
    m_widgetTool->close();
}

void RTavWidget::closeEvent(QCloseEvent *event)
{
    if (m_bClosing) {
        event->accept();
        return;
    }
    if (m_bNoConfirmClose) {
        QCoreApplication::exit(0);
        closeEverything();
        event->accept();
        return;
    }
    if (RTavMessages::confirmExit(m_iLangue, dialogPos(RPlacement::ConfirmExit))) {
        closeEverything();
        event->accept();
        QCoreApplication::exit(0);
    } else {
        event->ignore();
    }
}

// ---------------------------------------------------------------- dialogs

void RTavWidget::settingTav()
{
    // Timed snapshots pause while the dialog is open and go on as they were
    // when it is cancelled; accepting sets them up anew below.
    const bool timerWasRunning = m_timerSnap->isActive();
    m_timerSnap->stop();
    RSetting dlg;
    dlg.m_iLangue = m_iLangue;
    dlg.m_listResolution = m_scene->resolutionList();
    dlg.m_iCurResolutionIndex = m_scene->curResolutionIndex();
    m_capture.m_iNameCurNum = m_scene->nameCurNum();
    const int shownNumber = m_capture.m_iNameCurNum;
    dlg.m_capture = m_capture;
    dlg.initData();
    if (auto pos = dialogPos(RPlacement::CaptureSettings))
        dlg.move(*pos);
    if (dlg.exec() != QDialog::Accepted) {
        if (timerWasRunning)
            m_timerSnap->start();
        return;
    }

    const RCaptureSettings before = m_capture;
    m_capture = dlg.m_capture;
    if (m_capture.m_strCurImageDir != before.m_strCurImageDir) {
        m_scene->setSaveDir(m_capture.m_strCurImageDir);
        emit sChangeDir(m_capture.m_strCurImageDir);
        RSettingsStore::writeConfigIniFolder(m_capture.m_strCurImageDir);
    }
    if (m_capture.m_iVideoType != before.m_iVideoType) {
        m_scene->setVideoType(m_capture.m_iVideoType);
        if (m_scene->camera())
            m_scene->camera()->setVideoFormat(m_capture.m_iVideoType);
    }
    // The scene reports the new layout, and the picture is fitted again.
    if (dlg.m_iCurResolutionIndex != m_scene->curResolutionIndex())
        m_scene->setCameraResolution(dlg.m_iCurResolutionIndex);
    // A capture that finished while the dialog was open has moved the number
    // on; only a number the teacher typed replaces it.
    if (m_capture.m_iNameCurNum != shownNumber)
        m_scene->setNameCurNum(m_capture.m_iNameCurNum);
    m_capture.m_iNameCurNum = m_scene->nameCurNum();
    m_scene->setCameraParam(m_capture);
    RSettingsStore::writeCapture(m_capture);

    m_timerSnap->setInterval(m_capture.m_iASnapInterval * 1000);
    if (m_capture.m_iSnapType == SnapMode::Timed)
        m_timerSnap->start();
    else
        m_timerSnap->stop();
}

void RTavWidget::slotDrawset()
{
    if (!m_drawSet) {
        m_drawSet = new RDrawSet(nullptr);
        connect(m_drawSet, &RDrawSet::changedColor, m_scene, &RDragScene::setPenColor);
        connect(m_drawSet, &RDrawSet::changedColor, this, &RTavWidget::setPenColor);
        connect(m_drawSet, &RDrawSet::changedPenWidth, m_scene, &RDragScene::setPenWidth);
        connect(m_drawSet, &RDrawSet::changedPenWidth, this, &RTavWidget::setPenWidth);
    }
    m_drawSet->setPen(m_scene->penWidth(), m_scene->penColor());
    m_drawSet->setLangue(m_iLangue);
    if (auto pos = dialogPos(RPlacement::PenSettings))
        m_drawSet->move(*pos);
    m_drawSet->exec();
}

void RTavWidget::slotDetectDlg()
{
    slotStopCamera(true);
    bool usable = false;
    {
        RDetectDlg dlg;
        dlg.setLanguage(m_iLangue);
        if (auto pos = dialogPos(RPlacement::DeviceDetection))
            dlg.move(*pos);
        dlg.exec();
        usable = dlg.result();
    }
    if (usable) {
        slotStopCamera(false);
        m_widgetTool->setFreezeState(false);
        return;
    }
    RTavMessages::cannotUseDevice(this, m_iLangue);
    close();
}

void RTavWidget::offerShare()
{
    if (const QString failed = m_sharePanel->offer(m_iLangue); !failed.isEmpty())
        m_scene->showNotice(failed);
}

void RTavWidget::slotRecorder()
{
    try {
        if (RSettingsStore::readString(RSettingsKeys::VideoCamera).isEmpty())
            return;
        slotStopCamera(true);
        hide();
        m_widgetTool->hide();
        m_widgetImageList->hide();
        const auto result = RRecorderLaunch::runStored(m_iLangue);
        qInfo() << "RTavWidget::slotRecorder: started" << result.started << "exit" << result.exitCode;
        QThread::sleep(1); // the camera the recorder just let go of settles before it opens again
        showFullScreen();
        m_widgetTool->show();
        m_widgetImageList->show();
        slotStopCamera(false);
        m_widgetTool->setFreezeState(false);
    } catch (const std::exception &e) {
        qInfo() << "RTavWidget::slotRecorder: exception" << e.what();
    } catch (...) {
        qInfo() << "RTavWidget::slotRecorder: exception";
    }
}
