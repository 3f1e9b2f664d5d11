#pragma once
// The main window opened and closed the way the app tests need it, on a
// virtual camera that shows the sample page.

#include "RTavWidget.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTimer>
#include <QtTest>

namespace WindowTest {

// The virtual camera from `json`: 1280x720 of the sample page, or with
// `marks` of the sync pattern.
inline void useCamera(const QString &json, bool marks = false)
{
    const QString page = qEnvironmentVariable("VISORA_SOURCE_DIR") + "/virtualcam/sample/page.png";
    const QJsonObject camera{{"description", "Class Camera"}, {"deviceName", "usb#vid_1b17&pid_0501&mi_00#6&2&0&0000"},
                             {"resolutions", QJsonArray{"1280x720"}}, {"pixelFormats", QJsonArray{"jpeg"}}, {"fps", 30},
                             {"source", marks ? QStringLiteral("pattern") : page}, {"syncMarks", marks}};
    QSaveFile f(json);
    f.open(QIODevice::WriteOnly);
    f.write(QJsonDocument(QJsonObject{{"cameras", QJsonArray{camera}}}).toJson());
    f.commit();
    qputenv("VISORA_VIRTUAL_CAMERA", json.toUtf8());
}

// Opens a window on the virtual camera and lets its first pictures arrive;
// null when the camera did not open.
inline RTavWidget *open(RTavWidget *&window)
{
    window = new RTavWidget;
    window->resize(1280, 720);
    window->show();
    if (!QTest::qWaitFor([&] { return window->isCameraOpen(); }, 5000))
        return nullptr;
    QTest::qWait(500);
    return window;
}

// Closing asks the application to exit, which makes every later modal loop
// return at once; a short main loop clears that for the next test.
inline void close(RTavWidget *&window)
{
    if (window) {
        window->closeTavNoConfirm();
        delete window;
        window = nullptr;
    }
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

} // namespace WindowTest
