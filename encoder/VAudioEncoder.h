#pragma once
// AAC at 48 kHz stereo from decoded sound of any format. Each block of
// samples comes with its capture time; the encoder counts samples from the
// first one, and a gap in the capture times (a device that stalled) is
// filled with silence so the sound stays on the recording's clock.

#include "VPacketHub.h"

#include <QString>

struct AVAudioFifo;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

class VAudioEncoder
{
public:
    VAudioEncoder() = default;
    ~VAudioEncoder();
    VAudioEncoder(const VAudioEncoder &) = delete;
    VAudioEncoder &operator=(const VAudioEncoder &) = delete;

    bool open(VPacketHub *hub);
    bool isOpen() const { return m_codec != nullptr; }
    // startUs: capture time of the block's first sample, in microseconds from
    // the recording's start; samples before 0 are cut.
    void push(const AVFrame *frame, qint64 startUs);
    // Silence up to that time (a stop while the device held sound back).
    void padUntil(qint64 us);
    // What the FIFO and the encoder still hold.
    void flush();
    void close();

    const AVCodecContext *context() const { return m_codec; }
    int stream() const { return m_stream; }
    // Microseconds of sound handed to the encoder so far.
    qint64 encodedUs() const;
    QString error() const { return m_error; }

private:
    void drainFifo(bool all);
    void send(AVFrame *frame);
    void writeSilence(qint64 samples);

    VPacketHub *m_hub = nullptr;
    AVCodecContext *m_codec = nullptr;
    SwrContext *m_swr = nullptr;
    int m_swrFormat = -1;
    int m_swrRate = 0;
    int m_swrChannels = 0;
    AVAudioFifo *m_fifo = nullptr;
    AVPacket *m_packet = nullptr;
    int m_stream = -1;
    qint64 m_nextSample = -1;  // pts (in samples) of the FIFO's first sample
    QString m_error;
};
