#include "VisoraTest.h"
#include "TextPicture.h"

#include "RScanRequest.h"

#include <QProcess>

namespace {

// Runs the program; its output and its exit code, -1 for a crash or a hang.
QPair<QString, int> scan(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("OMP_THREAD_LIMIT", "1");
    env.remove("TESSDATA_PREFIX");
    process.setProcessEnvironment(env);
    process.start(QString::fromLocal8Bit(qgetenv("VISORA_PROGRAM_DIR")) + "/scanner", arguments);
    const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    return {QString::fromUtf8(process.readAllStandardOutput()), ended ? process.exitCode() : -1};
}

QStringList call(const QString &path)
{
    return {RScanRequest::accessWord(), RScanRequest::accessKey(), path};
}

} // namespace

class TestScanner : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return file.fileName();
    }

private slots:
    // Plain pictures of text are read exactly; camera pictures state a fixed
    // density whatever they show (a turned page is read by the word-box test).
    void recognises_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("picture"); // empty: the text printed plainly
        QTest::addColumn<double>("accuracy");
        const QString english = "The quick brown fox\njumps over the lazy dog", chinese = "今天我们学习文字识别\n老师和学生都在教室里";
        const QString page = "老师把课本放在展台下面，全班同学在屏幕上一起阅读。识别出来的文字可以复制到笔记中，"
                             "修改以后再打印出来，方便学生复习和整理课堂内容。";
        using VisoraTest::cameraPicture;
        using VisoraTest::printedPage;
        QTest::newRow("both on one page") << english + "\n" + chinese << "mixed.jpg" << QByteArray() << 1.0;
        QTest::newRow("chinese file name with a space") << english << "课文 第一页.png" << QByteArray() << 1.0;
        QTest::newRow("whole page with small text, stating 100 dpi") << page.repeated(4) << "camera.jpg"
            << cameraPicture(printedPage(page.repeated(4), {2480, 3508}, 50, 300), {1920, 1080}, 0, 100) << 0.9;
        QTest::newRow("close-up with large text, stating 100 dpi") << page << "camera.jpg"
            << cameraPicture(printedPage(page, {1748, 2480}, 50, 300), {3264, 2448}, 0, 100) << 0.9;
    }

    void recognises()
    {
        QFETCH(QString, text);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, picture);
        const QString path = m_dir.filePath(fileName);
        QVERIFY(picture.isEmpty() ? VisoraTest::printedPage(text).save(path, nullptr, 95) : write(fileName, picture) == path);
        const auto run = scan(call(path));
        QCOMPARE(run.second, 0);
        QFETCH(double, accuracy);
        QVERIFY2(VisoraTest::accuracy(run.first, text) >= accuracy, qPrintable(run.first));
    }

    // A page turned by 5 degrees is read, and the searchable-PDF boxes lie where
    // the words are in the picture as it was given, not in a straightened copy.
    void word_boxes_follow_a_turned_page()
    {
        const QString english = "The teacher lays the page under the camera and the whole class reads it on the screen. "
                                "Recognised text can be copied into notes and printed again.";
        const QImage page = VisoraTest::printedPage(english, {1748, 2480}, 50, 300);
        const auto run = scan(call(write("turned.jpg", VisoraTest::cameraPicture(page, {3264, 2448}, 5, 100)))
                              << RScanRequest::wordsOption());
        QCOMPARE(run.second, 0);
        QMap<QString, QVector<QPointF>> lines;
        QString read;
        for (const QString &row : run.first.split('\n')) {
            const QStringList f = row.split('\t');
            if (f.size() < 12 || f.at(0) != "5" || f.at(11).trimmed().isEmpty())
                continue;
            read += f.at(11);
            const QRectF box(f.at(6).toDouble(), f.at(7).toDouble(), f.at(8).toDouble(), f.at(9).toDouble());
            lines[f.mid(1, 4).join('.')].append(box.center());
        }
        QVERIFY2(VisoraTest::accuracy(read, english) >= 0.9, qPrintable(read));
        int turned = 0;
        for (const auto &centres : lines) {
            const double slope = (centres.last().y() - centres.first().y()) / (centres.last().x() - centres.first().x());
            turned += centres.size() >= 3 && slope > 0.06 && slope < 0.12;
        }
        QVERIFY2(turned >= 3, qPrintable(run.first));
    }

    void refuses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("exitCode");
        const QString picture = m_dir.filePath("refused.png");
        VisoraTest::printedPage("Secret").save(picture);
        QFile f(picture);
        f.open(QIODevice::ReadOnly);
        const QByteArray png = f.readAll();
        QTest::newRow("wrong access word") << QStringList{"zx7391045", RScanRequest::accessKey(), picture}
                                           << "wrong access word" << 2;
        QTest::newRow("missing file") << call(m_dir.filePath("absent.png")) << "no such file" << 3;
        QTest::newRow("folder") << call(m_dir.path()) << "no such file" << 3;
        QTest::newRow("empty file") << call(write("empty.png", {})) << "empty file" << 3;
        QTest::newRow("text named as picture") << call(write("notes.jpg", "not a picture at all\n")) << "not a picture" << 3;
        QTest::newRow("truncated picture") << call(write("half.png", png.left(png.size() / 2))) << "" << 3;
        QTest::newRow("huge picture") << call(write("huge.pgm", "P5\n30000 30000\n255\n0123456789")) << "picture too large" << 3;
    }

    void refuses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        const auto run = scan(arguments);
        QTEST(run.second, "exitCode");
        QVERIFY2(run.first.startsWith(RScanRequest::errorMarker()) && run.first.contains(reason), qPrintable(run.first));
        QVERIFY(!run.first.contains("Secret"));
    }
};

VISORA_TEST_MAIN(TestScanner)
#include "tst_scanner.moc"
