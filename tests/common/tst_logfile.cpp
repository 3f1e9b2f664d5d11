#include "FileCheck.h"
#include "RLogFile.h"
#include "VisoraTest.h"

#include <sys/stat.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

QStringList captured;
void capture(QtMsgType, const QMessageLogContext &, const QString &message)
{
    captured << message;
}

// Logs from a member whose text names another class, as moved code used to.
struct Speaker {
    void speak(const QString &text) { qWarning().noquote() << "RDragScene::wrongLabel" << text; }
    void speakRightly() { qInfo().noquote() << "Speaker::speakRightly: done"; }
};

} // namespace

class TestLogFile : public QObject
{
    Q_OBJECT
private slots:
    void rotation_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("keep");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("files");
        QTest::newRow("under the limit one file") << 4000 << 2 << 50 << 1;
        QTest::newRow("two old files kept, older ones dropped") << 500 << 2 << 400 << 3;
        QTest::newRow("no old file kept") << 500 << 0 << 400 << 1;
    }
    void rotation()
    {
        QFETCH(int, limit);
        QFETCH(int, keep);
        QFETCH(int, lines);
        QFETCH(int, files);
        QTemporaryDir dir;
        QStringList written;
        {
            RLogFile log(dir.path() + "/state", "Tavimor", limit, keep);
            for (int i = 0; i < lines; ++i) {
                written << QString("line %1 磁盘").arg(i, 5, 10, QChar('0'));
                QVERIFY(log.append(written.last().toUtf8()));
            }
        }
        const QStringList names = QDir(dir.path() + "/state").entryList(QDir::Files, QDir::Name);
        QCOMPARE(names.size(), files);
        // Oldest first, the kept lines are the last ones written, in order, and
        // every rotated file was filled up to its limit.
        QByteArray kept;
        const int lineBytes = written.last().toUtf8().size() + 1;
        for (int n = names.size() - 1; n >= 0; --n) {
            const QString name = dir.path() + "/state/Tavimor.log" + (n ? "." + QString::number(n) : QString());
            const QByteArray bytes = VisoraTest::bytes(name);
            QVERIFY2(bytes.size() <= limit, qPrintable(name));
            if (n > 0)
                QVERIFY2(bytes.size() > limit - lineBytes, qPrintable(name));
            kept += bytes;
        }
        const QStringList keptLines = QString::fromUtf8(kept).split('\n', Qt::SkipEmptyParts);
        QVERIFY(!keptLines.isEmpty());
        QCOMPARE(keptLines, written.mid(written.size() - keptLines.size()));
    }

    // A file where the folder goes: installedHandler's "state folder is a file".
    void unusableFolder_data()
    {
        QTest::addColumn<QString>("folder");  // relative to a scratch folder
        QTest::newRow("a folder stands where the log goes") << "blocked";
        QTest::newRow("a pipe stands where the log goes") << "piped";
        QTest::newRow("no folder named") << "";
    }
    void unusableFolder()
    {
        QFETCH(QString, folder);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("blocked/Tavimor.log"));
        QVERIFY(QDir(dir.path()).mkpath("piped"));
        QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("piped/Tavimor.log")).constData(), 0600), 0);

        // A pipe must not hang the program that starts to log: 1 refused, 2 taken.
        const QString path = folder.isEmpty() ? QString() : dir.filePath(folder);
        auto outcome = std::make_shared<std::atomic<int>>(0);
        std::thread([path, outcome] {
            RLogFile log(path, "Tavimor", 1000, 2);
            *outcome = log.path().isEmpty() && !log.append("lost") ? 1 : 2;
        }).detach();
        QTRY_VERIFY_WITH_TIMEOUT(*outcome != 0, 5000);
        QCOMPARE(int(*outcome), 1);
    }

    // Every message goes to the program's file in the state folder and on to
    // the handler before; without a usable folder only to the handler before.
    void installedHandler_data()
    {
        QTest::addColumn<QString>("stateHome");  // relative to a scratch folder; "-" for relative
        QTest::addColumn<QString>("logPath");     // relative to the scratch folder, empty for none
        QTest::addColumn<QString>("shown");       // in the About dialog, "@" for the scratch folder
        QTest::newRow("state folder from the environment") << "state" << "state/visora/Tavimor.log" << "@/state/visora/Tavimor.log";
        QTest::newRow("relative setting falls back to home") << "-" << "home/.local/state/visora/Tavimor.log" << "~/.local/state/visora/Tavimor.log";
        QTest::newRow("state folder is a file") << "file" << "" << "none";
    }
    void installedHandler()
    {
        QFETCH(QString, stateHome);
        QFETCH(QString, logPath);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        QVERIFY(VisoraTest::touch(dir.filePath("file")));
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldState = qgetenv("XDG_STATE_HOME");
        qputenv("HOME", QFile::encodeName(dir.filePath("home")));
        qputenv("XDG_STATE_HOME", stateHome == "-" ? QByteArray("relative/state") : QFile::encodeName(dir.filePath(stateHome)));

        captured.clear();
        const QtMessageHandler before = qInstallMessageHandler(capture);
        RLogFile::install("Tavimor");
        const QString text = QStringLiteral("磁盘已满 Grüße");
        Speaker().speak(text);
        Speaker().speakRightly();
        const QString installed = RLogFile::installedPath();
        const QString about = RLogFile::aboutText(UiLanguage::English);
        RLogFile::uninstall();
        qInstallMessageHandler(before);
        qputenv("HOME", oldHome);
        qputenv("XDG_STATE_HOME", oldState);

        QCOMPARE(captured, (QStringList{"RDragScene::wrongLabel " + text, "Speaker::speakRightly: done"}));
        QVERIFY2(about.contains(QString(shown).replace('@', dir.path())), qPrintable(about));
        if (logPath.isEmpty()) {
            QVERIFY(installed.isEmpty());
            return;
        }
        QCOMPARE(installed, dir.filePath(logPath));
        const QByteArray line = VisoraTest::bytes(installed);
        QVERIFY2(line.contains(" W Speaker::speak: RDragScene::wrongLabel " + text.toUtf8() + "\n"), line.constData());
        // A label that already names the true origin is written once.
        QVERIFY2(line.contains(" I Speaker::speakRightly: done\n"), line.constData());
        QCOMPARE(line.count('\n'), 2);
    }
};

VISORA_TEST_MAIN(TestLogFile)
#include "tst_logfile.moc"
