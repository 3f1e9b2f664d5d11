#pragma once

// The recorder's window: live preview of the document camera, recording of
// video and optional sound encoded live on worker threads, and the finishing
// copy into the chosen container, which runs beside the window.

#include "RFinisher.h"
#include "RRecordingFiles.h"
#include "UiLanguage.h"

#include <QFutureWatcher>
#include <memory>

#include <QDialog>
#include <QElapsedTimer>
#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QThread;
class QTimer;
class RCameraCV;
class RComboBox;
class RWaittingDlg;

class RCameraWidgetCV : public QDialog
{
    Q_OBJECT

public:
    explicit RCameraWidgetCV(UiLanguage langue = UiLanguage::Chinese, QWidget *parent = nullptr);
    ~RCameraWidgetCV() override;

    void initData(int argc, char **argv);
    void initData(const QStringList &arguments);

    static QSize parseResolution(const QString &text);
    static int findCameraIndex(const QString &name);

    // For tests and the status line.
    QString outputFile() const { return m_strOutputFile; }
    QString tempFolder() const { return m_strTempFolder; }
    QString statusText() const;
    bool isJoining() const;

    bool isRecording() const { return m_session != nullptr; }

signals:
    void startRecVideo(int iVideo, QSize size);
    // The finishing of a recording (or of a recovered one) ended: the file, or the reason.
    void sJoinFinished(bool ok, QString details);

public slots:
    void slotSetPath();
    void slotSaveBegin();
    void slotSaveEnd();
    void changeResolution(QString strRes);
    void DelayTriggel();
    void showPixmap(QPixmap pix);
    void cameraPresent(bool present);
    // Finish (join) or discard recordings a crash left behind.
    void finishLeftovers();
    void discardLeftovers();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

public slots:
    // Esc asks like the Exit button instead of closing at once.
    void reject() override;

private:
    QString tr2(const char *chinese, const char *english) const;
    void initAudioDeviceList();
    void initPreview(bool start);
    void offerLeftovers();
    void startNextJoin();
    void joinFinished();
    void watchRecording();
    void stopRecording(const QString &why);
    QString outcomeText(const RFinisher::Outcome &outcome) const;
    QString clockText(qint64 us) const;
    void showFailure(const QString &text);
    void setRecordingControls(bool enabled);

    UiLanguage m_iLangue = UiLanguage::Chinese;
    QLineEdit *m_editPath;
    QPushButton *m_btnPath;
    QPushButton *m_btnExit;
    QPushButton *m_btnStart;
    QPushButton *m_btnStop;
    QLabel *m_labelPreview;
    QLabel *m_labelStatus;
    RComboBox *m_cbResolution;
    QCheckBox *m_chkAudio;
    RComboBox *m_cbAudio;
    RComboBox *m_cbFormat;
    QString m_strCurImageDir;
    QString m_strCameraName;
    bool m_bInited = false;
    bool m_bLaunchOk = false;
    QLabel *m_labelNotice;
    QTimer *m_timerDelay;
    QTimer *m_timerWatch;
    RCameraCV *m_cameraCV = nullptr;
    QThread *m_threadCamera = nullptr;
    int m_iCameraIdx = -1;
    bool m_bCameraPresent = false;
    QString m_strOutputFile;
    RWaittingDlg *m_waitDlg;

    QString m_strTempFolder;
    RRecordingFiles m_files;
    std::shared_ptr<RRecordingSession> m_session;
    QString m_strSoundNote;       // why the current recording has no (more) sound
    QString m_strStopReason;      // why the recording stopped by itself
    QFutureWatcher<RFinisher::Outcome> m_finishing;
    QList<RFinisher::Job> m_joinQueue;
    RFinisher::Job m_currentJob;
    bool m_bCloseAfterFinish = false;
    QList<RRecordingFiles::Leftover> m_leftovers;
    bool m_bLeftoversChecked = false;
};
