#pragma once
// An encoded class view without a camera: quadrant-coloured pictures with a
// moving bar through the video pipe at a steady rate, and (optionally) AAC
// silence, all into one hub, on a thread of its own.

#include "VAudioEncoder.h"
#include "VClock.h"
#include "VPacketHub.h"
#include "VVideoPipe.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <atomic>
#include <thread>

class PublishFeed
{
public:
    ~PublishFeed() { stop(); }

    // busy: noise over the whole picture, the most bytes the encoder's cap allows.
    bool start(const QSize &size, int fps, bool sound, bool busy = false)
    {
        m_busy = busy;
        VVideoEncoder::Settings settings;
        settings.size = size;
        settings.fps = fps;
        m_origin = VClock::nowUs();
        if (!m_pipe.start(settings, &hub, m_origin))
            return false;
        if (sound && !m_audio.open(&hub))
            return false;
        m_sound = sound;
        m_size = size;
        m_fps = fps;
        m_run = true;
        m_thread = std::thread(&PublishFeed::run, this);
        return true;
    }

    VVideoPipe::Stats stop()
    {
        if (!m_thread.joinable())
            return m_pipe.stats();
        m_run = false;
        m_thread.join();
        m_audio.close();
        return m_pipe.stop();
    }

    VVideoPipe::Stats stats() const { return m_pipe.stats(); }
    // A picture (a page on the desk) in place of the quadrants; before start().
    void setBackground(const QImage &image) { m_background = image; }

    VPacketHub hub;

private:
    void run()
    {
        QImage picture(m_size, QImage::Format_RGB32);
        QRandomGenerator random(7);
        const int w = m_size.width(), h = m_size.height();
        for (qint64 n = 0; m_run; ++n) {
            QPainter p(&picture);
            if (!m_background.isNull()) {
                p.drawImage(QRect(0, 0, w, h), m_background);
            } else {
                p.fillRect(0, 0, w / 2, h / 2, Qt::red);
                p.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::green);
                p.fillRect(0, h / 2, w / 2, h - h / 2, Qt::blue);
                p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::yellow);
            }
            p.fillRect(int(n * 8 % w), 0, 16, h, Qt::white); // motion, so the encoder has work
            p.end();
            if (m_busy)
                for (int y = 0; y < h; ++y) {
                    auto *line = reinterpret_cast<quint32 *>(picture.scanLine(y));
                    for (int x = 0; x < w; ++x)
                        line[x] = random.generate();
                }
            const qint64 now = VClock::nowUs();
            m_pipe.offer(picture.constBits(), int(picture.bytesPerLine()), m_size, VVideoEncoder::Pixels::Bgra32, now);
            if (m_sound)
                m_audio.padUntil(now - m_origin);
            const qint64 next = m_origin + (n + 1) * 1000000 / m_fps;
            std::this_thread::sleep_for(std::chrono::microseconds(qMax<qint64>(0, next - VClock::nowUs())));
        }
    }

    VVideoPipe m_pipe;
    VAudioEncoder m_audio;
    std::thread m_thread;
    std::atomic<bool> m_run{false};
    qint64 m_origin = 0;
    QSize m_size;
    int m_fps = 15;
    bool m_sound = false;
    bool m_busy = false;
    QImage m_background;
};
