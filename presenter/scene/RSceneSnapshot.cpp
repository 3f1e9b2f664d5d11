#include "RSceneSnapshot.h"

#include "RCamera.h"
#include "RDragScene.h"
#include "RFrameCompositor.h"
#include "RImageSaver.h"
#include "RKeystone.h"
#include "ROverlayLayer.h"
#include "RPictureOrientation.h"
#include "RProxyWidget.h"
#include "RSaveNotice.h"
#include "RVideoRect.h"
#include "RVideoTracker.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsProxyWidget>
#include <QPainter>
#include <QTransform>
#include <QtMath>
#include <algorithm>
#include <cmath>

RSceneSnapshot::RSceneSnapshot(RDragScene *scene)
    : QObject(scene)
    , m_scene(scene)
{
    connect(RImageSaver::instance(), &RImageSaver::finished, this, &RSceneSnapshot::onImageSaved);
}

QImage RSceneSnapshot::renderCameraArea()
{
    const QSize size = m_scene->camera()->size();
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // pos(), not scenePos(): a mirrored picture's own origin lies at its far side.
    const QRectF source(m_scene->cameraProxy()->pos(), QSizeF(size));
    m_scene->render(&painter, QRectF(0, 0, size.width(), size.height()), source, Qt::KeepAspectRatio);
    painter.end();
    return image;
}

void RSceneSnapshot::snap(int iAngle, const QString &ext)
{
    qDebug() << "RSceneSnapshot::snap()";
    RCamera *camera = m_scene->camera();
    if (!camera || !m_scene->cameraProxy() || camera->width() <= 0 || camera->height() <= 0) {
        emit m_scene->sSnapFinish();
        return;
    }
    // A lost camera shows nothing worth keeping: a white picture is no snapshot.
    if (camera->isLost()) {
        refuse(RSaveNotice::cameraLost(m_scene->language()));
        return;
    }
    Cut cut;
    if (m_scene->trackerProxy() && m_scene->trackerProxy()->isVisible()) {
        qDebug() << "RSceneSnapshot::snap: if(bTracker)";
        const QPoint p1 = m_scene->tracker()->pressPoint();
        const QPoint p2 = m_scene->tracker()->currentPoint();
        cut.kind = Cut::Rect;
        cut.rect = QRect(std::min(p1.x(), p2.x()), std::min(p1.y(), p2.y()), std::abs(p2.x() - p1.x()),
                         std::abs(p2.y() - p1.y()));
        if (cut.rect.isEmpty()) {
            refuse(RSaveNotice::emptySpotlight(m_scene->language()));
            return;
        }
    } else if (camera->isAutoCut() && m_scene->videoRect()) {
        qDebug() << "RSceneSnapshot::snap: !m_itemVideoRect->isHidden()";
        // No corners yet (blank desk, first half second): the whole picture.
        const QList<QPoint> corners = m_scene->videoRect()->points();
        qDebug() << "RSceneSnapshot::snap: polygon.count():" << corners.size();
        if (corners.size() >= 4) {
            cut.kind = Cut::Polygon;
            for (const QPoint &p : corners)
                cut.polygon << p;
            const QList<QPointF> quad = camera->keystoneQuad();
            if (camera->isAutoPerspective() && quad.size() == 4) {
                // Found on the camera picture; kept as shown, like the frame's corners.
                cut.kind = Cut::Quad;
                cut.quad = RPictureOrientation::flipTransform(camera->size(), m_scene->isMirrored(), m_scene->isFlipped())
                               .map(QPolygonF(QVector<QPointF>(quad.begin(), quad.end())));
            }
        }
    }

    // Nothing over the picture: the frame itself is the picture, taken
    // without repainting the scene. With ink and pictures over it, the
    // cached overlay layer goes with the frame and the saver's worker lays
    // it on; only a scene the layer cannot follow is rendered here.
    QImage frame = camera->currentFrame();
    if (frame.size() != camera->size())
        frame = QImage();
    if (!frame.isNull() && !m_scene->hasOverlays()) {
        save(frame, cut, iAngle, ext, Source::Frame);
        return;
    }
    ROverlayLayer *layer = m_scene->overlayLayer();
    if (!frame.isNull() && layer) {
        layer->refresh();
        if (layer->isComplete()) {
            save(frame, cut, iAngle, ext, Source::FrameAndLayer, layer->image(), layer->contentRect());
            return;
        }
    }
    const bool frameShown = m_scene->videoRectProxy() && m_scene->videoRectProxy()->isVisible();
    if (frameShown) {
        qDebug() << "RSceneSnapshot::snap: height:0000";
        m_scene->videoRectProxy()->hide();
    }
    const QImage picture = renderCameraArea();
    if (frameShown)
        m_scene->videoRectProxy()->show();
    save(picture, cut, iAngle, ext, Source::Rendered);
}

void RSceneSnapshot::whiteboardSnap(int iAngle, const QString &ext)
{
    qDebug() << "RSceneSnapshot::whiteboardSnap()";
    if (!m_scene->camera() || !m_scene->cameraProxy() || m_scene->camera()->width() <= 0 || m_scene->camera()->height() <= 0) {
        emit m_scene->sSnapFinish();
        return;
    }
    // The board is the camera widget's own colour: with the layer it is laid
    // on the save worker, like ink over a frame.
    RCamera *camera = m_scene->camera();
    ROverlayLayer *layer = m_scene->overlayLayer();
    if (camera->isWhiteBoard() && layer) {
        layer->refresh();
        if (layer->isComplete() && !layer->image().isNull()) {
            const QColor board = camera->palette().color(QPalette::Window);
            save(layer->image(), Cut(), iAngle, ext, Source::Board, QImage(), QRect(), board);
            return;
        }
    }
    // The page outline is never part of the board.
    const bool frameShown = m_scene->videoRectProxy() && m_scene->videoRectProxy()->isVisible();
    if (frameShown)
        m_scene->videoRectProxy()->hide();
    const QImage image = renderCameraArea();
    if (frameShown)
        m_scene->videoRectProxy()->show();
    save(image, Cut(), iAngle, ext, Source::Rendered);
}

QImage RSceneSnapshot::cutAndTurn(const QImage &picture, const Cut &cut, int iAngle, bool mirror, bool flip)
{
    QImage image = picture;
    QImage flat;
    if (cut.kind == Cut::Quad) {
        const QPolygonF quad = RPictureOrientation::flipTransform(picture.size(), mirror, flip).map(cut.quad);
        flat = RKeystone::warp(image, QList<QPointF>(quad.begin(), quad.end()));
        qDebug() << "RSceneSnapshot::cutAndTurn: keystone:" << cut.quad << flat.size();
    }
    if (!flat.isNull()) {
        image = flat;
    } else if (cut.kind == Cut::Rect) {
        // An empty rectangle would copy everything.
        image = cut.rect.isEmpty() ? QImage()
                                   : image.copy(RPictureOrientation::mapRect(cut.rect, picture.size(), mirror, flip));
    } else if ((cut.kind == Cut::Polygon || cut.kind == Cut::Quad) && cut.polygon.size() >= 4) {
        const QPolygon polygon = RPictureOrientation::mapPolygon(cut.polygon, picture.size(), mirror, flip);
        const QList<QPoint> corners(polygon.begin(), polygon.end());
        const qreal angle = deskewAngle(corners);
        qDebug() << "RSceneSnapshot::cutAndTurn: angle:" << angle;
        QPainterPath path;
        path.addPolygon(QPolygonF(polygon));
        path.closeSubpath();
        const QRect rcCut = polygon.boundingRect().intersected(image.rect());
        qDebug() << "RSceneSnapshot::cutAndTurn: rcCut:" << rcCut;
        image = cutPolygonImage(image, path, -angle, rcCut);
    }
    return RPictureOrientation::apply(image, iAngle, mirror, flip);
}

void RSceneSnapshot::refuse(const QString &reason)
{
    m_scene->showNotice(RSaveNotice::notSaved(m_scene->language(), RSaveNotice::Picture, reason));
    emit m_scene->sSnapFinish();
}

void RSceneSnapshot::save(const QImage &picture, const Cut &cut, int iAngle, const QString &ext, Source source,
                          const QImage &layer, const QRect &layerArea, const QColor &board)
{
    const QString folder = m_scene->camera()->saveDir();
    // The naming rule already skips names on disk or still being written.
    const QString name = m_scene->camera()->nextFileName(ext);
    const QString path = folder + "/" + name;
    qDebug() << "RSceneSnapshot::save: path:" << path << "height:" << picture.height() << "width:" << picture.width();
    // A folder removed behind our back is made again rather than losing the picture.
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        QDir().mkpath(folder);
    if (picture.isNull() || folder.isEmpty() || !QFileInfo(folder).isDir()) {
        qInfo() << "RSceneSnapshot::save: saveSuccess: false";
        const QString problem = RImageSaver::folderProblem(folder);
        refuse(picture.isNull() || problem.isEmpty() ? RSaveNotice::emptyPicture(m_scene->language()) : problem);
        return;
    }
    // The cut and the turn run on the saver's worker: the GUI thread only
    // hands over the picture. A rendered scene shows the picture turned over
    // already; the camera's own frame is turned over on the worker, and the
    // overlay layer, in shown pixels, goes over it there first.
    const bool fromFrame = source == Source::Frame || source == Source::FrameAndLayer;
    const bool mirror = fromFrame && m_scene->isMirrored();
    const bool flip = fromFrame && m_scene->isFlipped();
    RImageSaver::Prepare prepare;
    if (source == Source::Board) {
        prepare = [iAngle, board](const QImage &layer) {
            QImage picture(layer.size(), QImage::Format_RGB32);
            picture.fill(board);
            return cutAndTurn(RFrameCompositor::compose(picture, layer, RFrameCompositor::View()), Cut(), iAngle);
        };
    } else if (source == Source::FrameAndLayer) {
        prepare = [cut, iAngle, mirror, flip, layer, layerArea](const QImage &image) {
            RFrameCompositor::View view;
            view.layerArea = layerArea;
            view.mirror = mirror;
            view.flip = flip;
            return cutAndTurn(RFrameCompositor::compose(image, layer, view), cut, iAngle);
        };
    } else {
        prepare = [cut, iAngle, mirror, flip](const QImage &image) { return cutAndTurn(image, cut, iAngle, mirror, flip); };
    }
    const int id = RImageSaver::instance()->saveImage(picture, path, prepare);
    m_pending.insert(id, name);
}

void RSceneSnapshot::onImageSaved(int id, const QString &path, bool ok, const QString &error)
{
    auto it = m_pending.find(id);
    if (it == m_pending.end())
        return;
    const QString name = it.value();
    m_pending.erase(it);
    qInfo() << "RSceneSnapshot::onImageSaved: path:" << path << "saveSuccess:" << ok << error;
    if (ok) {
        emit m_scene->sAddImageItem(QFileInfo(path).absolutePath(), name);
        emit m_scene->sShowOrHideImageList(true);
    } else {
        m_scene->showNotice(RSaveNotice::notSaved(m_scene->language(), RSaveNotice::Picture,
                                                  error.isEmpty() ? RSaveNotice::emptyPicture(m_scene->language())
                                                                  : error));
    }
    emit m_scene->sSnapFinish();
}

qreal RSceneSnapshot::deskewAngle(const QList<QPoint> &corners)
{
    if (corners.size() < 4)
        return 0;
    // The edge closest to horizontal tells the page's tilt.
    qreal best = 0;
    qreal bestAbs = 1e9;
    for (int i = 0; i < 4; ++i) {
        const QPointF a = corners[i];
        const QPointF b = corners[(i + 1) % 4];
        if (a == b)
            continue;
        qreal deg = qRadiansToDegrees(std::atan2(b.y() - a.y(), b.x() - a.x()));
        while (deg > 90)
            deg -= 180;
        while (deg <= -90)
            deg += 180;
        if (std::abs(deg) < bestAbs) {
            bestAbs = std::abs(deg);
            best = deg;
        }
    }
    return bestAbs <= 45 ? best : 0;
}

QImage RSceneSnapshot::cutPolygonImage(const QImage &input, const QPainterPath &path, qreal angle, const QRect &rccut)
{
    qDebug() << "RSceneSnapshot::cutPolygonImage: input.rect():" << input.rect()
             << "path.boundingRect().toRect():" << path.boundingRect().toRect() << "rccut:" << rccut;
    if (input.isNull() || path.isEmpty())
        return QImage();
    QImage clipped(input.size(), QImage::Format_ARGB32);
    clipped.fill(Qt::transparent);
    {
        QPainter painter(&clipped);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipPath(path, Qt::ReplaceClip);
        painter.drawImage(0, 0, input);
    }
    QImage ima = clipped.copy(rccut);
    if (ima.isNull())
        return QImage();
    if (angle != 0)
        ima = ima.transformed(QTransform().rotate(angle), Qt::SmoothTransformation);
    if (ima.format() != QImage::Format_ARGB32)
        ima = ima.convertToFormat(QImage::Format_ARGB32);

    auto rowEmpty = [&](int y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(ima.constScanLine(y));
        for (int x = 0; x < ima.width(); ++x)
            if (qAlpha(line[x]) != 0)
                return false;
        return true;
    };
    auto colEmpty = [&](int x) {
        for (int y = 0; y < ima.height(); ++y)
            if (qAlpha(reinterpret_cast<const QRgb *>(ima.constScanLine(y))[x]) != 0)
                return false;
        return true;
    };
    int top = 0, bottom = ima.height() - 1, left = 0, right = ima.width() - 1;
    while (top <= bottom && rowEmpty(top))
        ++top;
    while (bottom >= top && rowEmpty(bottom))
        --bottom;
    if (top > bottom)
        return QImage();
    while (left <= right && colEmpty(left))
        ++left;
    while (right >= left && colEmpty(right))
        --right;
    return ima.copy(left, top, right - left + 1, bottom - top + 1);
}
