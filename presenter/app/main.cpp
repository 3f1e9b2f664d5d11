#include "RPdfPage.h"
#include "RSettingsStore.h"
#include "RStartupGuard.h"
#include "RTavWidget.h"

#include <QApplication>
#include <QDebug>
#include <QScreen>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Our camera plugins live beside the program; the multimedia plugin list
    // is read once per process, so this must come before any camera call.
    QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath() + "/plugins");

    RStartupGuard guard;
    guard.pass();
    // What a crash left behind: copies of the settings, a page cut short in
    // the lesson's PDF, temporaries in the picture folder.
    RSettingsStore::removeLeftovers();
    RPdfPage::cleanFolder(RSettingsStore::pictureFolder());

    QTranslator programCatalogue;
    if (programCatalogue.load(QCoreApplication::applicationDirPath() + "/translations/pelnor.qm"))
        app.installTranslator(&programCatalogue);
    QTranslator qtCatalogue;
    if (qtCatalogue.load(QCoreApplication::applicationDirPath() + "/translations/qt_zh_CN.qm"))
        app.installTranslator(&qtCatalogue);

    RTavWidget window;
    // Without a window manager the full-screen request alone leaves the
    // default size, so ask for the screen's geometry as well.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->geometry());
    window.showFullScreen();
    return app.exec();
}
