#include "VisoraTest.h"

#include "RCameraImaProDlg.h"

#include <QLabel>
#include <QMouseEvent>
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

    static void sendMouse(QWidget *w, QEvent::Type type, const QPoint &global, Qt::MouseButton button,
                          Qt::MouseButtons buttons)
    {
        QMouseEvent e(type, w->mapFromGlobal(global), global, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
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
        QTest::newRow("saturation at 100 sends 1.0") << 2 << 100 << 1 << 1.0;
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
        // The row's value label shows the slider's whole number.
        const QList<QLabel *> labels = dlg.findChildren<QLabel *>();
        QStringList texts;
        for (QLabel *l : labels)
            texts << l->text();
        QVERIFY(texts.contains(QString::number(dlg.slider(kind)->value())));
    }

    void defaultButton_data()
    {
        QTest::addColumn<QList<int>>("start");
        QTest::addColumn<int>("emitted");
        QTest::newRow("one moved slider sends one zero") << QList<int>{0, 45, 0} << 1;
        QTest::newRow("three moved sliders send three zeros") << QList<int>{-10, 20, 100} << 3;
    }

    void defaultButton()
    {
        QFETCH(QList<int>, start);
        RCameraImaProDlg dlg;
        dlg.changeLanguage(1);
        for (int k = 0; k < 3; ++k)
            dlg.slider(k)->setValue(start.at(k));
        QSignalSpy spy(&dlg, &RCameraImaProDlg::sValChanged);
        QPushButton *reset = button(dlg, "Default");
        QVERIFY(reset);
        reset->click();
        QTEST(spy.count(), "emitted");
        for (const QList<QVariant> &args : spy)
            QCOMPARE(args.at(1).toDouble(), 0.0);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(dlg.slider(k)->value(), 0);
    }

    void initVals_data()
    {
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("c");
        QTest::addColumn<double>("s");
        QTest::addColumn<QList<int>>("sliders");
        QTest::newRow("half brightness shows 50") << 0.5 << 0.0 << 0.0 << QList<int>{50, 0, 0};
        QTest::newRow("truncated toward zero") << 0.999 << -0.257 << 0.011 << QList<int>{99, -25, 1};
        QTest::newRow("out of range stops at the ends") << 1.5 << -3.0 << 0.0 << QList<int>{100, -100, 0};
    }

    void initVals()
    {
        QFETCH(double, b);
        QFETCH(double, c);
        QFETCH(double, s);
        QFETCH(QList<int>, sliders);
        RCameraImaProDlg dlg;
        QSignalSpy spy(&dlg, &RCameraImaProDlg::sValChanged);
        dlg.initVals(b, c, s);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(dlg.slider(k)->value(), sliders.at(k));
        // Showing the camera's values never sends them back to the camera.
        QCOMPARE(spy.count(), 0);
        // A later move still sends.
        dlg.slider(0)->setValue(sliders.at(0) == 0 ? 5 : 0);
        QCOMPARE(spy.count(), 1);
    }

    // Any language but Chinese (0) reads English; the close button hides the dialog.
    void languageAndClose()
    {
        RCameraImaProDlg dlg;
        dlg.changeLanguage(7);
        QStringList shown;
        for (QLabel *l : dlg.findChildren<QLabel *>())
            shown << l->text();
        for (QPushButton *b : dlg.findChildren<QPushButton *>())
            shown << b->text();
        for (const char *t : {"Brightness", "Contrast", "Saturation", "Default", "Close"})
            QVERIFY2(shown.contains(t), qPrintable(t));
        QVERIFY(dlg.windowFlags() & Qt::FramelessWindowHint);
        dlg.show();
        button(dlg, "Close")->click();
        QVERIFY(!dlg.isVisible());
    }

    void placement_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPoint>("pos"); // null: the dialog keeps its place
        QTest::newRow("1920 at 100%") << QSize(1920, 1080) << 1.0 << QPoint(1237, 729);
        QTest::newRow("1920 below 100% uses the first band") << QSize(1920, 1080) << 0.5 << QPoint(1237, 729);
        QTest::newRow("1920 at 200% stays") << QSize(1920, 1080) << 2.0 << QPoint();
        QTest::newRow("2560 at 200%") << QSize(2560, 1440) << 2.0 << QPoint(1687, 1005);
        QTest::newRow("2560 at 250% stays") << QSize(2560, 1440) << 2.5 << QPoint();
        QTest::newRow("3840 at 250%") << QSize(3840, 2160) << 2.5 << QPoint(2597, 1616);
        QTest::newRow("3840 at 350%") << QSize(3840, 2160) << 3.5 << QPoint(2597, 1545);
        QTest::newRow("3840 above 350% stays") << QSize(3840, 2160) << 3.6 << QPoint();
        QTest::newRow("other width stays") << QSize(1366, 768) << 1.0 << QPoint();
    }

    void placement()
    {
        QFETCH(QSize, screen);
        QFETCH(double, scale);
        QFETCH(QPoint, pos);
        QPoint got(-1, -1);
        QCOMPARE(RCameraImaProDlg::placement(screen, scale, &got), !pos.isNull());
        QCOMPARE(got, pos.isNull() ? QPoint(-1, -1) : pos); // untouched when not placed
    }

    void dragging_data()
    {
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<bool>("moves");
        QTest::newRow("left drag moves the dialog") << QPoint(40, 25) << int(Qt::LeftButton) << true;
        QTest::newRow("movement below the drag distance") << QPoint(1, 0) << int(Qt::LeftButton) << false;
        QTest::newRow("right button held does not move") << QPoint(40, 25) << int(Qt::RightButton) << false;
    }

    void dragging()
    {
        QFETCH(QPoint, delta);
        QFETCH(int, buttons);
        QFETCH(bool, moves);
        RCameraImaProDlg dlg;
        dlg.move(100, 100);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QPoint start = dlg.pos();
        const QPoint press = start + QPoint(10, 10);
        sendMouse(&dlg, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
        sendMouse(&dlg, QEvent::MouseMove, press + delta, Qt::NoButton, Qt::MouseButtons(buttons));
        QCOMPARE(dlg.pos(), moves ? start + delta : start);
        sendMouse(&dlg, QEvent::MouseButtonRelease, press + delta, Qt::LeftButton, Qt::NoButton);
        // After the release further movement does nothing.
        const QPoint after = dlg.pos();
        sendMouse(&dlg, QEvent::MouseMove, press + delta * 2, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(dlg.pos(), after);
    }
};

VISORA_TEST_MAIN(TestRCameraImaProDlg)
#include "tst_rcameraimaprodlg.moc"
