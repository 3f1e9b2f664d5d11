#include "RCamera.h"
#include "RScreenScale.h"

#include "RCameraGuard.h"
#include "RCameraImaProDlg.h"
#include "RDeviceIds.h"
#include "RDeviceLookup.h"
#include "RFrameTap.h"
#include <QVideoSurfaceFormat>
#include "RImageSaver.h"
#include "RPictureOrientation.h"
#include "RRectDetector.h"
#include "RResolutionRule.h"
#include "RSettingsStore.h"
#include "RTestCamera.h"

#include <QCamera>
#include <QCameraImageCapture>
#include <QCameraImageProcessing>
#include <QCameraInfo>
#include <QCameraViewfinder>
#include <QCameraViewfinderSettings>
#include <QDateTime>
#include <QDebug>
#include <QPainter>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageEncoderSettings>
#include <QPaintEvent>
#include <QPalette>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

namespace {
const char *kInit = "RCamera::initCamera:";
// Width of the small copy of the screen that tells how a delivered frame is turned.
constexpr int kShownThumbWidth = 48;
// The white and the picture overlap by this much at their edge, so no
// pixel falls between them when the view scales the picture down.
constexpr int kEdgeOverlap = 4;
} // namespace

RCamera::RCamera(QWidget *parent)
    : QWidget(parent)
{
    m_dScale = RScreenScale::dpiScale();

    m_listVid = RDeviceIds::vendorTable();
    m_listPid = RDeviceIds::productTable();

    // The whiteboard is this widget's own white with the viewfinder hidden.
    // It paints that white itself, only where the viewfinder draws no picture,
    // so the picture's pixels are painted once per frame.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette pal = palette();
    pal.setColor(QPalette::All, QPalette::Window, QColor(255, 255, 255, 255));
    setPalette(pal);

    m_viewfinder = new QCameraViewfinder(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_viewfinder);
    // Frames reach the viewfinder through the tap, which keeps the last one
    // for snapshots and the detection tick: a reference, no copy of the pixels.
    m_frameTap = new RFrameTap(this);
    m_frameTap->setTarget(m_viewfinder->videoSurface());

    m_detectTimer.setInterval(1000);
    m_rectTimer.setInterval(500);
    connect(&m_detectTimer, &QTimer::timeout, this, &RCamera::detectNetImage);
    connect(&m_rectTimer, &QTimer::timeout, this, &RCamera::detectImageRectObject);
}

RCamera::~RCamera()
{
    qDebug().noquote() << "RCamera::~RCamera()";
    m_detectTimer.stop();
    m_rectTimer.stop();
    if (m_testCamera) {
        qDebug().noquote() << "RCamera::~RCamera()" << "if(tc)";
        m_testCamera->setRun(false);
        m_testThread->quit();
        m_testThread->wait();
        delete m_testCamera;
        m_testCamera = nullptr;
        delete m_testThread;
        m_testThread = nullptr;
        qDebug().noquote() << "RCamera::~RCamera()" << "if(tc) end";
    }
    if (m_detectThread) {
        m_detectThread->quit();
        m_detectThread->wait();
        delete m_detector;
        m_detector = nullptr;
    }
    releaseCamera();
    qDebug().noquote() << "RCamera::~RCamera() end";
}

void RCamera::setDeviceIds(QString vid, QString pid)
{
    m_strVID = vid;
    m_strPID = pid;
}

void RCamera::releaseCamera()
{
    dropPendingDetection();
    delete m_pImaProDlg;
    m_pImaProDlg = nullptr;
    m_imageProcessing = nullptr;
    delete m_imageCapture;
    m_imageCapture = nullptr;
    if (m_cameraMain) {
        m_cameraMain->disconnect(this);
        RCameraGuard::stop(m_cameraMain);
        m_cameraMain->setViewfinder(static_cast<QAbstractVideoSurface *>(nullptr));
        RCameraGuard::destroy(m_cameraMain);
        m_cameraMain = nullptr;
    }
}

QString RCamera::getConnectDeviceName()
{
    return RDeviceLookup::documentCamera(m_listVid, m_listPid);
}

// Opening runs in steps; each failing step releases what the earlier ones made.
QSize RCamera::initCamera(QString name)
{
    qDebug().noquote() << kInit << name << "m_iCurResolutionIndex:" << m_iCurResolutionIndex;
    m_bFound = false;
    m_bFoundNotOpened = false;
    QString strVisora = name;
    if (strVisora.isEmpty())
        strVisora = getConnectDeviceName();
    if (strVisora.isEmpty()) {
        m_bFound = false;
        return QSize(0, 0);
    }
    qDebug().noquote() << "RCamera::initCamera:strVisora:" << strVisora;
    m_strCurDevice = strVisora;

    // A reopen replaces the previous set instead of leaking it.
    releaseCamera();
    m_sizeCurrent = QSize(0, 0);

    const RDeviceLookup::Match device = RDeviceLookup::byDescription(strVisora);
    m_bFound = device.found;
    if (!m_bFound) {
        qDebug().noquote() << kInit << "not found";
        return QSize(0, 0);
    }
    if (!startDevice(device.info))
        return QSize(0, 0);
    createImageCapture();
    QString recordingText;
    if (!chooseResolution(&recordingText))
        return QSize(0, 0);

    RSettingsStore::write(RSettingsKeys::VideoCamera, strVisora);
    RSettingsStore::write(RSettingsKeys::VideoP, device.pid);
    RSettingsStore::write(RSettingsKeys::VideoV, device.vid);
    RSettingsStore::write(RSettingsKeys::VideoResolutionIndex, m_iCurResolutionIndex);
    RSettingsStore::write(RSettingsKeys::VideoRecRess, recordingText);
    qDebug().noquote() << kInit << "strVisora:" << strVisora;

    return startPreview(strVisora);
}

bool RCamera::startDevice(const QCameraInfo &info)
{
    m_cameraMain = RCameraGuard::createCamera(info);
    connect(m_cameraMain, &QCamera::errorOccurred, this,
            [](QCamera::Error e) { qDebug().noquote() << "QCamera::Error value:" << RCameraGuard::errorName(e); });
    qDebug() << kInit << "state:" << m_cameraMain->state() << "status:" << m_cameraMain->status();

    RCameraGuard::start(m_cameraMain);
    qDebug() << kInit << "started, state:" << m_cameraMain->state() << "status:" << m_cameraMain->status();
    if (m_cameraMain->state() == QCamera::UnloadedState) {
        m_bFoundNotOpened = true;
        releaseCamera();
        qDebug().noquote() << kInit << "found but did not open, released";
        return false;
    }
    return true;
}

void RCamera::createImageCapture()
{
    m_imageCapture = new QCameraImageCapture(m_cameraMain);
    // The pipeline works from the delivered picture; writing it to a file as
    // well would leave a stray copy in the Pictures folder on every capture.
    if (m_imageCapture->isCaptureDestinationSupported(QCameraImageCapture::CaptureToBuffer))
        m_imageCapture->setCaptureDestination(QCameraImageCapture::CaptureToBuffer);
    else
        m_imageCapture->setCaptureDestination(QCameraImageCapture::CaptureToFile);
    m_cameraMain->setCaptureMode(QCamera::CaptureStillImage);
    m_cameraMain->setViewfinder(m_frameTap);
    QCameraImageCapture *cap = m_imageCapture;
    connect(this, &RCamera::sCapture, cap, [cap]() { cap->capture(); });
    connect(cap, &QCameraImageCapture::imageCaptured, this, &RCamera::cameraImageCaptured);
    connect(cap, QOverload<int, QCameraImageCapture::Error, const QString &>::of(&QCameraImageCapture::error), this,
            [this](int, QCameraImageCapture::Error, const QString &text) { emit sCaptureFailed(text); });
}

bool RCamera::chooseResolution(QString *recordingText)
{
    m_solutionCurlist = m_cameraMain->supportedViewfinderResolutions();
    qDebug().noquote() << kInit << "m_solutionCurlist.size():" << m_solutionCurlist.size();
    if (m_solutionCurlist.isEmpty()) {
        // Nothing can be shown at a known size: treat as unusable.
        m_bFoundNotOpened = true;
        releaseCamera();
        qDebug().noquote() << kInit << "no resolution, released";
        return false;
    }

    const RResolutionRule::Rule rule = RResolutionRule::systemRule();
    const RResolutionRule::Choice choice = RResolutionRule::choose(m_solutionCurlist, rule);
    m_iMaxWidth = choice.maxWidth;
    m_iMaxHeight = choice.maxHeight;
    *recordingText = choice.recordingText;

    qDebug().noquote() << kInit << "m_iCurResolutionIndex:" << m_iCurResolutionIndex;
    // By the size in use, not the index: a replugged device may list other sizes.
    m_iCurResolutionIndex =
        RResolutionRule::reopenIndex(m_solutionCurlist, m_sizePreferred, m_iCurResolutionIndex, choice.defaultIndex);
    qDebug().noquote() << kInit << "m_iCurResolutionIndex:" << m_iCurResolutionIndex;

    m_bSupportJpeg = false;
    const QList<QVideoFrame::PixelFormat> formats = m_cameraMain->supportedViewfinderPixelFormats();
    for (int i = 0; i < formats.size(); ++i) {
        qDebug() << kInit << i << ":" << formats.at(i);
        if (formats.at(i) == QVideoFrame::Format_Jpeg)
            m_bSupportJpeg = true;
    }

    if (m_cameraMain->focus() && m_cameraMain->focus()->isAvailable())
        qDebug().noquote() << kInit << "focus is availble!";
    return true;
}

QSize RCamera::startPreview(const QString &device)
{
    startDeviceTest();
    m_bCameraRun = true;
    setLost(false);

    const QSize size = m_solutionCurlist.at(m_iCurResolutionIndex);
    if (!m_sizePreferred.isValid())
        m_sizePreferred = size;
    qDebug().noquote() << kInit << "m_iVideoType:" << enumToStored(m_iVideoType);
    applyViewfinder(size, m_iVideoType);

    resize(size);
    m_sizeCurrent = size;
    QImageEncoderSettings encoding = m_imageCapture->encodingSettings();
    encoding.setResolution(size);
    m_imageCapture->setEncodingSettings(encoding);

    m_imageProcessing = m_cameraMain->imageProcessing();
    m_pImaProDlg = new RCameraImaProDlg();
    m_pImaProDlg->changeLanguage(m_iLanguage);
    connect(m_pImaProDlg, &RCameraImaProDlg::sValChanged, this, &RCamera::setImageProcess);

    m_strCurDevice = device;
    m_testCamera->setDevName(m_strCurDevice);
    qDebug().noquote() << kInit << "emit startTestThread()";
    requestTestRun();
    m_bInited = true;

    if (m_bWhiteBoard) // a reopen during the whiteboard keeps the board
        RCameraGuard::stop(m_cameraMain);

    const QCameraViewfinderSettings applied = m_cameraMain->viewfinderSettings();
    qDebug() << kInit << "cur format:" << applied.pixelFormat();
    qDebug() << kInit << "cur minimumFrameRate:" << applied.minimumFrameRate();
    emit sOpened(size);
    return size;
}

void RCamera::applyViewfinder(const QSize &resolution, VideoQuality videoType)
{
    QCameraViewfinderSettings settings = m_cameraMain->viewfinderSettings();
    if (resolution.isValid())
        settings.setResolution(resolution);
    const QList<QVideoFrame::PixelFormat> formats = m_cameraMain->supportedViewfinderPixelFormats();
    if (videoType == VideoQuality::HighDefinition && formats.contains(QVideoFrame::Format_YUYV)) {
        settings.setPixelFormat(QVideoFrame::Format_YUYV);
        qDebug().noquote() << kInit << "setPixelFormat:YUYV:" << enumToStored(videoType);
    } else if (formats.contains(QVideoFrame::Format_Jpeg)) {
        settings.setPixelFormat(QVideoFrame::Format_Jpeg);
        qDebug().noquote() << kInit << "setPixelFormat:Jpeg:" << enumToStored(videoType);
    }
    m_cameraMain->setViewfinderSettings(settings);
}

void RCamera::startDeviceTest()
{
    if (!m_testThread)
        m_testThread = new QThread(this);
    if (m_testCamera)
        return;
    m_testCamera = new RTestCamera();
    connect(this, &RCamera::startTestThread, m_testCamera, &RTestCamera::TestDevice);
    m_testCamera->setDevName(m_strCurDevice);
    connect(m_testCamera, &RTestCamera::response, this, &RCamera::showResponse);
    m_testThread->start(QThread::InheritPriority);
    m_testCamera->moveToThread(m_testThread);
}

void RCamera::requestTestRun()
{
    // One loop at a time: a request while one runs would only queue up.
    if (m_testCamera && m_testCamera->claimStart())
        emit startTestThread();
}

QSize RCamera::setResolutionIndex(int index)
{
    if (!m_cameraMain || m_solutionCurlist.isEmpty())
        return QSize();
    if (index < 0 || index >= m_solutionCurlist.size())
        index = m_solutionCurlist.size() - 1;
    m_iCurResolutionIndex = index;
    const QSize size = m_solutionCurlist.at(index);
    m_sizePreferred = size;
    m_iMaxWidth = size.width();
    m_iMaxHeight = size.height();
    qDebug().noquote() << "RCamera::setResolutionIndex:"
                       << "Width:" << m_iMaxWidth << "Index:" << index;
    // Keep the chosen pixel format: only the resolution changes.
    QCameraViewfinderSettings settings = m_cameraMain->viewfinderSettings();
    settings.setResolution(size);
    m_cameraMain->setViewfinderSettings(settings);
    qDebug().noquote() << "RCamera::setResolutionIndex:"
                       << "m_iCurResolutionX:" << size.width() << "m_iCurResolutionY:" << size.height();
    resize(size);
    m_sizeCurrent = size;
    if (m_imageCapture) {
        QImageEncoderSettings encoding = m_imageCapture->encodingSettings();
        encoding.setResolution(size);
        m_imageCapture->setEncodingSettings(encoding);
    }
    RSettingsStore::write(RSettingsKeys::VideoResolutionIndex, index);
    return size;
}

void RCamera::setVideoFormat(VideoQuality type)
{
    if (!m_cameraMain)
        return;
    // Keep the resolution: only the pixel format changes.
    QCameraViewfinderSettings settings = m_cameraMain->viewfinderSettings();
    const QList<QVideoFrame::PixelFormat> formats = m_cameraMain->supportedViewfinderPixelFormats();
    if (type == VideoQuality::HighDefinition && formats.contains(QVideoFrame::Format_YUYV))
        settings.setPixelFormat(QVideoFrame::Format_YUYV);
    else if (formats.contains(QVideoFrame::Format_Jpeg))
        settings.setPixelFormat(QVideoFrame::Format_Jpeg);
    qDebug() << "RCamera::setVideoFormat:" << enumToStored(type) << settings.pixelFormat();
    m_cameraMain->setViewfinderSettings(settings);
}

void RCamera::capture()
{
    emit sCapture();
}

void RCamera::stopCamera(bool bstop)
{
    qDebug().noquote() << "RCamera::stopCamera:" << bstop;
    if (bstop) {
        if (m_cameraMain) {
            RCameraGuard::stop(m_cameraMain);
            m_bCameraRun = false;
        }
        return;
    }
    if (m_cameraMain) {
        qDebug().noquote() << "RCamera::stopCamera: restarting the open camera";
        if (m_cameraMain->state() == QCamera::ActiveState)
            RCameraGuard::stop(m_cameraMain);
        RCameraGuard::start(m_cameraMain);
        qDebug().noquote() << "RCamera::stopCamera: restarted";
        m_bCameraRun = true;
    } else {
        qDebug().noquote() << "RCamera::stopCamera: no camera open, opening" << m_strCurDevice;
        initCamera(m_strCurDevice);
    }
}

void RCamera::setWhiteBoard(bool bIsWhiteBoard)
{
    qDebug().noquote() << "RCamera::setWhiteBoard:" << bIsWhiteBoard;
    m_bWhiteBoard = bIsWhiteBoard;
    if (bIsWhiteBoard) {
        if (m_cameraMain)
            RCameraGuard::stop(m_cameraMain);
        m_viewfinder->hide();
    } else {
        m_viewfinder->show();
        if (m_cameraMain) {
            RCameraGuard::start(m_cameraMain);
            // Running again, so a lost device is reopened as before.
            m_bCameraRun = true;
            qDebug().noquote() << "RCamera::setWhiteBoard: camera started";
        }
    }
    qDebug().noquote() << "RCamera::setWhiteBoard:end";
}

void RCamera::setCameraTest(bool b)
{
    qDebug().noquote() << "RCamera::setCameraTest:" << b;
    if (!m_bInited || !m_testCamera)
        return;
    m_testCamera->setRun(b);
    if (!b) {
        if (m_cameraMain)
            RCameraGuard::stop(m_cameraMain);
        qDebug().noquote() << "RCamera::setCameraTest: live view stopped, camera open:" << (m_cameraMain != nullptr);
    } else {
        if (m_cameraMain)
            RCameraGuard::start(m_cameraMain);
        qDebug().noquote() << "RCamera::setCameraTest: live view started, camera open:" << (m_cameraMain != nullptr);
        requestTestRun();
    }
}

void RCamera::showResponse(QString devname, int iexist)
{
    emit sShowOrHideImageList(false);
    if (devname.isEmpty() || devname != m_strCurDevice)
        return;
    if (iexist == 0) {
        qDebug().noquote() << "RCamera::showResponse:" << devname << ":设备丢失：" << 0;
        setLost(true);
    }
    if (!m_bInited) {
        qDebug().noquote() << "RCamera::showResponse:"
                           << "!m_bInited";
    } else if (m_bCameraRun && m_bLost) {
        qDebug().noquote() << "RCamera::showResponse: 重新连接";
        initCamera(m_strCurDevice);
    }
}

void RCamera::setLost(bool lost)
{
    if (lost == m_bLost)
        return;
    m_bLost = lost;
    emit sLostChanged(lost);
}

QImage RCamera::currentFrame() const
{
    return RFrameTap::frameImage(m_frameTap->lastFrame());
}

void RCamera::slotCloseApp()
{
    if (m_testCamera)
        m_testCamera->setRun(false);
    stopCamera(true);
    close();
}

void RCamera::slotChangeLangue(UiLanguage ilangue)
{
    qDebug().noquote() << "RCamera::slotChangeLangue" << enumToStored(m_iLanguage);
    if (m_pImaProDlg)
        m_pImaProDlg->changeLanguage(ilangue);
    m_iLanguage = ilangue;
}

void RCamera::showImageProcess()
{
    qDebug().noquote() << "RCamera::showImageProcess:m_iLanguage:" << enumToStored(m_iLanguage);
    if (!m_pImaProDlg)
        return;
    if (m_imageProcessing) {
        m_dBrightness = m_imageProcessing->brightness();
        m_dContrast = m_imageProcessing->contrast();
        m_dSaturation = m_imageProcessing->saturation();
    }
    m_pImaProDlg->initVals(m_dBrightness, m_dContrast, m_dSaturation);
    m_pImaProDlg->changeLanguage(m_iLanguage);
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize();
    QPoint pos;
    if (RCameraImaProDlg::placement(screenSize, m_dScale, &pos))
        m_pImaProDlg->move(pos);
    m_pImaProDlg->show();
    qDebug().noquote() << "RCamera::showImageProcess:"
                       << "width:" << screenSize.width() << "height:" << screenSize.height();
    qDebug().noquote() << "RCamera::showImageProcess():dpi:" << m_dScale;
    qDebug() << "RCamera::showImageProcess():size:" << m_pImaProDlg->size();
}

void RCamera::setImageProcess(PictureAdjust itype, double qval)
{
    if (!m_imageProcessing)
        return;
    switch (itype) {
    case PictureAdjust::Brightness:
        m_imageProcessing->setBrightness(qval);
        break;
    case PictureAdjust::Contrast:
        m_imageProcessing->setContrast(qval);
        break;
    case PictureAdjust::Saturation:
        m_imageProcessing->setSaturation(qval);
        break;
    }
}

void RCamera::cameraImageCaptured(int id, QImage image)
{
    qDebug().noquote() << "RCamera::cameraImageCaptured" << "id:" << id;
    if (image.isNull()) {
        qDebug().noquote() << "RCamera::cameraImageCaptured" << "nothing to save";
        emit sCaptureFailed(QString());
        return;
    }
    if (!m_params.m_strCurImageDir.isEmpty())
        QDir().mkpath(m_params.m_strCurImageDir);
    RImageSaver *saver = RImageSaver::instance();
    connect(saver, &RImageSaver::finished, this, &RCamera::saverFinished, Qt::UniqueConnection);
    // Scaling and the pipeline (a keystone warp takes a fifth of a second) run
    // on the save worker, so the live picture goes on meanwhile; naming and
    // the running document stay here.
    const RImageSaver::Prepare prepare =
        RCapturePipeline::preparer(m_params, m_rotRect, m_listQuad, m_sizeCurrent, m_cardState);
    QString path;
    const int job = RCapturePipeline::saveDocument(image, m_params, QDateTime::currentDateTime(), &path, prepare);
    m_pendingPdf.insert(job, path);
    qDebug().noquote() << "RCamera::cameraImageCaptured" << "m_strFileExt:" << m_params.m_strFileExt << path;
}

void RCamera::saverFinished(int id, const QString &path, bool ok, const QString &error)
{
    auto it = m_pendingPdf.find(id);
    if (it == m_pendingPdf.end())
        return;
    const QString requested = it.value();
    m_pendingPdf.erase(it);
    qDebug().noquote() << "RCamera::saverFinished:"
                       << "bOK:" << ok << path << (ok || !error.isEmpty() ? error : QStringLiteral("nothing to save"));
    if (!ok) {
        // The lesson goes on in the same document: the next page tries it again.
        emit sCaptureFailed(error);
        return;
    }
    if (path != requested && requested == m_params.m_strRunningPdf) {
        m_params.m_strRunningPdf = path;
        emit sCaptureMoved(QFileInfo(path).fileName());
    }
    emit sShowOrHideImageList(true);
    const QFileInfo fi(path);
    emit sCaptureFinished(fi.absolutePath(), fi.fileName());
}

QString RCamera::nextFileName(QString ext)
{
    return RCapturePipeline::nextFileName(m_params, ext, QDateTime::currentDateTime());
}

void RCamera::setCameraParam(const RCaptureSettings &settings)
{
    // The folder, the running number and the picture type have setters of
    // their own: captures and the scene move them on between two calls.
    RCaptureSettings &mine = m_params;
    const RCaptureSettings kept = mine;
    mine = settings;
    mine.m_strCurImageDir = kept.m_strCurImageDir;
    mine.m_iNameCurNum = kept.m_iNameCurNum;
    mine.m_strFileExt = kept.m_strFileExt;
    setPdfAppend(settings.m_bPdfAppend);
    setCameraAuto(settings.m_bAutoCut, settings.m_bAutoRotate);
    if (settings.m_iSnapType == SnapMode::OnChange)
        startDetect();
    else
        m_detectTimer.stop(); // no automatic snapshots outside the change mode
}

void RCamera::setCameraAuto(bool autoCut, bool autoRotate)
{
    m_params.m_bAutoCut = autoCut;
    m_params.m_bAutoRotate = autoRotate;
    if (autoCut)
        startRectDetect();
    else
        stopRectDetect();
}

void RCamera::setPdfAppend(bool on)
{
    m_params.m_bPdfAppend = on;
    if (!on)
        m_params.m_strRunningPdf.clear();
}

void RCamera::setAutoPerspective(bool on)
{
    // Every tick finds both outlines; the frame shows the chosen one from the next tick on.
    m_params.m_bAutoPerspective = on;
}

void RCamera::setCutRect(bool on, QPoint p1, QPoint p2)
{
    m_params.m_bCutRect = on;
    m_params.m_ptCut1 = p1;
    m_params.m_ptCut2 = p2;
}

void RCamera::setCover(bool on, QPointF offset, QPointF center, int alpha, QImage image, int angle)
{
    m_params.m_bCoverItem = on;
    m_params.m_ptCoverOffset = offset;
    m_params.m_ptCoverCenter = center;
    m_params.m_iAlphaCover = alpha;
    m_params.m_imageCover = image;
    m_params.m_iCoverAngle = angle;
}

void RCamera::startDetect()
{
    const QImage frame = grab().toImage();
    if (frame.width() > 0 && frame.height() > 0) {
        m_matReference = RImageProc::referenceFrame(frame);
        m_detectTimer.start();
    }
}

void RCamera::startRectDetect()
{
    if (!m_rectTimer.isActive())
        m_rectTimer.start();
}

void RCamera::stopRectDetect()
{
    if (m_rectTimer.isActive())
        m_rectTimer.stop();
    dropPendingDetection();
}

void RCamera::detectNetImage()
{
    const QImage frame = grab().toImage();
    if (frame.width() <= 0 || frame.height() <= 0 || m_matReference.rows <= 90)
        return;
    const cv::Mat current = RImageProc::referenceFrame(frame);
    const double dnum = RImageProc::framePsnr(m_matReference, current);
    qDebug().noquote() << "RCamera::detectNetImage" << "dnum:" << dnum
                       << QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    if (dnum < 20.0)
        emit sDetectSnap();
}

void RCamera::detectImageRectObject()
{
    // One detection at a time: a tick while one runs is left out, so results
    // never pile up and come back in the order they were asked for.
    if (m_iDetectInFlight >= 0)
        return;
    const QRect picture = pictureRect();
    if (picture.isEmpty()) {
        // Whiteboard or no picture: nothing to find.
        dropPendingDetection();
        applyRectResult(QList<QPoint>(), RRotatedRect(), QList<QPointF>());
        return;
    }
    const QRect local = picture.translated(-m_viewfinder->pos());
    QVideoFrame frame = m_frameTap->lastFrame();
    QImage shown;
    if (frame.isValid() && frame.handleType() == QAbstractVideoBuffer::NoHandle) {
        // A glimpse of the screen, so a frame delivered upside down or
        // mirrored is turned before its corners are read.
        shown = RRectDetector::shownPicture(m_viewfinder, local, kShownThumbWidth);
    } else {
        // No frame in memory (none kept yet, or a backend that hands over
        // textures): the picture as the viewfinder draws it.
        frame = QVideoFrame(
            RRectDetector::shownPicture(m_viewfinder, local, qMin(picture.width(), RRectDetector::kDetectWidth)));
    }
    startDetector();
    const int ticket = ++m_iDetectTicket;
    m_iDetectInFlight = ticket;
    RRectDetector *detector = m_detector;
    const QSize target = size();
    QMetaObject::invokeMethod(
        detector, [detector, frame, target, shown, ticket] { detector->detect(frame, target, shown, ticket); },
        Qt::QueuedConnection);
}

void RCamera::startDetector()
{
    if (m_detector)
        return;
    m_detectThread = new QThread(this);
    m_detectThread->setObjectName(QStringLiteral("RRectDetector"));
    m_detector = new RRectDetector();
    m_detector->moveToThread(m_detectThread);
    connect(m_detector, &RRectDetector::detected, this, &RCamera::rectDetected);
    m_detectThread->start();
}

void RCamera::dropPendingDetection()
{
    m_iDetectValidFrom = m_iDetectTicket + 1;
}

void RCamera::rectDetected(QList<QPoint> points, RRotatedRect rect, QList<QPointF> quad, int ticket)
{
    if (ticket == m_iDetectInFlight)
        m_iDetectInFlight = -1;
    // Asked for before a stop, a reopen or the whiteboard: no longer true.
    if (ticket < m_iDetectValidFrom)
        return;
    applyRectResult(points, rect, quad);
}

void RCamera::applyRectResult(const QList<QPoint> &points, const RRotatedRect &rect, const QList<QPointF> &quad)
{
    // The rotated rectangle stays on the camera picture: the capture cuts there.
    if (!points.isEmpty()) {
        m_rotRect = rect;
        m_fRectAngle = rect.angle;
        m_listQuad = quad;
    }
    m_listRectPointsCamera = points;
    // The frame is drawn over the picture as shown: the page's quadrilateral
    // in perspective mode, its rectangle otherwise.
    QList<QPoint> corners = points;
    if (m_params.m_bAutoPerspective && !points.isEmpty() && quad.size() == 4) {
        corners.clear();
        for (const QPointF &p : quad)
            corners << p.toPoint();
    }
    m_listRectPoints.clear();
    for (const QPoint &p : corners)
        m_listRectPoints << RPictureOrientation::mapPoint(p, size(), m_params.m_bMirror, m_params.m_bFlip);
    emit detectRect4Point(m_listRectPoints);
}

void RCamera::setOrientation(bool mirror, bool flip)
{
    if (m_params.m_bMirror == mirror && m_params.m_bFlip == flip)
        return;
    m_params.m_bMirror = mirror;
    m_params.m_bFlip = flip;
    qInfo() << "RCamera::setOrientation: mirror" << mirror << "flip" << flip;
    // The frame on screen moves with the page at once, not at the next tick.
    if (isRectDetecting() && !m_listRectPointsCamera.isEmpty())
        applyRectResult(m_listRectPointsCamera, m_rotRect, m_listQuad);
}

QRect RCamera::pictureRect() const
{
    // Frames reach the viewfinder through the tap, so a running stream is the
    // tap's, not a media object bound to the viewfinder.
    if (!m_viewfinder || m_viewfinder->isHidden() || !m_frameTap || !m_frameTap->isActive())
        return QRect();
    // The viewfinder's own placement: the stream's size fitted, aspect kept, centred.
    QSize native = m_frameTap->surfaceFormat().sizeHint();
    if (!native.isValid() || native.isEmpty())
        native = m_viewfinder->sizeHint();
    if (!native.isValid() || native.isEmpty())
        return QRect();
    QRect r(QPoint(0, 0), native.scaled(m_viewfinder->size(), Qt::KeepAspectRatio));
    r.moveCenter(m_viewfinder->rect().center());
    return r.translated(m_viewfinder->pos());
}

void RCamera::paintEvent(QPaintEvent *event)
{
    QRegion blank = event->region();
    const QRect picture = pictureRect();
    if (picture.width() > 2 * kEdgeOverlap && picture.height() > 2 * kEdgeOverlap)
        blank -= picture.adjusted(kEdgeOverlap, kEdgeOverlap, -kEdgeOverlap, -kEdgeOverlap);
    if (blank.isEmpty())
        return;
    QPainter painter(this);
    const QColor white = palette().color(QPalette::Window);
    for (const QRect &r : blank)
        painter.fillRect(r, white);
}
