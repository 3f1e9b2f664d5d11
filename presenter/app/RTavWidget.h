#pragma once

#include <QColor>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>
#include <optional>

#include "RCaptureSettings.h"

class RTools;
class RImageList;
class RDragScene;
class RNoScrollGraphicsView;
class RDrawTempWidget;
class RDrawSet;
class RQrScanner;
class RViewZoom;
class QTimer;
class QUrl;

// The presenter's full-screen main window: owns the scene and its view, the
// ink overlay, the tool bar and the thumbnail strip, and turns tool-bar
// commands into calls on the scene.
class RTavWidget : public QWidget
{
    Q_OBJECT
public:
    explicit RTavWidget(QWidget *parent = nullptr);
    ~RTavWidget() override;

    // Read-only views for tests and benches.
    RDragScene *scene() const { return m_scene; }
    RNoScrollGraphicsView *view() const { return m_view; }
    RTools *tools() const { return m_widgetTool; }
    RImageList *imageList() const { return m_widgetImageList; }
    RDrawTempWidget *drawTemp() const { return m_drawTemp; }
    int zoomLevel() const;
    int rotateAngle() const { return m_iRotateAngle; }
    QString imageDir() const { return m_capture.m_strCurImageDir; }
    QSize videoSize() const { return m_sizeVideo; }
    bool isWhiteboard() const { return m_bIsWhiteboard; }
    bool isCameraOpen() const { return m_bOpenCamera; }
    bool noConfirmClose() const { return m_bNoConfirmClose; }
    int languageIndex() const { return m_iLangue; }
    QTimer *snapTimer() const { return m_timerSnap; }
    int snapInterval() const { return m_capture.m_iASnapInterval; }
    int nameCurNum() const { return m_capture.m_iNameCurNum; }
    bool isScanning() const { return m_bScanning; }
    RQrScanner *qrScanner() const { return m_qrScanner; }

signals:
    void closeImageList();
    void sChangeDir(QString dir);
    void sRemoveScanItem();
    // The interface language changed (0 Chinese, 1 English).
    void sLanguageChanged(int ilangue);

public slots:
    void closeTav();
    void closeTavNoConfirm();
    void minTav();
    void settingTav();
    void slotMoveCamera();
    void slotRotate();
    void slotWrite();
    void slotRubber();
    void slotClearAll();
    void slotUndo();
    void slotSnap();
    void slotTracker();
    void slotStopCamera(bool bstop);
    void slotPDF();
    void slotCamera11();
    void slotCameraFull();
    void slotCameraSet();
    void slotWhiteboard(bool bIsBoard);
    void slotImageList(bool bshowed);
    void slotScrCon();
    void slotFile();
    void slotRect();
    void slotTriangle();
    void slotEllipse();
    void slotStar();
    void slotDrawset();
    void slotRecorder();
    void slotCoverDlg();
    void slotDetectDlg();
    void DelayTriggel();
    void sysTimerFun();
    void slotTimerSnap();
    void slotDetectSnap();
    void updateZoomLevel(double level);
    void touchZoom(int level);
    void slotBarcode();
    void slotScanStatus(bool bscan);
    void slotScrollChanged(int ival);
    void slotShowOrHideImageList(bool bshow);
    void slotZoom(int ival);
    void slotChangeLangue(int ilangue);
    bool addCameraItem();
    void slotViewFactorChange(double qfactor);
    void setPenColor(int idx, QColor colorpen);
    void setPenWidth(int ipenwid);
    void slotPictureLaidOut(QSize size);
    // Mirror and flip of the live picture, from the rotate menu; stored at once.
    void slotOrientation(bool bmirror, bool bflip);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void readStoredState();
    void createToolWindows();
    void createView();
    void createTimers();
    void createQrScanner();
    // Where a main-window dialog goes (an RPlacement::MainDialog); none keeps Qt's place.
    std::optional<QPoint> dialogPos(int dialog) const;
    void setToolMode(int cursorMode, bool showOverlay);
    void closeEverything();
    void showCameraWarning(const QString &text);
    // Opens a folder, file or link in the desktop's program; says so when none does.
    bool openOrSay(const QUrl &url);

    int m_iLangue = 0;
    RTools *m_widgetTool = nullptr;
    RImageList *m_widgetImageList = nullptr;
    RViewZoom *m_zoom = nullptr;
    RDragScene *m_scene = nullptr;
    RNoScrollGraphicsView *m_view = nullptr;
    RDrawTempWidget *m_drawTemp = nullptr;
    RDrawSet *m_drawSet = nullptr;
    QSize m_sizeVideo;
    int m_iRotateAngle = 0;
    bool m_bMirror = false;
    bool m_bFlip = false;
    int m_iPenWidth = 6;
    QColor m_colorPen;
    bool m_bFirstShow = true;
    QTimer *m_timerDelay = nullptr;
    bool m_bNoConfirmClose = false;
    bool m_bOpenCamera = false;
    bool m_bIsWhiteboard = false;
    QTimer *m_timerSnap = nullptr;
    RCaptureSettings m_capture;
    QTimer *m_timerScan = nullptr;
    bool m_bScanning = false;
    RQrScanner *m_qrScanner = nullptr;
    int m_iScreenWidth = 0;
    int m_iScreenHeight = 0;
    double m_dDpiScale = 1.0;
    bool m_bClosing = false;
};
