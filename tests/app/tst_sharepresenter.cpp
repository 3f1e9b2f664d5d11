// The class view leaving the running presenter. Shared to real headless
// Chromium: the card students scan, the picture and the teacher's ink as the
// page shows them, the page's message when the teacher stops, and a port that
// cannot be used. Published to a local nginx from the settings menu.
#include "BrowserDriver.h"
#include "CameraTestSupport.h"
#include "NginxRtmp.h"
#include "RClassView.h"
#include "RDragScene.h"
#include "RPublishDialog.h"
#include "RQrDecoder.h"
#include "RSettingsStore.h"
#include "RSharePanel.h"
#include "RShareSession.h"
#include "RTavWidget.h"
#include "RTools.h"
#include "VisoraTest.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>

namespace {
// Whether a block of the page's picture, drawn at 64 x 48, has about this colour.
bool shows(BrowserDriver &browser, const QRect &block, const QColor &expected)
{
    const QJsonArray rgb =
        browser.run(QStringLiteral("const v = document.getElementById('video'), c = document.createElement('canvas');"
                                   "c.width = 64; c.height = 48; const g = c.getContext('2d'); g.drawImage(v, 0, 0, 64, 48);"
                                   "const d = g.getImageData(%1, %2, %3, %4).data, s = [0, 0, 0];"
                                   "for (let i = 0; i < d.length; i += 4) for (let k = 0; k < 3; k++) s[k] += d[i + k];"
                                   "return s.map(function (a) { return Math.round(a * 4 / d.length); });")
                        .arg(block.x()).arg(block.y()).arg(block.width()).arg(block.height()))
            .toArray();
    return rgb.size() == 3 && qAbs(rgb[0].toInt() - expected.red()) < 45
           && qAbs(rgb[1].toInt() - expected.green()) < 45 && qAbs(rgb[2].toInt() - expected.blue()) < 45;
}
} // namespace

class TestSharePresenter : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_browser.start(&error, QStringLiteral("zh-CN")), qPrintable(error));
        CameraTest::writeOne(QStringLiteral("Class Camera"), {QStringLiteral("1280x720")},
                             VisoraTest::dataPath(QStringLiteral("virtualcam/quadrants.png")));
        RSettingsStore::write(RSettingsKeys::ShareAddress, QStringLiteral("127.0.0.1"));
        RSettingsStore::write(RSettingsKeys::SharePort, 0);
        m_window = new RTavWidget;
        m_window->resize(1280, 720);
        m_window->show();
        QVERIFY(QTest::qWaitFor([this] { return m_window->isCameraOpen(); }, 5000));
    }

    void cleanupTestCase()
    {
        if (m_window) {
            m_window->closeTavNoConfirm();
            delete m_window;
        }
    }

    void studentsSeeTheClassViewAndItsInk()
    {
        QVERIFY(!m_window->share()->isSharing()); // nothing listens before the teacher asks
        m_window->tools()->setShare(); // the settings menu's entry
        auto *panel = m_window->findChild<RSharePanel *>();
        QVERIFY(panel && panel->isVisible());
        const QString address = m_window->share()->address();
        m_window->tools()->setShare(); // again: the card again, the same share
        QCOMPARE(panel->findChild<QLabel *>(QStringLiteral("shareAddress"))->text(), address);
        const QImage code = panel->findChild<QLabel *>(QStringLiteral("shareCode"))->pixmap(Qt::ReturnByValue).toImage();
        QCOMPARE(RQrDecoder().decodeImage(code), address);

        QVERIFY(m_browser.open(address));
        QVERIFY2(m_browser.waitFor(QStringLiteral("const v = document.getElementById('video');"
                                                  "return shareStatus.state === 'playing' && v.currentTime > 0.3;"),
                                   20000),
                 qPrintable(m_browser.run(QStringLiteral("return JSON.stringify(shareStatus)")).toString()));
        // Opposite corners: a swapped colour order, a flip or a turn shows in one of them.
        QVERIFY(shows(m_browser, QRect(6, 8, 20, 12), QColor(208, 32, 32)));
        QVERIFY(shows(m_browser, QRect(38, 30, 20, 12), QColor(224, 208, 32)));

        // A thick black stroke across the green quadrant, near its top.
        QVector<QPoint> stroke;
        for (int x = 720; x <= 1200; x += 12)
            stroke << QPoint(x, 90);
        m_window->scene()->setPen(40, QColor(0, 0, 0));
        m_window->scene()->slotCreateWritingItem(stroke, stroke.last(), QPointF(), CurPen);
        QTRY_VERIFY_WITH_TIMEOUT(shows(m_browser, QRect(40, 5, 18, 2), Qt::black), 5000);
        QVERIFY(shows(m_browser, QRect(38, 10, 20, 10), QColor(32, 176, 64))); // the rest stays green
    }

    void stopSharingEndsThePage()
    {
        m_window->findChild<QPushButton *>(QStringLiteral("shareStop"))->click();
        QVERIFY(m_browser.waitFor(QStringLiteral("return shareStatus.state === 'ended' &&"
                                                 " document.getElementById('message').textContent === '共享已结束。'"),
                                  5000));
        QVERIFY(!m_window->classView()->isRunning()); // the encode stops with its last user
    }

    // The class view arrives at its encoded size, and stopping gives it back.
    void publishingReachesTheServer()
    {
        NginxRtmp server;
        QVERIFY2(server.start(), qPrintable(server.error()));
        m_window->tools()->findChild<QAction *>(QStringLiteral("setPublish"))->trigger();
        auto *dialog = m_window->findChild<RPublishDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        auto *status = dialog->findChild<QLabel *>(QStringLiteral("labelStatus"));
        auto *button = dialog->findChild<QPushButton *>(QStringLiteral("btnToggle"));
        dialog->findChild<QLineEdit *>(QStringLiteral("editAddress"))->setText(server.url(QStringLiteral("lesson")));
        button->click();
        QVERIFY2(QTest::qWaitFor([&] { return status->text().startsWith(QStringLiteral("已连接")); }, 10000),
                 qPrintable(status->text()));
        const QSize size = m_window->classView()->outputSize();
        QProcess probe; // the class view is made on this thread: wait without blocking it
        NginxRtmp::startProbe(probe, server.url(QStringLiteral("lesson")));
        QVERIFY(QTest::qWaitFor([&] { return probe.state() == QProcess::NotRunning; }, 20000));
        QCOMPARE(NginxRtmp::probeResult(probe), QStringList(QStringLiteral("h264 %1x%2").arg(size.width()).arg(size.height())));
        button->click();
        QVERIFY(!m_window->classView()->isRunning());
        QCOMPARE(status->text(), QStringLiteral("未推流"));
        QCOMPARE(RSettingsStore::readString(RSettingsKeys::PublishAddress), server.url(QStringLiteral("lesson")));
    }

    void aTakenPortIsToldInTheInterfaceLanguage_data()
    {
        QTest::addColumn<UiLanguage>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("Chinese") << UiLanguage::Chinese << QStringLiteral("无法开始共享：地址 127.0.0.1 端口 %1 无法使用。");
        QTest::newRow("English") << UiLanguage::English << QStringLiteral("Sharing could not start: address 127.0.0.1 port %1 cannot be used.");
    }

    void aTakenPortIsToldInTheInterfaceLanguage()
    {
        QFETCH(UiLanguage, language);
        QFETCH(QString, text);
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
        RSettingsStore::write(RSettingsKeys::SharePort, taken.serverPort());
        QString error;
        QVERIFY(!m_window->share()->start(language, &error));
        QCOMPARE(error, text.arg(taken.serverPort()));
        QVERIFY(!m_window->classView()->isRunning()); // let go again
    }

private:
    BrowserDriver m_browser;
    RTavWidget *m_window = nullptr;
};

VISORA_TEST_MAIN(TestSharePresenter)
#include "tst_sharepresenter.moc"
