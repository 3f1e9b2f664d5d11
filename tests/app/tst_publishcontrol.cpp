#include "RPublishControl.h"
#include "RPublishText.h"
#include "VisoraTest.h"

extern "C" {
#include <libavutil/error.h>
}

using State = VStreamPublisher::State;
Q_DECLARE_METATYPE(State)

// Publishing as the teacher meets it: what a report reads, and a start that
// is refused. The running presenter publishes in tst_sharepresenter.
class TestPublishControl : public QObject
{
    Q_OBJECT
private slots:
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
        QTest::newRow("http address") << "http://10.0.0.2/live" << "地址须以 rtmp://";
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
        QCOMPARE(notices.size(), 1);
        QFETCH(QString, notice);
        QVERIFY2(notices.at(0).at(0).toString().startsWith(notice), qPrintable(notices.at(0).at(0).toString()));
        QCOMPARE(acquired, url.startsWith("rtmp") ? 1 : 0);
    }
};

VISORA_TEST_MAIN(TestPublishControl)
#include "tst_publishcontrol.moc"
