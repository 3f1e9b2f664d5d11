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

private slots:
    void presence_data()
    {
        QTest::addColumn<QList<Cam>>("cams");
        QTest::addColumn<QList<int>>("firstRun");
        const Cam doc = cam("Doc"), other = cam("Other", "usb#other"), unplugged = cam("Doc", "usb#doc", false);
        QTest::newRow("present device") << QList<Cam>{doc} << QList<int>{1};
        QTest::newRow("unplugged device") << QList<Cam>{unplugged} << QList<int>{0};
        QTest::newRow("other device only") << QList<Cam>{other} << QList<int>{0};
        QTest::newRow("two devices with the description") << QList<Cam>{doc, other, cam("Doc", "usb#doc2")} << QList<int>{1, 1};
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

    void claimStart()
    {
        writeConfig({cam("Doc")});
        Worker w(this, "Doc");
        QVERIFY(w.test->claimStart());
        w.run();
        QTRY_VERIFY_WITH_TIMEOUT(!w.results.isEmpty(), 3000);
        QVERIFY(!w.test->claimStart()); // a running worker is not started twice
        w.test->setRun(false);
        QTRY_VERIFY_WITH_TIMEOUT(!w.test->isLooping(), 1000);
        // Once the loop ended a new run may be asked for, once.
        w.test->setRun(true);
        QVERIFY(w.test->claimStart());
        QVERIFY(!w.test->claimStart());
    }
};


VISORA_TEST_MAIN(TestRTestCamera)
#include "tst_rtestcamera.moc"
