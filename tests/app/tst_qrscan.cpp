#include "CameraTestSupport.h"
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
#include "WindowTest.h"

#include <QCamera>
#include <QClipboard>
#include <QDesktopServices>
#include <QGraphicsProxyWidget>
#include <QLabel>
#include <QPushButton>
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
    void initTestCase()
    {
        for (const char *scheme : {"http", "https", "file", "javascript", "ms-settings"})
            QDesktopServices::setUrlHandler(scheme, &m_catcher, "open");
    }

    void init()
    {
        QSettings(RSettingsStore::organisation(), RSettingsStore::application()).clear();
        m_catcher.opened.clear();
    }

    void cleanup()
    {
        WindowTest::close(m_window);
        RImageSaver::instance()->waitForIdle(10000);
    }

    // The usual size is the window test's below.
    void tinyOverlayKeepsAReadableFont()
    {
        RScanWidget w;
        w.setScanPixSize(100, 80);
        QCOMPARE(w.animationLabel()->size(), QSize(70, 70));
        QCOMPARE(w.fontPx(), 10);
    }

    // Which part of the picture is read is the decoder test's centreHalf.
    void linkInTheMiddleIsOpened()
    {
        showPage("https://example.org/lesson?id=7", QPoint(1000, 500));
        RTavWidget *w = startScanning();
        QVERIFY(w);
        QVERIFY(w->isScanning());
        auto *overlay = qobject_cast<RScanWidget *>(w->scene()->scanWidget());
        QVERIFY(overlay);
        QCOMPARE(overlay->size(), QSize(960, 540));
        QCOMPARE(overlay->animationLabel()->size(), QSize(530, 530));
        QCOMPARE(overlay->fontPx(), 27);
        QTRY_COMPARE_WITH_TIMEOUT(m_catcher.opened.size(), 1, 5000);
        QTest::qWait(500);
        QCOMPARE(m_catcher.opened, QList<QUrl>{QUrl("https://example.org/lesson?id=7")});
        QVERIFY(!w->isScanning());
        QVERIFY(!w->scene()->scanWidget());
        QVERIFY(w->isMinimized());
    }

    // Which texts may be opened is the decoder test's openableLink.
    void otherTextIsShownNotOpened()
    {
        const QString text("javascript:alert(1)");
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

    // While scanning, other commands do nothing; leaving before a read keeps
    // the camera running and reads nothing more.
    void commandsIgnoredThenLeaving()
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
        QVERIFY(w->isScanning());

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

private:
    // The virtual camera shows a page with the code of `text` centred at `centre`.
    static void showPage(const QString &text, QPoint centre)
    {
        CameraTest::writeOne("Scan Test Camera", {"1920x1080"},
                             CameraTest::writePage("code.png", QrTest::page(QSize(1920, 1080), text, centre, 8)));
    }

    RTavWidget *startScanning()
    {
        const auto active = [this] {
            RCamera *camera = m_window->scene()->camera();
            return camera && camera->camera() && camera->camera()->status() == QCamera::ActiveStatus;
        };
        if (!WindowTest::open(m_window) || !QTest::qWaitFor(active, 15000))
            return nullptr;
        QTest::qWait(300); // a first frame on the viewfinder
        m_window->slotBarcode();
        return m_window;
    }

    RTavWidget *m_window = nullptr;
    UrlCatcher m_catcher;
};

VISORA_TEST_MAIN(TestQrScan)
#include "tst_qrscan.moc"
