#pragma once
// Finds the sync beeps (SyncBeep.h) in sound: their onsets to about a
// millisecond and their pitch, next to the microphone's steady tone.

#include <vector>

class SyncBeepDetector
{
public:
    struct Beep
    {
        double at; // seconds, on the clock of `start`
        int pitch; // SyncBeep's pitch index
    };

    // Onsets in mono sound whose first sample is at `start` seconds, in time order.
    static std::vector<Beep> find(const std::vector<float> &samples, int rate, double start);
};
