#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
#include <QWaitCondition>

#include <atomic>

// Device presence test of the running camera: in its own thread, once a
// second, reports whether a device with the watched description is attached.
class RTestCamera : public QObject
{
    Q_OBJECT
public:
    explicit RTestCamera(QObject *parent = nullptr);

    // Clearing the flag also wakes a sleeping test, so a stop takes effect
    // at once instead of after the next second.
    void setRun(bool b);
    bool isRunning() const { return m_bRunning; }

    void setDevName(const QString &name);
    QString devName() const;

    // GUI side, before asking for a run: true when no test loop is active or
    // already requested, so repeated requests never pile up queued runs.
    bool claimStart();
    bool isLooping() const;

public slots:
    void TestDevice();

signals:
    void response(QString devname, int iexist);

private:
    mutable QMutex m_mutex;
    QWaitCondition m_wake;
    QString m_strDevName;
    std::atomic<bool> m_bRunning{true};
    bool m_bLooping = false;
};
