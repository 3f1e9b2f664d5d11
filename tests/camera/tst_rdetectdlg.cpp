#include "VisoraTest.h"

#include "CameraTestSupport.h"
#include "RDetectDlg.h"
#include "RSettingsStore.h"

#include <QSignalSpy>

using namespace CameraTest;

class TestRDetectDlg : public QObject
{
    Q_OBJECT

private slots:
    // Without the stored camera present the supported one is found by its ids.
    void verdicts_data()
    {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QStringList>("formats");
        QTest::addColumn<bool>("knownIds");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<UiLanguage>("language");
        QTest::addColumn<QString>("usedText"); // row 3, as the teacher reads it
        const QStringList both{"jpeg", "yuyv"};
        const UiLanguage zh = UiLanguage::Chinese, en = UiLanguage::English;
        QTest::newRow("found and free") << "Doc Cam" << false << both << true << QList<int>{1, 1, 1, 1} << zh
                                        << "检测完成，摄像头调用正常！";
        QTest::newRow("in use by another program, English") << "Doc Cam" << true << both << true
                                                             << QList<int>{1, 1, 0, 1} << en << "The device has been used.";
        QTest::newRow("no description saved: found by ids") << "" << false << both << true << QList<int>{1, 1, 1, 1} << zh
                                                            << "检测完成，摄像头调用正常！";
        QTest::newRow("another camera saved: found by ids, no JPEG")
            << "Old Cam" << false << QStringList{"yuyv"} << true << QList<int>{1, 0, 1, 1} << zh
            << "检测完成，摄像头调用正常！";
        QTest::newRow("no description saved, unknown ids") << "" << false << both << false << QList<int>{0, 0, 1, 1}
                                                           << zh << "检测完成，摄像头调用正常！";
    }

    void verdicts()
    {
        QFETCH(QString, saved);
        QFETCH(bool, knownIds);
        QFETCH(QList<int>, rows);
        QFETCH(UiLanguage, language);
        Cam c = cam("Doc Cam", knownIds ? "usb#vid_1b17&pid_0501&mi_00" : "usb#vid_0bda&pid_5678&mi_00");
        QFETCH(bool, busy);
        c.busy = busy;
        QFETCH(QStringList, formats);
        c.pixelFormats = formats;
        writeConfig({c});
        RSettingsStore::write(RSettingsKeys::VideoCamera, saved);
        RDetectDlg dlg;
        dlg.setLanguage(language);
        dlg.setStepMs(0);
        QSignalSpy done(&dlg, &RDetectDlg::sDetectFinished);
        dlg.show();
        QVERIFY(done.wait(10000));
        const bool result = rows.at(0) && rows.at(2);
        QCOMPARE(done.at(0).at(0).toBool(), result);
        for (int row = 1; row <= 4; ++row)
            QCOMPARE(dlg.rowVerdict(row), rows.at(row - 1));
        QTEST(dlg.rowText(3), "usedText");
    }

    void closingDuringTheRun()
    {
        writeConfig({cam("Doc Cam")});
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
