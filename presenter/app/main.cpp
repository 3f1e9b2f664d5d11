#include "RLogFile.h"
#include "RQtCatalogue.h"
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
    RLogFile::install(QStringLiteral("Tavimor"));
    QApplication app(argc, argv);
    qInfo() << "started, process" << QCoreApplication::applicationPid();
    // The desktop matches our windows to the menu entry by this name (and by
    // the window class "Tavimor", the desktop file's StartupWMClass).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.visora.Presenter"));
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
    RQtCatalogue qtCatalogue;

    RTavWidget window;
    qtCatalogue.use(window.language());
    QObject::connect(&window, &RTavWidget::sLanguageChanged, &window,
                     [&qtCatalogue](UiLanguage language) { qtCatalogue.use(language); });
    // Without a window manager the full-screen request alone leaves the
    // default size, so ask for the screen's geometry as well.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->geometry());
    window.showFullScreen();
    return app.exec();
}
