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
    // for that key only; the store hands each reader the mended value.
    void mended_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored"); // invalid: absent
        QTest::addColumn<QVariant>("expected");
        namespace K = RSettingsKeys;
        const QString home = QDir::homePath();
        const QString folder = home + "/图片 课堂";
        QDir().mkpath(folder);
        QFile(home + "/a file").open(QIODevice::WriteOnly);
        const QString huge(100000, QLatin1Char('9'));
        const QVariant list = QStringList{"a", "b"};
        const int most = std::numeric_limits<int>::max() - 1;
        const QColor pen(255, 16, 0);

        // Mended value of: absent, empty, non-numeric, huge, non-ASCII, a list (wrong kind).
        struct Generic
        {
            QString key;
            QVariantList expected;
        };
        const QVariantList off = {false, false, false, false, false, false};
        const QVariantList zero = {0, 0, 0, 0, 0, 0};
        const QVariantList none = {"", "", "", "", "", ""};
        const QList<Generic> generic = {
            {K::FileDir, none},
            {K::FileExt, {"jpg", "jpg", "jpg", "jpg", "jpg", "jpg"}},
            {K::FileSaveColorType, zero},
            {K::FileASnapInterval, {3, 3, 3, 9, 3, 3}},
            {K::FileNameType, zero},
            {K::FileNamePrefix, {"Img", "", "abc", "Img", "图片", "Img"}},
            {K::FileNameNumLength, {3, 3, 3, 9, 3, 3}},
            {K::FileNameCurNum, {1, 1, 1, most, 1, 1}},
            {K::FileCardMix, off},
            {K::FileAutoCut, off},
            {K::FileAutoRotate, off},
            {K::FilePdfAppend, off},
            {K::FileAutoPerspective, off},
            {K::VideoType, zero},
            {K::VideoRotate, zero},
            {K::VideoMirror, off},
            {K::VideoFlip, off},
            {K::VideoCamera, {"", "", "abc", "", "图片", ""}},
            {K::VideoP, {"", "", "abc", "", "图片", ""}},
            {K::VideoV, {"", "", "abc", "", "图片", ""}},
            {K::VideoResolutionIndex, {-1, -1, -1, 1023, -1, -1}},
            {K::VideoRecRess, none},
            {K::PenWidth, {6, 6, 6, 50, 6, 6}},
            {K::PenColor, {pen, pen, pen, pen, pen, pen}},
            {K::SystemLangue, zero},
        };
        const QVariantList bad = {QVariant(), "", "abc", huge, "图片", list};
        const char *const badNames[] = {"absent", "empty", "non-numeric", "huge", "non-ASCII", "a list"};
        for (const Generic &g : generic) {
            m_covered << g.key;
            for (int i = 0; i < bad.size(); ++i)
                QTest::addRow("%s %s", qPrintable(g.key), badNames[i]) << g.key << bad[i] << g.expected[i];
        }

        const auto row = [](const char *name, const QString &key, const QVariant &stored, const QVariant &expected) {
            QTest::newRow(name) << key << stored << expected;
        };
        row("folder that exists is kept", K::FileDir, folder, folder);
        row("missing folder reads as the default", K::FileDir, home + "/gone", "");
        row("a file is no folder", K::FileDir, home + "/a file", "");
        row("relative folder reads as the default", K::FileDir, "Pictures", "");
        row("writable type in capitals", K::FileExt, "PNG", "png");
        row("bmp kept", K::FileExt, "bmp", "bmp");
        row("type nothing writes", K::FileExt, "gif", "jpg");
        row("pdf is no picture type", K::FileExt, "pdf", "jpg");
        row("black-and-white kept", K::FileSaveColorType, 2, 2);
        row("colour type beyond the list", K::FileSaveColorType, 3, 0);
        row("interval 0 is 1", K::FileASnapInterval, 0, 1);
        row("interval 12 is 9", K::FileASnapInterval, 12, 9);
        row("interval with blanks", K::FileASnapInterval, " 7 ", 7);
        row("interval with a fraction", K::FileASnapInterval, "2.5", 3);
        row("numbered names kept", K::FileNameType, 1, 1);
        row("naming rule 2", K::FileNameType, 2, 0);
        row("prefix of 64 kept", K::FileNamePrefix, QString(64, 'p'), QString(64, 'p'));
        row("prefix of 65", K::FileNamePrefix, QString(65, 'p'), "Img");
        row("digits below 0", K::FileNameNumLength, -2, 0);
        row("digits 12 are 9", K::FileNameNumLength, 12, 9);
        row("negative number", K::FileNameCurNum, -3, 0);
        row("huge negative number", K::FileNameCurNum, "-" + huge, 0);
        row("number kept", K::FileNameCurNum, 41, 41);
        row("card merge 1 is on", K::FileCardMix, 1, true);
        row("card merge 2 is off", K::FileCardMix, 2, false);
        row("append stored True is on", K::FilePdfAppend, "True", true);
        row("mirror stored true is on", K::VideoMirror, true, true);
        row("high definition kept", K::VideoType, 1, 1);
        row("stream type 2", K::VideoType, 2, 0);
        row("quarter turn kept", K::VideoRotate, 270, 270);
        row("rotation 45", K::VideoRotate, 45, 0);
        row("rotation 360", K::VideoRotate, 360, 0);
        row("rotation -90", K::VideoRotate, -90, 0);
        row("camera name kept", K::VideoCamera, "Cam \"A\" 文档", "Cam \"A\" 文档");
        row("resolution index kept", K::VideoResolutionIndex, 2, 2);
        row("resolutions kept", K::VideoRecRess, "1920x1080;1280x720;", "1920x1080;1280x720;");
        row("resolution without its semicolon", K::VideoRecRess, "1920x1080", "");
        row("pen width 0", K::PenWidth, 0, 1);
        row("pen width 500", K::PenWidth, 500, 50);
        row("pen colour kept", K::PenColor, QColor(1, 2, 3), QColor(1, 2, 3));
        row("pen colour by name", K::PenColor, "#102030", QColor(16, 32, 48));
        row("pen colour a number", K::PenColor, 17, pen);
        row("English kept", K::SystemLangue, 1, 1);
        row("language 2", K::SystemLangue, 2, 0);
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

    // Those the window starts with; snap type and automatic crop start off.
    void captureSettings()
    {
        namespace K = RSettingsKeys;
        for (const QString &key : {K::FileAutoCut, K::FileAutoRotate, K::FileCardMix, K::FilePdfAppend})
            RSettingsStore::write(key, 1);
        RSettingsStore::write(K::FileASnapInterval, 40);
        RSettingsStore::write(K::VideoType, 1);
        RCaptureSettings read = RSettingsStore::readCapture();
        QCOMPARE(read.m_strCurImageDir, RSettingsStore::defaultPictureFolder());
        QVERIFY(!read.m_bAutoCut && !read.m_bAutoRotate && read.m_iVideoType == 0);
        QVERIFY(read.m_bCardMix && read.m_bPdfAppend);
        QCOMPARE(read.m_iASnapInterval, 9);
        read.m_iSnapType = 1;
        read.m_iNameCurNum = 12;
        RSettingsStore::writeCapture(read);
        QCOMPARE(RSettingsStore::readInt(K::FileNameCurNum), 12);
        QCOMPARE(RSettingsStore::value(K::FileCardMix), QVariant(true));
        QCOMPARE(QSettings(RSettingsStore::organisation(), RSettingsStore::application()).value(K::FileCardMix),
                 QVariant("1"));
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
        const QString mine = QDir::homePath() + "/我的图片";
        QVERIFY(QDir().mkpath(mine));
        RSettingsStore::write(RSettingsKeys::FileDir, mine);
        QCOMPARE(RSettingsStore::pictureFolder(), mine);
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
