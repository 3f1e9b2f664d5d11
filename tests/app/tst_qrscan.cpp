#include "QrTestSupport.h"
#include "RCamera.h"
#include "RDragScene.h"
#include "RImageSaver.h"
#include "RQrScanner.h"
#include "RScanWidget.h"
#include "RSettingsStore.h"
#include "RTavWidget.h"
#include "RVideoTracker.h"
#include "VisoraTest.h"

#include <QCamera>
#include <QClipboard>
#include <QDesktopServices>
#include <QGraphicsProxyWidget>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>

// Catches what the desktop would be asked to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

// QR scanning in the main window on the virtual camera showing code pictures.
class TestQrScan : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void overlayMetrics_data();
    void overlayMetrics();
    void linkInTheMiddleIsOpened();
    void codeOutsideTheMiddleIsNotRead();
    void otherTextIsShownNotOpened_data();
    void otherTextIsShownNotOpened();
    void leavingBeforeARead();
    void commandsIgnoredWhileScanning();

private:
    void showPage(const QString &text, QPoint centre);
    RTavWidget *startScanning();
    QTemporaryDir m_dir;
    RTavWidget *m_window = nullptr;
    UrlCatcher m_catcher;
};

void TestQrScan::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("VISORA_VIRTUAL_CAMERA", QString(m_dir.path() + "/cam.json").toUtf8());
    for (const char *scheme : {"http", "https", "file", "javascript", "ms-settings"})
        QDesktopServices::setUrlHandler(scheme, &m_catcher, "open");
}

void TestQrScan::init()
{
    QSettings(RSettingsStore::organisation(), RSettingsStore::application()).clear();
    m_catcher.opened.clear();
}

void TestQrScan::cleanup()
{
    if (m_window) {
        m_window->closeTavNoConfirm();
        delete m_window;
        m_window = nullptr;
    }
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    RImageSaver::instance()->waitForIdle(10000);
}

void TestQrScan::showPage(const QString &text, QPoint centre)
{
    QrTest::page(QSize(1920, 1080), text, centre, 8).save(m_dir.path() + "/code.png");
    QSaveFile f(m_dir.path() + "/cam.json");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(R"({"cameras": [{"description": "Scan Test Camera",
        "deviceName": "usb#vid_1b17&pid_0501&mi_00#6&9&0&0000",
        "resolutions": ["1920x1080"], "pixelFormats": ["jpeg"],
        "source": "code.png", "present": true, "busy": false}]})");
    QVERIFY(f.commit());
}

RTavWidget *TestQrScan::startScanning()
{
    m_window = new RTavWidget;
    m_window->resize(1280, 720);
    m_window->show();
    if (!QTest::qWaitFor([&] { return m_window->isCameraOpen() && m_window->scene()->camera()
                                      && m_window->scene()->camera()->camera()
                                      && m_window->scene()->camera()->camera()->status() == QCamera::ActiveStatus; },
                         15000))
        return nullptr;
    QTest::qWait(300); // a first frame on the viewfinder
    m_window->slotBarcode();
    return m_window;
}

void TestQrScan::overlayMetrics_data()
{
    QTest::addColumn<QSize>("overlay");
    QTest::addColumn<int>("animation");
    QTest::addColumn<int>("font");
    QTest::newRow("1920x1080 picture") << QSize(960, 540) << 530 << 27;
    QTest::newRow("640x480 picture") << QSize(320, 240) << 230 << 12;
    QTest::newRow("tiny picture keeps a readable font") << QSize(100, 80) << 70 << 10;
}

void TestQrScan::overlayMetrics()
{
    QFETCH(QSize, overlay);
    QFETCH(int, animation);
    QFETCH(int, font);
    RScanWidget w;
    w.setScanPixSize(overlay.width(), overlay.height());
    QCOMPARE(w.animationLabel()->size(), QSize(animation, animation));
    QCOMPARE(w.fontPx(), font);
    QVERIFY(w.exitButton()->styleSheet().contains(QString("font-size:%1px").arg(font)));
    QVERIFY(w.exitButton()->styleSheet().contains(QString("border-radius: %1px").arg(font / 3)));
}

void TestQrScan::linkInTheMiddleIsOpened()
{
    showPage("https://example.org/lesson?id=7", QPoint(1000, 500));
    RTavWidget *w = startScanning();
    QVERIFY(w);
    QVERIFY(w->isScanning());
    QWidget *overlay = w->scene()->scanWidget();
    QVERIFY(overlay);
    QCOMPARE(overlay->size(), QSize(960, 540));
    QTRY_COMPARE_WITH_TIMEOUT(m_catcher.opened.size(), 1, 5000);
    QCOMPARE(m_catcher.opened.first(), QUrl("https://example.org/lesson?id=7"));
    QVERIFY(!w->isScanning());
    QVERIFY(!w->scene()->scanWidget());
    QVERIFY(w->isMinimized());
    QTest::qWait(500);
    QCOMPARE(m_catcher.opened.size(), 1);
}

void TestQrScan::codeOutsideTheMiddleIsNotRead()
{
    showPage("https://example.org/corner", QPoint(200, 200));
    RTavWidget *w = startScanning();
    QVERIFY(w);
    QTest::qWait(1500);
    QVERIFY(m_catcher.opened.isEmpty());
    QVERIFY(w->isScanning());
    QVERIFY(w->scene()->scanWidget());
}

void TestQrScan::otherTextIsShownNotOpened_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("file") << "file:///etc/passwd";
    QTest::newRow("plain words") << "hello class";
    QTest::newRow("javascript") << "javascript:alert(1)";
}

void TestQrScan::otherTextIsShownNotOpened()
{
    QFETCH(QString, text);
    showPage(text, QPoint(960, 540));
    RTavWidget *w = startScanning();
    QVERIFY(w);
    auto *overlay = qobject_cast<RScanWidget *>(w->scene()->scanWidget());
    QVERIFY(overlay);
    QTRY_COMPARE_WITH_TIMEOUT(overlay->shownText(), text, 5000);
    QVERIFY(overlay->copyButton()->isVisibleTo(overlay));
    overlay->copyButton()->click();
    QCOMPARE(QApplication::clipboard()->text(), text);
    // Reading has stopped; the window stays up until the teacher leaves.
    QTest::qWait(600);
    QVERIFY(m_catcher.opened.isEmpty());
    QVERIFY(!w->isMinimized());
    overlay->exitButton()->click();
    QVERIFY(!w->isScanning());
    QVERIFY(!w->scene()->scanWidget());
}

void TestQrScan::leavingBeforeARead()
{
    showPage(QString(), QPoint(-500, -500));
    RTavWidget *w = startScanning();
    QVERIFY(w);
    QPointer<QWidget> overlay = w->scene()->scanWidget();
    QVERIFY(overlay);
    qobject_cast<RScanWidget *>(overlay.data())->exitButton()->click();
    QVERIFY(!w->isScanning());
    QTRY_VERIFY(overlay.isNull());
    QCOMPARE(w->scene()->camera()->camera()->status(), QCamera::ActiveStatus);
    // A later code is not read without a new start.
    showPage("https://example.org/late", QPoint(960, 540));
    QTest::qWait(800);
    QVERIFY(m_catcher.opened.isEmpty());
}

void TestQrScan::commandsIgnoredWhileScanning()
{
    showPage(QString(), QPoint(-500, -500));
    RTavWidget *w = startScanning();
    QVERIFY(w);
    const QString dir = w->imageDir();
    const int before = QDir(dir).entryList(QDir::Files).size();
    w->slotSnap();
    w->slotPDF();
    w->slotTracker();
    w->slotStopCamera(true);
    QTest::qWait(800);
    QCOMPARE(QDir(dir).entryList(QDir::Files).size(), before);
    QVERIFY(!w->scene()->trackerProxy()->isVisible());
    QCOMPARE(w->scene()->camera()->camera()->state(), QCamera::ActiveState);
    QVERIFY(w->isScanning());
}

VISORA_TEST_MAIN(TestQrScan)
#include "tst_qrscan.moc"
