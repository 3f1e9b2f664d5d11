// The recorder end to end: the virtual camera and microphone recorded,
// finished into each container and read back with ffprobe and ffmpeg;
// recordings cut off by a crash or a closed window; a full disk, a lost
// microphone, an absent camera; two recorders in one second.
#include "RCameraWidgetCV.h"
#include "RFinisher.h"
#include "RRecordingFiles.h"
#include "SyncBeeper.h"
#include "SyncMeter.h"
#include "VisoraTest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/types.h>

namespace {

const char kCamera[] = "Test Document Camera";

QString writeCameraFile(const QString &folder, bool present, bool syncMarks = false)
{
    const QString path = folder + QStringLiteral("/camera-%1-%2.json").arg(present).arg(syncMarks);
    QJsonObject cam{{"description", kCamera}, {"deviceName", "/dev/video7"}, {"fps", 30}, {"present", present},
                    {"syncMarks", syncMarks}};
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QJsonDocument(QJsonObject{{"cameras", QJsonArray{cam}}}).toJson());
    return path;
}

struct Probe {
    QStringList codecs;
    double video = 0, audio = 0; // stream durations, else the file's
    QString decodeErrors;        // what decoding every frame reported
};

Probe probe(const QString &file)
{
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-count_frames", "-count_packets", "-show_entries",
                        "stream=codec_type,codec_name,duration,nb_read_frames,nb_read_packets:format=duration", "-of",
                        "json", file});
    p.waitForFinished(60000);
    Probe r;
    r.decodeErrors = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    const double whole = o.value("format").toObject().value("duration").toString().toDouble();
    for (const QJsonValue &v : o.value("streams").toArray()) {
        const QJsonObject s = v.toObject();
        const QString type = s.value("codec_type").toString();
        r.codecs << type + ":" + s.value("codec_name").toString();
        const double d = s.contains("duration") ? s.value("duration").toString().toDouble() : whole;
        (type == "video" ? r.video : r.audio) = d;
        if (type == "video" && s.value("nb_read_frames").toString() != s.value("nb_read_packets").toString())
            r.decodeErrors += QString(" %1 of %2 pictures decode").arg(s.value("nb_read_frames").toString(),
                                                                      s.value("nb_read_packets").toString());
    }
    if (p.exitCode() != 0 || r.codecs.isEmpty())
        r.decodeErrors += " unreadable";
    return r;
}

std::unique_ptr<RCameraWidgetCV> openWindow(const QString &size, bool sound, const QString &extension,
                                            const QString &microphone = "Visora_Microphone")
{
    auto w = std::make_unique<RCameraWidgetCV>(UiLanguage::English);
    w->initData(QStringList{"Brisklet", "KT7306219", kCamera, size});
    w->findChild<QComboBox *>("format")->setCurrentText(extension);
    auto *mic = w->findChild<QComboBox *>("microphone");
    mic->setCurrentIndex(mic->findData(microphone));
    w->findChild<QCheckBox *>()->setChecked(sound);
    w->show();
    return w;
}

bool waitForPicture(RCameraWidgetCV *w)
{
    auto *preview = w->findChild<QLabel *>("preview");
    return QTest::qWaitFor([&] { return !preview->pixmap(Qt::ReturnByValue).isNull(); }, 10000);
}

// Clicks the button with that text in the next question the window asks.
void answerNextQuestion(RCameraWidgetCV *w, const QString &button)
{
    QTimer::singleShot(300, w, [w, button] {
        for (auto *box : w->findChildren<QMessageBox *>("closeQuestion"))
            for (auto *b : box->buttons())
                if (b->text() == button)
                    b->click();
    });
}

QString pactl(const QStringList &args)
{
    QProcess p;
    p.start("pactl", args);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

} // namespace

class TestRecorder : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_saveFolder;
    QString m_presentCamera;

    void cleanLeftovers()
    {
        RCameraWidgetCV probeWindow;
        for (const auto &l : RRecordingFiles::findLeftovers(probeWindow.tempFolder()))
            RRecordingFiles::discard(l);
    }
    QStringList saved() const { return QDir(m_saveFolder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    void emptySaveFolder()
    {
        for (const QString &f : saved())
            QFile::remove(m_saveFolder + "/" + f);
    }

    // Records for ms and returns the finishing's (ok, file or reason).
    QPair<bool, QString> record(RCameraWidgetCV *w, int ms)
    {
        if (!waitForPicture(w))
            return {false, "no picture"};
        QSignalSpy finished(w, &RCameraWidgetCV::sJoinFinished);
        w->slotSaveBegin();
        if (!w->isRecording())
            return {false, "did not start"};
        QTest::qWait(ms);
        w->slotSaveEnd();
        if (!finished.wait(60000))
            return {false, "no end"};
        return {finished.at(0).at(0).toBool(), finished.at(0).at(1).toString()};
    }

private slots:
    void initTestCase()
    {
        // The sound server is part of these tests: without it they fail.
        QProcess mic;
        mic.start("bash", {QString::fromLocal8Bit(qgetenv("VISORA_SOURCE_DIR")) + "/scripts/virtual-mic.sh"});
        QVERIFY(mic.waitForFinished(30000));
        const QString line = QString::fromLocal8Bit(mic.readAllStandardOutput()).trimmed().split('\n').last();
        QVERIFY2(mic.exitCode() == 0 && line.startsWith("PULSE_SERVER="), "no sound server answers");
        qputenv("PULSE_SERVER", line.mid(int(strlen("PULSE_SERVER="))).toLocal8Bit());
        m_presentCamera = writeCameraFile(m_dir.path(), true);
        qputenv("VISORA_VIRTUAL_CAMERA", m_presentCamera.toUtf8());
        m_saveFolder = m_dir.path() + "/videos";
        QDir().mkpath(m_saveFolder);
        QSettings("Quendra", "KT7306219").setValue("File/Dir", m_saveFolder);
        std::signal(SIGXFSZ, SIG_IGN);
        cleanLeftovers();
    }
    void init() { emptySaveFolder(); }

    // Picture copied, sound copied or encoded as the container wants; both
    // streams as long as the recording, every frame decodes.
    void finishesToEachContainer_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("sound");
        QTest::newRow("mp4 keeps AAC") << ".mp4" << "audio:aac";
        QTest::newRow("avi takes MP3") << ".avi" << "audio:mp3";
        QTest::newRow("flv keeps AAC") << ".flv" << "audio:aac";
        QTest::newRow("wmv takes WMA") << ".wmv" << "audio:wmav2";
    }
    void finishesToEachContainer()
    {
        QFETCH(QString, extension);
        QFETCH(QString, sound);
        auto w = openWindow("640x480", true, extension);
        const auto [ok, file] = record(w.get(), 3000);
        QVERIFY2(ok, qPrintable(file));
        QVERIFY2(file.startsWith(m_saveFolder) && file.endsWith(extension), qPrintable(file));
        QVERIFY(w->statusText().contains(file));
        QCOMPARE(saved(), QStringList{QFileInfo(file).fileName()});
        const Probe p = probe(file);
        QCOMPARE(QSet<QString>(p.codecs.begin(), p.codecs.end()), (QSet<QString>{"video:h264", sound}));
        QVERIFY2(p.decodeErrors.isEmpty(), qPrintable(p.decodeErrors));
        {
            QVERIFY2(qAbs(p.video - 3.0) < 0.4 && qAbs(p.audio - p.video) < 0.15,
                     qPrintable(QString("video %1 sound %2").arg(p.video).arg(p.audio)));
        }
        if (extension == ".mp4") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray head = f.read(1 << 20);
            QVERIFY2(head.indexOf("moov") >= 0 && head.indexOf("moov") < head.indexOf("mdat"), "index not at the front");
        }
        QVERIFY(RRecordingFiles::findLeftovers(w->tempFolder()).isEmpty());
    }

    // Sound and picture stay together through the whole file: the beep of each
    // second against the picture's mark of it, within what a viewer notices
    // (sound at most 45 ms ahead, 125 ms behind).
    void soundAndPictureStayTogether()
    {
        qputenv("VISORA_VIRTUAL_CAMERA", writeCameraFile(m_dir.path(), true, true).toUtf8());
        const auto restore = qScopeGuard([&] { qputenv("VISORA_VIRTUAL_CAMERA", m_presentCamera.toUtf8()); });
        SyncBeeper beeper;
        QString error;
        QVERIFY2(beeper.start(&error), qPrintable(error));
        auto w = openWindow("640x480", true, ".mp4");
        const auto [ok, file] = record(w.get(), 12000);
        beeper.stop();
        QVERIFY2(ok, qPrintable(file));
        const SyncMeter::Result r = SyncMeter::measure(file);
        QVERIFY2(r.error.isEmpty() && r.decodeErrors == 0, qPrintable(r.error));
        QVERIFY2(qAbs(r.videoSeconds - r.audioSeconds) < 0.1, qPrintable(QString("%1 %2").arg(r.videoSeconds).arg(r.audioSeconds)));
        // A loaded machine may miss a beep or a mark; those paired span the recording.
        QVERIFY2(r.pairs.size() >= 3 && r.pairs.first().at < 4 && r.pairs.last().at > 8,
                 qPrintable(QString("%1 beeps paired").arg(r.pairs.size())));
        for (const SyncMeter::Pair &p : r.pairs)
            QVERIFY2(p.offsetMs > -45 && p.offsetMs < 125, qPrintable(QString("%1 ms at %2 s").arg(p.offsetMs).arg(p.at)));
    }

    // kill -9 mid-recording: the next start offers it and "Finish" gives both
    // streams up to about a second before the kill, even over a finish that a
    // crash cut off before.
    void crashedRecordingIsOfferedAndFinishes()
    {
        QProcess child;
        child.setStandardErrorFile(QProcess::nullDevice());
        child.start(QCoreApplication::applicationFilePath(), {"--record-child"});
        QVERIFY(child.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return child.readAllStandardOutput().contains("recording"); }, 20000));
        QTest::qWait(4000);
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));

        const auto found = RRecordingFiles::findLeftovers(RCameraWidgetCV().tempFolder());
        QCOMPARE(found.size(), 1);
        // A finish cut off by a crash left its hidden partial file.
        RFinisher::Job cutOff;
        cutOff.video = found.first().video;
        cutOff.note = found.first().note;
        cutOff.output = m_saveFolder + "/" + QFileInfo(found.first().output).fileName();
        QFile partial(RFinisher::partialPath(cutOff));
        QVERIFY(partial.open(QIODevice::WriteOnly) && partial.write("cut off") > 0);
        partial.close();

        auto w = openWindow("320x240", false, ".mp4");
        QMessageBox *question = nullptr;
        QVERIFY(QTest::qWaitFor([&] { return (question = w->findChild<QMessageBox *>("leftoverQuestion")); }, 5000));
        QSignalSpy finished(w.get(), &RCameraWidgetCV::sJoinFinished);
        question->buttons().first()->click(); // "Finish"
        QVERIFY(finished.wait(60000));
        QVERIFY2(finished.at(0).at(0).toBool(), qPrintable(finished.at(0).at(1).toString()));
        QCOMPARE(saved().size(), 1);
        const Probe p = probe(finished.at(0).at(1).toString());
        QVERIFY(p.codecs.contains("video:h264") && p.codecs.contains("audio:aac"));
        QVERIFY2(p.video > 2.5 && p.audio > 2.5, qPrintable(QString("video %1 sound %2").arg(p.video).arg(p.audio)));
        QVERIFY(RRecordingFiles::findLeftovers(w->tempFolder()).isEmpty());
    }

    // A set an older version left (Motion-JPEG video and AAC sound apart) is
    // still offered and joined.
    void olderLeftoverIsFinished()
    {
        const QString temp = RCameraWidgetCV().tempFolder();
        const QString base = temp + "/temp-20250101080000000-1";
        QProcess make;
        make.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=30", "-t", "2", "-c:v",
                              "mjpeg", base + ".avi", "-f", "lavfi", "-i", "sine", "-t", "2", "-c:a", "aac", base + ".aac"});
        QVERIFY(make.waitForFinished(30000) && make.exitCode() == 0);
        QSettings note(base + ".rec", QSettings::IniFormat);
        note.setValue("output", "/elsewhere/20250101080000.mp4");
        note.setValue("video", "temp-20250101080000000-1.avi");
        note.setValue("audio", "temp-20250101080000000-1.aac");
        note.sync();
        auto w = openWindow("320x240", false, ".mp4");
        QMessageBox *question = nullptr;
        QVERIFY(QTest::qWaitFor([&] { return (question = w->findChild<QMessageBox *>("leftoverQuestion")); }, 5000));
        QSignalSpy finished(w.get(), &RCameraWidgetCV::sJoinFinished);
        question->buttons().first()->click();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.at(0).at(1).toString(), m_saveFolder + "/20250101080000.mp4");
        const Probe p = probe(finished.at(0).at(1).toString());
        QVERIFY(p.codecs.contains("video:h264") && p.codecs.contains("audio:aac") && p.video > 1.5);
        QVERIFY(RRecordingFiles::findLeftovers(temp).isEmpty());
    }

    // A window closed mid-recording never loses the recording: the teacher's
    // close saves it first, a window torn down keeps it for the next start.
    void interruptedRecordingIsKept_data()
    {
        QTest::addColumn<bool>("teacherCloses");
        QTest::newRow("closed by the teacher: saved") << true;
        QTest::newRow("window torn down: offered next time") << false;
    }
    void interruptedRecordingIsKept()
    {
        QFETCH(bool, teacherCloses);
        auto w = openWindow("320x240", false, ".mp4");
        QVERIFY(waitForPicture(w.get()));
        w->slotSaveBegin();
        QVERIFY(w->isRecording());
        QTest::qWait(1500);
        if (teacherCloses) {
            answerNextQuestion(w.get(), "Exit");
            QTest::keyClick(w.get(), Qt::Key_Escape);
            QVERIFY(QTest::qWaitFor([&] { return !w->isVisible(); }, 30000));
            QCOMPARE(saved().size(), 1);
            QVERIFY(probe(m_saveFolder + "/" + saved().first()).video > 1.0);
        } else {
            const QString temp = w->tempFolder();
            w.reset();
            const auto found = RRecordingFiles::findLeftovers(temp);
            QCOMPARE(found.size(), 1);
            QVERIFY(probe(found.first().video).decodeErrors.isEmpty());
        }
        cleanLeftovers();
    }

    // What went wrong is told in the interface language, and what was
    // recorded is kept playable.
    void failuresAreTold_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("told");
        QTest::newRow("disk full stops and keeps a playable file") << "disk" << "disk is full";
        QTest::newRow("microphone lost: the time it stopped") << "microphone" << "microphone stopped at 00:0";
        QTest::newRow("camera absent: start refused") << "camera" << "no picture";
    }
    void failuresAreTold()
    {
        QFETCH(QString, failure);
        QFETCH(QString, told);
        QString module;
        if (failure == "camera")
            qputenv("VISORA_VIRTUAL_CAMERA", writeCameraFile(m_dir.path(), false).toUtf8());
        if (failure == "microphone") {
            module = pactl({"load-module", "module-remap-source", "master=visora_sink.monitor",
                            "source_name=Visora_Lost_Microphone"});
            QVERIFY2(!module.isEmpty(), "cannot add a microphone");
        }
        const auto unload = qScopeGuard([&] {
            if (!module.isEmpty())
                pactl({"unload-module", module});
        });
        auto w = openWindow("1280x720", failure != "disk", ".mp4",
                            failure == "microphone" ? "Visora_Lost_Microphone" : "Visora_Microphone");
        QSignalSpy finished(w.get(), &RCameraWidgetCV::sJoinFinished);
        QString shown;
        if (failure == "camera") {
            QTest::qWait(2500);
            w->slotSaveBegin();
            QVERIFY(!w->isRecording());
            auto *box = w->findChild<QMessageBox *>("failure");
            QVERIFY(box);
            shown = box->text();
            QVERIFY(w->findChild<QLabel *>("cameraNotice")->isVisible());
            QVERIFY(saved().isEmpty());
            qputenv("VISORA_VIRTUAL_CAMERA", m_presentCamera.toUtf8());
        } else if (failure == "microphone") {
            QVERIFY(waitForPicture(w.get()));
            w->slotSaveBegin();
            QTest::qWait(2000);
            // A microphone that delivers nothing more.
            pactl({"suspend-source", "Visora_Lost_Microphone", "1"});
            QVERIFY(QTest::qWaitFor([&] { return w->statusText().contains("microphone"); }, 6000));
            w->slotSaveEnd();
            QVERIFY(finished.wait(60000));
            QVERIFY2(finished.at(0).at(0).toBool(), qPrintable(finished.at(0).at(1).toString()));
            shown = w->statusText();
            const Probe p = probe(finished.at(0).at(1).toString());
            QVERIFY2(p.video > 3.0 && p.decodeErrors.isEmpty(), qPrintable(p.decodeErrors));
        } else {
            QVERIFY(waitForPicture(w.get()));
            rlimit old;
            getrlimit(RLIMIT_FSIZE, &old);
            rlimit small = old;
            small.rlim_cur = 1500 * 1024;
            setrlimit(RLIMIT_FSIZE, &small);
            w->slotSaveBegin();
            const bool stopped = finished.wait(40000);
            setrlimit(RLIMIT_FSIZE, &old);
            QVERIFY2(stopped, "the recording did not stop");
            auto *box = w->findChild<QMessageBox *>("failure");
            QVERIFY(box);
            shown = box->text();
            // Either the file made it to the save folder, or it is kept for the next start.
            const QString file = finished.at(0).at(0).toBool() ? finished.at(0).at(1).toString()
                                                               : RRecordingFiles::findLeftovers(w->tempFolder()).value(0).video;
            const Probe p = probe(file);
            QVERIFY2(p.video > 0.5 && p.codecs.contains("video:h264"), qPrintable(file));
        }
        QVERIFY2(shown.contains(told, Qt::CaseInsensitive), qPrintable(shown));
        w.reset();
        cleanLeftovers();
    }

    // Two recorders started in the same second keep both recordings.
    void twoRecordersInOneSecond()
    {
        auto a = openWindow("320x240", false, ".mp4");
        auto b = openWindow("320x240", false, ".mp4");
        QVERIFY(waitForPicture(a.get()) && waitForPicture(b.get()));
        QSignalSpy doneA(a.get(), &RCameraWidgetCV::sJoinFinished), doneB(b.get(), &RCameraWidgetCV::sJoinFinished);
        a->slotSaveBegin();
        b->slotSaveBegin();
        QTest::qWait(1000);
        a->slotSaveEnd();
        b->slotSaveEnd();
        QVERIFY(doneA.count() || doneA.wait(30000));
        QVERIFY(doneB.count() || doneB.wait(30000));
        QVERIFY(doneA.at(0).at(0).toBool() && doneB.at(0).at(0).toBool());
        QCOMPARE(saved().size(), 2);
    }

    void cleanupTestCase() { cleanLeftovers(); }
};

// "--record-child": a recording with sound that runs until killed.
static int recordChild()
{
    auto w = openWindow("640x480", true, ".mp4");
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
