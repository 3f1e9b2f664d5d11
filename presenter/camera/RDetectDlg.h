#pragma once

#include "UiLanguage.h"

#include <QDialog>
#include <QString>

class QLabel;
class QMovie;
class QThread;
class RDetectDlgThread;

// "Device Detect" dialog: checks the stored camera in the GUI thread and
// shows the verdicts in four rows while a worker paces the progress.
class RDetectDlg : public QDialog
{
    Q_OBJECT
public:
    explicit RDetectDlg(QWidget *parent = nullptr);
    ~RDetectDlg() override;

    void setLanguage(UiLanguage lang);
    UiLanguage language() const { return m_iLanguage; }

    // Found the stored device and it is not in use (valid once the check ran).
    bool result() const { return m_bResult; }
    bool isFound() const { return m_bFound; }
    bool isJpegOffered() const { return m_bJpeg; }
    bool isUsed() const { return m_bUsed; }
    bool isFinished() const { return m_bFinished; }

    // Row 0 is the status line, rows 1..4 the checks.
    QString rowText(int row) const;
    // 1 good, 0 bad, -1 not decided yet (rows 1..4).
    int rowVerdict(int row) const;
    // Pause of the progress animation per step (for impatient callers).
    void setStepMs(int ms);

    bool testCamera();

signals:
    void sDetect();
    // The summary is shown.
    void sDetectFinished(bool result);

public slots:
    void startDetect();
    void slotResponse(int itype, int idx, QString sInfo);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void applyTexts();
    QString verdictText(int row, bool good) const;

    UiLanguage m_iLanguage = UiLanguage::Chinese;
    bool m_bResult = false;
    bool m_bFound = false;
    bool m_bJpeg = false;
    bool m_bUsed = false;
    bool m_bFinished = false;
    int m_verdict[5] = {-1, -1, -1, -1, -1};

    QLabel *m_labelMovie = nullptr;
    QLabel *m_labelStatus = nullptr;
    QMovie *m_movie = nullptr;
    QLabel *m_rowIcon[5] = {};
    QLabel *m_rowName[5] = {};
    QLabel *m_rowText[5] = {};
    QLabel *m_rowResult[5] = {};

    RDetectDlgThread *m_dlgWorker = nullptr;
    QThread *m_dlgThread = nullptr;
};
