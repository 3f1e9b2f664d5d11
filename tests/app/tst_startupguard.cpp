#include "RStartupGuard.h"
#include "VisoraTest.h"

#include <QElapsedTimer>
#include <QProcess>
#include <iostream>

// The test starts itself with --hold to play an instance that is already
// running, with the runtime folder of the user it plays.
class TestStartupGuard : public QObject
{
    Q_OBJECT
private slots:
    void start_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<bool>("delayed");
        QTest::newRow("first instance starts at once") << "none" << false;
        QTest::newRow("second instance of the same user is delayed") << "same user" << true;
        QTest::newRow("another user's instance does not delay") << "other user" << false;
        QTest::newRow("crashed instance does not delay") << "crashed" << false;
    }

    void start()
    {
        QFETCH(QString, holder);
        QFETCH(bool, delayed);
        QTemporaryDir mine, theirs;
        qputenv("XDG_RUNTIME_DIR", mine.path().toLocal8Bit());

        QProcess other;
        if (holder != "none") {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("XDG_RUNTIME_DIR", holder == "other user" ? theirs.path() : mine.path());
            other.setProcessEnvironment(env);
            other.start(QCoreApplication::applicationFilePath(), {"--hold"});
            QVERIFY(other.waitForStarted(5000));
            while (!other.canReadLine())
                QVERIFY(other.waitForReadyRead(5000));
            QCOMPARE(other.readLine().trimmed(), QByteArray("held"));
            if (holder == "crashed") {
                other.kill();
                QVERIFY(other.waitForFinished(5000));
            }
        }

        RStartupGuard guard;
        QElapsedTimer t;
        t.start();
        QCOMPARE(guard.pass(2), delayed);
        QCOMPARE(guard.holdsLock(), !delayed);
        if (delayed)
            QVERIFY(t.elapsed() >= 1900);
        else
            QVERIFY2(t.elapsed() < 1500, qPrintable(QString::number(t.elapsed())));

        if (other.state() != QProcess::NotRunning) {
            other.closeWriteChannel();
            QVERIFY(other.waitForFinished(5000));
            QCOMPARE(other.exitCode(), 0);
        }
    }
};

int main(int argc, char *argv[])
{
    if (argc == 2 && QByteArray(argv[1]) == "--hold") {
        QCoreApplication app(argc, argv);
        RStartupGuard guard;
        guard.pass(0);
        std::cout << (guard.holdsLock() ? "held" : "not-held") << std::endl;
        // Hold until the test closes our input.
        std::string line;
        while (std::getline(std::cin, line)) {
        }
        return 0;
    }
    VisoraTest::Sandbox sandbox;
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    TestStartupGuard tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_startupguard.moc"
