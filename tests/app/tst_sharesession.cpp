// The presenter's share: the stored address, the card students scan, the
// viewer count, the stop button, and what the teacher reads when it fails.
#include "RQrDecoder.h"
#include "RSettingsStore.h"
#include "RSharePanel.h"
#include "RShareSession.h"
#include "VClock.h"
#include "VPacketHub.h"
#include "VVideoPipe.h"
#include "VisoraTest.h"

#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QWebSocket>

class TestShareSession : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cardShowsTheAddressAndTheViewersUntilStopped();
    void failureIsToldInTheInterfaceLanguage_data();
    void failureIsToldInTheInterfaceLanguage();

private:
    RShareSession::Source source(bool works);
    VPacketHub m_hub;
    VVideoPipe m_pipe;
    int m_held = 0;
};

RShareSession::Source TestShareSession::source(bool works)
{
    RShareSession::Source source;
    source.acquire = [this, works](QString *error) {
        if (!works) {
            *error = QStringLiteral("no camera");
            return false;
        }
        if (!m_pipe.isRunning()) {
            VVideoEncoder::Settings video;
            video.size = QSize(320, 240);
            if (!m_pipe.start(video, &m_hub, VClock::nowUs()))
                return false;
        }
        ++m_held;
        return true;
    };
    source.release = [this] { --m_held; };
    source.hub = [this] { return &m_hub; };
    return source;
}

void TestShareSession::init()
{
    RSettingsStore::write(RSettingsKeys::ShareAddress, QStringLiteral("127.0.0.1"));
    RSettingsStore::write(RSettingsKeys::SharePort, 0);
}

void TestShareSession::cardShowsTheAddressAndTheViewersUntilStopped()
{
    QWidget window;
    window.resize(1280, 720);
    RShareSession session(source(true));
    RSharePanel panel(&session, &window);
    panel.setLanguage(1);
    window.show();
    QString error;
    QVERIFY2(session.start(1, &error), qPrintable(error));
    QCOMPARE(m_held, 1);
    panel.showFor();
    QVERIFY(panel.isVisible());
    const QString address = session.address();
    QVERIFY2(QRegularExpression(QStringLiteral("^http://127\\.0\\.0\\.1:\\d+/k/[2-9A-Z]{13}$")).match(address).hasMatch(),
             qPrintable(address));
    QCOMPARE(panel.findChild<QLabel *>(QStringLiteral("shareAddress"))->text(), address);
    const QImage code = panel.findChild<QLabel *>(QStringLiteral("shareCode"))->pixmap(Qt::ReturnByValue).toImage();
    QVERIFY(code.width() >= 160);
    QCOMPARE(RQrDecoder().decodeImage(code), address);

    QWebSocket viewer;
    viewer.open(QUrl(QString(address + QStringLiteral("/ws")).replace(QStringLiteral("http"), QStringLiteral("ws"))));
    auto *viewers = panel.findChild<QLabel *>(QStringLiteral("shareViewers"));
    QTRY_COMPARE_WITH_TIMEOUT(viewers->text(), QStringLiteral("Watching: 1"), 5000);

    panel.findChild<QPushButton *>(QStringLiteral("shareStop"))->click();
    QVERIFY(!session.isSharing());
    QVERIFY(!panel.isVisible());
    QCOMPARE(m_held, 0);
    QTRY_VERIFY_WITH_TIMEOUT(viewer.state() == QAbstractSocket::UnconnectedState, 5000);
    QCOMPARE(viewer.closeReason(), QStringLiteral("ended"));
    panel.showFor(); // nothing to show once stopped
    QVERIFY(!panel.isVisible());
    m_pipe.stop();
}

void TestShareSession::failureIsToldInTheInterfaceLanguage_data()
{
    QTest::addColumn<bool>("classView");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("text");
    QTest::newRow("port taken, Chinese") << true << 0 << QStringLiteral("无法开始共享：地址 127.0.0.1 端口");
    QTest::newRow("port taken, English") << true << 1 << QStringLiteral("Sharing could not start: address 127.0.0.1 port");
    QTest::newRow("no class view, Chinese") << false << 0 << QStringLiteral("无法开始共享：课堂画面无法编码。");
    QTest::newRow("no class view, English") << false << 1
                                            << QStringLiteral("Sharing could not start: the class view cannot be encoded.");
}

void TestShareSession::failureIsToldInTheInterfaceLanguage()
{
    QFETCH(bool, classView);
    QFETCH(int, language);
    QFETCH(QString, text);
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
    RSettingsStore::write(RSettingsKeys::SharePort, taken.serverPort());
    RShareSession session(source(classView));
    QString error;
    QVERIFY(!session.start(language, &error));
    QVERIFY2(error.startsWith(text), qPrintable(error));
    QVERIFY(!session.isSharing());
    QCOMPARE(m_held, 0); // the class view is let go again
    m_pipe.stop();
}

VISORA_TEST_MAIN(TestShareSession)
#include "tst_sharesession.moc"
