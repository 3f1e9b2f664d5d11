#pragma once
// A media server for publishing tests and benches: Debian's nginx with its
// RTMP module on a free loopback port, own configuration in a temporary
// folder, in the foreground, stopped with the object.

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

class NginxRtmp
{
public:
    static constexpr const char *kModule = "/usr/lib/nginx/modules/ngx_rtmp_module.so";

    ~NginxRtmp() { stop(); }

    static int freePort()
    {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost, 0) ? int(probe.serverPort()) : 0;
    }

    // Starts (or starts again) on `port`, 0 for a free one. False with
    // error() when nginx or its RTMP module is missing or it does not listen.
    bool start(int port = 0)
    {
        stop();
        m_port = port ? port : freePort();
        const QString nginx = QStandardPaths::findExecutable(QStringLiteral("nginx"), {"/usr/sbin", "/usr/bin"});
        if (nginx.isEmpty() || !QFile::exists(kModule))
            return failed(QStringLiteral("nginx with libnginx-mod-rtmp is not installed (scripts/install-deps.sh)"));
        const QString d = m_dir.path();
        QFile conf(d + "/nginx.conf");
        if (!conf.open(QIODevice::WriteOnly))
            return failed(QStringLiteral("cannot write the configuration"));
        conf.write(QStringLiteral("daemon off;\nmaster_process off;\npid %1/nginx.pid;\nerror_log %1/error.log info;\n"
                                  "load_module %2;\nevents { worker_connections 128; }\n"
                                  "rtmp { server { listen 127.0.0.1:%3; application live { live on; record off; } } }\n")
                       .arg(d, kModule)
                       .arg(m_port)
                       .toUtf8());
        conf.close();
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(nginx, {"-p", d, "-c", d + "/nginx.conf", "-e", d + "/error.log"});
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            if (m_process.state() == QProcess::NotRunning)
                return failed(QStringLiteral("nginx ended: ") + log());
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, quint16(m_port));
            if (socket.waitForConnected(200))
                return true;
            QThread::msleep(50);
        }
        return failed(QStringLiteral("nginx does not listen: ") + log());
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_process.processId()), SIGCONT);
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    // A server that stops reading without closing its connections.
    void freeze(bool frozen) { ::kill(pid_t(m_process.processId()), frozen ? SIGSTOP : SIGCONT); }

    int port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    QString url(const QString &name = QStringLiteral("x")) const
    {
        return QStringLiteral("rtmp://127.0.0.1:%1/live/%2").arg(m_port).arg(name);
    }
    QString error() const { return m_error; }
    QString log() const
    {
        QFile f(m_dir.path() + "/error.log");
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll().right(2000)) : QString();
    }

    // ffprobe playing `url` (or, for an srt:// listener address, waiting for a caller).
    static void startProbe(QProcess &p, const QString &url)
    {
        p.start(QStringLiteral("ffprobe"), {"-v", "error", "-rw_timeout", "8000000", "-show_entries",
                                            "stream=codec_name,width,height", "-of", "json", url});
    }
    // The streams it found: codec_name, width, height each; `error` has its complaints.
    static QJsonArray probeResult(QProcess &p, QString *error = nullptr)
    {
        if (!p.waitForFinished(20000)) {
            p.kill();
            p.waitForFinished();
        }
        if (error)
            *error = QString::fromUtf8(p.readAllStandardError()) + p.errorString();
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object().value("streams").toArray();
    }
    static QJsonArray probe(const QString &url, QString *error = nullptr)
    {
        QProcess p;
        startProbe(p, url);
        return probeResult(p, error);
    }

private:
    bool failed(const QString &text)
    {
        m_error = text;
        stop();
        return false;
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};
