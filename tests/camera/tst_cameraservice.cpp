#include "RCameraGuard.h"
#include "VisoraTest.h"

#include <QLibraryInfo>
#include <QProcess>
#include <iostream>

// Qt's camera service for real cameras (GStreamer's camerabin) must load on a
// machine set up by scripts/install-deps.sh, even with no camera attached, and
// its absence must be noticed. GStreamer reads its plugins once per process,
// so each case asks a child process with its own GStreamer set-up.
class TestCameraService : public QObject
{
    Q_OBJECT

private slots:
    void realCameraService_data()
    {
        QTest::addColumn<bool>("withCamerabin");
        QTest::addColumn<bool>("loads");
        QTest::newRow("installed GStreamer plugins") << true << true;
        QTest::newRow("GStreamer without camerabin") << false << false;
    }

    void realCameraService()
    {
        QFETCH(bool, withCamerabin);
        QTemporaryDir gst;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("GST_REGISTRY_1_0", gst.filePath("registry.bin"));
        if (!withCamerabin) {
            // Every installed plugin but the one holding camerabin.
            const QDir system(QLibraryInfo::location(QLibraryInfo::LibrariesPath) + "/gstreamer-1.0");
            QVERIFY2(system.exists("libgstcamerabin.so"), "gstreamer1.0-plugins-bad is not installed");
            QDir().mkpath(gst.filePath("plugins"));
            for (const QString &name : system.entryList({"*.so"}, QDir::Files)) {
                if (name != "libgstcamerabin.so")
                    QVERIFY(QFile::link(system.filePath(name), gst.filePath("plugins/" + name)));
            }
            env.insert("GST_PLUGIN_SYSTEM_PATH_1_0", gst.filePath("plugins"));
        }
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"--services"});
        QVERIFY(child.waitForFinished(120000));
        QCOMPARE(child.exitCode(), 0);
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        // The system's plugin is always listed; only its service depends on camerabin.
        QVERIFY2(out.contains("libgstcamerabin.so="), qPrintable("Qt's GStreamer camera plugin not found: " + out));
        QTEST(out.contains("libgstcamerabin.so=1"), "loads");
        QCOMPARE(out.contains("missing=1"), !withCamerabin);
    }
};

int main(int argc, char *argv[])
{
    if (argc == 2 && QByteArray(argv[1]) == "--services") {
        QCoreApplication app(argc, argv);
        const QMap<QString, bool> services = RCameraGuard::cameraServices();
        for (auto it = services.cbegin(); it != services.cend(); ++it)
            std::cout << qPrintable(it.key()) << "=" << it.value() << "\n";
        std::cout << "missing=" << RCameraGuard::serviceMissing() << std::endl;
        return 0;
    }
    VisoraTest::Sandbox sandbox;
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    TestCameraService tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_cameraservice.moc"
