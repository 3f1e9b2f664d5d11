#include "CaptureModes.h"
#include "FileCheck.h"
#include "RSettingsStore.h"
#include "VisoraTest.h"

#include <QFile>
#include <QSettings>

#include <limits>

class TestSettingsStore : public QObject
{
    Q_OBJECT
    QStringList m_covered;
private slots:
    void init() { QSettings(RSettingsStore::organisation(), RSettingsStore::application()).clear(); }

    // Every key of the table against the same bad values, then values bad
    // or good for that key only; each reader gets the mended value.
    void mended_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored"); // invalid: absent
        QTest::addColumn<QVariant>("expected");
        namespace K = RSettingsKeys;
        const QString home = QDir::homePath(), folder = home + "/图片 课堂", huge(100000, QLatin1Char('9'));
        QDir().mkpath(folder);
        const QColor pen(255, 16, 0);
        const QVariantList bad = {QVariant(), "", "abc", huge, "图片", QStringList{"a", "b"}};
        const char *const badNames[] = {"absent", "empty", "non-numeric", "huge", "non-ASCII", "a list"};
        const auto same = [](const QVariant &v) { return QVariantList{v, v, v, v, v, v}; };
        const QList<QPair<QStringList, QVariantList>> generic = {
            {{K::FileDir, K::VideoRecRess}, same("")},
            {{K::FileCardMix, K::FileAutoCut, K::FileAutoRotate, K::FilePdfAppend, K::FileAutoPerspective,
              K::VideoMirror, K::VideoFlip}, same(false)},
            {{K::FileSaveColorType, K::FileNameType, K::VideoType, K::VideoRotate, K::SystemLangue}, same(0)},
            {{K::FileASnapInterval, K::FileNameNumLength}, {3, 3, 3, 9, 3, 3}},
            {{K::VideoCamera, K::VideoP, K::VideoV, K::ShareAddress, K::PublishAddress}, {"", "", "abc", "", "图片", ""}},
            {{K::FileExt}, same("jpg")},
            {{K::FileNamePrefix}, {"Img", "", "abc", "Img", "图片", "Img"}},
            {{K::FileNameCurNum}, {1, 1, 1, std::numeric_limits<int>::max() - 1, 1, 1}},
            {{K::VideoResolutionIndex}, {-1, -1, -1, 1023, -1, -1}},
            {{K::PenWidth}, {6, 6, 6, 50, 6, 6}},
            {{K::SharePort}, {8117, 8117, 8117, 65535, 8117, 8117}},
            {{K::PenColor}, same(pen)},
        };
        for (const auto &keys : generic) {
            for (const QString &key : keys.first) {
                m_covered << key;
                for (int i = 0; i < bad.size(); ++i)
                    QTest::addRow("%s %s", qPrintable(key), badNames[i]) << key << bad[i] << keys.second[i];
            }
        }
        // Each rule's bounds and parsing, and a value other than the fallback kept for each set.
        const QList<std::tuple<const char *, QString, QVariant, QVariant>> own = {
            {"folder kept", K::FileDir, folder, folder}, {"missing folder", K::FileDir, home + "/gone", ""},
            {"type in capitals", K::FileExt, "PNG", "png"}, {"type nothing writes", K::FileExt, "gif", "jpg"},
            {"grey kept", K::FileSaveColorType, 1, 1}, {"colour type 3", K::FileSaveColorType, 3, 0},
            {"interval 0", K::FileASnapInterval, 0, 1}, {"interval 12", K::FileASnapInterval, 12, 9},
            {"interval 7", K::FileASnapInterval, " 7 ", 7}, {"prefix of 65", K::FileNamePrefix, QString(65, 'p'), "Img"},
            {"number -3", K::FileNameCurNum, -3, 0}, {"number kept", K::FileNameCurNum, 41, 41},
            {"card merge 1 is on", K::FileCardMix, 1, true}, {"card merge 2 is off", K::FileCardMix, 2, false},
            {"mirror true is on", K::VideoMirror, true, true}, {"rotation 45", K::VideoRotate, 45, 0},
            {"quarter turn kept", K::VideoRotate, 270, 270}, {"numbered names kept", K::FileNameType, 1, 1},
            {"high definition kept", K::VideoType, 1, 1}, {"English kept", K::SystemLangue, 1, 1},
            {"camera kept", K::VideoCamera, "Cam \"A\" 文档", "Cam \"A\" 文档"},
            {"sizes kept", K::VideoRecRess, "640x480;", "640x480;"}, {"size without semicolon", K::VideoRecRess, "640x480", ""},
            {"pen width 0", K::PenWidth, 0, 1}, {"pen colour named", K::PenColor, "#102030", QColor(16, 32, 48)},
            {"pen colour kept", K::PenColor, QColor(1, 2, 3), QColor(1, 2, 3)}, {"pen colour 17", K::PenColor, 17, pen},
        };
        for (const auto &[name, key, stored, expected] : own)
            QTest::newRow(name) << key << stored << expected;
    }

    void mended()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, expected);
        if (stored.isValid())
            QVERIFY(RSettingsStore::write(key, stored));
        QCOMPARE(RSettingsStore::value(key), expected);
        // Reading leaves the file as it was.
        QCOMPARE(RSettingsStore::contains(key), stored.isValid());
    }

    void everyKeyIsChecked()
    {
        QStringList keys = RSettingsStore::keys();
        keys.sort();
        m_covered.sort();
        QCOMPARE(m_covered, keys);
    }

    // Unset, the pictures go to a folder made for them.
    void pictureFolder()
    {
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        QDir(pictures + "/Visora").removeRecursively();
        QCOMPARE(RSettingsStore::pictureFolder(), pictures + "/Visora");
        QVERIFY(QDir(pictures + "/Visora").exists());
    }

    // Config.ini lies under the working directory; a folder change rewrites it
    // and keeps the microphones; names in any script stay plain UTF-8.
    void configIni()
    {
        const QString microphones = "麦克风 (USB);Mic;", folder = "/图片/课堂";
        QVERIFY(RSettingsStore::writeConfigIni("/a", microphones) && RSettingsStore::writeConfigIniFolder(folder));
        const QString path = QFileInfo(RSettingsStore::configIniPath()).canonicalFilePath();
        QCOMPARE(path, QDir::current().canonicalPath() + "/Tolvani/Config.ini");
        QCOMPARE(RSettingsStore::readConfigIni("Client/file_path"), folder);
        QCOMPARE(RSettingsStore::readConfigIni("Client/Audiolist"), microphones);
        QFile raw(path);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const QByteArray bytes = raw.readAll();
        QVERIFY2(bytes.contains(microphones.toUtf8()), bytes.constData());
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

    // A file where the folder goes blocks even root: the write says so.
    void blockedConfigIniReportsFailure()
    {
        QTemporaryDir other;
        const QString old = QDir::currentPath();
        QDir::setCurrent(other.path());
        const bool blocked = VisoraTest::touch("Tolvani");
        const bool ok = RSettingsStore::writeConfigIni("/x", "");
        QDir::setCurrent(old);
        QVERIFY(blocked);
        QVERIFY(!ok);
    }
};

VISORA_TEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
