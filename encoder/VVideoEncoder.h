#pragma once
// H.264 through libx264, one picture at a time on the caller's thread:
// colour conversion (and scaling to the stream's size) with libswscale, then
// every packet to the hub. Timestamps are the caller's capture times, so a
// camera or machine that falls behind lowers the frame rate, never the clock.

#include <QSize>
#include <QString>

#include "VPacketHub.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

class VVideoEncoder
{
public:
    struct Settings {
        QSize size{1920, 1080};
        int fps = 30;                       // nominal rate: key frame spacing, rate control
        QString preset = QStringLiteral("ultrafast");
        QString tune = QStringLiteral("zerolatency");
        int threads = 1;
        int crf = 25;
        int maxKbps = 6000;                 // caps a busy picture; 0: no cap
    };
    enum class Pixels { Bgr24, Bgra32 };   // Bgra32: QImage::Format_ARGB32/RGB32 in memory

    VVideoEncoder() = default;
    ~VVideoEncoder();
    VVideoEncoder(const VVideoEncoder &) = delete;
    VVideoEncoder &operator=(const VVideoEncoder &) = delete;

    // Opens the encoder and registers its stream with the hub (which may be null).
    bool open(const Settings &settings, VPacketHub *hub);
    bool isOpen() const { return m_codec != nullptr; }
    // ptsUs: microseconds from the recording's start; a picture not later than
    // the previous one is skipped (false).
    bool encode(const uchar *data, int stride, const QSize &size, Pixels pixels, qint64 ptsUs);
    // The next picture encoded starts a new key frame (a consumer joined or resumed).
    void requestKeyFrame() { m_keyWanted = true; }
    // The pictures the encoder still holds.
    void flush();
    void close();

    const AVCodecContext *context() const { return m_codec; }
    int stream() const { return m_stream; }
    QString error() const { return m_error; }
    qint64 encodedFrames() const { return m_frames; }

private:
    void drain();

    Settings m_settings;
    VPacketHub *m_hub = nullptr;
    AVCodecContext *m_codec = nullptr;
    AVFrame *m_picture = nullptr;
    AVPacket *m_packet = nullptr;
    SwsContext *m_sws = nullptr;
    int m_stream = -1;
    qint64 m_lastPts = -1;
    qint64 m_frames = 0;
    bool m_keyWanted = false;
    QString m_error;
};
