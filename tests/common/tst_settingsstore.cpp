#include "CaptureModes.h"
#include "RSettingsStore.h"
#include "VisoraTest.h"

#include <QFile>
#include <QSettings>

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void init() { QSettings(RSettingsStore::organisation(), RSettingsStore::application()).clear(); }

    // Each reader on a stored value (invalid: absent); a sample of the defaults
    // table, one of each kind of value and a key without one.
    void reads_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QVariant>("expected");
        const auto row = [](const char *name, const QString &key, const QVariant &stored, const char *reader,
                            const QVariant &expected) { QTest::newRow(name) << key << stored << reader << expected; };
        namespace K = RSettingsKeys;
        row("folder empty", K::FileDir, {}, "string", QString(""));
        row("number starts at 1", K::FileNameCurNum, {}, "int", 1);
        row("camera has no default", K::VideoCamera, {}, "value", {});
        row("card merge 1 is on", K::FileCardMix, 1, "flag", true);
        row("card merge text is off", K::FileCardMix, "yes", "flag", false);
        row("append stored true is on", K::FilePdfAppend, QString("true"), "flag", true);
        row("append stored True is on", K::FilePdfAppend, "True", "flag", true);
        row("append stored false is off", K::FilePdfAppend, false, "flag", false);
        row("mirror stored 1 is on", K::VideoMirror, 1, "flag", true);
        row("mirror stored 0 is off", K::VideoMirror, 0, "flag", false);
        row("flip stored 2 is off", K::VideoFlip, 2, "flag", false);
        row("garbage number reads 0", K::FileNameCurNum, "abc", "int", 0);
        // Modes kept as integers: a value naming none reads as the default.
        row("absent language is Chinese", K::SystemLangue, {}, "language", 0);
        row("language 1 is English", K::SystemLangue, 1, "language", 1);
        row("language 1 among spaces is English", K::SystemLangue, " 1 ", "language", 1);
        row("language text is Chinese", K::SystemLangue, "en", "language", 0);
        row("language 2 is Chinese", K::SystemLangue, 2, "language", 0);
        row("language -1 is Chinese", K::SystemLangue, -1, "language", 0);
        row("language 1.5 is Chinese", K::SystemLangue, "1.5", "language", 0);
        row("colour type 2 is black and white", K::FileSaveColorType, 2, "colour", 2);
        row("colour type 3 is colour", K::FileSaveColorType, 3, "colour", 0);
        row("colour type text is colour", K::FileSaveColorType, "grey", "colour", 0);
        row("name type 1 is numbered", K::FileNameType, 1, "naming", 1);
        row("name type -5 is time-stamped", K::FileNameType, -5, "naming", 0);
        row("video type 9 without a default is fluent", K::VideoType, 9, "video", 0);
        row("stored pen colour", K::PenColor, QColor(1, 2, 3), "color", QColor(1, 2, 3));
        row("unconvertible pen is invalid", K::PenColor, 17, "color", QColor());
    }

    void reads()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QString, reader);
        QFETCH(QVariant, expected);
        if (stored.isValid())
            QVERIFY(RSettingsStore::write(key, stored));
        QCOMPARE(RSettingsStore::contains(key), stored.isValid());
        if (reader == "string")
            QCOMPARE(RSettingsStore::readString(key), expected.toString());
        else if (reader == "int")
            QCOMPARE(RSettingsStore::readInt(key), expected.toInt());
        else if (reader == "flag")
            QCOMPARE(RSettingsStore::readFlag(key), expected.toBool());
        else if (reader == "language")
            QCOMPARE(enumToStored(RSettingsStore::readLanguage()), expected.toInt());
        else if (reader == "colour")
            QCOMPARE(enumToStored(RSettingsStore::readEnum<ColourMode>(key)), expected.toInt());
        else if (reader == "naming")
            QCOMPARE(enumToStored(RSettingsStore::readEnum<NameMode>(key)), expected.toInt());
        else if (reader == "video")
            QCOMPARE(enumToStored(RSettingsStore::readEnum<VideoQuality>(key)), expected.toInt());
        else if (reader == "color")
            QCOMPARE(RSettingsStore::readColor(key), expected.value<QColor>());
        else
            QCOMPARE(RSettingsStore::value(key), expected);
    }

    void pictureFolder()
    {
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        QDir(pictures + "/Visora").removeRecursively();
        const QString folder = RSettingsStore::defaultPictureFolder();
        QCOMPARE(folder, pictures + "/Visora");
        QVERIFY(QDir(folder).exists());
        QVERIFY(!RSettingsStore::contains(RSettingsKeys::FileDir));
        QCOMPARE(RSettingsStore::pictureFolder(), folder);
        RSettingsStore::write(RSettingsKeys::FileDir, "/some/where/图片");
        QCOMPARE(RSettingsStore::pictureFolder(), QString("/some/where/图片"));
    }

    // Config.ini lies under the working directory; a folder change rewrites it
    // and keeps the microphones; names in any script stay plain UTF-8.
    void configIni()
    {
        const QString microphones = "麦克风 (USB);Mic;", folder = "/图片/课堂";
        QTemporaryDir other;
        const QString old = QDir::currentPath();
        QDir::setCurrent(other.path());
        const bool written = RSettingsStore::writeConfigIni("/a", microphones) && RSettingsStore::writeConfigIniFolder(folder);
        const QString path = QFileInfo(RSettingsStore::configIniPath()).canonicalFilePath();
        const QString readFolder = RSettingsStore::readConfigIni("Client/file_path");
        const QString readMicrophones = RSettingsStore::readConfigIni("Client/Audiolist");
        QDir::setCurrent(old);
        QVERIFY(written);
        QCOMPARE(path, QDir(other.path()).canonicalPath() + "/Tolvani/Config.ini");
        QCOMPARE(readFolder, folder);
        QCOMPARE(readMicrophones, microphones);
        QFile raw(path);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const QByteArray bytes = raw.readAll();
        QVERIFY2(bytes.contains(microphones.toUtf8()), bytes.constData());
        QVERIFY(bytes.contains(folder.toUtf8()));
    }

    // Copies a crash left beside the store go at start; a copy being written
    // now and other files stay.
    void leftoversRemoved_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("ageSecs");
        QTest::addColumn<bool>("removed");
        QTest::newRow("stale copy of the store") << ".Ab3dE9" << 3600 << true;
        QTest::newRow("copy being written") << ".Ab3dE9" << 0 << false;
        QTest::newRow("lock file") << ".lock" << 3600 << false;
        QTest::newRow("the teacher's backup") << ".backup" << 3600 << false;
    }
    void leftoversRemoved()
    {
        QFETCH(QString, suffix);
        QFETCH(int, ageSecs);
        QFETCH(bool, removed);
        QVERIFY(RSettingsStore::write(RSettingsKeys::PenWidth, 3));
        const QString store = QSettings(RSettingsStore::organisation(), RSettingsStore::application()).fileName();
        for (const QString &file : {store, RSettingsStore::configIniPath()}) {
            QDir().mkpath(QFileInfo(file).absolutePath());
            QFile copy(file + suffix);
            QVERIFY(copy.open(QIODevice::WriteOnly));
            QVERIFY(copy.write("[File]\n") > 0 && copy.flush());
            QVERIFY(copy.setFileTime(QDateTime::currentDateTime().addSecs(-ageSecs), QFileDevice::FileModificationTime));
        }
        QCOMPARE(RSettingsStore::removeLeftovers(), removed ? 2 : 0);
        QCOMPARE(QFileInfo::exists(store + suffix), !removed);
        QCOMPARE(QFileInfo::exists(RSettingsStore::configIniPath() + suffix), !removed);
        QVERIFY(QFileInfo::exists(store));
        QFile::remove(store + suffix);
        QFile::remove(RSettingsStore::configIniPath() + suffix);
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
