#include "NginxRtmp.h"
#include "RClassView.h"
#include "RPublishControl.h"
#include "RPublishDialog.h"
#include "RPublishText.h"
#include "RSettingsStore.h"
#include "RTavWidget.h"
#include "RTools.h"
#include "VisoraTest.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>

extern "C" {
#include <libavutil/error.h>
}

using State = VStreamPublisher::State;
Q_DECLARE_METATYPE(State)

namespace {
QByteArray cameraJson(const QString &page)
{
    return QString(R"({"cameras": [{"description": "Class Camera", "deviceName": "usb#vid_1b17&pid_0501&mi_00#6&2&0&0000",
        "resolutions": ["1280x720"], "pixelFormats": ["jpeg"], "source": "%1"}]})").arg(page).toUtf8();
}
} // namespace

// Publishing from the presenter: what the teacher reads, and the running
// presenter publishing its class view to a local nginx.
class TestPublishControl : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QSaveFile f(m_dir.path() + "/cam.json");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(cameraJson(qEnvironmentVariable("VISORA_SOURCE_DIR") + "/virtualcam/sample/page.png"));
        QVERIFY(f.commit());
        qputenv("VISORA_VIRTUAL_CAMERA", f.fileName().toUtf8());
    }

    // The line shown for a report, and whether it also goes over the picture
    // after the last one that did.
    void texts_data()
    {
        QTest::addColumn<State>("shown");
        QTest::addColumn<State>("state");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("langue");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("news");
        QTest::newRow("connected") << State::Idle << State::Publishing << 0 << 0 << "已连接：正在推流" << true;
        QTest::newRow("refused") << State::Publishing << State::Retrying << AVERROR(ECONNREFUSED) << 0
                                 << "未连接（服务器拒绝连接），正在重试…" << true;
        QTest::newRow("another retry, English") << State::Retrying << State::Retrying << AVERROR(EPIPE) << 1
                                                << "Not connected (the server closed the connection), retrying…" << false;
        QTest::newRow("connecting between") << State::Retrying << State::Connecting << 0 << 0 << "正在连接服务器…" << false;
        QTest::newRow("rare cause in the library's words") << State::Retrying << State::Failed << AVERROR(EINVAL) << 1
                                                           << "Publishing failed: library words" << true;
    }
    void texts()
    {
        QFETCH(State, shown);
        QFETCH(State, state);
        QFETCH(int, error);
        QFETCH(int, langue);
        VStreamPublisher::Status s;
        s.state = state;
        s.error = error;
        s.reason = "library words";
        QTEST(RPublishText::status(s, enumFromStored<UiLanguage>(langue).value()), "text");
        QTEST(RPublishText::isNews(shown, state), "news");
    }

    // Nothing is taken from the class view for an address that cannot work,
    // and a class view that cannot start is said so.
    void refused_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("notice");
        QTest::newRow("http address") << "http://10.0.0.2/live" << RPublishText::addressProblem("http://x", UiLanguage::Chinese);
        QTest::newRow("class view cannot start") << "rtmp://127.0.0.1:9/live/x" << "无法编码课堂画面：no camera";
    }
    void refused()
    {
        QFETCH(QString, url);
        int acquired = 0;
        RPublishControl control;
        control.setSource({[&](QString *error) { *error = "no camera"; return ++acquired, false; }, [] {}, [] { return nullptr; }, {}});
        QSignalSpy notices(&control, &RPublishControl::sNotice);
        QVERIFY(!control.start(url));
        QVERIFY(!control.isPublishing());
        QCOMPARE(notices.size(), 1);
        QTEST(notices.at(0).at(0).toString(), "notice");
        QCOMPARE(acquired, url.startsWith("rtmp") ? 1 : 0);
    }

    // The teacher's path from the settings menu: the class view reaches the
    // server at its encoded size, the server's absence is shown and mended,
    // and stopping gives the class view back. The address is remembered.
    void presenterPublishesItsClassView()
    {
        NginxRtmp server;
        QVERIFY2(server.start(), qPrintable(server.error()));
        RTavWidget window;
        window.resize(1280, 720);
        window.show();
        QVERIFY(QTest::qWaitFor([&] { return window.isCameraOpen(); }, 5000));
        window.tools()->findChild<QAction *>("setPublish")->trigger();
        auto *dialog = window.findChild<RPublishDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        auto *status = dialog->findChild<QLabel *>("labelStatus");
        auto *button = dialog->findChild<QPushButton *>("btnToggle");
        const auto statusIs = [&](const QString &text) {
            return QTest::qWaitFor([&] { return status->text().startsWith(text); }, 10000);
        };
        dialog->findChild<QLineEdit *>("editAddress")->setText(server.url("lesson"));
        button->click();
        QVERIFY(window.classView()->isRunning());
        QVERIFY2(statusIs("已连接"), qPrintable(status->text()));
        const QSize size = window.classView()->outputSize();
        QProcess probe; // the class view is made on this thread: wait without blocking it
        NginxRtmp::startProbe(probe, server.url("lesson"));
        QVERIFY(QTest::qWaitFor([&] { return probe.state() == QProcess::NotRunning; }, 20000));
        QCOMPARE(NginxRtmp::probeResult(probe), QStringList(QString("h264 %1x%2").arg(size.width()).arg(size.height())));
        server.stop();
        QVERIFY2(statusIs("未连接（服务器"), qPrintable(status->text()));
        QVERIFY2(server.start(server.port()), qPrintable(server.error()));
        QVERIFY2(statusIs("已连接"), qPrintable(status->text()));
        button->click();
        QVERIFY(!window.classView()->isRunning());
        QCOMPARE(status->text(), QString("未推流"));
        QCOMPARE(RSettingsStore::readString(RSettingsKeys::PublishAddress), server.url("lesson"));
        window.closeTavNoConfirm();
    }

private:
    QTemporaryDir m_dir;
};

VISORA_TEST_MAIN(TestPublishControl)
#include "tst_publishcontrol.moc"
