#pragma once

#include "RFrameCompositor.h"
#include "VPacketHub.h"
#include "VVideoPipe.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QTimer>

#include <atomic>
#include <memory>

class QGraphicsView;
class RDragScene;

// What the class sees, encoded once for every consumer (a lesson file, a
// network share): at a steady rate the GUI thread takes the camera's last
// frame (shared, not copied), the scene's cached overlay layer and the view's
// zoom, turn, mirror, flip and spotlight; the compositor's worker puts them
// together at the output size and the video pipe encodes them into the hub's
// stream 0. The tool bar, the badge and other widgets are never in it.
class RClassView : public QObject
{
    Q_OBJECT
public:
    struct Stats
    {
        qint64 ticks = 0;      // pictures asked for on the GUI thread
        qint64 guiUs = 0;      // GUI-thread time they took, in all
        qint64 guiMaxUs = 0;
        qint64 composed = 0;   // pictures the compositor handed to the encoder
        VVideoPipe::Stats video;
    };

    RClassView(RDragScene *scene, QGraphicsView *view, QObject *parent = nullptr);
    ~RClassView() override;

    // The first user starts composing and encoding; false (with the reason)
    // when the encoder cannot start. Every acquire needs its release.
    bool acquire(QString *error);
    // The last user stops it.
    void release();
    // Valid while running; consumers attach their queues to it. Video is stream 0.
    VPacketHub *hub() { return m_hub.get(); }
    // The next encoded picture is a key frame: a consumer that joins (or
    // resumes) starts there.
    void requestKeyFrame();
    bool isRunning() const { return m_users > 0; }
    // The encoded picture's size: the view's aspect, at most 1920 x 1080.
    QSize outputSize() const { return m_size; }
    // The stream's time zero on VClock.
    qint64 originUs() const { return m_originUs; }
    int fps() const { return m_fps; }
    Stats stats() const;

    // The encoded size for a view of `view` pixels: its aspect, at most
    // `limit`, even sides.
    static QSize outputSizeFor(const QSize &view, const QSize &limit = QSize(1920, 1080));
    // What the view shows, as the compositor's view of the camera's shown
    // picture, at output size `out`.
    static RFrameCompositor::View viewOf(RDragScene *scene, QGraphicsView *view, const QSize &out);

signals:
    // The machine could not keep up; the rate is now fps.
    void sRateLowered(int fps);

private:
    void tick();
    QImage currentPicture();

    RDragScene *m_scene;
    QPointer<QGraphicsView> m_view;
    int m_users = 0;
    QSize m_size;
    int m_fps = 30;
    qint64 m_originUs = 0;
    std::unique_ptr<VPacketHub> m_hub;
    std::shared_ptr<VVideoPipe> m_pipe;
    RFrameCompositor *m_compositor = nullptr;
    QTimer m_timer;
    QImage m_lastFrame;  // a frozen or lost picture keeps showing it
    QImage m_board;
    Stats m_stats;
    std::atomic<qint64> m_composed{0};
};
