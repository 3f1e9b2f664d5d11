// The sync meter measures files whose offset between picture and sound is
// known: frames of the virtual camera with sync marks and beeps on the same
// clock, shifted on purpose, encoded and muxed by the ffmpeg program. The
// beeper is heard on the virtual microphone at whole seconds (needs the sound
// server of scripts/virtual-mic.sh).
#include "SyncBeep.h"
#include "SyncBeepDetector.h"
#include "SyncBeeper.h"
#include "SyncMeter.h"
#include "VirtualCameraSyncMarks.h"
#include "VirtualCameraFrameSource.h"
#include "VisoraTest.h"

#include <QFile>
#include <QProcess>

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kFps = 25;
constexpr int kFrames = 10 * kFps;
constexpr double kAudioSeconds = 9.5;
constexpr int kRate = 48000;
// An arbitrary clock reading, not on a whole second.
constexpr int64_t kStartNs = 1'000'370'000'000;

// Sound starting with the picture, its clock running shiftMs behind: beeps come shiftMs late.
QByteArray beepTrack(int shiftMs)
{
    QByteArray pcm;
    const int count = int(kAudioSeconds * kRate);
    pcm.resize(count * 2);
    auto *out = reinterpret_cast<int16_t *>(pcm.data());
    for (int n = 0; n < count; ++n) {
        const int64_t ns = kStartNs + int64_t(n) * 1'000'000'000 / kRate - int64_t(shiftMs) * 1'000'000;
        // The virtual microphone's steady tone plays under the beeps.
        const double tone = 0.25 * std::sin(2 * M_PI * 440.0 * n / kRate);
        out[n] = int16_t(30000 * (0.6 * SyncBeep::sample(ns) + tone));
    }
    return pcm;
}

// Ten seconds of marked (or plain) picture and beeps, muxed by the ffmpeg program.
bool makeRecording(const QString &file, int shiftMs, bool marks, const QString &scale)
{
    QFile audio(QStringLiteral("beeps.raw"));
    if (!audio.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    audio.write(beepTrack(shiftMs));
    audio.close();

    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "bgra", "-s", "640x360", "-framerate",
                  QString::number(kFps), "-i", "-", "-f", "s16le", "-ar", QString::number(kRate), "-ac", "1", "-i",
                  audio.fileName(), "-vf", "scale=" + scale, "-c:v", "libx264", "-preset", "ultrafast", "-crf", "30",
                  "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "96k", file});
    if (!ffmpeg.waitForStarted()) {
        qWarning() << "the ffmpeg program is needed";
        return false;
    }
    VirtualCameraFrameSource source;
    VirtualCameraFrameSource::Parameters p;
    p.size = QSize(640, 360);
    p.syncMarks = marks;
    source.setParameters(p);
    for (int i = 0; i < kFrames; ++i) {
        const QImage frame = source.nextFrame(kStartNs + int64_t(i) * 1'000'000'000 / kFps);
        ffmpeg.write(reinterpret_cast<const char *>(frame.constBits()), frame.sizeInBytes());
        if (!ffmpeg.waitForBytesWritten(30000))
            return false;
    }
    ffmpeg.closeWriteChannel();
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

} // namespace

class TestSyncMeter : public QObject
{
    Q_OBJECT

private slots:
    // Sound in step: damagedFiles' rows measure zero.
    void measuresKnownOffset_data()
    {
        QTest::addColumn<int>("shiftMs");
        QTest::addColumn<bool>("marks");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("scale");
        QTest::newRow("sound 200 ms late, picture scaled to half") << 200 << true << "late.mp4" << "320:180";
        QTest::newRow("sound 150 ms early, Matroska") << -150 << true << "early.mkv" << "640:360";
        QTest::newRow("sound 700 ms late: paired by pitch, not nearness") << 700 << true << "far.mp4" << "640:360";
        QTest::newRow("picture without marks pairs nothing") << 0 << false << "plain.mp4" << "640:360";
    }
    void measuresKnownOffset()
    {
        QFETCH(int, shiftMs);
        QFETCH(bool, marks);
        QFETCH(QString, file);
        QFETCH(QString, scale);

        QVERIFY(makeRecording(file, shiftMs, marks, scale));

        const SyncMeter::Result r = SyncMeter::measure(file);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(r.videoFrames, kFrames);
        QCOMPARE(r.decodeErrors, 0);
        QVERIFY2(std::abs(r.videoSeconds - 10.0) < 0.005, qPrintable(QString::number(r.videoSeconds)));
        // Matroska keeps the encoder's padding: up to two sound frames more.
        QVERIFY2(r.audioSeconds - kAudioSeconds > -0.005 && r.audioSeconds - kAudioSeconds < 0.05, qPrintable(QString::number(r.audioSeconds)));
        QVERIFY(r.beeps >= 8);
        if (!marks) {
            QCOMPARE(r.markedFrames, 0);
            QVERIFY(r.pairs.isEmpty());
            return;
        }
        QCOMPARE(r.markedFrames, kFrames);
        QVERIFY2(r.pairs.size() >= 8, qPrintable(QString::number(r.pairs.size())));
        for (const SyncMeter::Pair &pair : r.pairs)
            QVERIFY2(std::abs(pair.offsetMs - shiftMs) < 4.0,
                     qPrintable(QStringLiteral("at %1 s: %2 ms").arg(pair.at).arg(pair.offsetMs)));
        // Seconds of the clock begin 0.63 s into the file, and every second after.
        const SyncMeter::Pair *middle = r.near(5.0);
        QVERIFY(middle);
        QVERIFY2(std::abs(middle->at - 4.63) < 0.002, qPrintable(QString::number(middle->at)));
        // The first frame with the flash comes at most a frame after the second begins.
        QVERIFY(middle->offsetMs - middle->frameOffsetMs >= -1.0);
        QVERIFY(middle->offsetMs - middle->frameOffsetMs <= 1000.0 / kFps + 1.0);
    }

    // What a crash or a bad disk leaves is measured as far as it goes, never misread.
    void damagedFiles_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("minPairs");
        QTest::newRow("text instead of a recording") << "text" << -1;
        QTest::newRow("Matroska cut off halfway, as by a crash") << "cut" << 3;
        QTest::newRow("bytes overwritten in the middle") << "overwritten" << 5;
    }
    void damagedFiles()
    {
        QFETCH(QString, damage);
        QFETCH(int, minPairs);
        const QString file = QStringLiteral("damaged.mkv");
        if (damage == "text") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("not a recording\n");
        } else {
            QVERIFY(makeRecording(file, 0, true, QStringLiteral("640:360")));
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            const qint64 size = f.size();
            if (damage == "cut") {
                QVERIFY(f.resize(size / 2));
            } else {
                f.seek(size / 2);
                f.write(QByteArray(int(size / 20), '\x55'));
            }
        }
        const SyncMeter::Result r = SyncMeter::measure(file);
        QCOMPARE(r.error.isEmpty(), minPairs >= 0);
        QVERIFY2(r.pairs.size() >= std::max(0, minPairs), qPrintable(QString::number(r.pairs.size())));
        for (const SyncMeter::Pair &pair : r.pairs)
            QVERIFY2(std::abs(pair.offsetMs) < 4.0, qPrintable(QStringLiteral("at %1 s: %2 ms").arg(pair.at).arg(pair.offsetMs)));
    }

    // Recorded straight from the virtual microphone, each sample stamped with
    // the clock minus the server's reported latency, the beeps begin on the second.
    void beeperHeardOnTheSecond()
    {
        SyncBeeper beeper;
        QString error;
        QVERIFY2(beeper.start(&error), qPrintable(error));

        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, uint32_t(kRate), 1};
        pa_buffer_attr attr{};
        attr.maxlength = uint32_t(-1);
        attr.fragsize = uint32_t(pa_usec_to_bytes(5000, &format));
        int code = 0;
        pa_simple *mic = pa_simple_new(nullptr, "sync meter test", PA_STREAM_RECORD, "Visora_Microphone", "test",
                                       &format, nullptr, &attr, &code);
        QVERIFY2(mic, pa_strerror(code));
        std::vector<float> sound;
        std::vector<double> starts; // what each read says about the first sample's time
        std::vector<float> chunk(240);
        const int64_t end = VirtualCameraSyncMarks::monotonicNowNs() + 3'600'000'000;
        while (VirtualCameraSyncMarks::monotonicNowNs() < end) {
            QVERIFY(pa_simple_read(mic, chunk.data(), chunk.size() * sizeof(float), &code) == 0);
            const double now = VirtualCameraSyncMarks::monotonicNowNs() * 1e-9;
            const double latency = pa_simple_get_latency(mic, &code) * 1e-6;
            sound.insert(sound.end(), chunk.begin(), chunk.end());
            starts.push_back(now - latency - double(sound.size()) / kRate);
        }
        pa_simple_free(mic);
        beeper.stop();
        std::nth_element(starts.begin(), starts.begin() + long(starts.size() / 2), starts.end());

        const std::vector<SyncBeepDetector::Beep> beeps = SyncBeepDetector::find(sound, kRate, starts[starts.size() / 2]);
        QVERIFY2(beeps.size() >= 3, qPrintable(QString::number(beeps.size())));
        for (const SyncBeepDetector::Beep &beep : beeps) {
            const int64_t second = std::llround(beep.at);
            QCOMPARE(beep.pitch, SyncBeep::pitchIndex(second));
            QVERIFY2(std::abs(beep.at - double(second)) < 0.03, qPrintable(QString::number(beep.at, 'f', 4)));
        }
    }
};

VISORA_TEST_MAIN(TestSyncMeter)
#include "tst_syncmeter.moc"
