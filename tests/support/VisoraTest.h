#pragma once
// Test entry point that gives every test program its own temporary HOME and
// working directory, so settings and picture folders never touch the real user.

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace VisoraTest {

// The sandbox is created before QApplication, because QSettings caches its
// paths on first use.
struct Sandbox {
    QTemporaryDir home;
    QString work;
    Sandbox()
    {
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", QByteArray(home.path().toUtf8() + "/.config"));
        qputenv("XDG_DATA_HOME", QByteArray(home.path().toUtf8() + "/.local/share"));
        qputenv("XDG_CACHE_HOME", QByteArray(home.path().toUtf8() + "/.cache"));
        qputenv("XDG_STATE_HOME", QByteArray(home.path().toUtf8() + "/.local/state"));
        qputenv("XDG_PICTURES_DIR", QByteArray(home.path().toUtf8() + "/Pictures"));
        qunsetenv("VISORA_VIRTUAL_CAMERA");
        work = home.path() + "/work";
        QDir().mkpath(work);
        QDir::setCurrent(work);
    }
};

inline QString dataPath(const QString &name)
{
    return QString::fromLocal8Bit(qgetenv("VISORA_TEST_DATA")) + "/" + name;
}

} // namespace VisoraTest

#define VISORA_TEST_MAIN(TestObject)                                   \
    int main(int argc, char *argv[])                                    \
    {                                                                   \
        VisoraTest::Sandbox sandbox;                                    \
        QStandardPaths::setTestModeEnabled(true);                       \
        QApplication app(argc, argv);                                   \
        app.setAttribute(Qt::AA_Use96Dpi, true);                        \
        TestObject tc;                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                      \
        return QTest::qExec(&tc, argc, argv);                           \
    }
