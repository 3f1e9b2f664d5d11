#include "VisoraTest.h"

#include "CameraTestSupport.h"
#include "RDetectDlg.h"
#include "RDetectDlgThread.h"
#include "RSettingsStore.h"

#include <QSignalSpy>

using namespace CameraTest;

namespace {
// The document camera, and the settings naming it as the one to check.
void setUp(bool present = true, bool busy = false, const QStringList &formats = {"jpeg", "yuyv"},
           const QString &saved = QStringLiteral("Doc Cam"), bool knownIds = true)
{
    Cam c = cam("Doc Cam", knownIds ? "usb#vid_1b17&pid_0501&mi_00" : "usb#vid_0bda&pid_5678&mi_00", present);
    c.busy = busy;
    c.pixelFormats = formats;
    writeConfig({c});
    RSettingsStore::write(RSettingsKeys::VideoCamera, saved);
}
} // namespace

class TestRDetectDlg : public QObject
{
    Q_OBJECT

private slots:
    void verdicts_data()
    {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QStringList>("formats");
        QTest::addColumn<bool>("knownIds");
        QTest::addColumn<QList<int>>("rows");
        const QStringList both{"jpeg", "yuyv"};
        QTest::newRow("found and free") << "Doc Cam" << true << false << both << true << QList<int>{1, 1, 1, 1};
        QTest::newRow("in use by another program") << "Doc Cam" << true << true << both << true << QList<int>{1, 1, 0, 1};
        // Without a usable stored name the supported camera is found by its ids.
        QTest::newRow("no description saved: found by ids") << "" << true << false << both << true << QList<int>{1, 1, 1, 1};
        QTest::newRow("no description saved, camera busy: found by ids")
            << "" << true << true << both << true << QList<int>{1, 1, 0, 1};
        QTest::newRow("another camera saved: found by ids") << "Old Cam" << true << false << both << true
                                                            << QList<int>{1, 1, 1, 1};
        QTest::newRow("no description saved, unknown ids") << "" << true << false << both << false << QList<int>{0, 0, 1, 1};
        QTest::newRow("saved camera unplugged") << "Doc Cam" << false << false << both << true << QList<int>{0, 0, 1, 1};
    }

    void verdicts()
    {
        QFETCH(QString, saved);
        QFETCH(bool, present);
        QFETCH(bool, busy);
        QFETCH(QStringList, formats);
        QFETCH(bool, knownIds);
        QFETCH(QList<int>, rows);
        setUp(present, busy, formats, saved, knownIds);

        RDetectDlg dlg;
        dlg.setStepMs(0);
        QSignalSpy done(&dlg, &RDetectDlg::sDetectFinished);
        dlg.show();
        QVERIFY(done.wait(10000));
        const bool result = rows.at(0) && rows.at(2);
        QCOMPARE(done.at(0).at(0).toBool(), result);
        QCOMPARE(dlg.result(), result);
        for (int row = 1; row <= 4; ++row)
            QCOMPARE(dlg.rowVerdict(row), rows.at(row - 1));
    }

    void englishTexts()
    {
        setUp(true, true);
        RDetectDlg dlg;
        dlg.setLanguage(1);
        dlg.setStepMs(0);
        QSignalSpy done(&dlg, &RDetectDlg::sDetectFinished);
        dlg.show();
        QVERIFY(done.wait(10000));
        QCOMPARE(dlg.rowText(3), QStringLiteral("The device has been used."));
    }

    void closingDuringTheRun()
    {
        setUp();
        auto *dlg = new RDetectDlg;
        dlg->show(); // real pace: the run takes seconds
        QTRY_VERIFY_WITH_TIMEOUT(dlg->rowText(0).startsWith(QStringLiteral("正在检测，请稍候.")), 3000);
        QElapsedTimer t;
        t.start();
        delete dlg;
        QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    }
};

VISORA_TEST_MAIN(TestRDetectDlg)
#include "tst_rdetectdlg.moc"
