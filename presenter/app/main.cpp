#include "RStartupGuard.h"
#include "RTavWidget.h"

#include <QApplication>
#include <QDebug>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Our camera plugins live beside the program; the multimedia plugin list
    // is read once per process, so this must come before any camera call.
    QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath() + "/plugins");

    RStartupGuard guard;
    guard.pass();

    QTranslator programCatalogue;
    if (programCatalogue.load(QCoreApplication::applicationDirPath() + "/translations/pelnor.qm"))
        app.installTranslator(&programCatalogue);
    QTranslator qtCatalogue;
    if (qtCatalogue.load(QCoreApplication::applicationDirPath() + "/translations/qt_zh_CN.qm"))
        app.installTranslator(&qtCatalogue);

    RTavWidget window;
    window.showFullScreen();
    return app.exec();
}
