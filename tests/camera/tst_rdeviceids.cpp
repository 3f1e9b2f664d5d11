#include "VisoraTest.h"

#include "RDeviceIds.h"

#include <QFile>

class TestRDeviceIds : public QObject
{
    Q_OBJECT

    QTemporaryDir m_sys;

    // A sysfs-like tree: class/video4linux/<node>/device -> the USB
    // interface folder, whose parent holds the id files.
    void addNode(const QString &node, const QString &vendor, const QString &product)
    {
        const QString usb = m_sys.path() + "/devices/usb1/" + node;
        QDir().mkpath(usb + "/1-1:1.0");
        auto writeFile = [](const QString &path, const QString &text) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text.toLatin1());
        };
        writeFile(usb + "/idVendor", vendor);
        writeFile(usb + "/idProduct", product);
        const QString cls = m_sys.path() + "/class/video4linux/" + node;
        QDir().mkpath(cls);
        QVERIFY(QFile::link(usb + "/1-1:1.0", cls + "/device"));
    }

private slots:
    void initTestCase()
    {
        RDeviceIds::setSysfsRoot(m_sys.path());
        addNode("video0", "1b17\n", "0501\n");
        addNode("video4", "zz\n", "12345678\n");
    }

    void ids_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("vid");
        QTest::addColumn<QString>("pid");
        QTest::newRow("tagged name ignores sysfs") << "usb#vid_1e4e&pid_0810&mi_00" << "1e4e" << "0810";
        QTest::newRow("video node reads the USB device") << "/dev/video0" << "1b17" << "0501";
        QTest::newRow("malformed attributes fall back to the name rule") << "/dev/video4" << "v/vi" << "v/vi";
        QTest::newRow("unknown node falls back to the name rule") << "/dev/video9" << "v/vi" << "v/vi";
        QTest::newRow("not a video node: trailing text") << "/dev/video0x" << "v/vi" << "v/vi";
        QTest::newRow("tag at the end, the other from position 3") << "usb#vid_" << "" << "#vid";
    }

    void ids()
    {
        QFETCH(QString, name);
        QTEST(RDeviceIds::vendorId(name), "vid");
        QTEST(RDeviceIds::productId(name), "pid");
    }
};

VISORA_TEST_MAIN(TestRDeviceIds)
#include "tst_rdeviceids.moc"
