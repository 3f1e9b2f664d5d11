// Plays the sync beeps (see SyncBeep.h) into a PulseAudio sink, timed so that
// each beep leaves the sink at a whole second of CLOCK_MONOTONIC: the time a
// written sample will be heard is now plus the stream's latency, which the
// server reports. Runs until SIGTERM/SIGINT.
//   syncbeeper [--sink NAME]
// Prints "beeping" once the stream plays with a settled latency and the
// beeps begin, so a caller knows they are on time from then on.

#include "SyncBeep.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

constexpr uint32_t kRate = 48000;
constexpr int kChunk = 240; // 5 ms: small writes keep the latency low and well known
constexpr int64_t kChunkNs = int64_t(kChunk) * 1'000'000'000 / kRate;
// A latency estimate this far from the running sample clock means the stream
// slipped; nearer, the estimate's jitter is averaged out.
constexpr int64_t kResyncNs = 10'000'000;
constexpr int kSmoothing = 8;
// The server reports no latency until the stream plays and jumps about just
// after; after a slip, stay quiet until the estimate has held this long.
constexpr int64_t kSettleNs = 500'000'000;

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int)
{
    g_stop = 1;
}

int64_t monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

} // namespace

int main(int argc, char **argv)
{
    const char *sink = "visora_sink";
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--sink") && i + 1 < argc)
            sink = argv[++i];
        else {
            std::fprintf(stderr, "usage: %s [--sink NAME]\n", argv[0]);
            return 2;
        }
    }
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);

    const pa_sample_spec format{PA_SAMPLE_S16LE, kRate, 1};
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    // Enough buffer that a busy machine (a recording encodes on one core) does not run it dry.
    attr.tlength = uint32_t(pa_usec_to_bytes(50'000, &format));
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(pa_usec_to_bytes(5'000, &format));
    attr.fragsize = uint32_t(-1);
    int error = 0;
    pa_simple *stream = pa_simple_new(nullptr, "Visora sync beeper", PA_STREAM_PLAYBACK, sink, "sync beeps", &format,
                                      nullptr, &attr, &error);
    if (!stream) {
        std::fprintf(stderr, "syncbeeper: cannot play into %s: %s\n", sink, pa_strerror(error));
        return 1;
    }
    std::vector<int16_t> chunk(kChunk);
    int64_t next = -1;          // when the next sample written will be heard
    int64_t quietUntil = INT64_MAX; // no beep before the latency has settled
    bool announced = false;
    while (!g_stop) {
        const pa_usec_t latency = pa_simple_get_latency(stream, &error);
        const int64_t now = monotonicNs();
        if (latency != pa_usec_t(-1) && latency > 0) {
            const int64_t heard = now + int64_t(latency) * 1000;
            if (next < 0 || std::llabs(heard - next) > kResyncNs) {
                next = heard;
                quietUntil = now + kSettleNs;
            } else {
                next += (heard - next) / kSmoothing;
            }
        } else if (next < 0) {
            next = now;
        }
        const bool quiet = now < quietUntil;
        if (!announced && !quiet) {
            announced = true;
            std::printf("beeping\n");
            std::fflush(stdout);
        }
        for (int i = 0; i < kChunk; ++i)
            chunk[size_t(i)] = quiet ? 0 : int16_t(32767.0 * SyncBeep::sample(next + int64_t(i) * 1'000'000'000 / kRate));
        if (pa_simple_write(stream, chunk.data(), chunk.size() * sizeof(int16_t), &error) < 0) {
            std::fprintf(stderr, "syncbeeper: write failed: %s\n", pa_strerror(error));
            pa_simple_free(stream);
            return 1;
        }
        next += kChunkNs;
    }
    pa_simple_drain(stream, &error);
    pa_simple_free(stream);
    return 0;
}
