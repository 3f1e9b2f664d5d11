#pragma once
// An encoded class view without a camera, on a thread of its own: quadrants
// (or `background`) with a moving bar through the video pipe at a steady
// rate, optionally noise all over (the most bytes the encoder's cap allows)
// and AAC silence, all into one hub.

#include "VAudioEncoder.h"
#include "VClock.h"
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

    bool start(const QSize &size, int fps, bool sound, bool noise = false)
    {
        VVideoEncoder::Settings settings;
        settings.size = size;
        settings.fps = fps;
        const qint64 origin = VClock::nowUs();
        if (!m_pipe.start(settings, &hub, origin) || (sound && !m_audio.open(&hub)))
            return false;
        m_run = true;
        m_thread = std::thread([=] {
            QImage picture(size, QImage::Format_RGB32);
            QRandomGenerator random(7);
            for (qint64 n = 0; m_run; ++n) {
                QPainter p(&picture);
                const int w = size.width(), h = size.height();
                if (!background.isNull())
                    p.drawImage(picture.rect(), background);
                for (int q = 0; q < 4 && background.isNull(); ++q)
                    p.fillRect(q % 2 * w / 2, q / 2 * h / 2, w / 2, h / 2, QColor(Qt::GlobalColor(Qt::red + q)));
                p.fillRect(int(n * 8 % w), 0, 16, h, Qt::white);
                p.end();
                for (int y = 0; noise && y < h; ++y)
                    random.fillRange(reinterpret_cast<quint32 *>(picture.scanLine(y)), w);
                const qint64 now = VClock::nowUs();
                m_pipe.offer(picture.constBits(), int(picture.bytesPerLine()), size, VVideoEncoder::Pixels::Bgra32, now);
                if (sound)
                    m_audio.padUntil(now - origin);
                std::this_thread::sleep_for(std::chrono::microseconds(origin + (n + 1) * 1000000 / fps - VClock::nowUs()));
            }
        });
        return true;
    }

    VVideoPipe::Stats stop()
    {
        if (m_thread.joinable()) {
            m_run = false;
            m_thread.join();
            m_audio.close();
        }
        return m_pipe.stop();
    }

    VVideoPipe::Stats stats() const { return m_pipe.stats(); }

    VPacketHub hub;
    QImage background; // set before start()

private:
    VVideoPipe m_pipe;
    VAudioEncoder m_audio;
    std::thread m_thread;
    std::atomic<bool> m_run{false};
};
