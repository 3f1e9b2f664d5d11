#include "VisoraTest.h"

#include "RRecorderLaunch.h"

#include <QElapsedTimer>
#include <QFile>

namespace {

// A stand-in recorder: writes each argument followed by a NUL byte into
// args.bin, prints a line and exits with code 3 after an optional pause.
void writeFakeRecorder(const QString &program, int sleepSeconds)
{
    QDir().mkpath(QFileInfo(program).path());
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("#!/bin/sh\n"
                          "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$(dirname \"$0\")/args.bin\"\n")
               + (sleepSeconds > 0 ? QByteArray("sleep ") + QByteArray::number(sleepSeconds) + "\n" : QByteArray())
               + QByteArray("printf '录像结束 done\\n'\nexit 3\n"));
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser));
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
    void arguments_data();
    void arguments();
    void programPath_data();
    void programPath();
    void run_data();
    void run();
    void missingProgramReturnsAtOnce();
    void waitsForTheRecorder();
};

void TestRRecorderLaunch::arguments_data()
{
    QTest::addColumn<QString>("camera");
    QTest::addColumn<QString>("resolutions");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty list gives 640x480") << "Cam" << "" << QStringList{"KT7306219", "Cam", "640x480"};
    QTest::newRow("only separators give 640x480") << "Cam" << ";;;" << QStringList{"KT7306219", "Cam", "640x480"};
    QTest::newRow("stored list with trailing separator")
        << "Cam" << "3264x2448;1920x1080;640x480;" << QStringList{"KT7306219", "Cam", "3264x2448", "1920x1080", "640x480"};
    QTest::newRow("empty parts skipped") << "Cam" << ";1280x720;;800x600" << QStringList{"KT7306219", "Cam", "1280x720", "800x600"};
    QTest::newRow("single entry without separator") << "Cam" << "1024x768" << QStringList{"KT7306219", "Cam", "1024x768"};
    QTest::newRow("description with spaces and quotes kept whole")
        << "HD \"Doc\" Camera 'A'" << "640x480;" << QStringList{"KT7306219", "HD \"Doc\" Camera 'A'", "640x480"};
    QTest::newRow("non-ASCII description") << "高拍仪 Ü" << "" << QStringList{"KT7306219", "高拍仪 Ü", "640x480"};
}

void TestRRecorderLaunch::arguments()
{
    QFETCH(QString, camera);
    QFETCH(QString, resolutions);
    QFETCH(QStringList, expected);
    QCOMPARE(RRecorderLaunch::arguments(camera, resolutions), expected);
}

void TestRRecorderLaunch::programPath_data()
{
    QTest::addColumn<int>("langue");
    QTest::addColumn<QString>("program");
    QTest::newRow("Chinese") << 0 << "Tolvani/Brisklet";
    QTest::newRow("English") << 1 << "Tolvani/Brisklet_en";
    QTest::newRow("only 1 is English") << 2 << "Tolvani/Brisklet";
}

void TestRRecorderLaunch::programPath()
{
    QFETCH(int, langue);
    QFETCH(QString, program);
    QCOMPARE(RRecorderLaunch::programPath(langue), program);
}

void TestRRecorderLaunch::run_data()
{
    QTest::addColumn<int>("langue");
    QTest::addColumn<QString>("camera");
    QTest::addColumn<QString>("resolutions");
    QTest::newRow("plain") << 0 << "USB Camera" << "1920x1080;640x480;";
    QTest::newRow("English program") << 1 << "USB Camera" << "";
    QTest::newRow("quotes, dollar and semicolons are not a shell's")
        << 0 << "Cam \"x\" $HOME; rm -rf * `id`" << "800x600";
    QTest::newRow("non-ASCII description") << 1 << "高拍仪 Kamera Ü" << "";
    QTest::newRow("empty description still one argument") << 0 << "" << "";
}

void TestRRecorderLaunch::run()
{
    QFETCH(int, langue);
    QFETCH(QString, camera);
    QFETCH(QString, resolutions);
    const QString program = RRecorderLaunch::programPath(langue);
    writeFakeRecorder(program, 0);
    QFile::remove(QFileInfo(program).path() + "/args.bin");
    const QStringList args = RRecorderLaunch::arguments(camera, resolutions);

    const RRecorderLaunch::Result result = RRecorderLaunch::run(program, args);
    QVERIFY(result.started);
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(result.output, QString("录像结束 done\n"));
    QCOMPARE(readArguments(program), args);
}

void TestRRecorderLaunch::missingProgramReturnsAtOnce()
{
    QElapsedTimer clock;
    clock.start();
    const RRecorderLaunch::Result result = RRecorderLaunch::run("Tolvani/NoSuchRecorder", {"KT7306219", "Cam"});
    QVERIFY(!result.started);
    QVERIFY(result.output.isEmpty());
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
}

void TestRRecorderLaunch::waitsForTheRecorder()
{
    const QString program = RRecorderLaunch::programPath(0);
    writeFakeRecorder(program, 2);
    QElapsedTimer clock;
    clock.start();
    const RRecorderLaunch::Result result = RRecorderLaunch::run(program, RRecorderLaunch::arguments("Cam", ""));
    QVERIFY(result.started);
    QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(result.output, QString("录像结束 done\n"));
}

VISORA_TEST_MAIN(TestRRecorderLaunch)
#include "tst_RRecorderLaunch.moc"
