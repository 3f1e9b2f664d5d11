#include "NginxRtmp.h"
#include "PublishFeed.h"
#include "RClassView.h"
#include "RPublishControl.h"
#include "RPublishDialog.h"
#include "RPublishText.h"
#include "RSettingsStore.h"
#include "RTavWidget.h"
#include "RTools.h"
#include "VisoraTest.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>

#include <cerrno>

extern "C" {
#include <libavutil/error.h>
}

using State = VStreamPublisher::State;
Q_DECLARE_METATYPE(State)

namespace {

// The class view's encode as the control sees it, counting its uses.
struct CountedSource {
    PublishFeed feed;
    int acquired = 0, released = 0, keyFrames = 0;
    QString refuse; // non-empty: acquire fails with this
    RPublishControl::Source source()
    {
        return {[this](QString *error) {
                    if (!refuse.isEmpty()) {
                        *error = refuse;
                        return false;
                    }
                    ++acquired;
                    return true;
                },
                [this] { ++released; }, [this] { return &feed.hub; }, [this] { ++keyFrames; }};
    }
};

QByteArray cameraJson(const QString &page)
{
    return QString(R"({"cameras": [{"description": "Class Camera", "deviceName": "usb#vid_1b17&pid_0501&mi_00#6&2&0&0000",
        "resolutions": ["1280x720"], "pixelFormats": ["jpeg"], "source": "%1"}]})").arg(page).toUtf8();
}

} // namespace

// Publishing from the presenter: the texts the teacher reads, and the control
// and its dialog against a local nginx.
class TestPublishControl : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The virtual camera showing the sample page, for the main window.
        const QString page = qEnvironmentVariable("VISORA_SOURCE_DIR") + "/virtualcam/sample/page.png";
        QVERIFY(QFileInfo::exists(page));
        QSaveFile f(m_dir.path() + "/cam.json");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(cameraJson(page));
        QVERIFY(f.commit());
        qputenv("VISORA_VIRTUAL_CAMERA", f.fileName().toUtf8());
    }
    void init() { QSettings(RSettingsStore::organisation(), RSettingsStore::application()).clear(); }

    void status_data()
    {
        QTest::addColumn<State>("state");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("langue");
        QTest::addColumn<QString>("text");
        QTest::newRow("publishing") << State::Publishing << 0 << 0 << "已连接：正在推流";
        QTest::newRow("publishing, English") << State::Publishing << 0 << 1 << "Connected: publishing the class view";
        QTest::newRow("refused, retrying") << State::Retrying << AVERROR(ECONNREFUSED) << 0 << "未连接（服务器拒绝连接），正在重试…";
        QTest::newRow("dropped, retrying, English") << State::Retrying << AVERROR(EPIPE) << 1
                                                    << "Not connected (the server closed the connection), retrying…";
        QTest::newRow("rare cause in the library's words") << State::Failed << AVERROR(EINVAL) << 1
                                                           << "Publishing failed: Invalid argument";
        QTest::newRow("connecting") << State::Connecting << AVERROR(ETIMEDOUT) << 0 << "正在连接服务器…";
    }
    void status()
    {
        QFETCH(State, state);
        QFETCH(int, error);
        QFETCH(int, langue);
        VStreamPublisher::Status s;
        s.state = state;
        s.error = error;
        s.reason = error == AVERROR(EINVAL) ? "Invalid argument" : "library words";
        QTEST(RPublishText::status(s, langue), "text");
    }

    void news_data()
    {
        QTest::addColumn<State>("shown");
        QTest::addColumn<State>("next");
        QTest::addColumn<bool>("news");
        QTest::newRow("connected") << State::Idle << State::Publishing << true;
        QTest::newRow("lost") << State::Publishing << State::Retrying << true;
        QTest::newRow("back") << State::Retrying << State::Publishing << true;
        QTest::newRow("another retry") << State::Retrying << State::Retrying << false;
        QTest::newRow("connecting between") << State::Retrying << State::Connecting << false;
        QTest::newRow("failed") << State::Retrying << State::Failed << true;
    }
    void news()
    {
        QFETCH(State, shown);
        QFETCH(State, next);
        QTEST(RPublishText::isNews(shown, next), "news");
    }

    // Nothing is taken from the class view for an address that cannot work,
    // and a class view that cannot start is said so.
    void refused_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("refuse");
        QTest::addColumn<QString>("notice");
        QTest::newRow("http address") << "http://10.0.0.2/live" << "" << RPublishText::addressProblem("http://x", 0);
        QTest::newRow("empty address") << "" << "" << "请输入媒体服务器的地址。";
        QTest::newRow("class view cannot start") << "rtmp://127.0.0.1:9/live/x" << "no camera" << "无法编码课堂画面：no camera";
    }
    void refused()
    {
        QFETCH(QString, url);
        QFETCH(QString, refuse);
        CountedSource counted;
        counted.refuse = refuse;
        QVERIFY(counted.feed.start(QSize(160, 96), 10, false));
        RPublishControl control;
        control.setSource(counted.source());
        QSignalSpy notices(&control, &RPublishControl::sNotice);
        QVERIFY(!control.start(url));
        QVERIFY(!control.isPublishing());
        QCOMPARE(notices.size(), 1);
        QTEST(notices.at(0).at(0).toString(), "notice");
        QCOMPARE(counted.acquired, 0);
        QCOMPARE(counted.released, 0);
    }

    // The teacher's path through the dialog: address typed, started, the
    // server goes away and comes back, stopped; the address is remembered.
    void throughTheDialog()
    {
        NginxRtmp server;
        QVERIFY2(server.start(), qPrintable(server.error()));
        CountedSource counted;
        QVERIFY(counted.feed.start(QSize(320, 180), 15, false));
        RPublishControl control;
        VStreamPublisher::Settings quick;
        quick.firstRetryMs = 300;
        quick.maxRetryMs = 1000;
        control.setSettings(quick);
        control.setSource(counted.source());
        control.setLanguage(1);
        QSignalSpy notices(&control, &RPublishControl::sNotice);
        QWidget window;
        control.showDialog(&window);
        auto *dialog = window.findChild<QDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        auto *status = dialog->findChild<QLabel *>("labelStatus");
        auto *button = dialog->findChild<QPushButton *>("btnToggle");
        dialog->findChild<QLineEdit *>("editAddress")->setText(server.url());
        button->click();
        QCOMPARE(counted.acquired, 1);
        QVERIFY(QTest::qWaitFor([&] { return status->text() == "Connected: publishing the class view"; }, 8000));
        QCOMPARE(button->text(), QString("Stop"));
        QVERIFY(counted.keyFrames >= 1);
        server.stop();
        QVERIFY2(QTest::qWaitFor([&] { return status->text().startsWith("Not connected ("); }, 8000), qPrintable(status->text()));
        QTest::qWait(1500); // retries meanwhile are no news
        QVERIFY2(server.start(server.port()), qPrintable(server.error()));
        QVERIFY(QTest::qWaitFor([&] { return status->text() == "Connected: publishing the class view"; }, 8000));
        QStringList seen;
        for (const auto &n : notices)
            seen << n.at(0).toString().section(' ', 0, 1);
        QCOMPARE(seen, (QStringList{"Connected: publishing", "Not connected", "Connected: publishing"}));
        button->click();
        QVERIFY(!control.isPublishing());
        QCOMPARE(counted.released, 1);
        QCOMPARE(button->text(), QString("Start"));
        QCOMPARE(RSettingsStore::readString(RSettingsKeys::PublishAddress), server.url());
    }

    // From the settings menu of the running presenter: its class view reaches
    // the server at the encoded size, and closing the program ends it.
    void presenterPublishesItsClassView()
    {
        NginxRtmp server;
        QVERIFY2(server.start(), qPrintable(server.error()));
        auto *window = new RTavWidget;
        window->resize(1280, 720);
        window->show();
        QVERIFY(QTest::qWaitFor([&] { return window->isCameraOpen(); }, 5000));
        QAction *item = window->tools()->findChild<QAction *>("setPublish");
        QVERIFY(item);
        item->trigger();
        auto *dialog = window->findChild<RPublishDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        dialog->findChild<QLineEdit *>("editAddress")->setText(server.url("lesson"));
        dialog->findChild<QPushButton *>("btnToggle")->click();
        QVERIFY(window->classView()->isRunning());
        auto *status = dialog->findChild<QLabel *>("labelStatus");
        QVERIFY2(QTest::qWaitFor([&] { return status->text() == "已连接：正在推流"; }, 8000), qPrintable(status->text()));
        const QSize size = window->classView()->outputSize();
        QProcess probe;
        NginxRtmp::startProbe(probe, server.url("lesson"));
        QVERIFY(QTest::qWaitFor([&] { return probe.state() == QProcess::NotRunning; }, 20000));
        QString error;
        const QJsonArray streams = NginxRtmp::probeResult(probe, &error);
        QCOMPARE(streams.size(), 1);
        const QJsonObject video = streams.at(0).toObject();
        QCOMPARE(video["codec_name"].toString(), QString("h264"));
        QCOMPARE(QSize(video["width"].toInt(), video["height"].toInt()), size);
        window->closeTavNoConfirm();
        delete window;
        // Nobody publishes any more: a player finds no stream.
        QVERIFY(NginxRtmp::probe(server.url("lesson")).isEmpty());
    }

private:
    QTemporaryDir m_dir;
};

VISORA_TEST_MAIN(TestPublishControl)
#include "tst_publishcontrol.moc"
