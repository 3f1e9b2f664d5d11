#pragma once

#include "UiLanguage.h"

#include <QObject>
#include <QString>

#include <atomic>

// Paces the device-detection dialog's progress animation from its own thread
// and hands out the row texts; it checks nothing itself.
class RDetectDlgThread : public QObject
{
    Q_OBJECT
public:
    explicit RDetectDlgThread(QObject *parent = nullptr);

    void setRun(bool b);
    bool isRunning() const { return m_bRunning; }
    void setLanguage(UiLanguage lang) { m_iLanguage = lang; }
    UiLanguage language() const { return m_iLanguage; }
    // Pause between two animation steps (12 ms unless changed).
    void setStepMs(int ms) { m_iStepMs = ms; }

    // The status text of animation step `step` (one of six forms).
    static QString statusText(UiLanguage lang, int step);
    // The text a row gets when its progress completes.
    static QString rowDoneText(UiLanguage lang, int row);

public slots:
    void TestInfo();

signals:
    void response(int itype, int idx, QString sInfo);

private:
    std::atomic<UiLanguage> m_iLanguage{UiLanguage::Chinese};
    std::atomic<bool> m_bRunning{true};
    std::atomic<bool> m_bFirstDone{false};
    std::atomic<int> m_iStepMs{12};
};
