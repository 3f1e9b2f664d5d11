#pragma once

#include "UiLanguage.h"

#include <QImage>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QHash>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVideoFrame>
#include <QWidget>

#include <opencv2/core.hpp>

#include "PictureAdjust.h"
#include "RCapturePipeline.h"
#include "RImageProc.h"

class QCamera;
class QCameraInfo;
class QCameraImageCapture;
class QCameraImageProcessing;
class QCameraViewfinder;
class QLabel;
class QThread;
class RCameraImaProDlg;
class RRectDetector;
class RFrameTap;
class RTestCamera;

// The live document-camera picture: finds and opens the camera, shows it in
// a viewfinder that fills the widget, watches the device and reopens it when
// it comes back, and runs the capture and detection routines.
class RCamera : public QWidget
{
    Q_OBJECT
public:
    explicit RCamera(QWidget *parent = nullptr);
    ~RCamera() override;

    // Opens the device described by `name` (auto-detected when empty).
    // Returns the picture size, 0x0 when nothing was opened.
    QSize initCamera(QString name);
    // Description of an attached camera whose ids are in the built-in tables.
    QString getConnectDeviceName();
    QSize setResolutionIndex(int index);
    QList<QSize> resolutionList() const { return m_solutionCurlist; }
    int curResolutionIndex() const { return m_iCurResolutionIndex; }
    void setCurResolutionIndex(int index) { m_iCurResolutionIndex = index; }
    void setVideoFormat(VideoQuality type);
    void setVideoType(VideoQuality type) { m_iVideoType = type; }
    VideoQuality videoType() const { return m_iVideoType; }
    // The ids the scene read from the settings store.
    void setDeviceIds(QString vid, QString pid);
    QString storedVid() const { return m_strVID; }
    QString storedPid() const { return m_strPID; }
    bool isFound() const { return m_bFound; }
    bool isFoundNotOpened() const { return m_bFoundNotOpened; }
    bool isSupportJpeg() const { return m_bSupportJpeg; }
    QString curDeviceName() const { return m_strCurDevice; }
    UiLanguage language() const { return m_iLanguage; }
    bool isInited() const { return m_bInited; }
    bool isRunning() const { return m_bCameraRun; }
    bool isLost() const { return m_bLost; }
    bool isWhiteBoard() const { return m_bWhiteBoard; }
    // The size of the picture being shown (0x0 without a camera).
    QSize currentResolution() const { return m_sizeCurrent; }
    // The size chosen by the teacher or the first open; a reopen returns to
    // it whenever the device offers it, whatever index it has there.
    QSize preferredResolution() const { return m_sizePreferred; }
    // The last frame delivered, sharing its memory; null before the first
    // frame and after the stream ended.
    QImage currentFrame() const;

    void capture();
    void startDetect();
    void startRectDetect();
    void stopRectDetect();
    bool isRectDetecting() const { return m_rectTimer.isActive(); }
    bool isChangeDetecting() const { return m_detectTimer.isActive(); }

    // The teacher's capture settings, all but the folder, the running number
    // and the picture type, which have setters of their own.
    void setCameraParam(const RCaptureSettings &settings);
    void setCameraAuto(bool autoCut, bool autoRotate);
    // Turning it off ends the running document; the next one starts afresh.
    void setPdfAppend(bool on);
    bool isAutoCut() const { return m_params.m_bAutoCut; }
    // The automatic crop flattens the page's quadrilateral instead of cutting
    // its rectangle; the document frame then shows the quadrilateral.
    void setAutoPerspective(bool on);
    bool isAutoPerspective() const { return m_params.m_bAutoPerspective; }
    void setSaveDir(QString dir) { m_params.m_strCurImageDir = dir; }
    QString saveDir() const { return m_params.m_strCurImageDir; }
    void setNameCurNum(int num) { m_params.m_iNameCurNum = num; }
    int nameCurNum() const { return m_params.m_iNameCurNum; }
    // The next name for the scene's own snapshots; advances and stores the number.
    QString nextFileName(QString ext);
    void setCaptureExt(QString ext) { m_params.m_strFileExt = ext; }
    void setCutRect(bool on, QPoint p1, QPoint p2);
    void setRotateAngle(int angle) { m_params.m_iRotateAngle = angle; }
    // The scene shows the picture mirrored and/or flipped: detected corners
    // are reported, and captures turned, the same way.
    void setOrientation(bool mirror, bool flip);
    void setCover(bool on, QPointF offset, QPointF center, int alpha, QImage image, int angle);
    const RCaptureParams &captureParams() const { return m_params; }
    QList<QPoint> rectPoints() const { return m_listRectPoints; }
    float rectAngle() const { return m_fRectAngle; }
    RRotatedRect rotatedRect() const { return m_rotRect; }
    // The last detected page's four corners, top-left first, clockwise.
    QList<QPointF> keystoneQuad() const { return m_listQuad; }

    // The Qt objects of the open device (null when none is open).
    QCamera *camera() const { return m_cameraMain; }
    QCameraImageCapture *imageCapture() const { return m_imageCapture; }
    QCameraViewfinder *viewfinder() const { return m_viewfinder; }
    RCameraImaProDlg *imageProcessDialog() const { return m_pImaProDlg; }
    RTestCamera *testWorker() const { return m_testCamera; }

    void setCameraTest(bool b);

    // Where the viewfinder draws the picture, in this widget's pixels; empty
    // while it draws none (whiteboard, no camera bound, no stream).
    QRect pictureRect() const;

signals:
    void sCapture();
    void startTestThread();
    void sDetectSnap();
    void detectRect4Point(QList<QPoint> points);
    void sShowOrHideImageList(bool bshow);
    // A capture document was written: folder and file name.
    void sCaptureFinished(QString sdir, QString sname);
    // A capture document could not be written, with the system's reason.
    void sCaptureFailed(QString reason);
    // The lesson's PDF was replaced by another program; its pages now go to `name`.
    void sCaptureMoved(QString name);
    // The device went missing (true) or was opened again (false).
    void sLostChanged(bool lost);
    // A device was opened (also again after a replug) at this picture size.
    void sOpened(QSize size);

public slots:
    void stopCamera(bool bstop);
    void setWhiteBoard(bool bIsWhiteBoard);
    void showResponse(QString devname, int iexist);
    void slotCloseApp();
    void slotChangeLangue(UiLanguage ilangue);
    void showImageProcess();
    void setImageProcess(PictureAdjust itype, double qval);
    void cameraImageCaptured(int id, QImage image);
    void detectNetImage();
    void detectImageRectObject();

protected:
    void paintEvent(QPaintEvent *event) override;

private slots:
    void saverFinished(int id, const QString &path, bool ok, const QString &error);
    void rectDetected(QList<QPoint> points, RRotatedRect rect, QList<QPointF> quad, int ticket);

private:
    // The steps of initCamera.
    bool startDevice(const QCameraInfo &info);
    void createImageCapture();
    bool chooseResolution(QString *recordingText);
    QSize startPreview(const QString &device);
    void startDeviceTest();
    // Stops and deletes the camera, its capture object and the adjustment
    // dialog of the previous open, so reopening never accumulates them.
    void releaseCamera();
    void applyViewfinder(const QSize &resolution, VideoQuality videoType);
    void requestTestRun();
    void startDetector();
    // Results of detections asked for before now are dropped on arrival.
    void dropPendingDetection();
    void applyRectResult(const QList<QPoint> &points, const RRotatedRect &rect, const QList<QPointF> &quad);
    void setLost(bool lost);

    // Device
    UiLanguage m_iLanguage = UiLanguage::Chinese;
    QString m_strCurDevice;
    VideoQuality m_iVideoType = VideoQuality::Fluent;
    bool m_bFound = false;
    bool m_bFoundNotOpened = false;
    bool m_bSupportJpeg = false;
    int m_iCurResolutionIndex = -1;
    QList<QSize> m_solutionCurlist;
    int m_iMaxWidth = 0;
    int m_iMaxHeight = 0;
    QSize m_sizeCurrent;
    QSize m_sizePreferred;
    RFrameTap *m_frameTap = nullptr;
    QCamera *m_cameraMain = nullptr;
    QCameraImageCapture *m_imageCapture = nullptr;
    QCameraViewfinder *m_viewfinder = nullptr;
    QCameraImageProcessing *m_imageProcessing = nullptr;
    RCameraImaProDlg *m_pImaProDlg = nullptr;
    bool m_bInited = false;
    bool m_bCameraRun = false;
    bool m_bLost = false;
    bool m_bWhiteBoard = false;
    double m_dScale = 1.0;
    QThread *m_testThread = nullptr;
    RTestCamera *m_testCamera = nullptr;
    QStringList m_listVid;
    QStringList m_listPid;
    QString m_strVID;
    QString m_strPID;
    double m_dBrightness = 0;
    double m_dContrast = 0;
    double m_dSaturation = 0;

    // Detection and snapshot state
    QTimer m_detectTimer;
    QTimer m_rectTimer;
    cv::Mat m_matReference;
    QList<QPoint> m_listRectPoints;
    // The same corners on the camera picture, before mirror and flip.
    QList<QPoint> m_listRectPointsCamera;
    RRotatedRect m_rotRect;
    QList<QPointF> m_listQuad;
    float m_fRectAngle = 0;
    QThread *m_detectThread = nullptr;
    RRectDetector *m_detector = nullptr;
    int m_iDetectTicket = 0;
    int m_iDetectValidFrom = 0;
    int m_iDetectInFlight = -1;

    // Capture
    RCaptureParams m_params;
    // Read and written only by the capture jobs on the save worker.
    std::shared_ptr<RCardState> m_cardState = std::make_shared<RCardState>();
    QHash<int, QString> m_pendingPdf; // job id -> the path asked for
};
