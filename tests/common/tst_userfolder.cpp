#include "RUserFolder.h"
#include "VisoraTest.h"

#include <QFile>

class TestUserFolder : public QObject
{
    Q_OBJECT
private slots:
    void programFolderUsable_data()
    {
        QTest::addColumn<QString>("program");  // relative to a scratch folder
        QTest::addColumn<QString>("installed");
        QTest::addColumn<bool>("usable");
        QTest::newRow("build tree") << "build/bin" << "usr/lib/visora" << true;
        QTest::newRow("the installed folder, even when root may write it") << "usr/lib/visora" << "usr/lib/visora" << false;
        QTest::newRow("the recorder's folder inside the installed one") << "usr/lib/visora/Tolvani" << "usr/lib/visora" << false;
        QTest::newRow("a sibling whose name starts the same") << "usr/lib/visora2" << "usr/lib/visora" << true;
        QTest::newRow("the installed folder through a link") << "link" << "usr/lib/visora" << false;
        QTest::newRow("missing folder") << "gone" << "" << false;
    }

    void programFolderUsable()
    {
        QFETCH(QString, program);
        QFETCH(QString, installed);
        QTemporaryDir scratch;
        QDir root(scratch.path());
        root.mkpath("build/bin");
        root.mkpath("usr/lib/visora/Tolvani");
        root.mkpath("usr/lib/visora2");
        QFile::link(root.filePath("usr/lib/visora"), root.filePath("link"));
        const QString installedPath = installed.isEmpty() ? QString() : root.filePath(installed);
        QTEST(RUserFolder::programFolderUsable(root.filePath(program), installedPath), "usable");
    }

    void perUserFolderIsMadeUnderTheUsersData()
    {
        const QString folder = RUserFolder::perUserFolder();
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(folder.startsWith(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)));
    }
};

VISORA_TEST_MAIN(TestUserFolder)
#include "tst_userfolder.moc"
