#include "VisoraTest.h"

#include "RCameraImaProDlg.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>

class TestRCameraImaProDlg : public QObject
{
    Q_OBJECT

    static QPushButton *button(RCameraImaProDlg &dlg, const QString &text)
    {
        for (QPushButton *b : dlg.findChildren<QPushButton *>())
            if (b->text() == text)
                return b;
        return nullptr;
    }

private slots:
    void sliderSends_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("emitted");
        QTest::addColumn<double>("sent");
        QTest::newRow("brightness at -100 sends -1.0") << 0 << -100 << 1 << -1.0;
        QTest::newRow("contrast at 37 sends 0.37") << 1 << 37 << 1 << 0.37;
        QTest::newRow("beyond the range stops at 100") << 0 << 250 << 1 << 1.0;
        QTest::newRow("unchanged value sends nothing") << 1 << 0 << 0 << 0.0;
    }

    void sliderSends()
    {
        QFETCH(int, kind);
        QFETCH(int, value);
        QFETCH(int, emitted);
        RCameraImaProDlg dlg;
        QSignalSpy spy(&dlg, &RCameraImaProDlg::sValChanged);
        dlg.slider(kind)->setValue(value);
        QCOMPARE(spy.count(), emitted);
        if (emitted) {
            QCOMPARE(spy.at(0).at(0).toInt(), kind);
            QTEST(spy.at(0).at(1).toDouble(), "sent");
        }
    }

    // Each moved slider sends one zero.
    void defaultButton()
    {
        RCameraImaProDlg dlg;
        dlg.slider(0)->setValue(-10);
        dlg.slider(2)->setValue(100);
        QSignalSpy spy(&dlg, &RCameraImaProDlg::sValChanged);
        // Any language but Chinese (0) reads English.
        dlg.changeLanguage(7);
        QPushButton *reset = button(dlg, "Default");
        QVERIFY(reset);
        reset->click();
        QCOMPARE(spy.count(), 2);
        for (const QList<QVariant> &args : spy)
            QCOMPARE(args.at(1).toDouble(), 0.0);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(dlg.slider(k)->value(), 0);
    }

    // The camera's values shown, cut toward zero and at the ends of the range,
    // are never sent back; a later move still sends.
    void initVals()
    {
        RCameraImaProDlg dlg;
        QSignalSpy spy(&dlg, &RCameraImaProDlg::sValChanged);
        dlg.initVals(1.5, -0.257, 0.011);
        QCOMPARE(dlg.slider(0)->value(), 100);
        QCOMPARE(dlg.slider(1)->value(), -25);
        QCOMPARE(dlg.slider(2)->value(), 1);
        QCOMPARE(spy.count(), 0);
        dlg.slider(0)->setValue(0);
        QCOMPARE(spy.count(), 1);
    }

};

VISORA_TEST_MAIN(TestRCameraImaProDlg)
#include "tst_rcameraimaprodlg.moc"
