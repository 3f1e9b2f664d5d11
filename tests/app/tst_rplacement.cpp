#include "VisoraTest.h"

#include "RPlacement.h"

#include <cmath>

class TestRPlacement : public QObject
{
    Q_OBJECT
private slots:
    void scaleBand_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("band");
        QTest::newRow("below 1 is the first band") << 0.5 << 0;
        QTest::newRow("1.0 closes the first band") << 1.0 << 0;
        QTest::newRow("just above 1.0 opens the second") << 1.0001 << 1;
        QTest::newRow("1.25 closes the second band") << 1.25 << 1;
        QTest::newRow("just above 1.25") << 1.2501 << 2;
        QTest::newRow("3.0 is in (2.5, 3.0]") << 3.0 << 7;
        QTest::newRow("3.5 closes the last band") << 3.5 << 8;
        QTest::newRow("just above 3.5 has no band") << 3.5001 << -1;
        QTest::newRow("not a number has no band") << std::nan("") << -1;
    }

    void scaleBand()
    {
        QFETCH(double, scale);
        QFETCH(int, band);
        QCOMPARE(RPlacement::scaleBand(scale), band);
    }

    void mainDialogPos_data()
    {
        QTest::addColumn<int>("dialog");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("toolBarTop");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QPoint>("pos");

        const int top = 970;
        QTest::newRow("capture 1920 at 1.0") << int(RPlacement::CaptureSettings) << 1920 << 1080 << 1.0 << top << true << QPoint(10, top - 232);
        QTest::newRow("capture 1920 at 1.25") << int(RPlacement::CaptureSettings) << 1920 << 1080 << 1.25 << top << true << QPoint(10, top - 266);
        QTest::newRow("capture 1920 just above 1.25") << int(RPlacement::CaptureSettings) << 1920 << 1080 << 1.26 << top << true << QPoint(10, top - 315);
        QTest::newRow("capture 1920 at 2.0 keeps default") << int(RPlacement::CaptureSettings) << 1920 << 1080 << 2.0 << top << false << QPoint();
        QTest::newRow("capture 2560 at 2.25") << int(RPlacement::CaptureSettings) << 2560 << 1440 << 2.25 << top << true << QPoint(10, top - 437);
        QTest::newRow("capture 2560 above 2.25 keeps default") << int(RPlacement::CaptureSettings) << 2560 << 1440 << 2.3 << top << false << QPoint();
        QTest::newRow("capture 3840 at 3.5") << int(RPlacement::CaptureSettings) << 3840 << 2160 << 3.5 << top << true << QPoint(10, top - 663);
        QTest::newRow("capture 3840 above 3.5 keeps default") << int(RPlacement::CaptureSettings) << 3840 << 2160 << 3.6 << top << false << QPoint();
        QTest::newRow("capture 1366 keeps default") << int(RPlacement::CaptureSettings) << 1366 << 768 << 1.0 << top << false << QPoint();
        QTest::newRow("detection 3840 at 3.0") << int(RPlacement::DeviceDetection) << 3840 << 2160 << 3.0 << top << true << QPoint(50, top - 483);
        QTest::newRow("detection 1366 keeps default") << int(RPlacement::DeviceDetection) << 1366 << 768 << 1.25 << top << false << QPoint();
        QTest::newRow("confirm 1920 at 1.0 hangs from the screen") << int(RPlacement::ConfirmExit) << 1920 << 1080 << 1.0 << top << true << QPoint(20, 1080 - 245);
        QTest::newRow("confirm 1920 in (2.0, 3.0]") << int(RPlacement::ConfirmExit) << 1920 << 1080 << 2.6 << top << true << QPoint(20, 1080 - 335);
        QTest::newRow("confirm 1920 above 3.0") << int(RPlacement::ConfirmExit) << 1920 << 1080 << 3.2 << top << true << QPoint(20, 1080 - 355);
        QTest::newRow("confirm 2560 at 2.5 keeps default") << int(RPlacement::ConfirmExit) << 2560 << 1440 << 2.5 << top << false << QPoint();
        QTest::newRow("confirm 3840 at 2.25") << int(RPlacement::ConfirmExit) << 3840 << 2160 << 2.25 << top << true << QPoint(20, 2160 - 412);
        QTest::newRow("watermark 3840 at 2.5") << int(RPlacement::Watermark) << 3840 << 2160 << 2.5 << top << true << QPoint(10, top - 906);
        QTest::newRow("watermark 1920 at 1.75") << int(RPlacement::Watermark) << 1920 << 1080 << 1.75 << top << true << QPoint(10, top - 766);
        QTest::newRow("pen 1920 at 1.0") << int(RPlacement::PenSettings) << 1920 << 1080 << 1.0 << top << true << QPoint(490, 1080 - 80 - 217);
        QTest::newRow("pen 2560 at 2.25") << int(RPlacement::PenSettings) << 2560 << 1440 << 2.25 << top << true << QPoint(706, 1440 - 106 - 297);
        QTest::newRow("pen 3840 at 3.5") << int(RPlacement::PenSettings) << 3840 << 2160 << 3.5 << top << true << QPoint(1130, 2160 - 160 - 381);
        QTest::newRow("pen 1366 keeps default") << int(RPlacement::PenSettings) << 1366 << 768 << 1.0 << top << false << QPoint();
    }

    void mainDialogPos()
    {
        QFETCH(int, dialog);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, scale);
        QFETCH(int, toolBarTop);
        QFETCH(bool, moved);
        QFETCH(QPoint, pos);
        const auto result = RPlacement::mainDialogPos(RPlacement::MainDialog(dialog), width, height, scale, toolBarTop);
        QCOMPARE(result.has_value(), moved);
        if (moved)
            QCOMPARE(*result, pos);
    }

    void toolDialogPos_data()
    {
        QTest::addColumn<int>("dialog");
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QPoint>("pos");

        // Settings button at x 176 within the tool bar, tool bar top at 970.
        QTest::newRow("language 1920 at 1.0") << int(RPlacement::Language) << 1920 << 1.0 << true << QPoint(176, 970 - 139);
        QTest::newRow("language 3840 at 3.5") << int(RPlacement::Language) << 3840 << 3.5 << true << QPoint(176, 970 - 394);
        QTest::newRow("language 1920 at 2.0 keeps default") << int(RPlacement::Language) << 1920 << 2.0 << false << QPoint();
        QTest::newRow("About 2560 at 2.25") << int(RPlacement::About) << 2560 << 2.25 << true << QPoint(176, 970 - 176);
        QTest::newRow("About 2560 just above 1.0") << int(RPlacement::About) << 2560 << 1.01 << true << QPoint(176, 970 - 124);
        QTest::newRow("PDF maker 3840 at 3.5 at x 10") << int(RPlacement::PdfMaker) << 3840 << 3.5 << true << QPoint(10, 970 - 1029);
        QTest::newRow("PDF maker above 3.5 keeps default") << int(RPlacement::PdfMaker) << 3840 << 3.51 << false << QPoint();
        QTest::newRow("text recognition 1920 at 1.75") << int(RPlacement::TextRecognition) << 1920 << 1.75 << true << QPoint(10, 970 - 548);
        QTest::newRow("text recognition 1366 keeps default") << int(RPlacement::TextRecognition) << 1366 << 1.0 << false << QPoint();
    }

    void toolDialogPos()
    {
        QFETCH(int, dialog);
        QFETCH(int, width);
        QFETCH(double, scale);
        QFETCH(bool, moved);
        QFETCH(QPoint, pos);
        const auto result = RPlacement::toolDialogPos(RPlacement::ToolDialog(dialog), width, scale, 176, 970);
        QCOMPARE(result.has_value(), moved);
        if (moved)
            QCOMPARE(*result, pos);
    }
};

VISORA_TEST_MAIN(TestRPlacement)
#include "tst_rplacement.moc"
