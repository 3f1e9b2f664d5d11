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
        QTest::newRow("1.0 closes the first band") << 1.0 << 0;
        QTest::newRow("just above 1.0 opens the second") << 1.0001 << 1;
        QTest::newRow("1.25 closes the second band") << 1.25 << 1;
        QTest::newRow("3.5 closes the last band") << 3.5 << 8;
        QTest::newRow("just above 3.5 has no band") << 3.5001 << -1;
        QTest::newRow("not a number has no band") << std::nan("") << -1;
    }

    void scaleBand()
    {
        QFETCH(double, scale);
        QTEST(RPlacement::scaleBand(scale), "band");
    }

    // Interior values only restate the tables; these rows pin the width and
    // band limits and each dialog's anchor. A null point: the default stays.
    // Tool bar dialogs hang from the settings button at x 176; the bar's top is at 970.
    void dialogPos_data()
    {
        QTest::addColumn<bool>("tool");
        QTest::addColumn<int>("dialog");
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPoint>("pos");
        const int top = 970;
        const auto main = [](const char *name, RPlacement::MainDialog d, int width, double scale, QPoint pos) {
            QTest::newRow(name) << false << int(d) << width << scale << pos;
        };
        const auto tool = [](const char *name, RPlacement::ToolDialog d, int width, double scale, QPoint pos) {
            QTest::newRow(name) << true << int(d) << width << scale << pos;
        };
        using P = RPlacement;
        main("capture 1920 at 1.0", P::CaptureSettings, 1920, 1.0, {10, top - 232});
        main("capture 3840 above 3.5 keeps default", P::CaptureSettings, 3840, 3.6, {});
        main("capture 1366 keeps default", P::CaptureSettings, 1366, 1.0, {});
        main("detection 3840 at 3.0", P::DeviceDetection, 3840, 3.0, {50, top - 483});
        main("confirm 1920 at 1.0 hangs from the screen", P::ConfirmExit, 1920, 1.0, {20, 1080 - 245});
        main("confirm 1920 beyond 3.5 still placed", P::ConfirmExit, 1920, 3.6, {20, 1080 - 355});
        main("confirm 2560 at 2.5 keeps default", P::ConfirmExit, 2560, 2.5, {});
        main("watermark 3840 at 2.5", P::Watermark, 3840, 2.5, {10, top - 906});
        main("pen 1920 at 1.0", P::PenSettings, 1920, 1.0, {490, 1080 - 80 - 217});
        tool("language 1920 at 1.0", P::Language, 1920, 1.0, {176, top - 139});
        tool("About 2560 at 2.25", P::About, 2560, 2.25, {176, top - 176});
        tool("PDF maker 3840 at 3.5 at x 10", P::PdfMaker, 3840, 3.5, {10, top - 1029});
        tool("text recognition 1920 at 1.75", P::TextRecognition, 1920, 1.75, {10, top - 548});
    }

    void dialogPos()
    {
        QFETCH(bool, tool);
        QFETCH(int, dialog);
        QFETCH(int, width);
        QFETCH(double, scale);
        QFETCH(QPoint, pos);
        const auto result = tool ? RPlacement::toolDialogPos(RPlacement::ToolDialog(dialog), width, scale, 176, 970)
                                 : RPlacement::mainDialogPos(RPlacement::MainDialog(dialog), width, width * 9 / 16, scale, 970);
        QCOMPARE(result.has_value(), !pos.isNull());
        QCOMPARE(result.value_or(QPoint()), pos);
    }
};

VISORA_TEST_MAIN(TestRPlacement)
#include "tst_rplacement.moc"
