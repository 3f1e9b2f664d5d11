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
