#include "RDetectDlgThread.h"

#include <QDebug>
#include <QThread>

RDetectDlgThread::RDetectDlgThread(QObject *parent)
    : QObject(parent)
{
}

void RDetectDlgThread::setRun(bool b)
{
    qDebug().noquote() << "RDetectDlgThread::setRun:" << b;
    m_bRunning = b;
}

QString RDetectDlgThread::statusText(UiLanguage lang, int step)
{
    const int form = ((step % 6) + 6) % 6;
    if (lang == UiLanguage::English) {
        static const char *dots[] = {".", "..", "...", ".", "..", "..."};
        return QStringLiteral("Detecting, please wait") + QLatin1String(dots[form]);
    }
    return QStringLiteral("正在检测，请稍候") + QString(form + 1, QLatin1Char('.'));
}

QString RDetectDlgThread::rowDoneText(UiLanguage lang, int row)
{
    const bool en = lang == UiLanguage::English;
    switch (row) {
    case 1:
        return en ? QStringLiteral("The device is connected.") : QStringLiteral("检测完成，展示台硬件连接正常！");
    case 2:
        return en ? QStringLiteral("The graphics driver is running.") : QStringLiteral("检测完成，显卡驱动程序正常！");
    case 3:
        return en ? QStringLiteral("The device can be used.") : QStringLiteral("检测完成，摄像头调用正常！");
    case 4:
        return en ? QStringLiteral("The software is the latest version.") : QStringLiteral("检测完成，软件版本正常！");
    default:
        return QString();
    }
}

void RDetectDlgThread::TestInfo()
{
    const UiLanguage lang = m_iLanguage;
    if (m_bRunning) {
        emit response(0, 0, lang == UiLanguage::English ? QStringLiteral("Detecting, please wait") : QStringLiteral("正在检测，请稍候"));
        for (int row = 1; row <= 4 && m_bRunning; ++row) {
            if (row == 3)
                qDebug().noquote() << "RDetectDlgThread::TestInfo()"
                                   << "DetectBeUsed:false";
            for (int step = 0; step < 100 && m_bRunning; ++step) {
                const QString text = statusText(lang, step);
                emit response(row, step, text);
                // The worker only paces the progress; every check runs on the GUI thread.
                QThread::msleep(static_cast<unsigned long>(m_iStepMs.load()));
                emit response(0, step, text);
            }
            if (!m_bRunning)
                break;
            emit response(row, 100, rowDoneText(lang, row));
            if (row == 1)
                m_bFirstDone = true;
        }
    }
    m_bRunning = false;
    emit response(0, 400, lang == UiLanguage::English ? QStringLiteral("Done.") : QStringLiteral("检测完成"));
    qDebug().noquote() << "RDetectDlgThread::TestInfo() end";
}
