#include "VisoraTest.h"

#include "CameraTestSupport.h"
#include "RTestCamera.h"

#include <QThread>

using namespace CameraTest;

class TestRTestCamera : public QObject
{
    Q_OBJECT

    struct Worker
    {
        QThread thread;
        RTestCamera *test = new RTestCamera;
        QList<QPair<QString, int>> results;
        Worker(QObject *context, const QString &name)
        {
            test->setDevName(name);
            QObject::connect(test, &RTestCamera::response, context,
                             [this](QString n, int e) { results << qMakePair(n, e); });
            thread.start();
            test->moveToThread(&thread);
        }
        void run()
        {
            QMetaObject::invokeMethod(test, &RTestCamera::TestDevice, Qt::QueuedConnection);
        }
        ~Worker()
        {
            test->setRun(false);
            thread.quit();
            thread.wait();
            delete test;
        }
    };

    static Cam cam(const QString &d, bool present = true, int unit = 0)
    {
        Cam c;
        c.description = d;
        c.deviceName = "usb#vid_1b17&pid_0501#" + d + QString::number(unit);
        c.present = present;
        return c;
    }

private slots:
    void presence_data()
    {
        QTest::addColumn<QList<Cam>>("cams");
        QTest::addColumn<QList<int>>("firstRun");
        QTest::newRow("present device") << QList<Cam>{cam("Doc")} << QList<int>{1};
        QTest::newRow("unplugged device") << QList<Cam>{cam("Doc", false)} << QList<int>{0};
        QTest::newRow("other device only") << QList<Cam>{cam("Other")} << QList<int>{0};
        QTest::newRow("two devices with the description") << QList<Cam>{cam("Doc"), cam("Other"), cam("Doc", true, 1)}
                                                          << QList<int>{1, 1};
    }

    void presence()
    {
        QFETCH(QList<Cam>, cams);
        QFETCH(QList<int>, firstRun);
        writeConfig(cams);
        Worker w(this, "Doc");
        w.test->setRun(false); // one pass, then return
        w.run();
        QTRY_COMPARE_WITH_TIMEOUT(w.results.size(), firstRun.size(), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(!w.test->isLooping(), 3000);
        QTest::qWait(50);
        QCOMPARE(w.results.size(), firstRun.size());
        for (int i = 0; i < firstRun.size(); ++i) {
            QCOMPARE(w.results.at(i).first, QStringLiteral("Doc"));
            QCOMPARE(w.results.at(i).second, firstRun.at(i));
        }
    }

    void claimStart_data()
    {
        QTest::addColumn<bool>("runFirst");
        QTest::newRow("idle worker can be started") << false;
        QTest::newRow("running worker is not started twice") << true;
    }

    void claimStart()
    {
        QFETCH(bool, runFirst);
        writeConfig({cam("Doc")});
        Worker w(this, "Doc");
        if (runFirst) {
            QVERIFY(w.test->claimStart());
            w.run();
            QTRY_VERIFY_WITH_TIMEOUT(!w.results.isEmpty(), 3000);
            QVERIFY(!w.test->claimStart());
            w.test->setRun(false);
            QTRY_VERIFY_WITH_TIMEOUT(!w.test->isLooping(), 1000);
            // Once the loop ended a new run may be asked for.
            w.test->setRun(true);
        }
        QVERIFY(w.test->claimStart());
        QVERIFY(!w.test->claimStart());
    }
};


VISORA_TEST_MAIN(TestRTestCamera)
#include "tst_rtestcamera.moc"
