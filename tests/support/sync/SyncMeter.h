#pragma once
// Measures how far a recording's sound is from its picture. The picture must
// come from the virtual camera with sync marks (each frame carries its capture
// second and milliseconds), the sound must carry the sync beeps (SyncBeep.h),
// both on CLOCK_MONOTONIC. The whole file is decoded with libavformat and
// libavcodec; every beep is paired with the picture's mark of the same second.

#include <QString>
#include <QVector>

class SyncMeter
{
public:
    struct Pair
    {
        double at = 0;            // seconds from the first frame, where the mark's second begins in the picture
        double offsetMs = 0;      // sound minus picture: the beep's time minus the moment the frames say
        double frameOffsetMs = 0; // sound minus the first frame showing the flash, what a viewer sees (NaN: none)
    };

    struct Result
    {
        QString error; // empty when the file was read
        double videoSeconds = 0; // decoded picture, first frame to the end of the last
        double audioSeconds = 0; // decoded sound
        int videoFrames = 0;
        int markedFrames = 0; // frames whose code was read
        int decodeErrors = 0; // packets a decoder refused
        int beeps = 0;
        QVector<Pair> pairs; // in file order

        // The pair nearest to `at` seconds, if one lies within `within` seconds.
        const Pair *near(double at, double within = 1.5) const;
        double meanOffsetMs() const;
        double maxAbsOffsetMs() const;
    };

    static Result measure(const QString &path);

};
