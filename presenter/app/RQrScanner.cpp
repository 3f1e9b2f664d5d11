#include "RQrScanner.h"

#include "RCamera.h"
#include "RDragScene.h"
#include "RQrDecoder.h"
#include "RScanWidget.h"

#include <QDebug>
#include <QPainter>
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

void RQrScanner::start(RDragScene *scene, UiLanguage language, int angle)
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
    // Only the middle half is painted, and no wider than the reader needs:
    // at camera resolutions a full-size paint would hold up the live picture.
    const QRect half = RQrDecoder::centreHalf(camera->size());
    const double f = half.width() > kMaxReadWidth ? double(kMaxReadWidth) / half.width() : 1.0;
    QImage crop(qMax(1, qRound(half.width() * f)), qMax(1, qRound(half.height() * f)), QImage::Format_RGB32);
    crop.fill(Qt::white);
    {
        QPainter painter(&crop);
        painter.scale(f, f);
        camera->render(&painter, QPoint(), QRegion(half));
    }
    m_iReadGeneration = m_iGeneration;
    m_watcher.setFuture(QtConcurrent::run([crop] { return RQrDecoder().decodeImage(crop, -1, -1, false); }));
}

void RQrScanner::cancel()
{
    ++m_iGeneration;
}

void RQrScanner::setLanguage(UiLanguage language)
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
        qDebug() << "RQrScanner::onRead: strResult length == 0";
        return;
    }
    const QUrl url = RQrDecoder::openableLink(text);
    qInfo() << "RQrScanner::onRead: read, link:" << url.isValid();
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
