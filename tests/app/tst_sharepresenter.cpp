// Sharing from the running presenter to real headless Chromium: the card
// students scan, the class view with the camera's quadrant colours and the
// teacher's ink, the page's message when the teacher stops, and what the
// teacher reads when a share cannot start. Everything on 127.0.0.1.
#include "BrowserDriver.h"
#include "RClassView.h"
#include "RDragScene.h"
#include "RQrDecoder.h"
#include "RSettingsStore.h"
#include "RSharePanel.h"
#include "RShareSession.h"
#include "RTavWidget.h"
#include "RTools.h"
#include "VisoraTest.h"

#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTcpServer>

namespace {
// Mean colour of a block of the page's picture, drawn at 64 x 48.
QString sampleScript(int x0, int y0, int x1, int y1)
{
    return QStringLiteral("const v = document.getElementById('video'), c = document.createElement('canvas');"
                          "c.width = 64; c.height = 48; const g = c.getContext('2d'); g.drawImage(v, 0, 0, 64, 48);"
                          "const d = g.getImageData(%1, %2, %3, %4).data, s = [0, 0, 0];"
                          "for (let i = 0; i < d.length; i += 4) for (let k = 0; k < 3; k++) s[k] += d[i + k];"
                          "return s.map(function (a) { return Math.round(a * 4 / d.length); });")
        .arg(x0).arg(y0).arg(x1 - x0).arg(y1 - y0);
}

bool near(const QJsonValue &rgb, const QColor &expected, int tolerance = 45)
{
    const QJsonArray a = rgb.toArray();
    return a.size() == 3 && qAbs(a[0].toInt() - expected.red()) < tolerance
           && qAbs(a[1].toInt() - expected.green()) < tolerance && qAbs(a[2].toInt() - expected.blue()) < tolerance;
}
} // namespace

class TestSharePresenter : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void studentsSeeTheClassViewAndItsInk();
    void stopSharingEndsThePage();
    void aTakenPortIsToldInTheInterfaceLanguage_data();
    void aTakenPortIsToldInTheInterfaceLanguage();

private:
    QTemporaryDir m_dir;
    BrowserDriver m_browser;
    RTavWidget *m_window = nullptr;
};

void TestSharePresenter::initTestCase()
{
    QString error;
    m_browser.setLanguage(QStringLiteral("zh-CN"));
    QVERIFY2(m_browser.start(&error), qPrintable(error));
    const QString json = m_dir.path() + "/cam.json";
    QSaveFile f(json);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QString(R"({"cameras": [{"description": "Class Camera", "deviceName": "usb#vid_1b17&pid_0501&mi_00#6&2&0&0000",
        "resolutions": ["1280x720"], "pixelFormats": ["jpeg"], "source": "%1"}]})")
                .arg(VisoraTest::dataPath(QStringLiteral("virtualcam/quadrants.png")))
                .toUtf8());
    QVERIFY(f.commit());
    qputenv("VISORA_VIRTUAL_CAMERA", json.toUtf8());
    RSettingsStore::write(RSettingsKeys::ShareAddress, QStringLiteral("127.0.0.1"));
    RSettingsStore::write(RSettingsKeys::SharePort, 0);
    m_window = new RTavWidget;
    m_window->resize(1280, 720);
    m_window->show();
    QVERIFY(QTest::qWaitFor([this] { return m_window->isCameraOpen(); }, 5000));
}

void TestSharePresenter::cleanupTestCase()
{
    m_browser.quit();
    if (m_window) {
        m_window->closeTavNoConfirm();
        delete m_window;
    }
}

void TestSharePresenter::studentsSeeTheClassViewAndItsInk()
{
    QVERIFY(!m_window->share()->isSharing()); // nothing listens before the teacher asks
    m_window->tools()->setShare(); // the settings menu's entry
    QVERIFY(m_window->share()->isSharing());
    auto *panel = m_window->findChild<RSharePanel *>();
    QVERIFY(panel && panel->isVisible());
    m_window->tools()->setShare(); // again: the card again, the same share
    const QString address = m_window->share()->address();
    QVERIFY2(QRegularExpression(QStringLiteral("^http://127\\.0\\.0\\.1:\\d+/k/[2-9A-Z]{13}$")).match(address).hasMatch(),
             qPrintable(address));
    QCOMPARE(panel->findChild<QLabel *>(QStringLiteral("shareAddress"))->text(), address);
    const QImage code = panel->findChild<QLabel *>(QStringLiteral("shareCode"))->pixmap(Qt::ReturnByValue).toImage();
    QCOMPARE(RQrDecoder().decodeImage(code), address);

    QVERIFY(m_browser.open(address.left(address.size() - 13) + QStringLiteral("ABCDEFGHJKLMN"))); // a wrong key
    QVERIFY(m_browser.run(QStringLiteral("return document.body.innerText")).toString().contains(
        QStringLiteral("共享已结束或地址不正确。")));
    QVERIFY(m_browser.open(address));
    QVERIFY2(m_browser.waitFor(QStringLiteral("const v = document.getElementById('video');"
                                              "return shareStatus.state === 'playing' && v.currentTime > 0.3;"),
                               20000),
             qPrintable(m_browser.run(QStringLiteral("return JSON.stringify(shareStatus)")).toString()));
    QVERIFY(near(m_browser.run(sampleScript(6, 8, 26, 20)), QColor(208, 32, 32)));
    QVERIFY(near(m_browser.run(sampleScript(38, 8, 58, 20)), QColor(32, 176, 64)));
    QVERIFY(near(m_browser.run(sampleScript(6, 30, 26, 42)), QColor(32, 64, 208)));
    QVERIFY(near(m_browser.run(sampleScript(38, 30, 58, 42)), QColor(224, 208, 32)));
    QTRY_COMPARE_WITH_TIMEOUT(panel->findChild<QLabel *>(QStringLiteral("shareViewers"))->text(),
                              QStringLiteral("观看人数：1"), 3000);

    // A thick black stroke across the green quadrant, near its top.
    QVector<QPoint> stroke;
    for (int x = 720; x <= 1200; x += 12)
        stroke << QPoint(x, 90);
    m_window->scene()->setPen(40, QColor(0, 0, 0));
    m_window->scene()->slotCreateWritingItem(stroke, stroke.last(), QPointF(), CurPen);
    QVERIFY2(m_browser.waitFor(QStringLiteral("const s = (function () {") + sampleScript(40, 5, 58, 7)
                                   + QStringLiteral("})(); return s[0] + s[1] + s[2] < 120;"),
                               5000),
             qPrintable(QJsonDocument(m_browser.run(sampleScript(40, 5, 58, 7)).toArray()).toJson()));
    QVERIFY(near(m_browser.run(sampleScript(38, 10, 58, 20)), QColor(32, 176, 64))); // the rest stays green
}

void TestSharePresenter::stopSharingEndsThePage()
{
    m_window->findChild<QPushButton *>(QStringLiteral("shareStop"))->click();
    QVERIFY(!m_window->share()->isSharing());
    QVERIFY2(m_browser.waitFor(QStringLiteral("return shareStatus.state === 'ended' &&"
                                              " document.getElementById('message').textContent === '共享已结束。'"),
                               5000),
             qPrintable(m_browser.run(QStringLiteral("return shareStatus.state + ' ' + navigator.language + ' '"
                                                     " + document.getElementById('message').textContent"))
                            .toString()));
    QVERIFY(!m_window->classView()->isRunning()); // the encode stops with its last user
}

void TestSharePresenter::aTakenPortIsToldInTheInterfaceLanguage_data()
{
    QTest::addColumn<UiLanguage>("language");
    QTest::addColumn<QString>("text");
    QTest::newRow("Chinese") << UiLanguage::Chinese << QStringLiteral("无法开始共享：地址 127.0.0.1 端口 %1 无法使用。");
    QTest::newRow("English") << UiLanguage::English << QStringLiteral("Sharing could not start: address 127.0.0.1 port %1 cannot be used.");
}

void TestSharePresenter::aTakenPortIsToldInTheInterfaceLanguage()
{
    QFETCH(UiLanguage, language);
    QFETCH(QString, text);
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
    RSettingsStore::write(RSettingsKeys::SharePort, taken.serverPort());
    QString error;
    QVERIFY(!m_window->share()->start(language, &error));
    QCOMPARE(error, text.arg(taken.serverPort()));
    QVERIFY(!m_window->share()->isSharing());
    QVERIFY(!m_window->classView()->isRunning()); // let go again
}

VISORA_TEST_MAIN(TestSharePresenter)
#include "tst_sharepresenter.moc"
