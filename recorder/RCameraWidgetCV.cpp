#include "RCameraWidgetCV.h"

#include "RCameraCV.h"
#include "RComboBox.h"
#include "RJoiner.h"
#include "RRecAudio.h"
#include "RRecorderRules.h"
#include "RSettingsStore.h"
#include "RWaittingDlg.h"

#include <QAudioDeviceInfo>
#include <QCameraInfo>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

RCameraWidgetCV::RCameraWidgetCV(int langue, QWidget *parent) : QDialog(parent), m_iLangue(langue)
{
    setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    setWindowTitle(tr2("【录音录像】", "[Recorder]"));

    m_editPath = new QLineEdit(this);
    m_editPath->setReadOnly(true);
    m_btnPath = new QPushButton(tr2("保存路径", "Save folder"), this);
    m_btnExit = new QPushButton(tr2("退出", "Exit"), this);
    m_btnStart = new QPushButton(tr2("开始录像", "Start recording"), this);
    m_btnStop = new QPushButton(tr2("结束录像", "Stop recording"), this);
    m_labelPreview = new QLabel(this);
    m_labelPreview->setObjectName(QStringLiteral("preview"));
    m_labelPreview->setFixedSize(800, 600);
    m_labelPreview->setScaledContents(true);
    m_labelPreview->setStyleSheet(QStringLiteral("background-color: black;"));
    m_labelStatus = new QLabel(this);
    m_labelStatus->setWordWrap(true);
    m_labelStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_cbResolution = new RComboBox(this);
    m_cbResolution->setObjectName(QStringLiteral("resolution"));
    m_chkAudio = new QCheckBox(tr2("录音", "Sound"), this);
    m_cbAudio = new RComboBox(this);
    m_cbAudio->setObjectName(QStringLiteral("microphone"));
    m_cbAudio->setFocusPolicy(Qt::NoFocus);
    m_cbAudio->setMaximumWidth(220);
    m_cbFormat = new RComboBox(this);
    m_cbFormat->setObjectName(QStringLiteral("format"));
    m_cbFormat->setFocusPolicy(Qt::NoFocus);
    m_cbFormat->addItems({QStringLiteral(".avi"), QStringLiteral(".mp4"), QStringLiteral(".wmv"), QStringLiteral(".flv")});

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_labelPreview);
    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(m_editPath);
    pathRow->addWidget(m_btnPath);
    layout->addLayout(pathRow);
    auto *row = new QHBoxLayout;
    row->addWidget(m_cbResolution);
    row->addWidget(m_cbFormat);
    row->addWidget(m_cbAudio);
    row->addWidget(m_chkAudio);
    row->addStretch();
    row->addWidget(m_btnStart);
    row->addWidget(m_btnStop);
    row->addWidget(m_btnExit);
    layout->addLayout(row);
    layout->addWidget(m_labelStatus);

    m_chkAudio->setEnabled(false);
    m_btnStart->setEnabled(false);
    m_btnStop->setEnabled(false);

    m_strCurImageDir = RSettingsStore::readString(RSettingsKeys::FileDir);
    if (m_strCurImageDir.isEmpty()) {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString folder = documents + QStringLiteral("/Visora");
        m_strCurImageDir = QDir(folder).exists() || QDir().mkpath(folder) ? folder : documents;
    }
    m_editPath->setText(m_strCurImageDir);
    m_strTempFolder = RRecorderRules::tempFolder(QCoreApplication::applicationDirPath());

    m_timerDelay = new QTimer(this);
    m_timerDelay->setSingleShot(true);
    connect(m_timerDelay, &QTimer::timeout, this, &RCameraWidgetCV::DelayTriggel);
    connect(m_btnPath, &QPushButton::clicked, this, &RCameraWidgetCV::slotSetPath);
    connect(m_btnExit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_btnStart, &QPushButton::clicked, this, &RCameraWidgetCV::slotSaveBegin);
    connect(m_btnStop, &QPushButton::clicked, this, &RCameraWidgetCV::slotSaveEnd);
    connect(m_cbResolution, &QComboBox::currentTextChanged, this, &RCameraWidgetCV::changeResolution);

    m_waitDlg = new RWaittingDlg(m_iLangue, this);
    m_joiner = new RJoiner(this);
    connect(m_joiner, &RJoiner::sProgress, m_waitDlg, &RWaittingDlg::setProgress);
    connect(m_joiner, &RJoiner::sFinished, this, &RCameraWidgetCV::joinFinished);
}

RCameraWidgetCV::~RCameraWidgetCV()
{
    m_waitDlg->close();
    if (m_cameraCV) {
        m_cameraCV->setRun(false);
        m_threadCamera->quit();
        m_threadCamera->wait();
        delete m_cameraCV;
        delete m_threadCamera;
    }
    if (m_recAudio) {
        m_recAudio->setRun(false);
        m_threadAudio->quit();
        m_threadAudio->wait();
        delete m_recAudio;
    }
    // A recording cut off here keeps its note: the next start offers to finish it.
}

QString RCameraWidgetCV::tr2(const char *chinese, const char *english) const
{
    return RRecorderRules::text(m_iLangue, chinese, english);
}

void RCameraWidgetCV::initData(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    initData(arguments);
}

void RCameraWidgetCV::initData(const QStringList &arguments)
{
    initAudioDeviceList();
    const RRecorderRules::Launch launch = RRecorderRules::parseArguments(arguments);
    m_strCameraName = launch.camera;
    m_cbResolution->addItems(launch.resolutions);
    m_bLaunchOk = launch.launchWordOk;
    if (!m_bLaunchOk) {
        m_btnStart->setEnabled(false);
    } else {
        setWindowTitle(tr2("录音录像 【", "Recorder [") + m_strCameraName + tr2("】", "]"));
        m_cbResolution->setCurrentIndex(launch.selected);
    }
    m_iCameraIdx = findCameraIndex(m_strCameraName);
    qInfo() << "RCameraWidgetCV::initData: camera" << m_strCameraName << "index" << m_iCameraIdx << "resolutions"
            << launch.resolutions << "launch word" << m_bLaunchOk;

    m_cameraCV = new RCameraCV;
    m_cameraCV->setCameraName(m_strCameraName);
    // The presenter's last choice: the recording shows the page as it did.
    m_cameraCV->setOrientation(RSettingsStore::readFlag(RSettingsKeys::VideoMirror),
                               RSettingsStore::readFlag(RSettingsKeys::VideoFlip));
    m_threadCamera = new QThread;
    m_cameraCV->moveToThread(m_threadCamera);
    m_threadCamera->start(QThread::InheritPriority);
    connect(this, &RCameraWidgetCV::startRecVideo, m_cameraCV, &RCameraCV::recVideo);
    connect(m_cameraCV, &RCameraCV::response, this, &RCameraWidgetCV::recordInfo);
    connect(m_cameraCV, &RCameraCV::sPixmap, this, &RCameraWidgetCV::showPixmap);
}

void RCameraWidgetCV::initAudioDeviceList()
{
    const QAudioDeviceInfo preferred = QAudioDeviceInfo::defaultInputDevice();
    const auto devices = QAudioDeviceInfo::availableDevices(QAudio::AudioInput);
    for (const QAudioDeviceInfo &device : devices) {
        if (device.deviceName().isEmpty())
            continue;
        m_cbAudio->addItem(device.deviceName(), device.realm());
        if (device == preferred)
            m_cbAudio->setCurrentIndex(m_cbAudio->count() - 1);
        m_chkAudio->setEnabled(true);
    }
    qInfo() << "RCameraWidgetCV::initAudioDeviceList:" << m_cbAudio->count() << "microphones";
}

QSize RCameraWidgetCV::parseResolution(const QString &text)
{
    return RRecorderRules::parseResolution(text);
}

int RCameraWidgetCV::findCameraIndex(const QString &name)
{
    const auto cameras = QCameraInfo::availableCameras();
    for (int i = 0; i < cameras.size(); ++i) {
        if (cameras.at(i).description() != name)
            continue;
        // Qt's list skips the metadata nodes; the device name carries the real index.
        const int fromName = RRecorderRules::deviceIndexFromName(cameras.at(i).deviceName());
        return fromName >= 0 ? fromName : i;
    }
    return -1;
}

void RCameraWidgetCV::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_timerDelay->start(10);
}

void RCameraWidgetCV::DelayTriggel()
{
    if (!m_bLeftoversChecked) {
        m_bLeftoversChecked = true;
        offerLeftovers();
    }
    if (m_strCameraName.isEmpty()) {
        qInfo() << "RCameraWidgetCV::DelayTriggel: No usb camera name";
        return;
    }
    if (m_bInited || isJoining())
        return;
    initPreview(true);
    m_bInited = true;
}

void RCameraWidgetCV::initPreview(bool start)
{
    if (start) {
        if (!m_cameraCV)
            return;
        m_cameraCV->setRun(true);
        emit startRecVideo(m_iCameraIdx, parseResolution(m_cbResolution->currentText()), QString());
        m_btnStart->setEnabled(true);
        m_cbResolution->setEnabled(true);
        m_btnStop->setEnabled(false);
        return;
    }
    if (m_cameraCV)
        m_cameraCV->setRun(false);
    if (m_threadCamera) {
        m_threadCamera->quit();
        m_threadCamera->wait();
        m_threadCamera->start(QThread::InheritPriority);
    }
}

void RCameraWidgetCV::changeResolution(QString strRes)
{
    if (!m_bInited || strRes.isEmpty() || isJoining()) {
        qInfo() << "RCameraWidgetCV::changeResolution: m_bInited:" << m_bInited;
        return;
    }
    initPreview(false);
    initPreview(true);
}

void RCameraWidgetCV::slotSetPath()
{
    const QString dir = QFileDialog::getExistingDirectory(this, tr2("选择保存路径", "Choose the save folder"),
                                                          m_strCurImageDir,
                                                          QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (dir.isEmpty())
        return;
    m_strCurImageDir = dir;
    m_editPath->setText(dir);
}

void RCameraWidgetCV::setRecordingControls(bool enabled)
{
    m_btnStart->setEnabled(enabled);
    m_cbResolution->setEnabled(enabled);
}

void RCameraWidgetCV::slotSaveBegin()
{
    const QString resolution = m_cbResolution->currentText();
    if (resolution.isEmpty() || isJoining())
        return;
    m_btnStop->setEnabled(false);
    setRecordingControls(false);
    initPreview(false);

    const QString audioName = m_cbAudio->currentText();
    const QString audioRealm = m_cbAudio->currentData().toString();
    const QString extension = m_cbFormat->currentText();
    const QDateTime now = QDateTime::currentDateTime();
    m_strOutputFile = RRecorderRules::outputPath(m_editPath->text(), now, extension);
    const bool withSound = m_chkAudio->isChecked() && !audioName.isEmpty();
    if (!m_files.create(m_strTempFolder, RRecorderRules::tempBaseName(now, QCoreApplication::applicationPid()),
                        m_strOutputFile, withSound)) {
        showFailure(tr2("无法在此文件夹创建临时文件：", "Cannot create the temporary files in: ") + m_strTempFolder);
        initPreview(true);
        return;
    }
    m_labelStatus->setText(tr2("正在录像：", "Recording: ") + m_strOutputFile);
    m_cameraCV->setRun(true);
    m_btnStop->setEnabled(true);

    const qint64 startWallMs = QDateTime::currentMSecsSinceEpoch();
    m_cameraCV->setStartTime(startWallMs);
    m_bAudioRec = false;
    if (withSound) {
        initRecAudio();
        m_recAudio->setDevice(audioName, audioRealm);
        m_recAudio->setOutputPath(m_files.audio());
        m_recAudio->setStartTime(startWallMs);
        m_recAudio->setRun(true);
        m_bAudioRec = true;
        emit startRecAudio();
    }
    m_recordClock.start();
    qInfo() << "RCameraWidgetCV::slotSaveBegin: output" << m_strOutputFile << "video" << m_files.video() << "sound"
            << m_bAudioRec << audioName;
    emit startRecVideo(m_iCameraIdx, parseResolution(resolution), m_files.video());
}

void RCameraWidgetCV::initRecAudio()
{
    if (m_recAudio)
        return;
    m_recAudio = new RRecAudio;
    m_threadAudio = new QThread(this);
    connect(this, &RCameraWidgetCV::startRecAudio, m_recAudio, &RRecAudio::ffmpegAudio);
    connect(m_recAudio, &RRecAudio::response, this, &RCameraWidgetCV::audioInfo);
    m_recAudio->moveToThread(m_threadAudio);
    m_threadAudio->start(QThread::InheritPriority);
}

void RCameraWidgetCV::unInitRecAudio()
{
    if (!m_recAudio)
        return;
    m_recAudio->setRun(false);
    m_threadAudio->quit();
    m_threadAudio->wait();
    m_threadAudio->start(QThread::InheritPriority);
}

void RCameraWidgetCV::slotSaveEnd()
{
    if (!m_btnStop->isEnabled() && !m_recordClock.isValid())
        return;
    m_btnStop->setEnabled(false);
    setRecordingControls(false);
    const double seconds = m_recordClock.isValid() ? m_recordClock.elapsed() / 1000.0 : -1.0;
    m_recordClock.invalidate();
    unInitRecAudio();
    // The preview stays off while ffmpeg runs, so no pictures pile up meanwhile.
    initPreview(false);

    JoinJob job;
    job.video = m_files.video();
    job.output = m_strOutputFile;
    job.seconds = seconds;
    if (m_bAudioRec) {
        if (QFileInfo(m_files.audio()).size() > 0)
            job.audio = m_files.audio();
        else
            m_labelStatus->setText(tr2("录音失败，只保存视频。", "The sound could not be recorded; only the video is saved."));
    }
    m_joinQueue << job;
    startNextJoin();
}

bool RCameraWidgetCV::isJoining() const
{
    return m_joiner->isRunning() || !m_joinQueue.isEmpty();
}

void RCameraWidgetCV::startNextJoin()
{
    if (m_joiner->isRunning() || m_joinQueue.isEmpty())
        return;
    m_currentJob = m_joinQueue.first();
    initPreview(false);
    setRecordingControls(false);
    m_waitDlg->setProgress(m_currentJob.seconds > 0 ? 0.0 : -1.0);
    m_waitDlg->show();
    const QStringList args = RRecorderRules::joinArguments(m_currentJob.audio, m_currentJob.video, m_currentJob.output,
                                                           !m_currentJob.audio.isEmpty());
    m_joiner->start(RRecorderRules::findFfmpeg(QCoreApplication::applicationDirPath()), args, m_currentJob.output,
                    m_currentJob.seconds);
}

void RCameraWidgetCV::joinFinished(bool ok, const QString &details)
{
    const JoinJob job = m_currentJob;
    m_joinQueue.removeFirst();
    if (ok) {
        QFile::remove(job.video);
        if (!job.audio.isEmpty())
            QFile::remove(job.audio);
        if (job.note.isEmpty())
            m_files.release();
        else
            QFile::remove(job.note);
        m_labelStatus->setText(tr2("已保存：", "Saved: ") + job.output);
    } else {
        // The teacher's recording stays where it is and is offered again at the next start.
        QString where = job.video;
        if (!job.audio.isEmpty())
            where += QLatin1Char('\n') + job.audio;
        const QString text = tr2("合成视频失败，录像的临时文件保留在：\n", "Joining the recording failed. Its temporary files are kept:\n")
                             + where + QStringLiteral("\n\n") + details;
        m_labelStatus->setText(tr2("合成视频失败。", "Joining the recording failed."));
        if (job.note.isEmpty())
            m_files.detach();
        showFailure(text);
    }
    qInfo() << "RCameraWidgetCV::joinFinished: ok" << ok << job.output;
    if (!m_joinQueue.isEmpty()) {
        startNextJoin();
    } else {
        m_waitDlg->close();
        if (!m_strCameraName.isEmpty()) {
            initPreview(true);
            m_bInited = true;
        }
    }
    emit sJoinFinished(ok, ok ? job.output : details);
}

void RCameraWidgetCV::showFailure(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Warning, tr2("提示", "Message"), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void RCameraWidgetCV::offerLeftovers()
{
    m_leftovers = RRecordingFiles::findLeftovers(m_strTempFolder);
    if (m_leftovers.isEmpty())
        return;
    qInfo() << "RCameraWidgetCV::offerLeftovers:" << m_leftovers.size() << "in" << m_strTempFolder;
    auto *box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("leftoverQuestion"));
    box->setWindowTitle(tr2("提示", "Message"));
    box->setText(tr2("发现 %1 个未完成的录像。现在合成到保存路径吗？", "Found %1 unfinished recording(s). Finish them into the save folder now?")
                     .arg(m_leftovers.size()));
    QPushButton *finish = box->addButton(tr2("完成", "Finish"), QMessageBox::AcceptRole);
    QPushButton *discard = box->addButton(tr2("删除", "Discard"), QMessageBox::DestructiveRole);
    box->addButton(tr2("以后再说", "Later"), QMessageBox::RejectRole);
    connect(finish, &QPushButton::clicked, this, &RCameraWidgetCV::finishLeftovers);
    connect(discard, &QPushButton::clicked, this, &RCameraWidgetCV::discardLeftovers);
    box->open();
}

void RCameraWidgetCV::finishLeftovers()
{
    for (const RRecordingFiles::Leftover &l : qAsConst(m_leftovers)) {
        JoinJob job;
        job.video = l.video;
        job.audio = l.audio;
        job.note = l.note;
        job.output = RRecorderRules::uniquePath(m_editPath->text() + QLatin1Char('/') + QFileInfo(l.output).fileName());
        m_joinQueue << job;
    }
    m_leftovers.clear();
    startNextJoin();
}

void RCameraWidgetCV::discardLeftovers()
{
    for (const RRecordingFiles::Leftover &l : qAsConst(m_leftovers))
        RRecordingFiles::discard(l);
    m_leftovers.clear();
}

void RCameraWidgetCV::recordInfo(int isfail, QString strInfo)
{
    qInfo() << "RCameraWidgetCV::recordInfo:" << isfail << strInfo;
    if (isfail)
        showFailure(tr2("无法写入视频文件：", "Cannot write the video file: ") + strInfo);
}

void RCameraWidgetCV::audioInfo(int isfail, QString strInfo)
{
    qInfo() << "RCameraWidgetCV::audioInfo:" << isfail << strInfo;
    if (isfail)
        m_labelStatus->setText(tr2("无法录音：", "Cannot record sound: ") + strInfo);
}

void RCameraWidgetCV::showPixmap(QPixmap pix)
{
    if (pix.width() >= 1)
        m_labelPreview->setPixmap(pix);
    m_cameraCV->previewShown();
}

QString RCameraWidgetCV::statusText() const
{
    return m_labelStatus->text();
}

void RCameraWidgetCV::closeEvent(QCloseEvent *event)
{
    QMessageBox box(QMessageBox::Question, tr2("提示", "Message"), tr2("确认退出录像？", "Quit the recorder?"));
    box.addButton(tr2("退出", "Exit"), QMessageBox::ActionRole);
    QPushButton *cancel = box.addButton(tr2("取消", "Cancel"), QMessageBox::ActionRole);
    box.exec();
    if (box.clickedButton() == cancel)
        event->ignore();
    else
        event->accept();
}
