#pragma once
// Turns a recording into the teacher's file, off the GUI thread: stops the
// recording if it still runs, copies its streams into the chosen container
// under a hidden name in the save folder and renames that into place only
// when complete, never over an existing file. Older leftovers (a video and a
// sound file) are joined by the ffmpeg program the same way.

#include "RRecordingSession.h"

#include <QString>

#include <functional>
#include <memory>

class RFinisher
{
public:
    struct Job {
        QString video;    // the temporary recording
        QString audio;    // older leftovers only: their sound file
        QString output;   // the wanted name in the save folder
        QString note;     // removed once the file is in place
        QString notes;    // what the finished message adds (a microphone that stopped)
        std::shared_ptr<RRecordingSession> session; // still running: stopped first
    };
    enum class Reason { None, DiskFull, RecordingDiskFull, NothingRecorded, CannotWrite, NoFfmpeg };
    struct Outcome {
        bool ok = false;
        QString file;        // the name the file got
        Reason reason = Reason::None;
        RRecordingSession::Result recording;
        double videoSeconds = 0.0;
        double audioSeconds = 0.0;
    };

    // The hidden name a job writes to before the rename; the same for every
    // attempt at one recording, so a finish cut off by a crash leaves no second file.
    static QString partialPath(const Job &job);

    static Outcome run(const Job &job, const std::function<void(double)> &progress = {});

private:
    static Outcome joinOld(const Job &job);
};
