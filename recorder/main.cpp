#include "RCameraWidgetCV.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
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
