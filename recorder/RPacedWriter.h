#pragma once
// Writes a Motion-JPEG AVI against the clock on a thread of its own: at every
// tick the newest captured frame is written; a camera slower than the file
// repeats its last frame, a faster one has frames dropped. The video therefore
// lasts as long as the recording and stays in step with the sound.

#include "RFramePacer.h"

#include <QSize>
#include <QString>

#include <opencv2/core.hpp>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace cv {
class VideoWriter;
}

class RPacedWriter
{
public:
    struct Stats {
        qint64 written = 0;
        qint64 repeated = 0; // ticks that wrote the frame of the tick before
        qint64 dropped = 0;  // captured frames never written
        qint64 missing = 0;  // ticks a too slow machine could not write by the stop
        qint64 elapsedMs = 0;
    };

    explicit RPacedWriter(double fps = 30.0);
    ~RPacedWriter();
    RPacedWriter(const RPacedWriter &) = delete;
    RPacedWriter &operator=(const RPacedWriter &) = delete;

    // Opens the file. The clock starts at startWallMs (ms since the epoch, the
    // moment the teacher pressed record) or, when that is 0, with the first
    // frame; frames due before the camera's first one repeat that first frame.
    bool open(const QString &path, const QSize &size, qint64 startWallMs = 0);
    bool isOpen() const { return m_open; }

    // The newest frame (BGR, the file's size); copied, any thread.
    void offer(const cv::Mat &frame);

    // Writes the frames still due up to now and closes the file.
    Stats close();

    // Rewrites the frame rate a Motion-JPEG AVI declares so that its frames
    // last elapsedMs; false when the file has no such header.
    static bool retimeAvi(const QString &path, qint64 frames, qint64 elapsedMs);

private:
    void run();
    void writeOne(cv::Mat &scratch);

    RFramePacer m_pacer;
    QString m_path;
    QSize m_size;
    cv::VideoWriter *m_writer = nullptr;
    bool m_open = false;
    std::string m_backend;
    std::thread m_thread;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    cv::Mat m_latest;
    quint64 m_latestSeq = 0;     // frames offered so far
    quint64 m_writtenSeq = 0;    // sequence number of the frame last written
    bool m_started = false;
    std::atomic<bool> m_stop{false};
    qint64 m_startNs = 0;
    qint64 m_stopMs = -1;
    Stats m_stats;
};
