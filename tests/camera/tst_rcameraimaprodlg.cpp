#include "VisoraTest.h"

#include "RCameraImaProDlg.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>

class TestRCameraImaProDlg : public QObject
{
    Q_OBJECT
private slots:
    void sliderSends_data()
    {
        QTest::addColumn<PictureAdjust>("kind");
        QTest::addColumn<int>("value");
        QTest::addColumn<double>("sent");
        QTest::newRow("brightness at -100 sends -1.0") << PictureAdjust::Brightness << -100 << -1.0;
        QTest::newRow("contrast at 37 sends 0.37") << PictureAdjust::Contrast << 37 << 0.37;
        QTest::newRow("saturation beyond the range stops at 100") << PictureAdjust::Saturation << 250 << 1.0;
    }

    void sliderSends()
    {
        QFETCH(PictureAdjust, kind);
        QFETCH(int, value);
        RCameraImaProDlg dlg;
        QSignalSpy spy(&dlg, &RCameraImaProDlg::sValChanged);
        dlg.slider(kind)->setValue(value);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<PictureAdjust>(), kind);
        QTEST(spy.at(0).at(1).toDouble(), "sent");
    }

    // Each moved slider sends one zero.
    void defaultButton()
    {
        RCameraImaProDlg dlg;
        dlg.slider(PictureAdjust::Brightness)->setValue(-10);
        dlg.slider(PictureAdjust::Saturation)->setValue(100);
        QSignalSpy spy(&dlg, &RCameraImaProDlg::sValChanged);
        dlg.changeLanguage(UiLanguage::English);
        for (QPushButton *b : dlg.findChildren<QPushButton *>())
            if (b->text() == "Default")
                b->click();
        QCOMPARE(spy.count(), 2);
        for (const QList<QVariant> &args : spy)
            QCOMPARE(args.at(1).toDouble(), 0.0);
    }

    // The camera's values shown, cut toward zero and at the ends of the range,
    // are never sent back; a later move still sends.
    void initVals()
    {
        RCameraImaProDlg dlg;
        QSignalSpy spy(&dlg, &RCameraImaProDlg::sValChanged);
        dlg.initVals(1.5, -0.257, 0.011);
        QCOMPARE(dlg.slider(PictureAdjust::Brightness)->value(), 100);
        QCOMPARE(dlg.slider(PictureAdjust::Contrast)->value(), -25);
        QCOMPARE(dlg.slider(PictureAdjust::Saturation)->value(), 1);
        QCOMPARE(spy.count(), 0);
        dlg.slider(PictureAdjust::Brightness)->setValue(0);
        QCOMPARE(spy.count(), 1);
    }

};

VISORA_TEST_MAIN(TestRCameraImaProDlg)
#include "tst_rcameraimaprodlg.moc"
