#include "RRecorderLaunch.h"

#include "RPlatform.h"
#include "RSettingsStore.h"

#include <QCoreApplication>
#include <QDebug>
#include <QProcess>
#include <exception>

QString RRecorderLaunch::launchWord()
{
    return QString::fromLatin1(RSettingsStore::application());
}

QString RRecorderLaunch::programPath(UiLanguage langue)
{
    return RPlatform::executableName(langue == UiLanguage::English ? QStringLiteral("Tolvani/Brisklet_en")
                                                 : QStringLiteral("Tolvani/Brisklet"));
}

QStringList RRecorderLaunch::arguments(const QString &cameraDescription, const QString &resolutionList)
{
    QStringList args{launchWord(), cameraDescription};
    const QStringList resolutions = resolutionList.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (resolutions.isEmpty())
        args << QStringLiteral("640x480");
    else
        args << resolutions;
    return args;
}

RRecorderLaunch::Result RRecorderLaunch::run(const QString &program, const QStringList &arguments)
{
    Result result;
    try {
        qInfo() << "RRecorderLaunch::run: program" << program << "arguments" << arguments;
        QProcess process;
        process.start(program, arguments, QIODevice::ReadWrite);
        // A program that cannot start makes the wait return at once.
        result.started = process.waitForStarted(-1);
        if (result.started) {
            // Blocks the GUI thread on purpose: the recorder owns the camera and the
            // screen until it exits, however long the lesson's recording runs.
            process.waitForFinished(-1);
            result.exitCode = process.exitCode();
        } else {
            qInfo() << "RRecorderLaunch::run: not started" << process.errorString();
        }
        result.output = QString::fromLocal8Bit(process.readAllStandardOutput());
        qInfo() << "RRecorderLaunch::run: started" << result.started << "exit code" << result.exitCode
                << "output" << result.output;
        process.kill();
    } catch (const std::exception &e) {
        qInfo() << "RRecorderLaunch::run: catch" << e.what();
    } catch (...) {
        qInfo() << "RRecorderLaunch::run: catch";
    }
    return result;
}

RRecorderLaunch::Result RRecorderLaunch::runStored(UiLanguage langue)
{
    // Beside the program, not the working directory: a menu start runs elsewhere.
    const QString program = QCoreApplication::applicationDirPath() + "/" + programPath(langue);
    return run(program, arguments(RSettingsStore::readString(RSettingsKeys::VideoCamera),
                                  RSettingsStore::readString(RSettingsKeys::VideoRecRess)));
}
