#pragma once
// The recorder's window: live preview of the document camera, recording of
// video and optional sound on worker threads, and the join into one file,
// which runs beside the window and shows its progress.

#include "RRecordingFiles.h"

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
class RJoiner;
class RRecAudio;
class RWaittingDlg;

class RCameraWidgetCV : public QDialog
{
    Q_OBJECT

public:
    explicit RCameraWidgetCV(int langue = 0, QWidget *parent = nullptr);
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

signals:
    void startRecVideo(int iVideo, QSize size, QString strOutput);
    void startRecAudio();
    // The join of a recording (or of a recovered one) ended.
    void sJoinFinished(bool ok, QString details);

public slots:
    void slotSetPath();
    void slotSaveBegin();
    void slotSaveEnd();
    void changeResolution(QString strRes);
    void DelayTriggel();
    void recordInfo(int isfail, QString strInfo);
    void audioInfo(int isfail, QString strInfo);
    void showPixmap(QPixmap pix);
    // Finish (join) or discard recordings a crash left behind.
    void finishLeftovers();
    void discardLeftovers();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct JoinJob {
        QString video;
        QString audio; // empty: no sound
        QString output;
        QString note;  // the leftover's note, or empty for the current recording
        double seconds = -1.0;
    };

    QString tr2(const char *chinese, const char *english) const;
    void initAudioDeviceList();
    void initPreview(bool start);
    void initRecAudio();
    void unInitRecAudio();
    void offerLeftovers();
    void startNextJoin();
    void joinFinished(bool ok, const QString &details);
    void showFailure(const QString &text);
    void setRecordingControls(bool enabled);

    int m_iLangue = 0;
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
    QTimer *m_timerDelay;
    RCameraCV *m_cameraCV = nullptr;
    QThread *m_threadCamera = nullptr;
    int m_iCameraIdx = -1;
    RJoiner *m_joiner;
    QString m_strOutputFile;
    bool m_bAudioRec = false;
    RWaittingDlg *m_waitDlg;
    RRecAudio *m_recAudio = nullptr;
    QThread *m_threadAudio = nullptr;

    QString m_strTempFolder;
    RRecordingFiles m_files;
    QElapsedTimer m_recordClock;
    QList<JoinJob> m_joinQueue;
    JoinJob m_currentJob;
    QList<RRecordingFiles::Leftover> m_leftovers;
    bool m_bLeftoversChecked = false;
};
