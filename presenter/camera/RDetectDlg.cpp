#include "RDetectDlg.h"

#include "RCameraGuard.h"
#include "RDetectDlgThread.h"
#include "RDeviceIds.h"
#include "RSettingsStore.h"

#include <QCamera>
#include <QCameraViewfinder>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMovie>
#include <QPalette>
#include <QPixmap>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <QVBoxLayout>

RDetectDlg::RDetectDlg(QWidget *parent)
    : QDialog(parent)
{
    const QFont font(QStringLiteral("微软雅黑"));
    setFont(font);
    // The grey texts are meant for the presenter's dark look; on the default
    // light dialog they were barely readable.
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor(68, 69, 73));
    setPalette(dark);

    auto *layout = new QVBoxLayout(this);
    auto *status = new QHBoxLayout;
    m_labelMovie = new QLabel(this);
    m_movie = new QMovie(QStringLiteral(":/Kelu/images/detecting.gif"), QByteArray(), this);
    m_labelMovie->setMovie(m_movie);
    m_labelStatus = new QLabel(this);
    m_labelStatus->setStyleSheet(QStringLiteral("QLabel{color:#b0b0b0;}"));
    status->addWidget(m_labelMovie);
    status->addWidget(m_labelStatus, 1);
    layout->addLayout(status);

    static const char *icons[] = {"", ":/Kelu/images/usb.png", ":/Kelu/images/driver.png", ":/Kelu/images/cam.png",
                                  ":/Kelu/images/software.png"};
    auto *grid = new QGridLayout;
    for (int row = 1; row <= 4; ++row) {
        m_rowIcon[row] = new QLabel(this);
        m_rowIcon[row]->setPixmap(QPixmap(QLatin1String(icons[row])));
        m_rowName[row] = new QLabel(this);
        m_rowName[row]->setStyleSheet(QStringLiteral("QLabel{color:#959595;}"));
        m_rowText[row] = new QLabel(this);
        m_rowText[row]->setStyleSheet(QStringLiteral("QLabel{color:#b0b0b0;}"));
        m_rowResult[row] = new QLabel(this);
        m_rowResult[row]->setFixedSize(59, 59);
        m_rowResult[row]->setScaledContents(true);
        m_rowResult[row]->setPixmap(QPixmap(QStringLiteral(":/Kelu/images/detecting.png")));
        grid->addWidget(m_rowIcon[row], row, 0);
        grid->addWidget(m_rowName[row], row, 1);
        grid->addWidget(m_rowText[row], row, 2);
        grid->addWidget(m_rowResult[row], row, 3);
    }
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);

    m_dlgWorker = new RDetectDlgThread();
    m_dlgThread = new QThread();
    m_dlgThread->start();
    m_dlgWorker->moveToThread(m_dlgThread);
    connect(m_dlgWorker, &RDetectDlgThread::response, this, &RDetectDlg::slotResponse);
    connect(this, &RDetectDlg::sDetect, m_dlgWorker, &RDetectDlgThread::TestInfo);

    applyTexts();
}

RDetectDlg::~RDetectDlg()
{
    if (m_dlgThread) {
        qDebug().noquote() << "RDetectDlg::~RDetectDlg() if(m_dlgThread)";
        m_dlgWorker->setRun(false);
        m_dlgThread->quit();
        m_dlgThread->wait();
        delete m_dlgWorker;
        delete m_dlgThread;
    }
    qDebug().noquote() << "~RDetectDlg() end";
}

void RDetectDlg::setLanguage(UiLanguage lang)
{
    m_iLanguage = lang;
    applyTexts();
}

void RDetectDlg::applyTexts()
{
    const bool en = m_iLanguage == UiLanguage::English;
    setWindowTitle(en ? QStringLiteral("Device Detect") : QStringLiteral("故障检测"));
    if (!m_bFinished)
        m_labelStatus->setText(en ? QStringLiteral("Detecting, please wait…") : QStringLiteral("正在检测，请稍候……"));
    static const char *zhNames[] = {"", "硬件连接", "显卡驱动", "摄像头占用", "软件版本"};
    static const char *enNames[] = {"", "Connection", "Driver", "Used", "Version"};
    for (int row = 1; row <= 4; ++row) {
        m_rowName[row]->setText(en ? QLatin1String(enNames[row]) : QString::fromUtf8(zhNames[row]));
        if (m_verdict[row] < 0)
            m_rowText[row]->setText(en ? QStringLiteral("Waiting for detect，please wait…")
                                       : QStringLiteral("等待检测，请稍候……"));
        else
            m_rowText[row]->setText(verdictText(row, m_verdict[row] == 1));
    }
}

QString RDetectDlg::verdictText(int row, bool good) const
{
    const bool en = m_iLanguage == UiLanguage::English;
    switch (row) {
    case 1:
        if (good)
            return en ? QStringLiteral("The device is connected.") : QStringLiteral("检测完成，展示台硬件连接正常！");
        return en ? QStringLiteral("Device disconnected") : QStringLiteral("检测完成，展示台硬件连接异常！");
    case 2:
        if (good)
            return en ? QStringLiteral("The graphics driver is running.") : QStringLiteral("检测完成，显卡驱动程序正常！");
        return en ? QStringLiteral("The graphics driver is not working properly.")
                  : QStringLiteral("检测完成，显卡驱动程序异常！");
    case 3:
        if (good)
            return en ? QStringLiteral("The device can be used.") : QStringLiteral("检测完成，摄像头调用正常！");
        return en ? QStringLiteral("The device has been used.") : QStringLiteral("检测完成，摄像头调用异常！");
    case 4:
        return en ? QStringLiteral("The software is the latest version.") : QStringLiteral("检测完成，软件版本正常！");
    default:
        return QString();
    }
}

QString RDetectDlg::rowText(int row) const
{
    if (row == 0)
        return m_labelStatus->text();
    return row >= 1 && row <= 4 ? m_rowText[row]->text() : QString();
}

int RDetectDlg::rowVerdict(int row) const
{
    return row >= 1 && row <= 4 ? m_verdict[row] : -1;
}

void RDetectDlg::setStepMs(int ms)
{
    m_dlgWorker->setStepMs(ms);
}

void RDetectDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    QTimer::singleShot(100, this, &RDetectDlg::startDetect);
}

void RDetectDlg::startDetect()
{
    for (int row = 1; row <= 4; ++row)
        m_rowResult[row]->hide();
    m_bFinished = false;
    m_movie->start();
    m_bResult = testCamera();
    m_dlgWorker->setLanguage(m_iLanguage);
    emit sDetect();
}

bool RDetectDlg::testCamera()
{
    const QString stored = RSettingsStore::readString(RSettingsKeys::VideoCamera);
    qDebug().noquote() << "RDetectDlg::testCamera():" << stored;
    m_bFound = false;
    m_bJpeg = false;
    m_bUsed = false;
    const QList<QCameraInfo> cameras = RCameraGuard::availableCameras();
    // A first start with a busy or late camera stored no name, and a stored
    // camera may have been replaced: then any supported document camera will do.
    QString wanted = stored;
    const bool storedPresent = !stored.isEmpty() && std::any_of(cameras.begin(), cameras.end(), [&](const QCameraInfo &i) {
        return i.description() == stored;
    });
    if (!storedPresent) {
        wanted.clear();
        for (const QCameraInfo &info : cameras) {
            if (RDeviceIds::isDocumentCamera(info.deviceName()))
                wanted = info.description(); // the last one wins, as when opening
        }
        qDebug().noquote() << "RDetectDlg::testCamera(): auto-detected:" << wanted;
    }
    if (!wanted.isEmpty()) {
        for (const QCameraInfo &info : cameras) {
            if (info.description() != wanted)
                continue;
            m_bFound = true;
            qDebug().noquote() << "RDetectDlg::testCamera: found";
            auto *viewfinder = new QCameraViewfinder(this);
            viewfinder->hide();
            QCamera *camera = RCameraGuard::createCamera(info);
            connect(camera, &QCamera::errorOccurred, this, [](QCamera::Error e) {
                qDebug().noquote() << "RDetectDlg::testCamera()"
                                   << "QCamera::Error value:" << RCameraGuard::errorName(e);
            });
            camera->setViewfinder(viewfinder);
            RCameraGuard::start(camera);
            m_bJpeg = camera->supportedViewfinderPixelFormats().contains(QVideoFrame::Format_Jpeg);
            qDebug() << "RDetectDlg::testCamera()"
                     << "m_camera->state():" << camera->state();
            m_bUsed = camera->state() == QCamera::UnloadedState;
            RCameraGuard::stop(camera);
            qDebug().noquote() << "RDetectDlg::testCamera()"
                               << "m_bUsed:" << m_bUsed;
            camera->setViewfinder(static_cast<QVideoWidget *>(nullptr));
            RCameraGuard::destroy(camera);
            delete viewfinder;
        }
    }
    return m_bFound && !m_bUsed;
}

void RDetectDlg::slotResponse(int itype, int idx, QString sInfo)
{
    if (itype == 0) {
        if (idx < 400) {
            m_labelStatus->setText(sInfo);
            for (int row = 1; row <= 4; ++row) {
                if (m_verdict[row] < 0)
                    m_rowResult[row]->setPixmap(QPixmap(QStringLiteral(":/Kelu/images/detecting.png")));
            }
            return;
        }
        const bool en = m_iLanguage == UiLanguage::English;
        if (m_bResult)
            m_labelStatus->setText(en ? QStringLiteral("Done.") : QStringLiteral("检测完成"));
        else
            m_labelStatus->setText(en ? QStringLiteral("There are some exception.") : QStringLiteral("检测完成,存在异常！"));
        m_movie->stop();
        m_bFinished = true;
        emit sDetectFinished(m_bResult);
        return;
    }
    if (itype < 1 || itype > 4)
        return;
    m_rowText[itype]->setText(sInfo);
    if (idx >= 0 && idx < 100)
        return;
    bool good = true;
    switch (itype) {
    case 1:
        good = m_bFound;
        break;
    case 2:
        good = m_bJpeg;
        break;
    case 3:
        good = !m_bUsed;
        break;
    default:
        good = true;
        break;
    }
    m_verdict[itype] = good ? 1 : 0;
    m_rowText[itype]->setText(verdictText(itype, good));
    m_rowResult[itype]->setPixmap(
        QPixmap(good ? QStringLiteral(":/Kelu/images/detectok.png") : QStringLiteral(":/Kelu/images/detecterror.png")));
    m_rowResult[itype]->show();
}
