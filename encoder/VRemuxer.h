#pragma once
// Finishes a recording by copying its streams into the container the
// teacher chose: the picture is never encoded again; only the sound is, where
// the container's usual sound codec asks for it (.avi: MP3, .wmv: WMA).
// A file cut off by a crash is read up to its last whole part.

#include <QString>

#include <functional>

class VRemuxer
{
public:
    enum class Result { Ok, NoInput, NoSpace, Failed };
    struct Outcome {
        Result result = Result::Failed;
        double videoSeconds = 0.0;
        double audioSeconds = 0.0;
        qint64 videoPackets = 0;
    };

    // ".mp4", ".avi", ".flv", ".wmv" (and ".mkv"); empty when not supported.
    static QString formatName(const QString &extension);

    // Writes output (whatever its name) in the container of extension.
    // progress gets 0..1 on the calling thread.
    static Outcome remux(const QString &input, const QString &output, const QString &extension,
                         const std::function<void(double)> &progress = {});

    // Renames partial to desired, or to desired with "-2", "-3", ... before the
    // extension, never replacing an existing file. Returns the name it got, empty on failure.
    static QString publish(const QString &partial, const QString &desired);
};
