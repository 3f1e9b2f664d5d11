#include "SyncBeepDetector.h"

#include "SyncBeep.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {
constexpr double kWindowSeconds = 0.005; // analysis window: short, for a sharp onset
} // namespace

// The moment a Hann-windowed tone detector's amplitude reaches half of the
// beep's own level is when the window's centre meets the onset.
std::vector<SyncBeepDetector::Beep> SyncBeepDetector::find(const std::vector<float> &samples, int rate, double start)
{
    std::vector<Beep> beeps;
    if (rate <= 0 || samples.empty())
        return beeps;
    const int window = std::max(8, int(std::lround(kWindowSeconds * rate)));
    const int hop = std::max(1, rate / 1000);
    const size_t count = samples.size() < size_t(window) ? 0 : (samples.size() - size_t(window)) / size_t(hop) + 1;
    const size_t span = size_t(window);
    std::vector<double> hann(span);
    double hannSum = 0;
    for (int n = 0; n < window; ++n) {
        hann[size_t(n)] = 0.5 - 0.5 * std::cos(2 * M_PI * (n + 0.5) / window);
        hannSum += hann[size_t(n)];
    }
    const double msPerHop = double(hop) / rate;
    std::array<std::vector<double>, SyncBeep::kPitches> levels;
    double loudest = 0;
    for (int pitch = 0; pitch < SyncBeep::kPitches; ++pitch) {
        const double w = 2 * M_PI * SyncBeep::pitchHz(pitch) / rate;
        std::vector<double> cosTable(span), sinTable(span);
        for (int n = 0; n < window; ++n) {
            cosTable[size_t(n)] = hann[size_t(n)] * std::cos(w * n);
            sinTable[size_t(n)] = hann[size_t(n)] * std::sin(w * n);
        }
        std::vector<double> &level = levels[size_t(pitch)];
        level.resize(count);
        for (size_t j = 0; j < count; ++j) {
            const float *x = samples.data() + j * size_t(hop);
            double re = 0, im = 0;
            for (int n = 0; n < window; ++n) {
                re += x[n] * cosTable[size_t(n)];
                im += x[n] * sinTable[size_t(n)];
            }
            level[j] = 2 * std::sqrt(re * re + im * im) / hannSum;
            loudest = std::max(loudest, level[j]);
        }
    }
    if (loudest < 0.01)
        return beeps;
    const size_t beepHops = size_t(std::lround(SyncBeep::kLengthNs * 1e-9 / msPerHop));
    for (int pitch = 0; pitch < SyncBeep::kPitches; ++pitch) {
        const std::vector<double> &level = levels[size_t(pitch)];
        for (size_t j = 0; j < count; ++j) {
            if (level[j] < 0.3 * loudest)
                continue;
            // The beep's own level: the highest point within its length.
            const size_t end = std::min(count, j + beepHops);
            const auto top = std::max_element(level.begin() + long(j), level.begin() + long(end));
            const double peak = *top;
            const size_t at = size_t(top - level.begin());
            // A beep of another pitch spreads into this one at its sharp start; a real one dominates.
            bool dominant = true;
            for (int other = 0; other < SyncBeep::kPitches; ++other)
                dominant = dominant && (other == pitch || levels[size_t(other)][at] * 3 < peak);
            if (!dominant) {
                j = end;
                continue;
            }
            size_t k = j;
            while (k > 0 && level[k - 1] >= 0.5 * peak)
                --k;
            while (k < end && level[k] < 0.5 * peak)
                ++k;
            double crossing = double(k);
            if (k > 0 && level[k] > level[k - 1])
                crossing = double(k - 1) + (0.5 * peak - level[k - 1]) / (level[k] - level[k - 1]);
            const double centre = (crossing * hop + window / 2.0) / rate;
            beeps.push_back({start + centre, pitch});
            // The next beep of this pitch is four seconds on.
            j += size_t(0.5 / msPerHop);
        }
    }
    std::sort(beeps.begin(), beeps.end(), [](const Beep &a, const Beep &b) { return a.at < b.at; });
    return beeps;
}

