#include "RLessonBadge.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

RLessonBadge::RLessonBadge(QWidget *parent)
    : QWidget(parent)
    , m_dot(new QLabel(this))
    , m_time(new QLabel(this))
    , m_rate(new QLabel(this))
    , m_pause(new QPushButton(this))
    , m_stop(new QPushButton(this))
{
    setObjectName(QStringLiteral("lessonBadge"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#lessonBadge { background: rgba(20, 20, 20, 200); border-radius: 8px; }"
                                 "QLabel { color: white; font-size: 15px; }"
                                 "QPushButton { color: white; background: rgba(255, 255, 255, 40); border: none;"
                                 " border-radius: 4px; padding: 3px 10px; font-size: 14px; }"));
    m_dot->setFixedSize(14, 14);
    m_dot->setStyleSheet(QStringLiteral("background: #e0252b; border-radius: 7px;"));
    m_rate->hide();
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->setSpacing(8);
    layout->addWidget(m_dot);
    layout->addWidget(m_time);
    layout->addWidget(m_rate);
    layout->addWidget(m_pause);
    layout->addWidget(m_stop);
    connect(m_pause, &QPushButton::clicked, this, &RLessonBadge::sPauseClicked);
    connect(m_stop, &QPushButton::clicked, this, &RLessonBadge::sStopClicked);
    reset();
}

QString RLessonBadge::timeText(qint64 us)
{
    const qint64 s = qMax<qint64>(0, us / 1000000);
    const QString ms = QStringLiteral("%1:%2").arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
    return s >= 3600 ? QStringLiteral("%1:").arg(s / 3600) + ms : ms;
}

void RLessonBadge::setLanguage(UiLanguage language)
{
    m_language = language;
    retranslate();
}

void RLessonBadge::setRecordedUs(qint64 us)
{
    m_time->setText(timeText(us));
}

void RLessonBadge::setPaused(bool paused)
{
    m_paused = paused;
    // A paused take shows a grey dot: nothing is being recorded.
    m_dot->setStyleSheet(paused ? QStringLiteral("background: #9a9a9a; border-radius: 7px;")
                                : QStringLiteral("background: #e0252b; border-radius: 7px;"));
    retranslate();
}

void RLessonBadge::setRate(int fps)
{
    m_fps = fps;
    m_rate->setVisible(fps > 0);
    retranslate();
}

void RLessonBadge::setSaving()
{
    m_saving = true;
    m_pause->hide();
    m_stop->hide();
    retranslate();
}

void RLessonBadge::reset()
{
    m_saving = false;
    m_fps = 0;
    m_rate->hide();
    m_pause->show();
    m_stop->show();
    setPaused(false);
    setRecordedUs(0);
}

void RLessonBadge::retranslate()
{
    const bool en = m_language == UiLanguage::English;
    m_pause->setText(m_paused ? (en ? QStringLiteral("Resume") : QStringLiteral("继续"))
                              : (en ? QStringLiteral("Pause") : QStringLiteral("暂停")));
    m_stop->setText(en ? QStringLiteral("Stop") : QStringLiteral("停止"));
    m_rate->setText(m_saving ? (en ? QStringLiteral("Saving…") : QStringLiteral("正在保存…"))
                             : (en ? QStringLiteral("%1 fps (machine busy)") : QStringLiteral("%1 帧/秒（电脑繁忙）"))
                                   .arg(m_fps));
    if (m_saving)
        m_rate->show();
    adjustSize();
}
