// The recorder end to end: virtual camera and virtual microphone recorded,
// joined by ffmpeg and checked with ffprobe; failing joins, recordings cut
// off by a crash, and a sound request stopped before any sound.
#include "RCameraWidgetCV.h"
#include "RRecAudio.h"
#include "RRecordingFiles.h"
#include "VisoraTest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <sys/types.h>

namespace {

const char kCamera[] = "Test Document Camera";

// A camera file of our own: the description the recorder is started with, at that rate.
QString writeCameraFile(const QString &folder, int fps)
{
    const QString path = folder + QStringLiteral("/camera-%1.json").arg(fps);
    QJsonObject cam{{"description", kCamera}, {"deviceName", "/dev/video7"}, {"fps", fps}, {"present", true}};
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QJsonDocument(QJsonObject{{"cameras", QJsonArray{cam}}}).toJson());
    return path;
}

struct Probe {
    QStringList codecs;
    QSize size;
    QList<double> durations; // the file's, then those its streams state
};

Probe probe(const QString &file)
{
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type,codec_name,width,height,duration:format=duration",
                        "-of", "json", file});
    p.waitForFinished(30000);
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    Probe r;
    r.durations << o.value("format").toObject().value("duration").toString().toDouble();
    for (const QJsonValue &v : o.value("streams").toArray()) {
        const QJsonObject s = v.toObject();
        r.codecs << s.value("codec_type").toString() + ":" + s.value("codec_name").toString();
        if (s.contains("duration"))
            r.durations << s.value("duration").toString().toDouble();
        if (s.contains("width"))
            r.size = QSize(s.value("width").toInt(), s.value("height").toInt());
    }
    return r;
}

// Starts the recorder window on the test camera with sound on or off.
std::unique_ptr<RCameraWidgetCV> openWindow(const QString &size, bool sound, const QString &extension)
{
    auto w = std::make_unique<RCameraWidgetCV>(1);
    w->initData(QStringList{"Brisklet", "KT7306219", kCamera, size});
    w->findChild<QComboBox *>("format")->setCurrentText(extension);
    w->findChild<QComboBox *>("microphone")->setCurrentText("Visora_Microphone");
    w->findChild<QCheckBox *>()->setChecked(sound);
    w->show();
    return w;
}

} // namespace

class TestRecorder : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_saveFolder;
    bool m_haveSound = false;

    void cleanLeftovers()
    {
        RCameraWidgetCV probeWindow;
        for (const auto &l : RRecordingFiles::findLeftovers(probeWindow.tempFolder()))
            RRecordingFiles::discard(l);
    }

    // Records for the given time and returns the joined file ("" on a failed join).
    QString record(RCameraWidgetCV *w, int ms, bool *ok = nullptr)
    {
        auto *preview = w->findChild<QLabel *>("preview");
        if (!QTest::qWaitFor([&] { return preview && !preview->pixmap(Qt::ReturnByValue).isNull(); }, 10000))
            return QString();
        QSignalSpy joined(w, &RCameraWidgetCV::sJoinFinished);
        w->slotSaveBegin();
        QTest::qWait(ms);
        w->slotSaveEnd();
        if (!joined.wait(120000))
            return QString();
        if (ok)
            *ok = joined.at(0).at(0).toBool();
        return joined.at(0).at(1).toString();
    }

private slots:
    void initTestCase()
    {
        QProcess mic;
        mic.start("bash", {QString::fromLocal8Bit(qgetenv("VISORA_SOURCE_DIR")) + "/scripts/virtual-mic.sh"});
        QVERIFY(mic.waitForFinished(30000));
        const QString line = QString::fromLocal8Bit(mic.readAllStandardOutput()).trimmed().split('\n').last();
        m_haveSound = mic.exitCode() == 0 && line.startsWith("PULSE_SERVER=");
        if (m_haveSound)
            qputenv("PULSE_SERVER", line.mid(int(strlen("PULSE_SERVER="))).toLocal8Bit());
        qputenv("VISORA_VIRTUAL_CAMERA", writeCameraFile(m_dir.path(), 30).toUtf8());
        m_saveFolder = m_dir.path() + "/videos";
        QDir().mkpath(m_saveFolder);
        QSettings("Quendra", "KT7306219").setValue("File/Dir", m_saveFolder);
        cleanLeftovers();
    }

    // Video and sound last as long as the recording: sound the microphone did
    // not deliver is filled with silence.
    void recordAndJoin()
    {
        if (!m_haveSound)
            QSKIP("no sound server");
        auto w = openWindow("640x480", true, ".mp4");
        bool ok = false;
        const QString file = record(w.get(), 3000, &ok);
        QVERIFY2(ok, qPrintable(file));
        QVERIFY2(file.startsWith(m_saveFolder) && file.endsWith(".mp4"), qPrintable(file));
        QVERIFY(w->statusText().contains(file));
        const Probe p = probe(file);
        QCOMPARE(QSet<QString>(p.codecs.begin(), p.codecs.end()), (QSet<QString>{"video:h264", "audio:aac"}));
        QCOMPARE(p.size, QSize(640, 480));
        for (double d : p.durations)
            QVERIFY2(qAbs(d - 3.0) < 0.3, qPrintable(QString::number(d)));
        // The temporary files went with the successful join.
        QVERIFY(RRecordingFiles::findLeftovers(w->tempFolder()).isEmpty());
    }

    void failingJoinKeepsTheFiles()
    {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray("/nonexistent"));
        auto w = openWindow("320x240", false, ".mp4");
        bool ok = true;
        const QString details = record(w.get(), 1000, &ok);
        QVERIFY(!ok);
        QVERIFY(!details.isEmpty());
        auto *box = w->findChild<QMessageBox *>();
        QVERIFY(box);
        const QString told = box->text();
        // A second recording in the same window must not drop the first one's files.
        QVERIFY(record(w.get(), 500, &ok).size() > 0);
        qputenv("PATH", path);
        w.reset();
        const auto after = RRecordingFiles::findLeftovers(RCameraWidgetCV().tempFolder());
        QCOMPARE(after.size(), 2);
        QVERIFY2(told.contains(after.first().video), qPrintable(told));
        QVERIFY(QFileInfo(after.first().video).size() > 0);
        cleanLeftovers();
    }

    void crashedRecordingIsOfferedAndJoins()
    {
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.setStandardErrorFile(QProcess::nullDevice());
        child.start(QCoreApplication::applicationFilePath(), {"--record-child"});
        QVERIFY(child.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return child.readAllStandardOutput().contains("recording"); }, 20000));
        QTest::qWait(4000);
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));

        auto w = openWindow("320x240", false, ".mp4");
        QMessageBox *question = nullptr;
        QVERIFY(QTest::qWaitFor([&] { return (question = w->findChild<QMessageBox *>("leftoverQuestion")); }, 5000));
        QSignalSpy joined(w.get(), &RCameraWidgetCV::sJoinFinished);
        question->buttons().first()->click(); // "Finish"
        QVERIFY(joined.wait(60000));
        QVERIFY2(joined.at(0).at(0).toBool(), qPrintable(joined.at(0).at(1).toString()));
        const Probe p = probe(joined.at(0).at(1).toString());
        QVERIFY(p.codecs.contains("video:h264"));
        QVERIFY2(p.durations.first() > 1.0, qPrintable(QString::number(p.durations.first())));
        QVERIFY(RRecordingFiles::findLeftovers(w->tempFolder()).isEmpty());
    }

    void soundStoppedBeforeAnyFrame()
    {
        if (!m_haveSound)
            QSKIP("no sound server");
        RRecAudio audio;
        audio.setDevice("Visora_Microphone", "default");
        const QString path = m_dir.path() + "/short.aac";
        audio.setOutputPath(path);
        QSignalSpy done(&audio, &RRecAudio::response);
        audio.setRun(false);
        audio.ffmpegAudio();
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).toInt(), 0);
        QVERIFY(QFileInfo::exists(path));
    }

    void cleanupTestCase() { cleanLeftovers(); }
};

// "--record-child": start a recording and keep it running until killed.
static int recordChild()
{
    auto w = openWindow("640x480", false, ".mp4");
    QTimer::singleShot(1500, w.get(), [&] {
        w->slotSaveBegin();
        std::fputs("recording\n", stdout);
        std::fflush(stdout);
    });
    return QCoreApplication::exec();
}

int main(int argc, char *argv[])
{
    const bool child = argc > 1 && qstrcmp(argv[1], "--record-child") == 0;
    std::unique_ptr<VisoraTest::Sandbox> sandbox;
    if (!child)
        sandbox = std::make_unique<VisoraTest::Sandbox>();
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    if (child)
        return recordChild();
    TestRecorder tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_recorder.moc"
