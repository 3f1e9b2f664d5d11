#pragma once

#include "UiLanguage.h"
#include <QWidget>

class QLabel;
class QPushButton;

// The lesson recording's small badge over the presenter: a red dot, the
// recorded time, the rate when it had to step down, pause/resume and stop.
// A widget of the window, never part of the recorded picture (that is
// composed from the camera frame and the scene, not grabbed from the screen).
class RLessonBadge : public QWidget
{
    Q_OBJECT
public:
    explicit RLessonBadge(QWidget *parent = nullptr);

    void setLanguage(UiLanguage language);
    void setRecordedUs(qint64 us);
    void setPaused(bool paused);
    // The encoder stepped down to fps.
    void setRate(int fps);
    // The file is being finished: the buttons are gone.
    void setSaving();
    void reset();
    // "mm:ss", or "h:mm:ss" from an hour on.
    static QString timeText(qint64 us);

signals:
    void sPauseClicked();
    void sStopClicked();

private:
    void retranslate();

    QLabel *m_dot;
    QLabel *m_time;
    QLabel *m_rate;
    QPushButton *m_pause;
    QPushButton *m_stop;
    UiLanguage m_language = UiLanguage::Chinese;
    bool m_paused = false;
    bool m_saving = false;
    int m_fps = 0;
};
