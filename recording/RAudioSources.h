#pragma once
// The sound server's input sources, as a teacher should see them: the
// microphones the server really has (PulseAudio, or PipeWire speaking its
// protocol), each with the server's description, rather than ALSA's plugin
// pseudo-devices. The name of a source is what FFmpeg's "pulse" input takes
// as its device. The server is asked through libavdevice's own device list,
// so the list shows exactly what a recording can open. GUI-free.

#include <QList>
#include <QString>

class RAudioSources
{
public:
    struct Source
    {
        QString name;        // the server's name: FFmpeg's "pulse" device
        QString description; // shown to the teacher
        bool monitor = false; // the sound an output plays, not a microphone
    };

    struct Listing
    {
        QList<Source> sources;
        int preferred = -1; // the server's default microphone when listed, else the first microphone
        QString error;      // why the server could not be asked; empty when it answered
    };

    // Asks the server PULSE_SERVER names, or the session's. Outputs' monitors
    // are left out unless asked for; then they follow the microphones.
    static Listing list(bool withMonitors = false);

    // The rule applied to the server's answer (in its order, with the index of
    // its default input or -1): nameless entries dropped, a missing description
    // replaced by the name, equal descriptions numbered so they can be told apart.
    static Listing arrange(const QList<Source> &server, int serverDefault, bool withMonitors);

    // FFmpeg's input format for these names.
    static QString inputFormat() { return QStringLiteral("pulse"); }
};
