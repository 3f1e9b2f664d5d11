#include "RQrScanner.h"

#include "RCamera.h"
#include "RDragScene.h"
#include "RQrDecoder.h"
#include "RScanWidget.h"

#include <QDebug>
#include <QtConcurrent/QtConcurrentRun>

RQrScanner::RQrScanner(QObject *parent)
    : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcher<QString>::finished, this, &RQrScanner::onRead);
}

RQrScanner::~RQrScanner()
{
    m_watcher.waitForFinished();
}

void RQrScanner::start(RDragScene *scene, int language, int angle)
{
    cancel();
    m_iLangue = language;
    if (!scene || !scene->camera())
        return;
    auto *overlay = new RScanWidget;
    overlay->slotChangeLangue(language);
    connect(overlay, &RScanWidget::sExitScanning, scene, &RDragScene::removeScanItem);
    const QSize half = RQrDecoder::centreHalf(scene->camera()->size()).size();
    overlay->resize(half);
    overlay->setScanPixSize(half.width(), half.height());
    scene->showScanWidget(overlay, angle);
    m_overlay = overlay;
}

void RQrScanner::tick(RCamera *camera)
{
    if (!camera || m_watcher.isRunning())
        return;
    if (camera->width() <= 0 || camera->height() <= 0)
        return;
    // Only the middle half is painted, not the whole picture.
    const QImage crop = camera->grab(RQrDecoder::centreHalf(camera->size())).toImage();
    if (crop.isNull())
        return;
    m_iReadGeneration = m_iGeneration;
    m_watcher.setFuture(QtConcurrent::run([crop] { return RQrDecoder().decodeImage(crop, -1, -1, false); }));
}

void RQrScanner::cancel()
{
    ++m_iGeneration;
}

void RQrScanner::setLanguage(int language)
{
    m_iLangue = language;
    if (m_overlay)
        m_overlay->slotChangeLangue(language);
}

void RQrScanner::onRead()
{
    if (m_iReadGeneration != m_iGeneration)
        return;
    const QString text = m_watcher.result();
    if (text.isEmpty()) {
        qDebug() << "RTavWidget::sysTimerFun: strResult length == 0";
        return;
    }
    const QUrl url = RQrDecoder::openableLink(text);
    qInfo() << "RTavWidget::sysTimerFun: read, link:" << url.isValid();
    // One read ends the scan either way.
    cancel();
    if (url.isValid()) {
        emit sLinkRead(url);
        return;
    }
    if (m_overlay)
        m_overlay->showText(text);
    emit sTextRead(text);
}
