#pragma once
// The sound half of the sync signal: at every whole second N of CLOCK_MONOTONIC
// a 50 ms beep starts, its pitch telling N mod 4 (1000, 1500, 2000 or 2500 Hz),
// so a beep pairs with the right picture mark even when sound and picture
// are more than half a second apart. All pitches stay clear of the virtual
// microphone's 440 Hz tone.

#include <cmath>
#include <cstdint>

class SyncBeep
{
public:
    static constexpr int64_t kLengthNs = 50'000'000;
    static constexpr double kAmplitude = 0.6; // of full scale
    static constexpr int kPitches = 4;

    static constexpr double pitchHz(int index) { return 1000.0 + 500.0 * index; }
    static constexpr int pitchIndex(int64_t second) { return int(((second % kPitches) + kPitches) % kPitches); }

    // The signal at a moment of the clock (ns), in -1..1.
    static double sample(int64_t ns)
    {
        if (ns < 0)
            return 0.0;
        const int64_t within = ns % 1'000'000'000;
        if (within >= kLengthNs)
            return 0.0;
        const double t = double(within) * 1e-9;
        // A sharp start marks the moment; a 2 ms fade at the end keeps the stop from clicking.
        const double fade = std::min(1.0, double(kLengthNs - within) / 2e6);
        return kAmplitude * fade * std::sin(2.0 * M_PI * pitchHz(pitchIndex(ns / 1'000'000'000)) * t);
    }
};
