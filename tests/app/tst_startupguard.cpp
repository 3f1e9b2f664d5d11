#include "RStartupGuard.h"
#include "VisoraTest.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QUuid>
#include <iostream>

// Two processes: the test starts itself with --hold to play the running
// instance, then starts its own guard with the same keys.
class TestStartupGuard : public QObject
{
    Q_OBJECT
    static QString uniqueKey(const char *what)
    {
        return QString("VisoraTest-%1-%2").arg(what, QUuid::createUuid().toString(QUuid::WithoutBraces));
    }

    // Plays the running instance in a second process; true once it holds the marker.
    static bool startHolder(QProcess &holder, const QString &sem, const QString &marker)
    {
        holder.setProgram(QCoreApplication::applicationFilePath());
        holder.setArguments({"--hold", sem, marker});
        holder.start();
        if (!holder.waitForStarted(5000))
            return false;
        while (!holder.canReadLine()) {
            if (!holder.waitForReadyRead(5000))
                return false;
        }
        return holder.readLine().trimmed() == "held";
    }

    // A start that is neither delayed nor told another instance runs.
    static void passesAtOnce(const QString &sem, const QString &marker)
    {
        RStartupGuard guard(sem, marker);
        QElapsedTimer t;
        t.start();
        QVERIFY(!guard.pass(2));
        QVERIFY(guard.holdsMarker());
        QVERIFY(t.elapsed() < 1500);
    }

private slots:
    void firstInstanceIsNotDelayed() { passesAtOnce(uniqueKey("sem"), uniqueKey("mark")); }

    void secondInstanceIsDelayedNotRefused()
    {
        const QString sem = uniqueKey("sem"), marker = uniqueKey("mark");
        QProcess holder;
        QVERIFY(startHolder(holder, sem, marker));
        RStartupGuard guard(sem, marker);
        QElapsedTimer t;
        t.start();
        QVERIFY(guard.pass(2));
        QVERIFY(t.elapsed() >= 1900);
        QVERIFY(!guard.holdsMarker());
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(5000));
        QCOMPARE(holder.exitCode(), 0);
        // With the running instance gone, the next start is immediate again.
        passesAtOnce(sem, marker);
    }

    void crashedInstanceDoesNotDelayLaterStarts()
    {
        const QString sem = uniqueKey("sem"), marker = uniqueKey("mark");
        QProcess holder;
        QVERIFY(startHolder(holder, sem, marker));
        holder.kill();
        QVERIFY(holder.waitForFinished(5000));
        passesAtOnce(sem, marker);
    }
};

int main(int argc, char *argv[])
{
    if (argc == 4 && QByteArray(argv[1]) == "--hold") {
        QCoreApplication app(argc, argv);
        RStartupGuard guard(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        guard.pass(0);
        std::cout << (guard.holdsMarker() ? "held" : "not-held") << std::endl;
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
