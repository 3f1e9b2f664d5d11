#pragma once
// The main window opened and closed the way the app tests need it.

#include "RTavWidget.h"

#include <QCoreApplication>
#include <QTimer>
#include <QtTest>

namespace WindowTest {

// Opens a window on the virtual camera; null when the camera did not open.
inline RTavWidget *open(RTavWidget *&window, const QSize &size = QSize(1280, 720))
{
    window = new RTavWidget;
    window->resize(size);
    window->show();
    if (!QTest::qWaitFor([&] { return window->isCameraOpen(); }, 5000))
        return nullptr;
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
