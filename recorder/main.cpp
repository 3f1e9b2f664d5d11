#include "RCameraWidgetCV.h"
#include "RLogFile.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // Both languages are one program with one log.
    RLogFile::install(QStringLiteral("Brisklet"));
    QApplication app(argc, argv);
    qInfo() << "started, process" << QCoreApplication::applicationPid();
    // The recorder is part of the presenter's menu entry: the desktop matches
    // its window by the desktop file name and by the class "Tavimor" (the
    // entry's StartupWMClass). The instance name stays the program's own.
    QCoreApplication::setApplicationName(QStringLiteral("Tavimor"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.visora.Presenter"));
    // The presenter's plugins (cameras among them) live beside its program folder.
    app.addLibraryPath(QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../plugins")));
#ifdef BRISKLET_ENGLISH
    const UiLanguage langue = UiLanguage::English;
#else
    const bool english = QFileInfo(QCoreApplication::applicationFilePath()).baseName().endsWith(QLatin1String("_en"));
    const UiLanguage langue = english ? UiLanguage::English : UiLanguage::Chinese;
#endif
    // Qt's own texts in Chinese only for the Chinese recorder; Debian's catalogue.
    QTranslator qtCatalogue;
    if (langue == UiLanguage::Chinese && qtCatalogue.load(QStringLiteral("qt_zh_CN"), QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtCatalogue);
    RCameraWidgetCV window(langue);
    window.initData(argc, argv);
    window.show();
    return app.exec();
}
