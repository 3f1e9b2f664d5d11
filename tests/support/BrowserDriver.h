#pragma once
// Headless Chromium driven through chromedriver's WebDriver HTTP interface on
// 127.0.0.1, with a fresh profile. start() fails (never skips) when either
// program is missing: the tests that need a browser must not pass without one.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

class BrowserDriver
{
public:
    ~BrowserDriver() { quit(); }

    // `language` is the one the pages see (headless Chromium takes it from --accept-lang).
    bool start(QString *error, const QString &language = "en-US")
    {
        const QString chromium = QStandardPaths::findExecutable("chromium");
        const QString driver = QStandardPaths::findExecutable("chromedriver");
        *error = "chromium and chromedriver are needed (scripts/install-deps.sh)";
        if (chromium.isEmpty() || driver.isEmpty())
            return false;
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const QString port = QString::number(probe.serverPort());
        probe.close();
        m_base = "http://127.0.0.1:" + port;
        m_driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_driver.setStandardOutputFile(QProcess::nullDevice());
        m_driver.start(driver, {"--port=" + port, "--allowed-ips=127.0.0.1"});
        *error = "chromedriver does not answer";
        if (!poll([this] { return call("GET", "/status")["ready"].toBool(); }, 10000))
            return false;
        const QJsonArray args{"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                              "--disable-background-networking", "--disable-component-update", "--disable-sync",
                              "--autoplay-policy=no-user-gesture-required", "--window-size=800,600",
                              "--user-data-dir=" + m_profile.path(), "--lang=" + language, "--accept-lang=" + language};
        const QJsonObject options{{"binary", chromium}, {"args", args}};
        const QJsonObject caps{{"alwaysMatch", QJsonObject{{"goog:chromeOptions", options}}}};
        const QJsonValue session = call("POST", "/session", {{"capabilities", caps}});
        m_session = session["sessionId"].toString();
        *error = "no browser session: " + QString::fromUtf8(QJsonDocument(session.toObject()).toJson());
        return !m_session.isEmpty();
    }

    bool open(const QString &url) { return !call("POST", "/url", {{"url", url}}).toObject().contains("error"); }

    // The script's return value (the body of a function).
    QJsonValue run(const QString &script)
    {
        return call("POST", "/execute/sync", {{"script", script}, {"args", QJsonArray()}});
    }

    // The page as the browser shows it, PNG bytes.
    QByteArray screenshot() { return QByteArray::fromBase64(call("GET", "/screenshot").toString().toLatin1()); }

    void resize(int width, int height) { call("POST", "/window/rect", {{"width", width}, {"height", height}}); }

    // Until the script returns true or the time is up.
    bool waitFor(const QString &script, int timeoutMs)
    {
        return poll([&] { return run(script).toBool(); }, timeoutMs);
    }

    static void pause(int ms)
    {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    void quit()
    {
        if (!m_session.isEmpty())
            call("DELETE", QString());
        m_session.clear();
        m_driver.terminate();
        if (!m_driver.waitForFinished(5000))
            m_driver.kill();
    }

private:
    template <typename Check>
    static bool poll(Check check, int timeoutMs)
    {
        QElapsedTimer waited;
        for (waited.start(); waited.elapsed() < timeoutMs; pause(100)) {
            if (check())
                return true;
        }
        return false;
    }

    // A path within the session once there is one. Runs the network's events
    // while it waits: the page's server may live on this thread.
    QJsonValue call(const QByteArray &verb, const QString &path, const QJsonObject &body = {})
    {
        QNetworkRequest request(QUrl(m_base + (m_session.isEmpty() ? QString() : "/session/" + m_session) + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        request.setTransferTimeout(60000);
        QNetworkReply *reply = m_network.sendCustomRequest(
            request, verb, verb == "GET" || verb == "DELETE" ? QByteArray() : QJsonDocument(body).toJson());
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const QJsonValue value = QJsonDocument::fromJson(reply->readAll())["value"];
        reply->deleteLater();
        return value;
    }

    QTemporaryDir m_profile;
    QProcess m_driver;
    QNetworkAccessManager m_network;
    QString m_base;
    QString m_session;
};
