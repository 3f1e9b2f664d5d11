#include "RCameraWidgetCV.h"

#include "RAudioSources.h"
#include "RCameraCV.h"
#include "RComboBox.h"
#include "RRecorderRules.h"
#include "RSettingsStore.h"
#include "RWaittingDlg.h"

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
#include <QtConcurrent>

RCameraWidgetCV::RCameraWidgetCV(UiLanguage langue, QWidget *parent) : QDialog(parent), m_iLangue(langue)
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
    // The worker fits the picture into the label; centred, its proportions stay.
    m_labelPreview->setAlignment(Qt::AlignCenter);
    m_labelPreview->setStyleSheet(QStringLiteral("background-color: black;"));
    m_labelNotice = new QLabel(m_labelPreview);
    m_labelNotice->setObjectName(QStringLiteral("cameraNotice"));
    m_labelNotice->setAlignment(Qt::AlignCenter);
    m_labelNotice->setWordWrap(true);
    m_labelNotice->setStyleSheet(QStringLiteral("color: white; background-color: rgba(160, 0, 0, 200); font-size: 20px; padding: 12px;"));
    m_labelNotice->setGeometry(100, 250, 600, 100);
    m_labelNotice->hide();
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

    m_strCurImageDir = RRecorderRules::saveFolder();
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

    m_timerWatch = new QTimer(this);
    m_timerWatch->setInterval(500);
    connect(m_timerWatch, &QTimer::timeout, this, &RCameraWidgetCV::watchRecording);

    m_waitDlg = new RWaittingDlg(m_iLangue, this);
    connect(&m_finishing, &QFutureWatcher<RFinisher::Outcome>::progressValueChanged, m_waitDlg,
            [this](int permille) { m_waitDlg->setProgress(permille / 1000.0); });
    connect(&m_finishing, &QFutureWatcher<RFinisher::Outcome>::finished, this, &RCameraWidgetCV::joinFinished);
}

RCameraWidgetCV::~RCameraWidgetCV()
{
    m_waitDlg->close();
    // A copy under way completes; the rest waits for the next start.
    m_finishing.waitForFinished();
    if (m_session) {
        if (m_cameraCV)
            m_cameraCV->setPipe(nullptr);
        // The file is closed properly; its note stays, so the next start offers it.
        m_session->finish();
        m_session.reset();
        m_files.detach();
    }
    if (m_cameraCV) {
        m_cameraCV->setRun(false);
        m_threadCamera->quit();
        m_threadCamera->wait();
        delete m_cameraCV;
        delete m_threadCamera;
    }
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
    connect(m_cameraCV, &RCameraCV::sCameraPresent, this, &RCameraWidgetCV::cameraPresent);
    connect(m_cameraCV, &RCameraCV::sPixmap, this, &RCameraWidgetCV::showPixmap);
}

void RCameraWidgetCV::initAudioDeviceList()
{
    // The sound server's own microphones, by their descriptions; the item's data is the source's name.
    const RAudioSources::Listing listing = RAudioSources::list();
    for (const RAudioSources::Source &source : listing.sources)
        m_cbAudio->addItem(source.description, source.name);
    if (listing.preferred >= 0)
        m_cbAudio->setCurrentIndex(listing.preferred);
    m_chkAudio->setEnabled(m_cbAudio->count() > 0);
    qInfo() << "RCameraWidgetCV::initAudioDeviceList:" << m_cbAudio->count() << "microphones" << listing.error;
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
        m_bCameraPresent = false;
        emit startRecVideo(m_iCameraIdx, parseResolution(m_cbResolution->currentText()));
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
    if (!m_bInited || strRes.isEmpty() || isJoining() || isRecording()) {
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

QString RCameraWidgetCV::clockText(qint64 us) const
{
    const qint64 s = qMax<qint64>(0, us / 1000000);
    return QStringLiteral("%1:%2").arg(s / 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
}

void RCameraWidgetCV::slotSaveBegin()
{
    const QString resolution = m_cbResolution->currentText();
    if (resolution.isEmpty() || isJoining() || isRecording() || !m_cameraCV)
        return;
    if (!m_bCameraPresent) {
        showFailure(tr2("没有检测到摄像头的画面，无法开始录像。请检查摄像头的连接。",
                        "The camera delivers no picture, so recording cannot start. Check the camera's connection."));
        return;
    }
    const QString audioName = m_cbAudio->currentData().toString();
    const QString audioRealm = RAudioSources::inputFormat();
    const QString extension = m_cbFormat->currentText();
    const QDateTime now = QDateTime::currentDateTime();
    m_strOutputFile = RRecorderRules::outputPath(m_editPath->text(), now, extension);
    const bool withSound = m_chkAudio->isChecked() && !audioName.isEmpty();
    const QString base = RRecorderRules::tempBaseName(now, QCoreApplication::applicationPid());
    if (!m_files.create(m_strTempFolder, base, m_strOutputFile, withSound)) {
        showFailure(tr2("无法在此文件夹创建临时文件：", "Cannot create the temporary files in: ") + m_strTempFolder);
        return;
    }
    auto session = std::make_shared<RRecordingSession>();
    connect(session.get(), &RRecordingSession::sRateLowered, this, [this](int fps) {
        m_labelStatus->setText(tr2("录像帧率降为 %1 帧/秒", "Recording at %1 fps").arg(fps));
    }, Qt::QueuedConnection);
    RRecordingSession::Options options;
    options.size = parseResolution(resolution);
    options.tempFile = m_files.video();
    options.sound = withSound;
    options.device = audioName;
    options.realm = audioRealm;
    QString soundProblem;
    if (!session->start(options, &soundProblem)) {
        m_files.release();
        QFile::remove(options.tempFile);
        showFailure(tr2("无法写入录像的临时文件：", "Cannot write the recording's temporary file: ") + options.tempFile);
        return;
    }
    m_session = session;
    m_strStopReason.clear();
    m_strSoundNote.clear();
    if (withSound && !session->hasSound())
        m_strSoundNote = tr2("无法打开麦克风，录像没有声音。", "The microphone could not be opened; the recording has no sound.");
    m_cameraCV->setPipe(session->pipe());
    setRecordingControls(false);
    m_btnStop->setEnabled(true);
    m_labelStatus->setText(tr2("正在录像：", "Recording: ") + m_strOutputFile
                           + (m_strSoundNote.isEmpty() ? QString() : QLatin1Char('\n') + m_strSoundNote));
    m_timerWatch->start();
    qInfo() << "RCameraWidgetCV::slotSaveBegin: output" << m_strOutputFile << "video" << m_files.video() << "sound"
            << session->hasSound() << audioName << soundProblem;
}

void RCameraWidgetCV::watchRecording()
{
    if (!m_session)
        return;
    if (m_session->failure() != VFileMuxer::Failure::None) {
        const bool full = m_session->failure() == VFileMuxer::Failure::DiskFull;
        stopRecording(full ? tr2("磁盘已满，录像已停止。", "The disk is full; the recording stopped.")
                           : tr2("无法写入录像文件，录像已停止。", "The recording could not be written; it stopped."));
        return;
    }
    const qint64 lost = m_session->soundLostAtUs();
    if (lost >= 0 && m_strSoundNote.isEmpty()) {
        m_strSoundNote = tr2("麦克风在 %1 停止，之后的录像没有声音。", "The microphone stopped at %1; the recording goes on without sound.")
                             .arg(clockText(lost));
        m_labelStatus->setText(m_strSoundNote);
    }
}

void RCameraWidgetCV::stopRecording(const QString &why)
{
    m_strStopReason = why;
    slotSaveEnd();
}

void RCameraWidgetCV::slotSaveEnd()
{
    if (!m_session)
        return;
    m_session->markStop();
    m_cameraCV->setPipe(nullptr);
    m_timerWatch->stop();
    m_btnStop->setEnabled(false);
    setRecordingControls(false);
    // The live view runs on while the copy is made.
    RFinisher::Job job;
    job.video = m_files.video();
    job.output = m_strOutputFile;
    job.note = m_files.notePath();
    job.session = m_session;
    m_session.reset();
    // From here the finisher owns the note; a failure leaves it for the next start.
    m_files.detach();
    QStringList notes;
    if (!m_strStopReason.isEmpty())
        notes << m_strStopReason;
    if (!m_strSoundNote.isEmpty())
        notes << m_strSoundNote;
    job.notes = notes.join(QLatin1Char(' '));
    m_joinQueue << job;
    startNextJoin();
}

bool RCameraWidgetCV::isJoining() const
{
    return m_finishing.isRunning() || !m_joinQueue.isEmpty();
}

void RCameraWidgetCV::startNextJoin()
{
    if (m_finishing.isRunning() || m_joinQueue.isEmpty())
        return;
    m_currentJob = m_joinQueue.first();
    setRecordingControls(false);
    m_waitDlg->setProgress(m_currentJob.audio.isEmpty() ? 0.0 : -1.0);
    m_waitDlg->show();
    const RFinisher::Job job = m_currentJob;
    m_finishing.setFuture(QtConcurrent::run([job, this]() {
        return RFinisher::run(job, [this](double f) {
            QMetaObject::invokeMethod(m_waitDlg, [this, f] { m_waitDlg->setProgress(f); }, Qt::QueuedConnection);
        });
    }));
}

QString RCameraWidgetCV::outcomeText(const RFinisher::Outcome &outcome) const
{
    switch (outcome.reason) {
    case RFinisher::Reason::DiskFull:
    case RFinisher::Reason::RecordingDiskFull:
        return tr2("磁盘已满。", "The disk is full.");
    case RFinisher::Reason::NothingRecorded:
        return tr2("录像里没有画面。", "The recording holds no picture.");
    case RFinisher::Reason::NoFfmpeg:
        return tr2("找不到 ffmpeg 程序，无法完成旧的录像。", "The ffmpeg program is missing; the older recording cannot be finished.");
    case RFinisher::Reason::CannotWrite:
        return tr2("无法在保存路径写入文件。", "The file cannot be written in the save folder.");
    case RFinisher::Reason::None:
        break;
    }
    return QString();
}

void RCameraWidgetCV::joinFinished()
{
    const RFinisher::Outcome outcome = m_finishing.result();
    const RFinisher::Job job = m_currentJob;
    m_joinQueue.removeFirst();
    QString notes = job.notes;
    const int fps = outcome.recording.video.fps;
    if (job.session && fps > 0 && fps < RRecordingSession::Options().fps)
        notes += (notes.isEmpty() ? QString() : QStringLiteral(" "))
                 + tr2("录像帧率降为 %1 帧/秒", "Recording at %1 fps").arg(fps);
    QString details;
    if (outcome.ok) {
        details = outcome.file;
        QString text = tr2("已保存：", "Saved: ") + outcome.file;
        if (!notes.isEmpty())
            text += QLatin1Char('\n') + notes;
        m_labelStatus->setText(text);
        if (!m_strStopReason.isEmpty() && job.session)
            showFailure(m_strStopReason + QLatin1Char('\n') + tr2("已保存到停止为止的录像：", "The recording up to the stop is saved: ") + outcome.file);
    } else {
        // The teacher's recording stays where it is and is offered again at the next start.
        details = outcomeText(outcome);
        const QString text = tr2("录像未能保存到保存路径。", "The recording could not be saved in the save folder.") + QLatin1Char(' ')
                             + details + QLatin1Char(' ') + notes + QLatin1Char('\n')
                             + tr2("录像保留在：", "The recording is kept in: ") + job.video + QLatin1Char('\n')
                             + tr2("下次启动时可以再完成。", "It is offered again at the next start.");
        m_labelStatus->setText(tr2("录像未能保存。", "The recording could not be saved.") + QLatin1Char(' ') + details);
        showFailure(text);
    }
    if (job.session)
        m_strStopReason.clear();
    qInfo() << "RCameraWidgetCV::joinFinished: ok" << outcome.ok << outcome.file << details;
    if (!m_joinQueue.isEmpty()) {
        startNextJoin();
    } else {
        m_waitDlg->close();
        setRecordingControls(m_bInited);
    }
    emit sJoinFinished(outcome.ok, details);
    if (m_bCloseAfterFinish && !isJoining() && !isRecording())
        close();
}

void RCameraWidgetCV::showFailure(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Warning, tr2("提示", "Message"), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("failure"));
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
    box->setText(tr2("发现 %1 个未完成的录像。现在保存到保存路径吗？", "Found %1 unfinished recording(s). Save them into the save folder now?")
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
        RFinisher::Job job;
        job.video = l.video;
        job.audio = l.audio;
        job.note = l.note;
        job.output = m_editPath->text() + QLatin1Char('/') + QFileInfo(l.output).fileName();
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

void RCameraWidgetCV::showPixmap(QPixmap pix)
{
    if (pix.width() >= 1)
        m_labelPreview->setPixmap(pix);
    m_cameraCV->previewShown();
}

void RCameraWidgetCV::cameraPresent(bool present)
{
    m_bCameraPresent = present;
    if (present) {
        m_labelNotice->hide();
        return;
    }
    m_labelNotice->setText(isRecording() ? tr2("摄像头已断开，录像在等待画面。", "The camera is disconnected; the recording waits for its picture.")
                                         : tr2("摄像头已断开。", "The camera is disconnected."));
    m_labelNotice->show();
    m_labelNotice->raise();
}

QString RCameraWidgetCV::statusText() const
{
    return m_labelStatus->text();
}

void RCameraWidgetCV::reject()
{
    close();
}

void RCameraWidgetCV::closeEvent(QCloseEvent *event)
{
    // The copy takes seconds: the window closes when it is done.
    if (isJoining()) {
        m_bCloseAfterFinish = true;
        m_waitDlg->show();
        event->ignore();
        return;
    }
    if (m_bCloseAfterFinish) {
        event->accept();
        return;
    }
    QMessageBox box(QMessageBox::Question, tr2("提示", "Message"),
                    isRecording() ? tr2("正在录像。结束录像并退出？", "Recording is under way. Stop it and quit?")
                                  : tr2("确认退出录像？", "Quit the recorder?"),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("closeQuestion"));
    QPushButton *exit = box.addButton(tr2("退出", "Exit"), QMessageBox::ActionRole);
    box.addButton(tr2("取消", "Cancel"), QMessageBox::ActionRole);
    box.exec();
    if (box.clickedButton() != exit) {
        event->ignore();
        return;
    }
    if (isRecording()) {
        // The recording is saved first; the window closes when it is in place.
        m_bCloseAfterFinish = true;
        slotSaveEnd();
        event->ignore();
        return;
    }
    event->accept();
}
