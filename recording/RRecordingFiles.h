#pragma once
// The temporary files of one recording: the recording (older versions: video
// and sound apart) and a small note of
// where the result belongs. A lock file marks a recording whose program is
// still running; notes without a live lock are recordings cut off by a crash,
// a power cut or a closed window, which the next start offers to finish.

#include <QList>
#include <QLockFile>
#include <QString>

#include <memory>

class RRecordingFiles
{
public:
    struct Leftover {
        QString note;
        QString video;   // the recording, or an older version's video
        QString audio;   // an older version's sound; empty: none
        QString output;  // where the joined file was meant to go
    };

    // Reserves a new recording in folder and writes its note; false when it cannot.
    bool create(const QString &folder, const QString &baseName, const QString &output, bool withSound);
    // The recording's one file (picture and sound).
    QString video() const { return m_video; }
    QString audio() const { return m_audio; }
    QString notePath() const { return m_note; }
    // The recording's files are joined or discarded: the note and the lock go.
    void release();
    // The join failed: the note stays, so the next start offers the files again.
    void detach();

    // Recordings in folder whose program is no longer running.
    static QList<Leftover> findLeftovers(const QString &folder);
    // Deletes the leftover's files; only on the teacher's word.
    static void discard(const Leftover &leftover);
    // The leftover's note goes (its temporary files stay until discarded).
    static void forget(const Leftover &leftover);

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_note;
    QString m_video;
    QString m_audio;
};
