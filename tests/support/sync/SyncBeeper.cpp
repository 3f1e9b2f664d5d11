#include "SyncBeeper.h"

SyncBeeper::~SyncBeeper()
{
    stop();
}

bool SyncBeeper::start(QString *error, const QString &sink)
{
    stop();
    m_process.setProgram(QStringLiteral(VISORA_SYNC_BEEPER));
    m_process.setArguments({QStringLiteral("--sink"), sink});
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    // The program says "beeping" once its latency has settled (a few seconds on a busy machine).
    bool ready = m_process.waitForStarted(3000);
    while (ready && !m_process.canReadLine())
        ready = m_process.waitForReadyRead(8000);
    if (ready && m_process.readLine().trimmed() == "beeping")
        return true;
    m_process.waitForFinished(1000);
    if (error)
        *error = QStringLiteral("the sync beeper does not play: ") + m_process.errorString() + QLatin1Char(' ')
                 + QString::fromLocal8Bit(m_process.readAllStandardError()).trimmed();
    stop();
    return false;
}

void SyncBeeper::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}
