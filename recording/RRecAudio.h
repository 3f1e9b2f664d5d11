#pragma once
// The recorder's microphone worker: reads the device through FFmpeg's input
// devices on a thread of its own and hands the sound, stamped with its
// capture time on the recording's clock, to the AAC encoder. A device that
// fails or stops delivering is noted with the time it stopped; the recording
// goes on and the sound is filled with silence from there.

#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

struct AVFormatContext;
class VAudioEncoder;
class VPacketHub;

class RRecAudio
{
public:
    RRecAudio(VAudioEncoder *encoder);
    ~RRecAudio();
    RRecAudio(const RRecAudio &) = delete;
    RRecAudio &operator=(const RRecAudio &) = delete;

    // Opens the device; false (with FFmpeg's reason in *why) when it cannot.
    bool open(const QString &name, const QString &realm, QString *why = nullptr);
    // The microphone and its encoder (registered with hub), or null with the
    // reason in *problem: a recording goes on without sound.
    static std::unique_ptr<RRecAudio> openWith(VAudioEncoder *encoder, VPacketHub *hub, const QString &name,
                                               const QString &realm, QString *problem);
    // originUs: the recording's start on VClock.
    void start(qint64 originUs);
    // Any thread: sound captured up to stopUs (recording time) is still taken,
    // for at most a second; then the rest up to stopUs is silence.
    void stop(qint64 stopUs);
    // Waits for the worker; a device hung in its read is left behind after
    // timeoutMs and no longer touches the encoder.
    void join(int timeoutMs = 3000);

    // Recording time (us) at which the device stopped delivering, -1 while it delivers.
    // stalledForUs: how long without sound counts as stopped.
    qint64 lostAtUs(qint64 stalledForUs = 2000000) const;

private:
    struct Shared;
    static void run(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};
