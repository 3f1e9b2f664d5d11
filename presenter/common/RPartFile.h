#pragma once

#include <QFile>
#include <QString>

// A file that appears whole or not at all. The bytes go to a hidden
// temporary beside the target (".name.XXXXXX.part", so it renames within
// one file system and stays out of the teacher's sight), which is synced and
// renamed over the target in one step: an existing version stays in place
// until the new one is complete. A crash leaves only the hidden temporary,
// which removeStale() clears at the next start.
class RPartFile
{
public:
    explicit RPartFile(const QString &target);
    // Removes the temporary unless committed.
    ~RPartFile();
    RPartFile(const RPartFile &) = delete;
    RPartFile &operator=(const RPartFile &) = delete;

    // Refuses a target that is a folder or another non-regular file.
    bool open();
    QFile *device() { return &m_file; }
    // Flushes, syncs and renames into place.
    bool commit();
    void cancel();
    // The system's reason for the last failure.
    QString errorString() const { return m_strError; }

    // Whether a file name is one of our temporaries.
    static bool isPart(const QString &fileName);
    // Removes temporaries in `folder` older than `minAgeSecs`; returns how many.
    static int removeStale(const QString &folder, int minAgeSecs = 600);

private:
    bool failed(const QString &why);

    QString m_strTarget;
    QFile m_file;
    QString m_strError;
    bool m_bCreated = false;
    bool m_bCommitted = false;
};
