#pragma once

#include "UiLanguage.h"
#include "RFinisher.h"
#include "RRecordingFiles.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class QWidget;
class RClassView;
class RDragScene;
class RLessonBadge;
class RLessonTake;

// The lesson recording as the teacher drives it: the microphone and folder
// asked for, the class view's encode taken with the teacher's voice into the
// recorder's temporary file, the badge over the window, pause and resume,
// and the finish off the GUI thread into the recorder's save folder under
// the recorder's naming. A take cut off by a crash is finished at the next
// start. Every outcome is told in the interface language.
class RLessonRecorder : public QObject
{
    Q_OBJECT
public:
    struct Setup
    {
        QString folder;    // where the file goes
        QString device;    // the microphone (FFmpeg "pulse" name); empty: no sound
        QString extension = QStringLiteral(".mp4");
    };

    // Takes a crash left behind are finished from the event loop on.
    RLessonRecorder(RClassView *view, RDragScene *scene, QWidget *window, UiLanguage language);
    ~RLessonRecorder() override;

    // Where takes wait to be finished.
    static QString tempFolder();

    bool isRecording() const { return m_take != nullptr && !isFinishing(); }
    bool isFinishing() const { return m_finishing.isRunning(); }
    bool isPaused() const;
    // Recorded time of the running take, without its pauses.
    qint64 recordedUs() const;
    RLessonBadge *badge() const { return m_badge; }
    // The last message shown (for tests).
    QString lastMessage() const { return m_lastMessage; }

public slots:
    void setLanguage(UiLanguage language);
    // Asks for the microphone and folder, then starts.
    void askAndStart();
    bool start(const Setup &setup);
    void togglePause();
    void stop();
    // Stops and finishes at once, waiting (the window is closing).
    void finishNow();
    // Finishes takes a crash left behind (in the background).
    void recoverLeftovers();

signals:
    // A take was finished (or failed): the file it became.
    void sFinished(bool ok, QString file);

private:
    void tell(const QString &text);
    void finished();
    void placeBadge();
    QString reasonText(RFinisher::Reason reason) const;

    QPointer<RClassView> m_view;
    QPointer<RDragScene> m_scene;
    QPointer<QWidget> m_window;
    RLessonBadge *m_badge;
    QTimer m_tick;
    UiLanguage m_language = UiLanguage::Chinese;
    std::shared_ptr<RLessonTake> m_take;
    RRecordingFiles m_files;
    RFinisher::Job m_job;
    QFutureWatcher<RFinisher::Outcome> m_finishing;
    QFutureWatcher<QStringList> m_recovering;
    QString m_lastMessage;
};
