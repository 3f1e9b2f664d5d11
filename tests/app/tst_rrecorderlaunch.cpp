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
    // Known sizes, skipping empty parts, are the main window's test.
    void nothingKnownGives640x480()
    {
        QCOMPARE(RRecorderLaunch::arguments("", ""), (QStringList{"KT7306219", "", "640x480"}));
    }

    void run_data()
    {
        QTest::addColumn<UiLanguage>("langue");
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("pause");
        QTest::addColumn<QString>("camera");
        QTest::newRow("shell characters reach it unchanged, waited for")
            << UiLanguage::Chinese << "Tolvani/Brisklet" << true << 2 << "Cam \"x\" $HOME; `id` *";
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
