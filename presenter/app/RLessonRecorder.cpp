#include "RLessonRecorder.h"

#include "RClassView.h"
#include "RDragScene.h"
#include "RLessonBadge.h"
#include "RLessonStartDlg.h"
#include "RLessonTake.h"
#include "RAudioSources.h"
#include "RRecorderRules.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <QtConcurrent>

RLessonRecorder::RLessonRecorder(RClassView *view, RDragScene *scene, QWidget *window, UiLanguage language)
    : QObject(window)
    , m_view(view)
    , m_scene(scene)
    , m_window(window)
    , m_badge(new RLessonBadge(window))
{
    m_badge->hide();
    setLanguage(language);
    QTimer::singleShot(0, this, &RLessonRecorder::recoverLeftovers);
    connect(m_badge, &RLessonBadge::sPauseClicked, this, &RLessonRecorder::togglePause);
    connect(m_badge, &RLessonBadge::sStopClicked, this, &RLessonRecorder::stop);
    connect(view, &RClassView::sRateLowered, m_badge, &RLessonBadge::setRate);
    connect(&m_tick, &QTimer::timeout, this, [this] {
        if (m_take && !isFinishing())
            m_badge->setRecordedUs(m_take->recordedUs());
        placeBadge();
    });
    connect(&m_finishing, &QFutureWatcher<RFinisher::Outcome>::finished, this, &RLessonRecorder::finished);
    connect(&m_recovering, &QFutureWatcher<QStringList>::finished, this, [this] {
        for (const QString &file : m_recovering.result())
            tell(RRecorderRules::text(m_language, "上次中断的课堂录像已保存：", "The lesson recording cut off last time was saved: ")
                 + QFileInfo(file).fileName());
    });
}

RLessonRecorder::~RLessonRecorder()
{
    finishNow();
    m_recovering.waitForFinished();
}

QString RLessonRecorder::tempFolder()
{
    // Apart from the recorder's own takes, so the two programs never finish one take twice.
    const QString folder = RRecorderRules::tempFolder(QCoreApplication::applicationDirPath()) + QStringLiteral("/lesson");
    QDir().mkpath(folder);
    return folder;
}

qint64 RLessonRecorder::recordedUs() const
{
    return m_take ? m_take->recordedUs() : 0;
}

bool RLessonRecorder::isPaused() const
{
    return m_take && m_take->isPaused();
}

void RLessonRecorder::setLanguage(UiLanguage language)
{
    m_language = language;
    m_badge->setLanguage(language);
}

void RLessonRecorder::tell(const QString &text)
{
    m_lastMessage = text;
    qInfo() << "RLessonRecorder:" << text;
    if (m_scene)
        m_scene->showNotice(text);
}

void RLessonRecorder::askAndStart()
{
    if (m_take) {
        tell(RRecorderRules::text(m_language, "课堂录像已在进行中。", "The lesson is already being recorded."));
        return;
    }
    RLessonStartDlg dialog(m_language, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.remember();
    Setup setup;
    setup.folder = dialog.folder();
    setup.device = dialog.device();
    start(setup);
}

bool RLessonRecorder::start(const Setup &setup)
{
    if (m_take || !m_view)
        return false;
    if (setup.folder.isEmpty() || !(QFileInfo(setup.folder).isDir() || QDir().mkpath(setup.folder))) {
        tell(RRecorderRules::text(m_language, "无法使用保存文件夹：", "Cannot use the save folder: ") + setup.folder);
        return false;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QString output = RRecorderRules::outputPath(setup.folder, now, setup.extension);
    const QString base = RRecorderRules::tempBaseName(now, QCoreApplication::applicationPid());
    const bool sound = !setup.device.isEmpty();
    if (!m_files.create(tempFolder(), base, output, sound)) {
        tell(RRecorderRules::text(m_language, "无法在此文件夹创建临时文件：", "Cannot create the temporary files in: ")
             + tempFolder());
        return false;
    }
    QString error;
    if (!m_view->acquire(&error)) {
        m_files.release();
        tell(RRecorderRules::text(m_language, "无法开始课堂录像：", "Cannot start the lesson recording: ") + error);
        return false;
    }
    auto take = std::make_shared<RLessonTake>();
    RLessonTake::Picture picture;
    picture.hub = m_view->hub();
    picture.originUs = m_view->originUs();
    QPointer<RClassView> view = m_view;
    picture.keyFrame = [view] {
        // From the take's threads too: the request itself is an atomic flag.
        if (view)
            view->requestKeyFrame();
    };
    RLessonTake::Options options;
    options.tempFile = m_files.video();
    options.sound = sound;
    options.device = setup.device;
    options.realm = RAudioSources::inputFormat();
    QString soundProblem;
    if (!take->start(picture, options, &soundProblem)) {
        m_view->release();
        m_files.release();
        QFile::remove(options.tempFile);
        tell(RRecorderRules::text(m_language, "无法写入录像的临时文件：", "Cannot write the recording's temporary file: ")
             + options.tempFile);
        return false;
    }
    m_take = take;
    m_job = RFinisher::Job();
    m_job.video = m_files.video();
    m_job.output = output;
    m_job.note = m_files.notePath();
    m_badge->reset();
    m_badge->setLanguage(m_language);
    m_badge->show();
    m_badge->raise();
    placeBadge();
    m_tick.start(250);
    if (sound && !take->hasSound())
        tell(RRecorderRules::text(m_language, "麦克风无法打开，只录制画面：", "The microphone cannot be opened; recording the picture only: ")
             + soundProblem);
    return true;
}

void RLessonRecorder::togglePause()
{
    if (!m_take || isFinishing())
        return;
    if (m_take->isPaused())
        m_take->resume();
    else
        m_take->pause();
    m_badge->setPaused(m_take->isPaused());
}

void RLessonRecorder::stop()
{
    if (!m_take || isFinishing())
        return;
    m_take->markStop();
    m_badge->setSaving();
    std::shared_ptr<RLessonTake> take = m_take;
    const RFinisher::Job job = m_job;
    m_finishing.setFuture(QtConcurrent::run([take, job] {
        const RLessonTake::Result recorded = take->finish();
        RFinisher::Outcome outcome = RFinisher::run(job);
        if (recorded.failure == VFileMuxer::Failure::DiskFull && outcome.reason == RFinisher::Reason::None)
            outcome.reason = RFinisher::Reason::RecordingDiskFull;
        return outcome;
    }));
}

void RLessonRecorder::finishNow()
{
    if (m_take && !isFinishing())
        stop();
    if (isFinishing()) {
        m_finishing.waitForFinished();
        finished();
    }
}

QString RLessonRecorder::reasonText(RFinisher::Reason reason) const
{
    switch (reason) {
    case RFinisher::Reason::DiskFull:
    case RFinisher::Reason::RecordingDiskFull:
        return RRecorderRules::text(m_language, "磁盘已满。", "The disk is full.");
    case RFinisher::Reason::NothingRecorded:
        return RRecorderRules::text(m_language, "没有录到画面。", "Nothing was recorded.");
    default:
        return RRecorderRules::text(m_language, "无法写入保存文件夹。", "The save folder cannot be written.");
    }
}

void RLessonRecorder::finished()
{
    if (!m_take)
        return;
    const RFinisher::Outcome outcome = m_finishing.result();
    m_take.reset();
    m_tick.stop();
    m_badge->hide();
    if (m_view)
        m_view->release();
    if (outcome.ok) {
        m_files.release();
        tell(RRecorderRules::text(m_language, "课堂录像已保存：", "Lesson recording saved: ") + outcome.file);
    } else {
        // The note stays: the next start tries this take again.
        m_files.detach();
        tell(RRecorderRules::text(m_language, "课堂录像未能保存。", "The lesson recording was not saved. ")
             + reasonText(outcome.reason));
    }
    emit sFinished(outcome.ok, outcome.file);
}

void RLessonRecorder::placeBadge()
{
    if (!m_window || !m_badge->isVisible())
        return;
    // Top centre: the thumbnail strip covers the right and the tool bar the bottom.
    m_badge->move((m_window->width() - m_badge->width()) / 2, 16);
    m_badge->raise();
}

void RLessonRecorder::recoverLeftovers()
{
    if (m_recovering.isRunning())
        return;
    const QString folder = tempFolder();
    m_recovering.setFuture(QtConcurrent::run([folder] {
        QStringList saved;
        for (const RRecordingFiles::Leftover &l : RRecordingFiles::findLeftovers(folder)) {
            RFinisher::Job job;
            job.video = l.video;
            job.output = RRecorderRules::uniquePath(l.output);
            job.note = l.note;
            const RFinisher::Outcome outcome = RFinisher::run(job);
            if (outcome.ok)
                saved << outcome.file;
        }
        return saved;
    }));
}
