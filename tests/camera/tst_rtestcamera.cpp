#include "VisoraTest.h"

#include "CameraTestSupport.h"
#include "RTestCamera.h"

using namespace CameraTest;

class TestRTestCamera : public QObject
{
    Q_OBJECT

private slots:
    // One loop at a time: a run asked for while one goes would only queue up
    // and start again after a pause. Once the loop ended, one new run.
    void claimStart()
    {
        writeConfig({cam("Doc")});
        RTestCamera test;
        test.setDevName("Doc");
        QVERIFY(test.claimStart());
        QVERIFY(!test.claimStart());
        test.setRun(false);
        test.TestDevice(); // one look, then the loop ends
        QVERIFY(!test.isLooping());
        test.setRun(true);
        QVERIFY(test.claimStart());
        QVERIFY(!test.claimStart());
    }
};

VISORA_TEST_MAIN(TestRTestCamera)
#include "tst_rtestcamera.moc"
