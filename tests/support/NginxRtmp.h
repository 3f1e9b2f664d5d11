#pragma once
// A media server for publishing tests and benches: Debian's nginx with its
// RTMP module on a free loopback port, own configuration in a temporary
// folder, in the foreground, stopped with the object. Plus ffprobe as a player.

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

class NginxRtmp
{
public:
    ~NginxRtmp() { stop(); }

    static int freePort()
    {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost, 0) ? int(probe.serverPort()) : 0;
    }

    // Starts (again) on `port`, 0 for a free one; false with error() when
    // nginx or its RTMP module is missing or it does not listen.
    bool start(int port = 0)
    {
        stop();
        m_port = port ? port : freePort();
        const QString module = "/usr/lib/nginx/modules/ngx_rtmp_module.so", d = m_dir.path();
        QFile conf(d + "/nginx.conf");
        m_error = "nginx with libnginx-mod-rtmp is not installed (scripts/install-deps.sh)";
        if (!QFile::exists("/usr/sbin/nginx") || !QFile::exists(module) || !conf.open(QIODevice::WriteOnly))
            return false;
        conf.write(QString("daemon off; master_process off; pid %1/nginx.pid; error_log %1/error.log info;\n"
                           "load_module %2; events { worker_connections 128; }\n"
                           "rtmp { server { listen 127.0.0.1:%3; application live { live on; } } }\n")
                       .arg(d, module).arg(m_port).toUtf8());
        conf.close();
        m_process.start("/usr/sbin/nginx", {"-p", d, "-c", d + "/nginx.conf", "-e", d + "/error.log"});
        QElapsedTimer clock;
        for (clock.start(); clock.elapsed() < 5000 && m_process.state() != QProcess::NotRunning; QThread::msleep(50)) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, quint16(m_port));
            if (socket.waitForConnected(200))
                return true;
        }
        m_error = "nginx does not listen on " + QString::number(m_port);
        stop();
        return false;
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        freeze(false);
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill(), m_process.waitForFinished(3000);
    }

    // A server that stops reading without closing its connections.
    void freeze(bool frozen) { ::kill(pid_t(m_process.processId()), frozen ? SIGSTOP : SIGCONT); }

    int port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    QString url(const QString &name = "x") const { return QString("rtmp://127.0.0.1:%1/live/%2").arg(m_port).arg(name); }
    QString error() const { return m_error; }

    // ffprobe playing `url` (or, for an srt:// listener address, waiting for a caller).
    static void startProbe(QProcess &p, const QString &url)
    {
        p.start("ffprobe", {"-v", "error", "-rw_timeout", "8000000", "-show_entries", "stream=codec_name,width,height",
                            "-of", "json", url});
    }
    // "h264 640x360", "aac": the streams it found, sorted.
    static QStringList probeResult(QProcess &p)
    {
        if (!p.waitForFinished(20000))
            p.kill(), p.waitForFinished();
        QStringList out;
        for (const auto &v : QJsonDocument::fromJson(p.readAllStandardOutput()).object()["streams"].toArray()) {
            const QJsonObject s = v.toObject();
            out << s["codec_name"].toString() +
                       (s.contains("width") ? QString(" %1x%2").arg(s["width"].toInt()).arg(s["height"].toInt()) : "");
        }
        out.sort();
        return out;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};
