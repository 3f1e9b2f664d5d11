#include "VisoraTest.h"

#include "RRecorderLaunch.h"

#include <QElapsedTimer>
#include <QFile>

namespace {

// A stand-in recorder: writes each argument and a NUL byte into args.bin
// beside itself, pauses, prints a line and exits with code 3.
void writeFakeRecorder(const QString &program, int pause)
{
    QDir().mkpath(QFileInfo(program).path());
    QFile::remove(QFileInfo(program).path() + "/args.bin");
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$(dirname \"$0\")/args.bin\"\nsleep "
               + QByteArray::number(pause) + "\nprintf '录像结束 done\\n'\nexit 3\n");
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
}

QStringList readArguments(const QString &program)
{
    QFile file(QFileInfo(program).path() + "/args.bin");
    if (!file.open(QIODevice::ReadOnly))
        return {"<not run>"};
    QStringList args;
    for (const QByteArray &part : file.readAll().split('\0'))
        args << QString::fromLocal8Bit(part);
    args.removeLast(); // after the final NUL
    return args;
}

} // namespace

class TestRRecorderLaunch : public QObject
{
    Q_OBJECT
private slots:
    void arguments_data()
    {
        QTest::addColumn<QString>("camera");
        QTest::addColumn<QString>("resolutions");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty list and description give 640x480") << "" << "" << QStringList{"KT7306219", "", "640x480"};
        QTest::newRow("empty parts skipped") << "Cam" << ";1280x720;;800x600" << QStringList{"KT7306219", "Cam", "1280x720", "800x600"};
    }

    void arguments()
    {
        QFETCH(QString, camera);
        QFETCH(QString, resolutions);
        QTEST(RRecorderLaunch::arguments(camera, resolutions), "expected");
    }

    void run_data()
    {
        QTest::addColumn<UiLanguage>("langue");
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("pause");
        QTest::addColumn<QString>("camera");
        const UiLanguage zh = UiLanguage::Chinese;
        QTest::newRow("shell characters reach it unchanged") << zh << "Tolvani/Brisklet" << true << 0 << "Cam \"x\" $HOME; `id` *";
        QTest::newRow("waits until it exits") << zh << "Tolvani/Brisklet" << true << 2 << "Cam";
        QTest::newRow("missing program returns at once") << UiLanguage::English << "Tolvani/Brisklet_en" << false << 0 << "Cam";
    }

    void run()
    {
        QFETCH(UiLanguage, langue);
        QFETCH(QString, program);
        QFETCH(bool, present);
        QFETCH(int, pause);
        QFETCH(QString, camera);
        QCOMPARE(RRecorderLaunch::programPath(langue), program);
        QDir("Tolvani").removeRecursively();
        if (present)
            writeFakeRecorder(program, pause);
        const QStringList args = RRecorderLaunch::arguments(camera, "1920x1080;640x480;");

        QElapsedTimer clock;
        clock.start();
        const RRecorderLaunch::Result result = RRecorderLaunch::run(program, args);
        QVERIFY2(clock.elapsed() >= pause * 1000 - 100, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(present || clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(result.started, present);
        QCOMPARE(result.exitCode, present ? 3 : -1);
        QCOMPARE(result.output, present ? QString("录像结束 done\n") : QString());
        if (present)
            QCOMPARE(readArguments(program), args);
    }
};

VISORA_TEST_MAIN(TestRRecorderLaunch)
#include "tst_rrecorderlaunch.moc"
