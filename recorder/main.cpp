#include "RCameraWidgetCV.h"
#include "RLogFile.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

int main(int argc, char *argv[])
{
    // Both languages are one program with one log.
    RLogFile::install(QStringLiteral("Brisklet"));
    QApplication app(argc, argv);
    qInfo() << "started, process" << QCoreApplication::applicationPid();
    // The presenter's plugins (cameras among them) live beside its program folder.
    app.addLibraryPath(QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../plugins")));
#ifdef BRISKLET_ENGLISH
    const int langue = 1;
#else
    const int langue = QFileInfo(QCoreApplication::applicationFilePath()).baseName().endsWith(QLatin1String("_en")) ? 1 : 0;
#endif
    RCameraWidgetCV window(langue);
    window.initData(argc, argv);
    window.show();
    return app.exec();
}
