#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QFile;

// What differs between the systems the programs run on, in one place: the
// widgets and rules call these instead of system calls of their own. Linux is
// the system the programs are built for; the Windows branches keep the seam.
class RPlatform
{
public:
    // "ffmpeg" -> "ffmpeg", or "ffmpeg.exe" on Windows.
    static QString executableName(const QString &base);

    // FFmpeg's input format for a sound device of Qt's list in `realm`:
    // "alsa" or "pulse" here, DirectShow ("dshow") on Windows.
    static QString soundInputFormat(const QString &realm);

    // Flushes `file` and returns once its bytes are on the disk; false with
    // errno set when they may not be.
    static bool syncFile(QFile &file);
    // The folder entry itself must reach the disk too, or a power cut may
    // forget a rename or a new file in it.
    static void syncFolder(const QString &folder);

    // Lowers the calling thread below the GUI thread, so background decoding
    // does not take the CPU from the live picture. Cheap to call again.
    static void lowerThreadPriority();

    // Names of entries in `dir`, as stored, that Qt cannot open because they
    // are not valid in the system's encoding (a GBK name from a Windows stick).
    // Windows stores names as UTF-16, which Qt always reads: none there.
    static QList<QByteArray> undecodableNames(const QString &dir);
};
