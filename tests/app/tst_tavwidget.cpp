#include "CameraTestSupport.h"
#include "RCamera.h"
#include "RDragScene.h"
#include "RDrawTempWidget.h"
#include "RContrastWidget.h"
#include "RImageList.h"
#include "RListWidget.h"
#include "RImageSaver.h"
#include "RSetting.h"
#include "RSettingsStore.h"
#include "RTavWidget.h"
#include "RTools.h"
#include "RNoScrollGraphicsView.h"
#include "RNotice.h"
#include <QGraphicsProxyWidget>
#include "VisoraTest.h"
#include "WindowTest.h"

#include <QAction>
#include <QListWidget>
#include <QMessageBox>
#include "RProxyWidget.h"
#include "RVideoRect.h"
#include "RZoomModel.h"
#include <QSettings>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QToolButton>
#include <QtMath>
#include <functional>

// The main window driven through its slots, keys and dialogs, on the
// virtual camera.
class TestTavWidget : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startupOpensCameraAndRestoresOrientation();
    void missingOrBusyDeviceWarns_data();
    void missingOrBusyDeviceWarns();
    void confirmExit_data();
    void confirmExit();
    void captureSettingsReachSnapshotAndPdf();
    void timedSnapshotsUntilManual();
    void recorderGetsArguments();
    void toolButtonsReachTheWindow();
    void timedSnapshotWaitsForThePreviousOne();
    void freezeAcrossCompareAndWhiteboard();
    void pictureIsFittedAtEveryNewSize();

private:
    static void writeCameraConfig(bool present, bool busy)
    {
        CameraTest::writeOne("Window Test Camera", {"1280x720", "640x480"}, "pattern", present, busy);
    }
    bool openWindow() { return WindowTest::open(m_window); }
    // Answers the next modal box by clicking the button with `text`.
    void answerNextBox(const QString &text, QString *seenText = nullptr);
    void runDialog(const std::function<void(RSetting *)> &fill, bool accept);
    RTavWidget *m_window = nullptr;
};

void TestTavWidget::init()
{
    QSettings(RSettingsStore::organisation(), RSettingsStore::application()).clear();
    writeCameraConfig(true, false);
}

void TestTavWidget::cleanup()
{
    WindowTest::close(m_window);
    RImageSaver::instance()->waitForIdle(10000);
}

void TestTavWidget::answerNextBox(const QString &text, QString *seenText)
{
    auto *timer = new QTimer(this);
    timer->setInterval(50);
    connect(timer, &QTimer::timeout, this, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        timer->stop();
        timer->deleteLater();
        if (seenText)
            *seenText = box->text();
        for (QAbstractButton *b : box->buttons())
            if (b->text() == text)
                b->click();
    });
    timer->start();
}

void TestTavWidget::runDialog(const std::function<void(RSetting *)> &fill, bool accept)
{
    QTimer::singleShot(100, [=] {
        auto *dlg = qobject_cast<RSetting *>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        fill(dlg);
        dlg->initData();
        if (accept)
            dlg->slotOK();
        else
            dlg->slotCancel();
    });
    m_window->settingTav();
}

// The stored mirror comes back ticked and shown; the menu's flip and each
// turn are stored at once.
void TestTavWidget::startupOpensCameraAndRestoresOrientation()
{
    QSettings(RSettingsStore::organisation(), RSettingsStore::application()).setValue("Video/Mirror", true);
    QVERIFY(openWindow());
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) + "/Visora";
    QCOMPARE(m_window->imageDir(), pictures);
    QSettings ini(QDir::currentPath() + "/Tolvani/Config.ini", QSettings::IniFormat);
    QCOMPARE(ini.value("Client/file_path").toString(), pictures);
    QVERIFY(ini.contains("Client/Audiolist"));
    QCOMPARE(m_window->videoSize(), QSize(1280, 720));
    QVERIFY(m_window->tools()->isVisible());
    QVERIFY(m_window->imageList()->isVisible());
    QVERIFY(m_window->scene()->isMirrored());
    QVERIFY(!m_window->scene()->isFlipped());
    QVERIFY(m_window->tools()->findChild<QAction *>("setMirror")->isChecked());
    m_window->tools()->findChild<QAction *>("setFlip")->trigger();
    QVERIFY(m_window->scene()->isFlipped());
    QCOMPARE(RSettingsStore::value(RSettingsKeys::VideoMirror).toBool(), true);
    QCOMPARE(RSettingsStore::value(RSettingsKeys::VideoFlip).toBool(), true);
    for (int angle : {90, 180, 270, 0}) {
        m_window->slotRotate();
        QCOMPARE(m_window->rotateAngle(), angle);
        QCOMPARE(RSettingsStore::readInt(RSettingsKeys::VideoRotate), angle);
        QCOMPARE(m_window->scene()->rotateAngle(), angle);
    }
}

void TestTavWidget::missingOrBusyDeviceWarns_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QString>("text");
    QTest::newRow("missing") << false << false << QString("没有找到高拍仪\n\n按【关闭】后退出");
    QTest::newRow("busy") << true << true << QString("高拍仪被占用\n\n按【关闭】后退出");
}

void TestTavWidget::missingOrBusyDeviceWarns()
{
    QFETCH(bool, present);
    QFETCH(bool, busy);
    QFETCH(QString, text);
    writeCameraConfig(present, busy);
    QString seen;
    answerNextBox("关闭", &seen);
    m_window = new RTavWidget;
    m_window->show();
    QTRY_COMPARE(seen, text);
    // "Close" quits at once: no confirmation box is left open.
    QTRY_VERIFY(!m_window->isVisible());
    QVERIFY(m_window->noConfirmClose());
    QVERIFY(!m_window->isCameraOpen());
    QVERIFY(!m_window->tools()->isVisible());
}

void TestTavWidget::confirmExit_data()
{
    QTest::addColumn<int>("langue");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closed");
    // Any stored value but 1 reads as Chinese.
    QTest::newRow("cancel keeps running") << 2 << "取消" << false;
    QTest::newRow("english ok") << 1 << "OK" << true;
}

void TestTavWidget::confirmExit()
{
    QFETCH(int, langue);
    QFETCH(QString, answer);
    QFETCH(bool, closed);
    RSettingsStore::write(RSettingsKeys::SystemLangue, langue);
    QVERIFY(openWindow());
    answerNextBox(answer);
    m_window->closeTav();
    QCOMPARE(!m_window->isVisible(), closed);
}

// The page content and the document naming are the capture's tests; here
// the dialog's choices reaching store, Config.ini, frame, snapshot and PDF.
void TestTavWidget::captureSettingsReachSnapshotAndPdf()
{
    QVERIFY(openWindow());
    QTemporaryDir target;
    const QString folder = target.path() + "/图片";
    QDir().mkpath(folder);
    QSignalSpy dirs(m_window, &RTavWidget::sChangeDir);
    runDialog([&](RSetting *d) {
        d->m_capture.m_strCurImageDir = folder;
        d->m_capture.m_strFileExt = "png";
        d->m_capture.m_iNameType = NameMode::Number;
        d->m_capture.m_strNamePrefix = "IMG";
        d->m_capture.m_iNameNumLength = 4;
        d->m_capture.m_iNameCurNum = 7;
        d->m_capture.m_bAutoCut = true;
        d->m_capture.m_bAutoPerspective = true;
    }, true);
    QCOMPARE(dirs.count(), 1);
    QCOMPARE(m_window->imageDir(), folder);
    QCOMPARE(RSettingsStore::readString(RSettingsKeys::FileDir), folder);
    QVERIFY(RSettingsStore::readCapture().m_bAutoPerspective);
    const QString iniPath = QDir::currentPath() + "/Tolvani/Config.ini";
    QCOMPARE(QSettings(iniPath, QSettings::IniFormat).value("Client/file_path").toString(), folder);
    QVERIFY(m_window->scene()->camera()->isAutoPerspective());
    QTRY_VERIFY_WITH_TIMEOUT(m_window->scene()->videoRect()->hasPoints(), 5000);

    QSignalSpy added(m_window->scene(), &RDragScene::sAddImageItem);
    m_window->slotSnap();
    QTRY_COMPARE_WITH_TIMEOUT(added.count(), 1, 10000);
    QCOMPARE(added.first().at(1).toString(), QString("IMG0007.png"));
    // The flat A4 page, not the whole picture.
    const QImage page(folder + "/IMG0007.png");
    const double ratio = double(page.height()) / page.width();
    QVERIFY2(qAbs(ratio / M_SQRT2 - 1) < 0.04, qPrintable(QString::number(ratio)));
    QCOMPARE(m_window->scene()->nameCurNum(), 8);
    m_window->slotPDF();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder + "/IMG0008.pdf"), 15000);
}

void TestTavWidget::timedSnapshotsUntilManual()
{
    QVERIFY(openWindow());
    QTemporaryDir target;
    runDialog([&](RSetting *d) {
        d->m_capture.m_strCurImageDir = target.path();
        d->m_capture.m_iSnapType = SnapMode::Timed;
        d->m_capture.m_iASnapInterval = 1;
    }, true);
    QVERIFY(m_window->snapTimer() && m_window->snapTimer()->isActive());
    QCOMPARE(m_window->snapTimer()->interval(), 1000);
    QSignalSpy added(m_window->scene(), &RDragScene::sAddImageItem);
    QTRY_VERIFY_WITH_TIMEOUT(added.count() >= 2, 10000);

    // Cancelling the dialog changes nothing: the timed snapshots go on.
    runDialog([](RSetting *d) {
        d->m_capture.m_strCurImageDir = "/elsewhere";
        d->m_capture.m_iSnapType = SnapMode::Manual;
    }, false);
    QVERIFY(m_window->snapTimer()->isActive());
    QCOMPARE(m_window->imageDir(), target.path());

    runDialog([](RSetting *d) { d->m_capture.m_iSnapType = SnapMode::Manual; }, true);
    QVERIFY(!m_window->snapTimer()->isActive());
    RImageSaver::instance()->waitForIdle(10000);
    const int count = added.count();
    QTest::qWait(1500);
    QCOMPARE(added.count(), count);
}

// The argument rules themselves are the launcher's; here the window's part.
void TestTavWidget::recorderGetsArguments()
{
    RSettingsStore::write(RSettingsKeys::SystemLangue, 1);
    QVERIFY(openWindow());
    RSettingsStore::write(RSettingsKeys::VideoCamera, "Cam \"A\" 文档");
    RSettingsStore::write(RSettingsKeys::VideoRecRess, "1920x1080;1280x720;");
    QTemporaryDir dir;
    const QString out = dir.path() + "/args.txt";
    // The recorder is found beside the program, whatever the working directory.
    const QString folder = QCoreApplication::applicationDirPath() + "/Tolvani";
    QDir().mkpath(folder);
    const QString script = folder + "/Brisklet_en";
    auto removeScript = qScopeGuard([script] { QFile::remove(script); });
    QVERIFY(QDir::currentPath() != QCoreApplication::applicationDirPath());
    QFile f(script);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QString("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1'\n").arg(out).toUtf8());
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    m_window->slotRecorder();
    QFile result(out);
    QVERIFY(result.open(QIODevice::ReadOnly));
    const QStringList args = QString::fromUtf8(result.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(args, QStringList({"KT7306219", "Cam \"A\" 文档", "1920x1080", "1280x720"}));
}

void TestTavWidget::timedSnapshotWaitsForThePreviousOne()
{
    QVERIFY(openWindow());
    QSignalSpy finished(m_window->scene(), &RDragScene::sSnapFinish);
    m_window->slotTimerSnap();
    m_window->slotTimerSnap(); // the first is still being written
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QTest::qWait(200);
    QCOMPARE(finished.count(), 1);
    m_window->slotTimerSnap();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 10000);
}

void TestTavWidget::freezeAcrossCompareAndWhiteboard()
{
    QVERIFY(openWindow());
    m_window->slotScrCon();
    QVERIFY(m_window->imageList()->cameraIsPlaying());
    QVERIFY(m_window->imageList()->contrastWidget()->isVisible());
    QVERIFY(!m_window->scene()->camera()->isRunning());
    m_window->slotScrCon();
    QVERIFY(!m_window->imageList()->cameraIsPlaying());
    QVERIFY(!m_window->imageList()->contrastWidget()->isVisible());
    QVERIFY(m_window->scene()->camera()->isRunning());
    // Leaving the whiteboard leaves the freeze button live: one click freezes.
    auto *stop = m_window->tools()->findChild<QToolButton *>("setStop");
    QTest::mouseClick(stop, Qt::LeftButton);
    QCOMPARE(stop->text(), QString("解冻"));
    m_window->slotWhiteboard(true);
    m_window->slotWhiteboard(false);
    QVERIFY(m_window->scene()->camera()->isRunning());
    QCOMPARE(stop->text(), QString("冻结"));
    QTest::mouseClick(stop, Qt::LeftButton);
    QVERIFY(!m_window->scene()->camera()->isRunning());
}

// A replug lays the scene out the same way (the scene test follows it).
void TestTavWidget::pictureIsFittedAtEveryNewSize()
{
    QVERIFY(openWindow());
    RDragScene *scene = m_window->scene();
    const QSize size(640, 480);
    runDialog([&](RSetting *d) { d->m_iCurResolutionIndex = d->m_listResolution.indexOf(size); }, true);
    QCOMPARE(m_window->videoSize(), size);
    RZoomModel::Step fit {};
    QVERIFY(RZoomModel::fit(m_window->size(), size, 0, &fit));
    QCOMPARE(m_window->view()->transform().m11(), fit.factor);
    // The whole picture is on screen, centred.
    const QRect shown = m_window->view()->mapFromScene(scene->cameraProxy()->sceneBoundingRect()).boundingRect();
    QVERIFY2(m_window->view()->viewport()->rect().adjusted(-2, -2, 2, 2).contains(shown),
             qPrintable(QString("%1,%2 %3x%4").arg(shown.x()).arg(shown.y()).arg(shown.width()).arg(shown.height())));
    QVERIFY(qAbs(shown.center().x() - m_window->view()->viewport()->width() / 2) < 3);
}

// The tool bar only signals; each button must still reach the window's slot,
// and a language switch reaches scene and tool bar.
void TestTavWidget::toolButtonsReachTheWindow()
{
    QVERIFY(openWindow());
    m_window->slotZoom(12); // so that 1:1 has something to undo
    const auto click = [this](const char *name) {
        auto *button = m_window->tools()->findChild<QToolButton *>(name);
        QVERIFY2(button, name);
        QTest::mouseClick(button, Qt::LeftButton);
    };
    QListWidget *list = m_window->imageList()->listWidget();
    const int pictures = list->count();
    click("setSnap");
    QTRY_COMPARE_WITH_TIMEOUT(list->count(), pictures + 1, 10000);
    click("setRotate");
    QTRY_COMPARE(m_window->rotateAngle(), 90);
    click("setCamera11");
    QTRY_COMPARE(m_window->zoomLevel(), 250);
    click("setTracker");
    QTRY_VERIFY(m_window->scene()->trackerProxy()->isVisible());
    click("setStop");
    QTRY_VERIFY(!m_window->scene()->camera()->isRunning());
    click("setWrite");
    QTRY_VERIFY(m_window->drawTemp()->isVisible());
    click("setImageList");
    QTRY_VERIFY(!m_window->imageList()->isVisible());
    // The offscreen platform opens nothing, like a desktop without an opener:
    // the folder button then says so instead of doing nothing.
    click("setFile");
    QTRY_VERIFY(m_window->scene()->notice()->messageText().contains(m_window->imageDir()));
    click("minApp");
    QTRY_VERIFY(!m_window->tools()->isVisible());
    m_window->slotChangeLangue(UiLanguage::English);
    QCOMPARE(m_window->scene()->language(), UiLanguage::English);
    QCOMPARE(m_window->tools()->findChild<QToolButton *>("setSnap")->text(), QString("Snap"));
}

VISORA_TEST_MAIN(TestTavWidget)
#include "tst_tavwidget.moc"
