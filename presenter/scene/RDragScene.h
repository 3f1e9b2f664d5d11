#pragma once

#include "UiLanguage.h"

#include "CaptureModes.h"
#include "CoverParams.h"
#include "CurStatus.h"
#include "CursorMode.h"
#include "RUndoLog.h"
#include "UndoRecord.h"

#include <QColor>
#include <QGraphicsScene>
#include <QHash>
#include <QList>
#include <QPainterPath>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QVector>
#include <QWidget>
#include <optional>

struct RCaptureSettings;
class RCamera;
class RProxyWidget;
class RVideoTracker;
class RVideoRect;
class RWidgetItem;
class RPixmapItem;
class RScenePictures;
class RCoverItem;
class RSceneSnapshot;
class ROverlayLayer;
class RNotice;
class RSceneNotices;
class RSceneInk;
class QGraphicsProxyWidget;

// The presentation scene: the live picture in a proxy item, the overlays over
// it, ink, shapes and placed pictures. Coordinates are centred on the picture.
class RDragScene : public QGraphicsScene
{
    Q_OBJECT
public:
    explicit RDragScene(QObject *parent = nullptr);
    ~RDragScene() override;

    // Opens the camera (an empty name auto-detects it); returns the picture
    // size, empty when no device could be opened.
    QSize AddCameraItem(QString name);
    QSize setCameraResolution(int index);
    void setSceneCursor(CursorMode mode);
    void whiteboardSnap(int iAngle, QString ext);
    void snapGetWidget(int iAngle, QString ext);
    void prepareCameraCapture(int angle, QString ext);
    void clearAllMyItem();
    void setCameraAuto(bool bAutoCut, bool bAutoRotate);
    void setCameraParam(const RCaptureSettings &settings);
    void setSaveDir(QString dir);
    QString saveDir() const { return m_strSaveDir; }
    void setNameCurNum(int num);
    int nameCurNum() const;
    void setPen(int width, QColor color);
    // Watermark: the dialog works on coverParams(); updateCoverItem applies them.
    CoverParams &coverParams() { return m_coverParams; }
    void updateCoverItem(int type, int w, int h);
    QSize coverSize();
    RCoverItem *coverItem() const { return m_itemCover; }
    // Hosts the QR scan overlay over the centre of the picture, turned by
    // `angle`; the scene deletes it when removeScanItem runs.
    void showScanWidget(QWidget *overlay, int angle);
    QWidget *scanWidget() const { return m_widgetScan; }
    void setRotateAngle(int angle) { m_iRotateAngle = angle; }
    int rotateAngle() const { return m_iRotateAngle; }
    void setVideoType(VideoQuality type) { m_iVideoType = type; }
    // Mirror and flip of the live picture: a transform of the picture item,
    // so no pixel is copied; captures and detection follow it.
    void setOrientation(bool mirror, bool flip);
    bool isMirrored() const { return m_bMirror; }
    bool isFlipped() const { return m_bFlip; }

    bool cameraBusy() const { return m_bCameraBusy; }
    QString cameraName() const { return m_strCameraName; }
    RCamera *camera() const { return m_itemCamera; }
    RProxyWidget *cameraProxy() const { return m_proxyCamera; }
    RVideoTracker *tracker() const { return m_itemTracker; }
    QGraphicsProxyWidget *trackerProxy() const { return m_proxyTracker; }
    RVideoRect *videoRect() const { return m_itemVideoRect; }
    QGraphicsProxyWidget *videoRectProxy() const { return m_vRectItem; }
    RWidgetItem *shapeCanvas() const;
    QList<QSize> resolutionList() const { return m_listResolution; }
    int curResolutionIndex() const { return m_iCurResolutionIndex; }
    int penWidth() const;
    QColor penColor() const;
    int colorIdx() const { return m_iColorIdx; }
    const QVector<UndoRecord> &undoRecords() const { return m_undo.records(); }
    QStringList imagePaths() const;
    UiLanguage language() const { return m_iLangue; }
    // Pictures asked for that are still decoding.
    int picturesDecoding() const;
    // A scene snapshot is still being written.
    bool snapshotPending() const;
    // The notice over the live picture (made on first use, over the first view).
    RNotice *notice();
    void showNotice(const QString &text);
    // Something is drawn over the live picture (ink, shapes, pictures,
    // watermark, scan overlay), so a snapshot must render the scene.
    bool hasOverlays() const;
    // Ink, shapes, pictures and watermark as one cached picture over the camera picture.
    ROverlayLayer *overlayLayer() const { return m_overlay; }
    // Renders only what lies over the camera picture: no background, no
    // camera picture, no spotlight veil, no document frame.
    void renderOverlay(QPainter *painter, const QRectF &target, const QRectF &source);
    // The colour around the picture.
    static QColor deskColor() { return QColor(23, 43, 39); }
    // Longest side of a picture placed on the scene.
    static constexpr int kMaxPlacedSide = 5000;

signals:
    void sAddImageItem(QString sdir, QString sname);
    void sDetectSnap();
    void sShowOrHideImageList(bool bshow);
    void sScanbarcode(bool bscan);
    void sSnapFinish();
    // The scene was laid out for a new picture size (reopen, replug,
    // resolution change); the view should fit the picture again.
    void sPictureLaidOut(QSize size);

public slots:
    void slotShowVideoTracker(bool s);
    void slotShowVideoRect(bool s);
    void slotSnap(int iAngle, QString ext);
    void slotStop(bool bstop);
    void slotPDF(int iAngle);
    void slotCameraSet();
    void slotSnapOneItem(QString sdir, QString sname);
    void slotWrite();
    void slotRect();
    void slotTriangle();
    void slotEllipse();
    void slotStar();
    void slotRubber();
    void slotUndo();
    void slotWhiteboard(bool bisboard);
    void temItemDone();
    void temItemEarse();
    void pixItemEarse();
    void setPenWidth(int ipenwid);
    void setPenColor(int idx, QColor colorpen);
    void setItemSize(QSize sz);
    void setAllItemWaitEarse(bool bwait);
    void slotDetectSnap();
    void slotShowOrHideImageList(bool bshow);
    void removeScanItem();
    void slotUpdateVideoRect(QList<QPoint> ptlist);
    void slotCloseApp();
    void slotChangeLangue(UiLanguage ilangue);
    void slotCreateWritingItem(QVector<QPoint> pointFList, QPointF ptStart, QPointF ptEnd, CurStatus csType);
    void showImageItem(QString dir, QString name);
    void slotCameraOpened(QSize size);
    void slotCameraLost(bool lost);
    void slotCaptureFailed(QString reason);

protected:
    void dragEnterEvent(QGraphicsSceneDragDropEvent *event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent *event) override;
    void dropEvent(QGraphicsSceneDragDropEvent *event) override;
    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void drawItems(QPainter *painter, int numItems, QGraphicsItem *items[], const QStyleOptionGraphicsItem options[],
                   QWidget *widget = nullptr) override;

private:
    void enterShapeMode(CurStatus kind);
    void layoutForSize(const QSize &size);
    void followPicture();
    void applyOrientation();
    void updateStandingNotice();

    UiLanguage m_iLangue = UiLanguage::Chinese;
    bool m_bCameraBusy = false;
    QString m_strCameraName;
    int m_iRotateAngle = 0;
    bool m_bMirror = false;
    bool m_bFlip = false;
    int m_iColorIdx = 0;
    int m_iCurResolutionIndex = -1;
    QList<QSize> m_listResolution;
    VideoQuality m_iVideoType = VideoQuality::Fluent;
    RCamera *m_itemCamera = nullptr;
    RProxyWidget *m_proxyCamera = nullptr;
    RVideoTracker *m_itemTracker = nullptr;
    QGraphicsProxyWidget *m_proxyTracker = nullptr;
    RVideoRect *m_itemVideoRect = nullptr;
    QGraphicsProxyWidget *m_vRectItem = nullptr;
    RSceneInk *m_ink = nullptr;
    RUndoLog m_undo;
    QString m_strVID;
    QString m_strPID;
    double m_dDpiScale = 1.0;

    // Capture settings kept here until the camera exists.
    QString m_strSaveDir;
    int m_iNameCurNum = 1;
    RSceneSnapshot *m_snapshot = nullptr;
    ROverlayLayer *m_overlay = nullptr;
    bool m_bOverlayPass = false;
    RScenePictures *m_pictures = nullptr;
    CoverParams m_coverParams;
    RCoverItem *m_itemCover = nullptr;
    QPointer<QWidget> m_widgetScan;
    QGraphicsProxyWidget *m_proxyScan = nullptr;
    RSceneNotices *m_notices = nullptr;
};
