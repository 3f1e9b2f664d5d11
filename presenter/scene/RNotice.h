#pragma once

#include <QLabel>
#include <QTimer>

// A short notice over the live picture that never takes the pointer: a
// message for a few seconds, or a standing one (camera reconnecting) that
// stays until it is cleared. A message goes over the standing one and gives
// way to it when its time is up.
class RNotice : public QLabel
{
    Q_OBJECT
public:
    explicit RNotice(QWidget *parent = nullptr);

    void showMessage(const QString &text, int msecs = 4000);
    // An empty text clears the standing notice.
    void setStanding(const QString &text);
    QString standingText() const { return m_standing; }
    QString messageText() const { return m_timer.isActive() ? m_message : QString(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    void place();

    QTimer m_timer;
    QString m_message;
    QString m_standing;
};
