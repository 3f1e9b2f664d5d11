#include "RDragScene.h"

#include "RCamera.h"
#include "RClearQuestion.h"
#include "RCoverItem.h"
#include "ROverlayLayer.h"
#include "RSceneInk.h"
#include "RSceneNotices.h"
#include "RScenePictures.h"
#include "RPictureLoader.h"
#include "RPixmapItem.h"
#include "RPictureOrientation.h"
#include "RProxyWidget.h"
#include "RSaveNotice.h"
#include "RSceneSnapshot.h"
#include "RScreenScale.h"
#include "RSettingsStore.h"
#include "RVideoRect.h"
#include "RVideoTracker.h"
#include "RWidgetItem.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QGraphicsProxyWidget>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsView>
#include <QMimeData>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTransform>
#include <algorithm>
#include <cmath>

RDragScene::RDragScene(QObject *parent)
    : QGraphicsScene(parent)
{
    m_strVID = RSettingsStore::readString(RSettingsKeys::VideoV);
    m_strPID = RSettingsStore::readString(RSettingsKeys::VideoP);
    m_dDpiScale = RScreenScale::dpiScale();
    m_snapshot = new RSceneSnapshot(this);
    m_overlay = new ROverlayLayer(this);
    m_pictures = new RScenePictures(this);
    m_notices = new RSceneNotices(this);
    m_ink = new RSceneInk(this);
    connect(m_pictures, &RScenePictures::sPictureFailed, m_notices, &RSceneNotices::pictureFailed);
}

RDragScene::~RDragScene()
{
    // The camera widget is owned by its proxy once embedded; a camera that
    // never got a proxy is ours.
    if (m_itemCamera && !m_proxyCamera)
        delete m_itemCamera;
}

QSize RDragScene::AddCameraItem(QString name)
{
    qInfo() << "RDragScene::AddCameraItem:" << name;
    if (!m_itemCamera) {
        m_itemCamera = new RCamera(nullptr);
        m_itemCamera->slotChangeLangue(m_iLangue);
    }
    m_itemCamera->setCurResolutionIndex(m_iCurResolutionIndex);
    m_itemCamera->setDeviceIds(m_strVID, m_strPID);
    m_itemCamera->setVideoType(m_iVideoType);
    const QSize size = m_itemCamera->initCamera(name);
    m_bCameraBusy = m_itemCamera->isFoundNotOpened();
    m_strCameraName = m_itemCamera->curDeviceName();
    if (m_proxyCamera) {
        // The picture item exists already: a reopen must not add a second one;
        // the camera's open signal has laid the scene out for the size.
        return size;
    }

    if (size.width() == 0 && size.height() == 0) {
        m_itemCamera->deleteLater();
        m_itemCamera = nullptr;
        qInfo() << "RDragScene::AddCameraItem: no picture, busy:" << m_bCameraBusy;
        return size;
    }

    const int w = size.width();
    const int h = size.height();
    m_proxyCamera = new RProxyWidget();
    m_proxyCamera->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    m_proxyCamera->setWidget(m_itemCamera);
    addItem(m_proxyCamera);
    m_itemCamera->resize(size);
    m_proxyCamera->setPos(-(w / 2), -(h / 2));
    m_proxyCamera->setZValue(-9999);
    applyOrientation();
    m_overlay->setKeepWarm(true);

    m_coverParams.m_iType = CoverParams::None;
    m_itemCover = new RCoverItem();
    m_itemCover->setFlag(QGraphicsItem::ItemIsMovable);
    m_itemCover->setType(CoverParams::None);
    addItem(m_itemCover);
    m_itemCover->resize(250, 60);
    switch (m_iRotateAngle) {
    case 0: m_itemCover->setPos(-125, -30); break;
    case 90: m_itemCover->setPos(0, 120); break;
    case 180: m_itemCover->setPos(125, 30); break;
    case 270: m_itemCover->setPos(30, -125); break;
    default: break;
    }
    m_itemCover->setZValue(9998);
    m_itemCover->hide();

    m_itemTracker = new RVideoTracker();
    m_itemTracker->resize(size);
    m_proxyTracker = addWidget(m_itemTracker);
    m_proxyTracker->setPos(-(w / 2), -(h / 2));
    m_proxyTracker->setZValue(9999);
    m_proxyTracker->hide();

    m_itemVideoRect = new RVideoRect();
    m_itemVideoRect->resize(size);
    m_vRectItem = addWidget(m_itemVideoRect);
    m_vRectItem->setPos(-(w / 2), -(h / 2));
    m_vRectItem->setZValue(9999);
    m_vRectItem->hide();

    connect(m_itemCamera, &RCamera::sCaptureFinished, this, &RDragScene::slotSnapOneItem);
    connect(m_itemCamera, &RCamera::sDetectSnap, this, &RDragScene::slotDetectSnap);
    connect(m_itemCamera, &RCamera::sShowOrHideImageList, this, &RDragScene::slotShowOrHideImageList);
    connect(m_itemCamera, &RCamera::detectRect4Point, this, &RDragScene::slotUpdateVideoRect);
    connect(m_itemCamera, &RCamera::sOpened, this, &RDragScene::slotCameraOpened);
    connect(m_itemCamera, &RCamera::sLostChanged, this, &RDragScene::slotCameraLost);
    connect(m_itemCamera, &RCamera::sCaptureFailed, this, &RDragScene::slotCaptureFailed);
    connect(m_itemCamera, &RCamera::sCaptureMoved, this,
            [this](const QString &name) { m_notices->show(RSaveNotice::lessonMoved(m_iLangue, name)); });
    // The overlays are in picture pixels: they go where the picture is dragged.
    connect(m_proxyCamera, &QGraphicsObject::xChanged, this, &RDragScene::followPicture);
    connect(m_proxyCamera, &QGraphicsObject::yChanged, this, &RDragScene::followPicture);

    m_listResolution = m_itemCamera->resolutionList();
    m_iCurResolutionIndex = m_listResolution.indexOf(size);
    m_itemCamera->setSaveDir(m_strSaveDir);
    m_itemCamera->setNameCurNum(m_iNameCurNum);
    qInfo() << "RDragScene::AddCameraItem: size" << size << "index" << m_iCurResolutionIndex;
    return size;
}

QSize RDragScene::setCameraResolution(int index)
{
    if (!m_itemCamera)
        return QSize();
    const QSize size = m_itemCamera->setResolutionIndex(index);
    if (size.isEmpty())
        return size;
    layoutForSize(size);
    if (m_listResolution.indexOf(size) < 0)
        m_iCurResolutionIndex = index;
    clearAllMyItem();
    return size;
}

void RDragScene::layoutForSize(const QSize &size)
{
    if (!m_itemCamera || !m_proxyCamera || size.isEmpty())
        return;
    const int w = size.width();
    const int h = size.height();
    qInfo() << "RDragScene::layoutForSize:" << size;
    setSceneRect(-(w / 2), -(h / 2), w, h);
    m_itemCamera->resize(size);
    m_proxyCamera->setPos(-(w / 2), -(h / 2));
    applyOrientation();
    if (m_itemCover)
        m_itemCover->setPos(-(w / 2), -(h / 2));
    if (m_itemTracker)
        m_itemTracker->resize(size);
    // The frame's corners are picture pixels of the old size: they mean nothing now.
    if (m_itemVideoRect) {
        m_itemVideoRect->clearPoints();
        m_itemVideoRect->resize(size);
    }
    followPicture();
    m_listResolution = m_itemCamera->resolutionList();
    m_iCurResolutionIndex = m_listResolution.indexOf(size);
    emit sPictureLaidOut(size);
}

void RDragScene::followPicture()
{
    if (!m_proxyCamera)
        return;
    if (m_proxyTracker)
        m_proxyTracker->setPos(m_proxyCamera->pos());
    if (m_vRectItem)
        m_vRectItem->setPos(m_proxyCamera->pos());
}

void RDragScene::setOrientation(bool mirror, bool flip)
{
    m_bMirror = mirror;
    m_bFlip = flip;
    applyOrientation();
}

void RDragScene::applyOrientation()
{
    if (!m_itemCamera || !m_proxyCamera)
        return;
    // About the picture's own centre: it stays where it lies, only turned over.
    m_proxyCamera->setTransform(RPictureOrientation::flipTransform(m_itemCamera->size(), m_bMirror, m_bFlip));
    m_itemCamera->setOrientation(m_bMirror, m_bFlip);
}

void RDragScene::slotCameraOpened(QSize size)
{
    // Every reopen, also after a replug with other sizes, lays the scene out again.
    layoutForSize(size);
}

void RDragScene::slotCameraLost(bool)
{
    updateStandingNotice();
}

void RDragScene::updateStandingNotice()
{
    // The board needs no camera: no reconnecting notice over it.
    m_notices->setCameraLost(m_itemCamera && m_itemCamera->isLost() && !m_itemCamera->isWhiteBoard());
}

void RDragScene::slotCaptureFailed(QString reason)
{
    m_notices->documentNotSaved(reason);
}

RNotice *RDragScene::notice()
{
    return m_notices->notice();
}

void RDragScene::showNotice(const QString &text)
{
    m_notices->show(text);
}

bool RDragScene::hasOverlays() const
{
    if (!m_proxyCamera)
        return false;
    const QRectF picture = m_proxyCamera->sceneBoundingRect();
    const auto all = items(picture);
    for (const QGraphicsItem *item : all) {
        if (item == m_proxyCamera || item == m_proxyTracker || item == m_vRectItem || item == m_ink->canvas())
            continue;
        if (item->isVisible())
            return true;
    }
    return false;
}

void RDragScene::setSceneCursor(CursorMode mode)
{
    if (!m_itemCamera)
        return;
    const char *file = ":/Kelu/images/curmove.png";
    switch (mode) {
    case CursorMode::Move: break;
    case CursorMode::Pen: file = ":/Kelu/images/curpen.png"; break;
    case CursorMode::Erase: file = ":/Kelu/images/curearse.png"; break;
    case CursorMode::Spotlight: file = ":/Kelu/images/curtracker.png"; break;
    }
    const QPixmap pix(QString::fromLatin1(file));
    m_itemCamera->setCursor(pix.isNull() ? QCursor(Qt::ArrowCursor) : QCursor(pix));
}

void RDragScene::setCameraAuto(bool bAutoCut, bool bAutoRotate)
{
    if (m_itemCamera)
        m_itemCamera->setCameraAuto(bAutoCut, bAutoRotate);
    slotShowVideoRect(bAutoCut);
}

void RDragScene::setCameraParam(const RCaptureSettings &settings)
{
    if (!m_itemCamera) {
        qInfo() << "RDragScene::setCameraParam m_itemCamera is null";
        return;
    }
    m_itemCamera->setCameraParam(settings);
    slotShowVideoRect(settings.m_bAutoCut);
}

void RDragScene::setSaveDir(QString dir)
{
    m_strSaveDir = dir;
    if (m_itemCamera)
        m_itemCamera->setSaveDir(dir);
}

void RDragScene::setNameCurNum(int num)
{
    m_iNameCurNum = num;
    if (m_itemCamera)
        m_itemCamera->setNameCurNum(num);
}

int RDragScene::nameCurNum() const
{
    return m_itemCamera ? m_itemCamera->nameCurNum() : m_iNameCurNum;
}

void RDragScene::setPen(int width, QColor color)
{
    m_ink->setPen(width, color);
}

int RDragScene::penWidth() const
{
    return m_ink->penWidth();
}

QColor RDragScene::penColor() const
{
    return m_ink->penColor();
}

RWidgetItem *RDragScene::shapeCanvas() const
{
    return m_ink->canvas();
}

// ---------------------------------------------------------------- modes

void RDragScene::slotShowVideoTracker(bool s)
{
    qDebug() << "RDragScene::slotShowVideoTracker:" << s;
    setAllItemWaitEarse(false);
    if (m_proxyTracker) {
        if (s) {
            if (m_proxyCamera)
                m_proxyTracker->setPos(m_proxyCamera->pos());
            m_proxyTracker->show();
        } else {
            m_proxyTracker->hide();
        }
    }
    m_ink->hideCanvas(true);
}

void RDragScene::slotShowVideoRect(bool s)
{
    if (!m_vRectItem)
        return;
    if (s && m_itemCamera && m_itemCamera->isWhiteBoard())
        s = false;
    if (s) {
        if (m_proxyCamera)
            m_vRectItem->setPos(m_proxyCamera->pos());
        m_vRectItem->show();
    } else {
        m_vRectItem->hide();
    }
}

void RDragScene::slotWrite()
{
    setAllItemWaitEarse(false);
    if (m_proxyTracker)
        m_proxyTracker->hide();
}

void RDragScene::enterShapeMode(CurStatus kind)
{
    setAllItemWaitEarse(false);
    if (m_proxyTracker)
        m_proxyTracker->hide();
    m_ink->startShapes(kind);
}

void RDragScene::slotRect()
{
    enterShapeMode(CurRect);
}

void RDragScene::slotTriangle()
{
    enterShapeMode(CurTriangle);
}

void RDragScene::slotEllipse()
{
    enterShapeMode(CurEllipse);
}

void RDragScene::slotStar()
{
    enterShapeMode(CurStar);
}

void RDragScene::slotRubber()
{
    m_ink->hideCanvas(false);
    if (m_proxyTracker)
        m_proxyTracker->hide();
    setAllItemWaitEarse(true);
}

void RDragScene::temItemDone()
{
    m_ink->shapeDone();
}

void RDragScene::slotCreateWritingItem(QVector<QPoint> pointFList, QPointF ptStart, QPointF ptEnd, CurStatus csType)
{
    qDebug() << "RDragScene::slotCreateWritingItem:" << pointFList.size() << ptStart << ptEnd << int(csType);
    m_ink->addStroke(pointFList, ptStart, ptEnd);
}

// ---------------------------------------------------------------- erase, clear, undo

void RDragScene::setAllItemWaitEarse(bool bwait)
{
    qDebug() << "RDragScene::setAllItemWaitEarse:" << bwait;
    RUndoLog::setWaitErase(items(Qt::DescendingOrder), bwait);
}

void RDragScene::temItemEarse()
{
    auto *item = qobject_cast<QGraphicsWidget *>(sender());
    if (item && !item->isVisible())
        m_undo.erased(item);
}

void RDragScene::pixItemEarse()
{
    auto *item = qobject_cast<RPixmapItem *>(sender());
    if (!item || item->isVisible())
        return;
    const QString path = item->data(0).toString();
    if (!path.isEmpty())
        m_pictures->forget(path);
    m_undo.erased(item);
}

void RDragScene::clearAllMyItem()
{
    qDebug() << "RDragScene::clearAllMyItem: allitems.count():" << items().count();
    m_undo.hideAll(items());
}

void RDragScene::slotUndo()
{
    m_undo.undo();
}

void RDragScene::slotWhiteboard(bool bisboard)
{
    qDebug() << "RDragScene::slotWhiteboard:" << bisboard;
    const int shown = RUndoLog::visibleCount(items());
    if (shown >= 2) {
        if (RClearQuestion::ask(m_iLangue, m_dDpiScale))
            clearAllMyItem();
    }
    if (m_itemCamera)
        m_itemCamera->setWhiteBoard(bisboard);
    if (m_proxyCamera)
        m_proxyCamera->setLock(bisboard);
    // The page outline belongs to the live picture, never to the board.
    slotShowVideoRect(!bisboard && m_itemCamera && m_itemCamera->isAutoCut());
    updateStandingNotice();
}

// ---------------------------------------------------------------- pictures

int RDragScene::picturesDecoding() const
{
    return m_pictures->decoding();
}

QStringList RDragScene::imagePaths() const
{
    return m_pictures->paths();
}

void RDragScene::showImageItem(QString dir, QString name)
{
    m_pictures->place(dir + "/" + name, nullptr);
}

void RDragScene::dragEnterEvent(QGraphicsSceneDragDropEvent *event)
{
    if (event->mimeData()->hasFormat("text/plain") || event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void RDragScene::dragMoveEvent(QGraphicsSceneDragDropEvent *event)
{
    event->accept();
}

void RDragScene::dropEvent(QGraphicsSceneDragDropEvent *event)
{
    const QPointF at = event->scenePos();
    m_pictures->place(RScenePictures::droppedPath(event->mimeData()), &at);
    event->acceptProposedAction();
}

void RDragScene::renderOverlay(QPainter *painter, const QRectF &target, const QRectF &source)
{
    m_bOverlayPass = true;
    render(painter, target, source, Qt::IgnoreAspectRatio);
    m_bOverlayPass = false;
}

void RDragScene::drawItems(QPainter *painter, int numItems, QGraphicsItem *items[],
                           const QStyleOptionGraphicsItem options[], QWidget *widget)
{
    if (!m_bOverlayPass) {
        QGraphicsScene::drawItems(painter, numItems, items, options, widget);
        return;
    }
    QVector<QGraphicsItem *> kept;
    QVector<QStyleOptionGraphicsItem> keptOptions;
    for (int i = 0; i < numItems; ++i) {
        const QGraphicsItem *top = items[i]->topLevelItem();
        if (top == m_proxyCamera || top == m_proxyTracker || top == m_vRectItem)
            continue;
        kept << items[i];
        keptOptions << options[i];
    }
    QGraphicsScene::drawItems(painter, kept.size(), kept.data(), keptOptions.constData(), widget);
}

void RDragScene::drawBackground(QPainter *painter, const QRectF &rect)
{
    if (m_bOverlayPass)
        return;
    const QColor desk = deskColor();
    // The camera widget paints every pixel of its area (picture or white), so
    // the background goes only around it, over its edge by one screen pixel;
    // mirrored or flipped it still covers the same upright rectangle.
    const bool cameraCovers = m_proxyCamera && m_proxyCamera->isVisible() && m_proxyCamera->effectiveOpacity() >= 1.0
                              && m_proxyCamera->sceneTransform().type() <= QTransform::TxScale;
    const QTransform &t = painter->worldTransform();
    const qreal scale = std::hypot(t.m11(), t.m12());
    if (!cameraCovers || scale <= 0) {
        painter->fillRect(rect, desk);
        return;
    }
    const qreal edge = 1.0 / scale;
    const QRectF hole = m_proxyCamera->sceneBoundingRect().adjusted(edge, edge, -edge, -edge) & rect;
    if (hole.isEmpty()) {
        painter->fillRect(rect, desk);
        return;
    }
    const QRectF bands[] = {
        QRectF(rect.left(), rect.top(), rect.width(), hole.top() - rect.top()),
        QRectF(rect.left(), hole.bottom(), rect.width(), rect.bottom() - hole.bottom()),
        QRectF(rect.left(), hole.top(), hole.left() - rect.left(), hole.height()),
        QRectF(hole.right(), hole.top(), rect.right() - hole.right(), hole.height()),
    };
    for (const QRectF &band : bands) {
        if (band.width() > 0 && band.height() > 0)
            painter->fillRect(band, desk);
    }
}

// ---------------------------------------------------------------- camera forwarding

void RDragScene::slotStop(bool bstop)
{
    if (m_itemCamera)
        m_itemCamera->stopCamera(bstop);
}

void RDragScene::slotCameraSet()
{
    if (m_itemCamera)
        m_itemCamera->showImageProcess();
}

void RDragScene::slotSnapOneItem(QString sdir, QString sname)
{
    emit sAddImageItem(sdir, sname);
}

void RDragScene::slotDetectSnap()
{
    emit sDetectSnap();
}

void RDragScene::slotShowOrHideImageList(bool bshow)
{
    emit sShowOrHideImageList(bshow);
}

void RDragScene::showScanWidget(QWidget *overlay, int angle)
{
    if (!overlay || !m_itemCamera)
        return;
    if (m_widgetScan && m_widgetScan != overlay)
        removeScanItem();
    const int w = m_itemCamera->width();
    const int h = m_itemCamera->height();
    m_widgetScan = overlay;
    overlay->resize(w / 2, h / 2);
    if (!m_proxyScan || m_proxyScan->widget() != overlay)
        m_proxyScan = addWidget(overlay);
    m_proxyScan->setPos(-(w / 4), -(h / 4));
    m_proxyScan->setZValue(9999);
    const QPointF c(w / 4.0, h / 4.0);
    m_proxyScan->setTransform(QTransform().translate(c.x(), c.y()).rotate(angle).translate(-c.x(), -c.y()));
    m_proxyScan->show();
}

void RDragScene::removeScanItem()
{
    emit sScanbarcode(false);
    // Called from the overlay's own button: both go later, the proxy taking
    // its widget with it.
    if (m_proxyScan) {
        removeItem(m_proxyScan);
        m_proxyScan->deleteLater();
        m_proxyScan = nullptr;
    } else if (m_widgetScan) {
        m_widgetScan->deleteLater();
    }
    m_widgetScan = nullptr;
}

void RDragScene::updateCoverItem(int type, int w, int h)
{
    if (!m_itemCover)
        return;
    m_itemCover->apply(m_coverParams, type, w, h, m_iRotateAngle);
}

QSize RDragScene::coverSize()
{
    if (m_itemCover) {
        m_coverParams.m_iWidth = int(m_itemCover->size().width());
        m_coverParams.m_iHeight = int(m_itemCover->size().height());
    }
    return QSize(m_coverParams.m_iWidth, m_coverParams.m_iHeight);
}

void RDragScene::slotUpdateVideoRect(QList<QPoint> ptlist)
{
    if (!m_vRectItem || ptlist.size() < 4)
        return;
    m_itemVideoRect->setPoints(ptlist.mid(0, 4));
    if (!m_itemCamera || !m_itemCamera->isWhiteBoard())
        m_itemVideoRect->show();
}

void RDragScene::slotCloseApp()
{
    if (m_itemCamera)
        m_itemCamera->slotCloseApp();
}

void RDragScene::slotChangeLangue(UiLanguage ilangue)
{
    m_iLangue = ilangue;
    m_coverParams.followLanguage(ilangue);
    m_notices->setLanguage(ilangue);
    if (!m_itemCamera) {
        qDebug() << "RDragScene::slotChangeLangue: m_itemCamera is null:" << enumToStored(ilangue);
        return;
    }
    m_itemCamera->slotChangeLangue(ilangue);
    updateStandingNotice();
}

void RDragScene::setPenWidth(int ipenwid)
{
    m_ink->setPen(ipenwid, m_ink->penColor());
}

void RDragScene::setPenColor(int idx, QColor colorpen)
{
    m_iColorIdx = idx;
    m_ink->setPen(m_ink->penWidth(), colorpen);
}

void RDragScene::setItemSize(QSize sz)
{
    m_ink->setItemSize(sz);
}

// ---------------------------------------------------------------- snapshots

void RDragScene::slotSnap(int iAngle, QString ext)
{
    if (m_itemCamera)
        snapGetWidget(iAngle, ext);
}

void RDragScene::slotPDF(int iAngle)
{
    if (m_itemCamera)
        prepareCameraCapture(iAngle, "pdf");
}

void RDragScene::snapGetWidget(int iAngle, QString ext)
{
    m_snapshot->snap(iAngle, ext);
}

void RDragScene::whiteboardSnap(int iAngle, QString ext)
{
    m_snapshot->whiteboardSnap(iAngle, ext);
}

bool RDragScene::snapshotPending() const
{
    return m_snapshot->pending();
}

void RDragScene::prepareCameraCapture(int angle, QString ext)
{
    if (!m_itemCamera)
        return;
    if (m_itemCamera->isLost()) {
        m_notices->documentNotSaved(RSaveNotice::cameraLost(m_iLangue));
        return;
    }
    const bool spot = m_proxyTracker && m_proxyTracker->isVisible();
    QPoint p1, p2;
    if (m_itemTracker) {
        p1 = m_itemTracker->pressPoint();
        p2 = m_itemTracker->currentPoint();
    }
    // An empty rectangle would copy the whole picture.
    if (spot && (p1.x() == p2.x() || p1.y() == p2.y())) {
        m_notices->documentNotSaved(RSaveNotice::emptySpotlight(m_iLangue));
        return;
    }
    m_itemCamera->setCaptureExt(ext);
    m_itemCamera->setCutRect(spot, p1, p2);
    m_itemCamera->setRotateAngle(angle);
    // A watermark the teacher hid (clear) is not in the capture either.
    if (m_itemCover && m_itemCover->coverType() != CoverParams::None && m_itemCover->isVisible() && m_proxyCamera) {
        // pos(), not scenePos(): a mirrored picture's own origin lies at its far side.
        const RCoverItem::CapturePlacement placed = m_itemCover->capturePlacement(m_proxyCamera->pos());
        m_itemCamera->setCover(true, placed.offset, placed.centre, m_itemCover->params().m_iAlpha, placed.image,
                               int(m_itemCover->rotation()));
    } else {
        m_itemCamera->setCover(false, QPointF(), QPointF(), 255, QImage(), 0);
    }
    m_itemCamera->capture();
}
