#include "RClassView.h"

#include "RCamera.h"
#include "RDragScene.h"
#include "ROverlayLayer.h"
#include "RProxyWidget.h"
#include "RVideoTracker.h"
#include "VClock.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QGraphicsProxyWidget>
#include <QGraphicsView>
#include <QtMath>

RClassView::RClassView(RDragScene *scene, QGraphicsView *view, QObject *parent)
    : QObject(parent)
    , m_scene(scene)
    , m_view(view)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &RClassView::tick);
}

RClassView::~RClassView()
{
    if (m_users > 0) {
        m_users = 1;
        release();
    }
}

QSize RClassView::outputSizeFor(const QSize &view, const QSize &limit)
{
    if (view.isEmpty())
        return QSize(limit.width() & ~1, limit.height() & ~1);
    const QSize fitted = view.width() <= limit.width() && view.height() <= limit.height()
                             ? view
                             : view.scaled(limit, Qt::KeepAspectRatio);
    return QSize(qMax(2, fitted.width() & ~1), qMax(2, fitted.height() & ~1));
}

RFrameCompositor::View RClassView::viewOf(RDragScene *scene, QGraphicsView *view, const QSize &out)
{
    RFrameCompositor::View v;
    v.out = out;
    v.outside = RDragScene::deskColor();
    v.mirror = scene->isMirrored();
    v.flip = scene->isFlipped();
    if (scene->trackerProxy() && scene->trackerProxy()->isVisible() && scene->tracker()) {
        v.spotlight = true;
        v.spot = scene->tracker()->spotlightRect();
    }
    if (!view || !scene->cameraProxy())
        return v;
    // The viewport in shown picture pixels: the camera's area in the scene
    // starts at its proxy's position, whatever the mirror and flip.
    const QRectF seen = view->mapToScene(view->viewport()->rect()).boundingRect();
    v.source = seen.translated(-scene->cameraProxy()->pos());
    const QTransform t = view->transform();
    int turn = qRound(qRadiansToDegrees(std::atan2(t.m12(), t.m11())));
    v.turn = ((turn % 360) + 360) % 360;
    return v;
}

bool RClassView::acquire(QString *error)
{
    if (m_users++ > 0)
        return true;
    QSize viewSize(1920, 1080);
    if (m_view)
        viewSize = m_view->viewport()->size() * m_view->viewport()->devicePixelRatioF();
    m_size = outputSizeFor(viewSize);
    m_fps = 30;
    m_hub = std::make_unique<VPacketHub>();
    m_pipe = std::make_shared<VVideoPipe>();
    m_originUs = VClock::nowUs();
    VVideoEncoder::Settings settings;
    settings.size = m_size;
    settings.fps = m_fps;
    if (!m_pipe->start(settings, m_hub.get(), m_originUs, [this](int fps) { emit sRateLowered(fps); })) {
        if (error)
            *error = m_pipe->error();
        qInfo() << "RClassView::acquire: video encoder:" << m_pipe->error();
        m_pipe.reset();
        m_hub.reset();
        m_users = 0;
        return false;
    }
    m_stats = Stats();
    m_composed = 0;
    m_compositor = new RFrameCompositor(this);
    std::shared_ptr<VVideoPipe> pipe = m_pipe;
    // On the compositor's worker: the picture goes straight to the encoder's slot.
    connect(m_compositor, &RFrameCompositor::sComposed, m_compositor, [this, pipe](const QImage &picture, qint64 stamp) {
        if (picture.isNull())
            return;
        pipe->offer(picture.constBits(), picture.bytesPerLine(), picture.size(), VVideoEncoder::Pixels::Bgra32, stamp);
        ++m_composed;
    }, Qt::DirectConnection);
    m_timer.start(1000 / m_fps);
    qInfo() << "RClassView::acquire: encoding" << m_size << "at" << m_fps;
    tick();
    return true;
}

void RClassView::release()
{
    if (m_users <= 0 || --m_users > 0)
        return;
    m_timer.stop();
    // The worker is joined first, so nothing is offered to a stopped pipe.
    delete m_compositor;
    m_compositor = nullptr;
    m_stats.video = m_pipe->stop();
    m_stats.composed = m_composed.load();
    qInfo() << "RClassView::release: ticks" << m_stats.ticks << "composed" << m_stats.composed << "encoded"
            << m_stats.video.encoded << "fps" << m_stats.video.fps << "GUI ms/frame"
            << (m_stats.ticks ? m_stats.guiUs / 1000.0 / m_stats.ticks : 0.0);
    m_pipe.reset();
}

void RClassView::requestKeyFrame()
{
    if (m_pipe)
        m_pipe->requestKeyFrame();
}

RClassView::Stats RClassView::stats() const
{
    Stats s = m_stats;
    if (m_pipe) {
        s.video = m_pipe->stats();
        s.composed = m_composed.load();
    }
    return s;
}

QImage RClassView::currentPicture()
{
    RCamera *camera = m_scene->camera();
    if (!camera)
        return m_lastFrame;
    const QSize size = camera->size();
    if (camera->isWhiteBoard()) {
        const QColor board = camera->palette().color(QPalette::Window);
        if (m_board.size() != size || m_board.pixel(0, 0) != board.rgb()) {
            m_board = QImage(size, QImage::Format_RGB32);
            m_board.fill(board);
        }
        return m_board;
    }
    // Shared with the camera's buffer: no copy here.
    const QImage frame = camera->currentFrame();
    if (!frame.isNull() && frame.size() == size)
        m_lastFrame = frame;
    return m_lastFrame;
}

void RClassView::tick()
{
    if (!m_compositor)
        return;
    QElapsedTimer clock;
    clock.start();
    const qint64 stamp = VClock::nowUs();
    const QImage frame = currentPicture();
    if (!frame.isNull()) {
        RFrameCompositor::View view = viewOf(m_scene, m_view, m_size);
        QImage layer;
        if (ROverlayLayer *overlay = m_scene->overlayLayer()) {
            overlay->refresh();
            layer = overlay->image();
            view.layerArea = overlay->contentRect();
        }
        m_compositor->submit(frame, layer, view, stamp);
    }
    const qint64 us = clock.nsecsElapsed() / 1000;
    ++m_stats.ticks;
    m_stats.guiUs += us;
    m_stats.guiMaxUs = qMax(m_stats.guiMaxUs, us);
}
