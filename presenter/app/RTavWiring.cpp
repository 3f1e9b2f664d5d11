#include "RTavWiring.h"

#include "RDragScene.h"
#include "RDrawTempWidget.h"
#include "RImageList.h"
#include "RNoScrollGraphicsView.h"
#include "RTavWidget.h"
#include "RTools.h"

void RTavWiring::connectTools(RTools *t, RTavWidget *w)
{
    QObject::connect(t, &RTools::sClose, w, &RTavWidget::closeTav);
    QObject::connect(t, &RTools::sNoConfirmClose, w, &RTavWidget::closeTavNoConfirm);
    QObject::connect(t, &RTools::sMin, w, &RTavWidget::minTav);
    QObject::connect(t, &RTools::sSetting, w, &RTavWidget::settingTav);
    QObject::connect(t, &RTools::sMoveCamera, w, &RTavWidget::slotMoveCamera);
    QObject::connect(t, &RTools::sRotate, w, &RTavWidget::slotRotate);
    QObject::connect(t, &RTools::sOrientation, w, &RTavWidget::slotOrientation);
    QObject::connect(t, &RTools::sWrite, w, &RTavWidget::slotWrite);
    QObject::connect(t, &RTools::sRubber, w, &RTavWidget::slotRubber);
    QObject::connect(t, &RTools::sUndo, w, &RTavWidget::slotUndo);
    QObject::connect(t, &RTools::sSnap, w, &RTavWidget::slotSnap);
    QObject::connect(t, &RTools::sTracker, w, &RTavWidget::slotTracker);
    QObject::connect(t, &RTools::sClearAll, w, &RTavWidget::slotClearAll);
    QObject::connect(t, &RTools::sStopCamera, w, &RTavWidget::slotStopCamera);
    QObject::connect(t, &RTools::sPDF, w, &RTavWidget::slotPDF);
    QObject::connect(t, &RTools::sCamera11, w, &RTavWidget::slotCamera11);
    QObject::connect(t, &RTools::sCameraFull, w, &RTavWidget::slotCameraFull);
    QObject::connect(t, &RTools::sCameraSet, w, &RTavWidget::slotCameraSet);
    QObject::connect(t, &RTools::sWhiteboard, w, &RTavWidget::slotWhiteboard);
    QObject::connect(t, &RTools::sImageList, w, &RTavWidget::slotImageList);
    QObject::connect(t, &RTools::sScrCon, w, &RTavWidget::slotScrCon);
    QObject::connect(t, &RTools::sFile, w, &RTavWidget::slotFile);
    QObject::connect(t, &RTools::sRect, w, &RTavWidget::slotRect);
    QObject::connect(t, &RTools::sTriangle, w, &RTavWidget::slotTriangle);
    QObject::connect(t, &RTools::sEllipse, w, &RTavWidget::slotEllipse);
    QObject::connect(t, &RTools::sStar, w, &RTavWidget::slotStar);
    QObject::connect(t, &RTools::sDrawset, w, &RTavWidget::slotDrawset);
    QObject::connect(t, &RTools::sRecorder, w, &RTavWidget::slotRecorder);
    QObject::connect(t, &RTools::sDetect, w, &RTavWidget::slotDetectDlg);
    QObject::connect(t, &RTools::sCoverDlg, w, &RTavWidget::slotCoverDlg);
    QObject::connect(t, &RTools::sBarcode, w, &RTavWidget::slotBarcode);
    QObject::connect(t, &RTools::sZoom, w, &RTavWidget::slotZoom);
    QObject::connect(t, &RTools::sChangeLanguage, w, &RTavWidget::slotChangeLangue);
}

void RTavWiring::connectParts(RTavWidget *w)
{
    RImageList *strip = w->imageList();
    RDragScene *scene = w->scene();
    RNoScrollGraphicsView *view = w->view();
    QObject::connect(strip, &RImageList::imageChanged, scene, &RDragScene::showImageItem);
    QObject::connect(strip, &RImageList::sNoConfirmClose, w, &RTavWidget::closeTavNoConfirm);
    QObject::connect(w, &RTavWidget::closeImageList, strip, &RImageList::closeTheWidget);
    QObject::connect(w, &RTavWidget::sChangeDir, strip, &RImageList::changeDir);
    QObject::connect(w, &RTavWidget::sRemoveScanItem, scene, &RDragScene::removeScanItem);
    QObject::connect(scene, &RDragScene::sAddImageItem, strip, &RImageList::slotAddSnap);
    QObject::connect(scene, &RDragScene::sDetectSnap, w, &RTavWidget::slotTimerSnap);
    QObject::connect(scene, &RDragScene::sShowOrHideImageList, w, &RTavWidget::slotShowOrHideImageList);
    QObject::connect(scene, &RDragScene::sScanbarcode, w, &RTavWidget::slotScanStatus);
    QObject::connect(scene, &RDragScene::sSnapFinish, w->tools(), &RTools::slotRecoverCanSnap);
    QObject::connect(scene, &RDragScene::sPictureLaidOut, w, &RTavWidget::slotPictureLaidOut);
    QObject::connect(view, &RNoScrollGraphicsView::changedTouchValue, w, &RTavWidget::touchZoom);
    QObject::connect(view, &RNoScrollGraphicsView::sChangeFactor, w, &RTavWidget::slotViewFactorChange);
    QObject::connect(w->drawTemp(), &RDrawTempWidget::sTempPathPoints, scene, &RDragScene::slotCreateWritingItem);
}
