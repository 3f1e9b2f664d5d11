#include "RFinisher.h"

#include "RRecorderRules.h"
#include "VRemuxer.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

QString RFinisher::partialPath(const Job &job)
{
    const QFileInfo out(job.output);
    const QString base = QFileInfo(job.note.isEmpty() ? job.video : job.note).completeBaseName();
    return out.absolutePath() + QStringLiteral("/.") + base + QStringLiteral(".partial.") + out.suffix();
}

RFinisher::Outcome RFinisher::run(const Job &job, const std::function<void(double)> &progress)
{
    Outcome outcome;
    if (job.session)
        outcome.recording = job.session->finish();
    const QString partial = partialPath(job);
    QFile::remove(partial);
    // Older versions left Motion-JPEG video and sound apart: those need the ffmpeg program.
    const bool older = !job.audio.isEmpty() || job.video.endsWith(QLatin1String(".avi"));
    Outcome joined = older ? joinOld(job) : Outcome();
    if (!older) {
        const VRemuxer::Outcome r = VRemuxer::remux(job.video, partial, QLatin1Char('.') + QFileInfo(job.output).suffix(), progress);
        joined.ok = r.result == VRemuxer::Result::Ok;
        joined.reason = r.result == VRemuxer::Result::Ok        ? Reason::None
                        : r.result == VRemuxer::Result::NoSpace ? Reason::DiskFull
                        : r.result == VRemuxer::Result::NoInput ? Reason::NothingRecorded
                                                                : Reason::CannotWrite;
        joined.videoSeconds = r.videoSeconds;
        joined.audioSeconds = r.audioSeconds;
    }
    outcome.videoSeconds = joined.videoSeconds;
    outcome.audioSeconds = joined.audioSeconds;
    outcome.reason = joined.reason;
    if (outcome.recording.failure == VFileMuxer::Failure::DiskFull && outcome.reason == Reason::None)
        outcome.reason = Reason::RecordingDiskFull;
    if (joined.ok)
        outcome.file = VRemuxer::publish(partial, job.output);
    outcome.ok = joined.ok && !outcome.file.isEmpty();
    if (!outcome.ok) {
        QFile::remove(partial);
        if (joined.ok)
            outcome.reason = Reason::CannotWrite;
        qInfo() << "RFinisher::run: failed" << job.video << int(outcome.reason);
        return outcome;
    }
    // The file is in place: the recording goes first, then its note, so a
    // crash in between never offers it again.
    QFile::remove(job.video);
    if (!job.audio.isEmpty())
        QFile::remove(job.audio);
    if (!job.note.isEmpty())
        QFile::remove(job.note);
    qInfo() << "RFinisher::run:" << outcome.file << "video s" << outcome.videoSeconds << "sound s" << outcome.audioSeconds;
    return outcome;
}

RFinisher::Outcome RFinisher::joinOld(const Job &job)
{
    Outcome outcome;
    const QString ffmpeg = RRecorderRules::findFfmpeg(QCoreApplication::applicationDirPath());
    if (ffmpeg.isEmpty()) {
        outcome.reason = Reason::NoFfmpeg;
        return outcome;
    }
    const QString partial = partialPath(job);
    QStringList args{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")};
    args << RRecorderRules::joinArguments(job.audio, job.video, partial, !job.audio.isEmpty());
    QProcess process;
    process.start(ffmpeg, args);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(-1);
    const QByteArray errors = process.readAllStandardError();
    outcome.ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0
                 && QFileInfo(partial).size() > 0;
    if (!outcome.ok) {
        qInfo() << "RFinisher::joinOld:" << errors.right(400);
        outcome.reason = errors.contains("No space left") ? Reason::DiskFull : Reason::CannotWrite;
    }
    return outcome;
}
