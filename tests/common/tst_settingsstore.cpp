#include "RSettingsStore.h"
#include "VisoraTest.h"

#include <QFile>
#include <QSettings>
#include <QTextCodec>

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void init() { QSettings(RSettingsStore::organisation(), RSettingsStore::application()).clear(); }

    // A sample of the defaults table: one of each kind of value, and a key without one.
    void defaults_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("folder empty") << RSettingsKeys::FileDir << QVariant(QString());
        QTest::newRow("file type jpg") << RSettingsKeys::FileExt << QVariant("jpg");
        QTest::newRow("interval 3") << RSettingsKeys::FileASnapInterval << QVariant(3);
        QTest::newRow("number starts at 1") << RSettingsKeys::FileNameCurNum << QVariant(1);
        QTest::newRow("camera has no default") << RSettingsKeys::VideoCamera << QVariant();
    }

    void defaults()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, expected);
        QVERIFY(!RSettingsStore::contains(key));
        const QVariant v = RSettingsStore::value(key);
        QCOMPARE(v.isValid(), expected.isValid());
        if (expected.isValid())
            QCOMPARE(v.toString(), expected.toString());
        QCOMPARE(RSettingsStore::readString(key), expected.toString());
    }

    void storedValues_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("asInt");
        QTest::addColumn<bool>("asFlag");
        QTest::newRow("card merge 1 is on") << RSettingsKeys::FileCardMix << QVariant(1) << 1 << true;
        QTest::newRow("card merge 2 is off") << RSettingsKeys::FileCardMix << QVariant(2) << 2 << false;
        QTest::newRow("card merge text is off") << RSettingsKeys::FileCardMix << QVariant("yes") << 0 << false;
        QTest::newRow("number as text") << RSettingsKeys::FileNameCurNum << QVariant("42") << 42 << false;
        QTest::newRow("garbage number reads 0") << RSettingsKeys::FileNameCurNum << QVariant("abc") << 0 << false;
        QTest::newRow("negative interval kept as stored") << RSettingsKeys::FileASnapInterval << QVariant(-5) << -5 << false;
    }

    void storedValues()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QVERIFY(RSettingsStore::write(key, stored));
        QVERIFY(RSettingsStore::contains(key));
        QTEST(RSettingsStore::readInt(key), "asInt");
        QTEST(RSettingsStore::readFlag(key), "asFlag");
    }

    void language_data()
    {
        QTest::addColumn<QVariant>("stored"); // invalid: absent
        QTest::addColumn<int>("language");
        QTest::newRow("absent is Chinese") << QVariant() << 0;
        QTest::newRow("0 is Chinese") << QVariant(0) << 0;
        QTest::newRow("1 is English") << QVariant(1) << 1;
        QTest::newRow("2 is Chinese") << QVariant(2) << 0;
        QTest::newRow("-1 is Chinese") << QVariant(-1) << 0;
        QTest::newRow("text is Chinese") << QVariant("en") << 0;
        QTest::newRow("1 as text is English") << QVariant("1") << 1;
    }
    void language()
    {
        QFETCH(QVariant, stored);
        if (stored.isValid())
            QVERIFY(RSettingsStore::write(RSettingsKeys::SystemLangue, stored));
        QTEST(RSettingsStore::readLanguage(), "language");
    }

    void penColor_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("absent gives red-orange") << QVariant() << QColor(255, 16, 0, 255);
        QTest::newRow("stored colour") << QVariant(QColor(1, 2, 3)) << QColor(1, 2, 3);
        QTest::newRow("colour name") << QVariant("blue") << QColor(Qt::blue);
        QTest::newRow("unconvertible is invalid") << QVariant(17) << QColor();
    }

    void penColor()
    {
        QFETCH(QVariant, stored);
        QFETCH(QColor, expected);
        if (stored.isValid())
            RSettingsStore::write(RSettingsKeys::PenColor, stored);
        QCOMPARE(RSettingsStore::readColor(RSettingsKeys::PenColor), expected);
    }

    void defaultPictureFolder()
    {
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        QDir(pictures + "/Visora").removeRecursively();
        const QString folder = RSettingsStore::defaultPictureFolder();
        QCOMPARE(folder, pictures + "/Visora");
        QVERIFY(QDir(folder).exists());
        QVERIFY(!RSettingsStore::contains(RSettingsKeys::FileDir));
        QCOMPARE(RSettingsStore::pictureFolder(), folder);
    }

    void pictureFolderPrefersStoredDir()
    {
        RSettingsStore::write(RSettingsKeys::FileDir, "/some/where/图片");
        QCOMPARE(RSettingsStore::pictureFolder(), QString("/some/where/图片"));
    }

    void configIniUnderWorkingDirectory()
    {
        QTemporaryDir other;
        const QString old = QDir::currentPath();
        QDir::setCurrent(other.path());
        QVERIFY(RSettingsStore::writeConfigIni("/pics/中文", "Mic A;Mic B;"));
        QDir::setCurrent(old);
        const QString path = other.path() + "/Tolvani/Config.ini";
        QVERIFY(QFile::exists(path));
        QSettings ini(path, QSettings::IniFormat);
        ini.setIniCodec(QTextCodec::codecForName("UTF-8"));
        QCOMPARE(ini.value("Client/file_path").toString(), QString("/pics/中文"));
        QCOMPARE(ini.value("Client/Audiolist").toString(), QString("Mic A;Mic B;"));
        QFile raw(path);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(raw.readAll()).contains("中文"));
    }

    // A folder change rewrites the file; names in any script stay plain UTF-8.
    void configIniFolderOnlyKeepsMicrophones_data()
    {
        QTest::addColumn<QString>("microphones");
        QTest::addColumn<QString>("folder");
        QTest::newRow("ascii") << "Mic;" << "/b";
        QTest::newRow("chinese microphone and folder") << "麦克风 (USB);Mic;" << "/图片/课堂";
        QTest::newRow("accented microphone") << "Micrófono;" << "/b";
    }
    void configIniFolderOnlyKeepsMicrophones()
    {
        QFETCH(QString, microphones);
        QFETCH(QString, folder);
        QVERIFY(RSettingsStore::writeConfigIni("/a", microphones));
        QVERIFY(RSettingsStore::writeConfigIniFolder(folder));
        QCOMPARE(RSettingsStore::readConfigIni("Client/file_path"), folder);
        QCOMPARE(RSettingsStore::readConfigIni("Client/Audiolist"), microphones);
        QFile raw(RSettingsStore::configIniPath());
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const QByteArray bytes = raw.readAll();
        QVERIFY2(bytes.contains(microphones.toUtf8()), bytes.constData());
        QVERIFY(bytes.contains(folder.toUtf8()));
    }

    void audioNamesJoin_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("joined");
        QTest::newRow("none") << QStringList() << QString();
        QTest::newRow("empty names skipped") << QStringList{"", "A", "", "B"} << QString("A;B;");
        QTest::newRow("non-ascii kept") << QStringList{"麦克风"} << QString("麦克风;");
    }

    void audioNamesJoin()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, joined);
        QCOMPARE(RSettingsStore::joinAudioNames(names), joined);
    }

    void unwritableWorkingDirectoryDoesNotCrash()
    {
        QTemporaryDir locked;
        QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const QString old = QDir::currentPath();
        QDir::setCurrent(locked.path());
        const bool ok = RSettingsStore::writeConfigIni("/x", "");
        QDir::setCurrent(old);
        QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        // Root may write anyway; either way nothing crashes and the answer is honest.
        QCOMPARE(ok, QFile::exists(locked.path() + "/Tolvani/Config.ini"));
    }
};

VISORA_TEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
