// Pictures of every window and dialog of the presenter and the recorder, in
// Chinese and English, for comparing two builds pixel by pixel:
//   windowshots OUTDIR            writes OUTDIR/<language>-<window>.png
//   windowshots --compare A B     lists the pictures that differ (exit 1 if any)
// Runs on the offscreen platform with a private HOME, fresh settings, a fixed
// font and a camera that shows one still picture, so two runs of the same
// build give the same pixels.

#include "RCameraWidgetCV.h"
#include "RContrastWidget.h"
#include "RDetectDlg.h"
#include "RDragScene.h"
#include "RImageList.h"
#include "RQtCatalogue.h"
#include "RScanWidget.h"
#include "RSettingsStore.h"
#include "RTavWidget.h"
#include "RTools.h"
#include "RWaittingDlg.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMovie>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <QSet>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <functional>

namespace {

const char kCamera[] = "Window Shots Camera";

void say(const QString &text)
{
    std::fprintf(stdout, "%s\n", qPrintable(text));
    std::fflush(stdout);
}

// ---------------------------------------------------------------- comparing

QString sizeText(const QSize &size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

int compareFolders(const QString &a, const QString &b)
{
    const QStringList filter{QStringLiteral("*.png")};
    QStringList names = QDir(a).entryList(filter, QDir::Files);
    for (const QString &n : QDir(b).entryList(filter, QDir::Files))
        if (!names.contains(n))
            names << n;
    names.sort();
    if (names.isEmpty()) {
        say(QStringLiteral("no pictures in %1 or %2").arg(a, b));
        return 2;
    }
    int differing = 0;
    for (const QString &name : names) {
        const QImage left(a + "/" + name), right(b + "/" + name);
        if (left.isNull() || right.isNull()) {
            say(QStringLiteral("MISSING %1 (only in %2)").arg(name, left.isNull() ? b : a));
            ++differing;
            continue;
        }
        if (left.size() != right.size()) {
            say(QStringLiteral("SIZE    %1 %2 / %3").arg(name, sizeText(left.size()), sizeText(right.size())));
            ++differing;
            continue;
        }
        const QImage l = left.convertToFormat(QImage::Format_ARGB32);
        const QImage r = right.convertToFormat(QImage::Format_ARGB32);
        qint64 count = 0;
        QRect box;
        for (int y = 0; y < l.height(); ++y) {
            const auto *pl = reinterpret_cast<const QRgb *>(l.constScanLine(y));
            const auto *pr = reinterpret_cast<const QRgb *>(r.constScanLine(y));
            for (int x = 0; x < l.width(); ++x) {
                if (pl[x] != pr[x]) {
                    ++count;
                    box |= QRect(x, y, 1, 1);
                }
            }
        }
        if (count) {
            say(QStringLiteral("PIXELS  %1: %2 differ in %3 at %4,%5")
                    .arg(name, QString::number(count), sizeText(box.size()))
                    .arg(box.x())
                    .arg(box.y()));
            ++differing;
        }
    }
    say(QStringLiteral("%1 of %2 pictures match").arg(names.size() - differing).arg(names.size()));
    return differing ? 1 : 0;
}

// ---------------------------------------------------------------- sandbox

// A still picture without text, so the camera's frames never change and no
// font takes part.
void writeCameraPicture(const QString &path)
{
    QImage picture(1280, 720, QImage::Format_RGB32);
    picture.fill(QColor(196, 178, 150));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 246));
    p.drawRect(300, 80, 680, 560);
    p.setBrush(QColor(30, 90, 200));
    p.drawEllipse(QPoint(450, 230), 90, 90);
    p.setBrush(QColor(210, 40, 40));
    p.drawRect(600, 160, 260, 140);
    p.setPen(QPen(QColor(20, 20, 20), 6));
    for (int y = 380; y < 600; y += 40)
        p.drawLine(360, y, 920, y - (y % 80));
    p.end();
    picture.save(path);
}

void writeCameraConfig(const QString &json, const QString &picture)
{
    QSaveFile f(json);
    f.open(QIODevice::WriteOnly);
    f.write(QStringLiteral(R"({"cameras": [{"description": "%1",
        "deviceName": "usb#vid_1b17&pid_0501&mi_00#6&2&0&0000",
        "resolutions": ["1280x720", "640x480"], "pixelFormats": ["jpeg"],
        "source": "%2", "fps": 15, "present": true, "busy": false}]})")
                .arg(QLatin1String(kCamera), picture)
                .toUtf8());
    f.commit();
}

// Pictures already in the picture folder, so the strip shows thumbnails.
void writeFolderPictures(const QString &folder)
{
    QDir().mkpath(folder);
    const QColor colours[] = {QColor(200, 60, 60), QColor(60, 160, 80), QColor(50, 90, 200)};
    for (int i = 0; i < 3; ++i) {
        QImage img(640, 480, QImage::Format_RGB32);
        img.fill(colours[i]);
        QPainter p(&img);
        p.fillRect(80 + 60 * i, 80, 300, 200, Qt::white);
        p.end();
        img.save(QStringLiteral("%1/page%2.jpg").arg(folder).arg(i + 1), "JPG", 90);
    }
}

// ---------------------------------------------------------------- shooting

class Shooter
{
public:
    explicit Shooter(const QString &out) : m_out(out) {}

    QString language;
    int written = 0;
    QStringList failed;

    // Animations stand still on their first frame.
    static void stillMovies(QWidget *w)
    {
        for (QLabel *label : w->findChildren<QLabel *>())
            if (QMovie *movie = label->movie()) {
                movie->setPaused(true);
                movie->jumpToFrame(0);
            }
    }

    // Grabs until two grabs in a row agree: frames, thumbnails and layouts settle.
    static QImage settled(QWidget *w)
    {
        stillMovies(w);
        QImage last = w->grab().toImage();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 4000) {
            QTest::qWait(250);
            stillMovies(w);
            const QImage next = w->grab().toImage();
            if (next == last)
                break;
            last = next;
        }
        return last;
    }

    void save(const QString &name, QWidget *w)
    {
        if (!w) {
            failed << name;
            say(QStringLiteral("not shown: %1-%2").arg(language, name));
            return;
        }
        const QString path = QStringLiteral("%1/%2-%3.png").arg(m_out, language, name);
        if (settled(w).save(path)) {
            ++written;
            say(QStringLiteral("wrote %1").arg(path));
        } else {
            failed << name;
        }
    }

    static QSet<QWidget *> visibleTops()
    {
        QSet<QWidget *> tops;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible())
                tops.insert(w);
        return tops;
    }

    // Runs `open`, which shows a window (modal or not); the first new window
    // is pictured once `ready` says so, then closed.
    void opened(const QString &name, const std::function<void()> &open,
                const std::function<bool(QWidget *)> &ready = {})
    {
        const QSet<QWidget *> before = visibleTops();
        bool done = false;
        QTimer poll;
        poll.setInterval(50);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget *shown = nullptr;
            for (QWidget *w : visibleTops())
                if (!before.contains(w) && !qobject_cast<QMenu *>(w))
                    shown = w;
            if (!shown)
                return;
            poll.stop();
            if (ready)
                if (!QTest::qWaitFor([&] { return ready(shown); }, 20000))
                    say(QStringLiteral("not ready: %1").arg(name));
            save(name, shown);
            if (auto *dialog = qobject_cast<QDialog *>(shown))
                dialog->reject();
            else
                shown->hide();
            done = true;
        });
        poll.start();
        open();
        if (!QTest::qWaitFor([&] { return done; }, 30000))
            save(name, nullptr);
        poll.stop();
    }

    void menu(const QString &name, QMenu *m)
    {
        if (!m) {
            save(name, nullptr);
            return;
        }
        m->popup(QPoint(0, 0));
        save(name, m);
        m->hide();
    }

private:
    QString m_out;
};

// Answers any question box that turns up, so a surprise cannot hang the run.
void dismissQuestions(Shooter &shooter)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (box && box->isVisible()) {
            say(QStringLiteral("unexpected question: %1").arg(box->text()));
            shooter.failed << QStringLiteral("question: ") + box->text();
            box->reject();
        }
    }
}

void shootPresenter(Shooter &s, UiLanguage langue)
{
    QSettings(RSettingsStore::organisation(), RSettingsStore::application()).clear();
    RSettingsStore::write(RSettingsKeys::SystemLangue, enumToStored(langue));

    RQtCatalogue catalogue;
    RTavWidget window;
    catalogue.use(window.language());
    if (QScreen *screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->geometry());
    window.show();
    if (!QTest::qWaitFor([&] { return window.isCameraOpen(); }, 15000)) {
        say(QStringLiteral("the camera did not open"));
        s.failed << QStringLiteral("camera");
    }
    QTest::qWait(1500);

    RTools *tools = window.tools();
    s.save(QStringLiteral("main"), &window);
    s.save(QStringLiteral("toolbar"), tools);
    s.save(QStringLiteral("strip"), window.imageList());
    for (const char *name : {"menuSetting", "menuWrite", "menuRotate"})
        s.menu(QString::fromLatin1(name), tools->findChild<QMenu *>(QString::fromLatin1(name)));

    tools->setWrite();
    s.save(QStringLiteral("toolbar-write"), tools);
    tools->setMove();

    tools->setWhiteboard();
    s.save(QStringLiteral("whiteboard"), &window);
    s.save(QStringLiteral("whiteboard-toolbar"), tools);
    tools->setWhiteboard();

    tools->setScrCon();
    QTest::qWait(1500);
    s.save(QStringLiteral("compare-strip"), window.imageList());
    s.save(QStringLiteral("compare-view"), window.imageList()->contrastWidget());
    s.save(QStringLiteral("compare-toolbar"), tools);
    tools->setScrCon();

    window.slotBarcode();
    QTest::qWait(500);
    RScanWidget *scan = nullptr;
    for (QWidget *w : QApplication::allWidgets())
        if (auto *candidate = qobject_cast<RScanWidget *>(w); candidate && candidate->isVisible())
            scan = candidate;
    s.save(QStringLiteral("scan"), scan);
    s.save(QStringLiteral("scan-main"), &window);
    window.slotScanStatus(false);
    window.scene()->removeScanItem();

    s.opened(QStringLiteral("settings"), [&] { window.settingTav(); });
    s.opened(QStringLiteral("cover"), [&] { window.slotCoverDlg(); });
    s.opened(QStringLiteral("draw-settings"), [&] { window.slotDrawset(); });
    s.opened(QStringLiteral("picture-adjustment"), [&] { window.slotCameraSet(); });
    s.opened(QStringLiteral("language"), [&] { tools->setLanguage(); });
    s.opened(QStringLiteral("pdf-tool"), [&] { tools->setPDFTool(); });
    s.opened(QStringLiteral("text-recognition"), [&] { tools->setOCR(); });
    s.opened(QStringLiteral("about"), [&] { tools->setAbout(); });
    s.opened(
        QStringLiteral("detection"),
        [&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *dlg = qobject_cast<RDetectDlg *>(w))
                    dlg->setStepMs(1);
            window.slotDetectDlg();
        },
        [](QWidget *w) {
            auto *dlg = qobject_cast<RDetectDlg *>(w);
            if (dlg)
                dlg->setStepMs(1);
            return !dlg || dlg->isFinished();
        });
    dismissQuestions(s);
    QTest::qWait(500);
    s.save(QStringLiteral("main-after-dialogs"), &window);

    window.closeTavNoConfirm();
    // Closing asks the application to quit; a short loop clears that.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

void shootRecorder(Shooter &s, UiLanguage langue)
{
    {
        RCameraWidgetCV window(langue);
        window.initData(QStringList{QStringLiteral("Brisklet"), QStringLiteral("KT7306219"),
                                    QString::fromLatin1(kCamera), QStringLiteral("1280x720")});
        window.show();
        auto *preview = window.findChild<QLabel *>(QStringLiteral("preview"));
        if (!preview || !QTest::qWaitFor([&] { return !preview->pixmap(Qt::ReturnByValue).isNull(); }, 15000)) {
            say(QStringLiteral("the recorder shows no picture"));
            s.failed << QStringLiteral("recorder preview");
        }
        s.save(QStringLiteral("recorder"), &window);
        dismissQuestions(s);
        window.hide();
    }
    RWaittingDlg waiting(langue);
    waiting.setProgress(0.5);
    waiting.show();
    s.save(QStringLiteral("recorder-finishing"), &waiting);
    waiting.hide();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 4 && QByteArray(argv[1]) == "--compare") {
        QCoreApplication app(argc, argv);
        return compareFolders(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s OUTDIR | --compare DIR_A DIR_B\n", argv[0]);
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();

    // Before QApplication: settings and the platform read these once.
    // A fixed HOME: folder names appear in the dialogs, and must be the same in every run.
    struct Home {
        QString path = QDir::tempPath() + QStringLiteral("/visora-windowshots");
        Home() { QDir(path).removeRecursively(); QDir().mkpath(path); }
        ~Home() { QDir(path).removeRecursively(); }
    } home;
    for (const auto &[name, sub] : {std::pair{"HOME", ""}, {"XDG_CONFIG_HOME", "/.config"},
                                    {"XDG_DATA_HOME", "/.local/share"}, {"XDG_CACHE_HOME", "/.cache"},
                                    {"XDG_STATE_HOME", "/.local/state"}})
        qputenv(name, (home.path + QLatin1String(sub)).toUtf8());
    qputenv("XDG_PICTURES_DIR", (home.path + "/Pictures").toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_SCALE_FACTOR");
    qputenv("QT_PLUGIN_PATH", VISORA_PLUGIN_DIR);
    // No sound server: the microphone lists are empty in every run.
    qputenv("PULSE_SERVER", (home.path + "/no-sound-server").toUtf8());
    QDir().mkpath(home.path + "/work");
    QDir::setCurrent(home.path + "/work");

    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    QApplication app(argc, argv);
    QApplication::setCursorFlashTime(0);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    QCoreApplication::addLibraryPath(QStringLiteral(VISORA_PLUGIN_DIR));
    QTranslator programCatalogue;
    if (programCatalogue.load(QStringLiteral(VISORA_PROGRAM_DIR "/translations/pelnor.qm")))
        app.installTranslator(&programCatalogue);

    const QString picture = home.path + "/camera.png";
    writeCameraPicture(picture);
    const QString json = home.path + "/camera.json";
    writeCameraConfig(json, picture);
    qputenv("VISORA_VIRTUAL_CAMERA", json.toUtf8());
    writeFolderPictures(RSettingsStore::pictureFolder());

    QDir().mkpath(out);
    Shooter shooter(out);
    for (const auto &[langue, name] : {std::pair{UiLanguage::Chinese, "zh"}, {UiLanguage::English, "en"}}) {
        shooter.language = QString::fromLatin1(name);
        shootPresenter(shooter, langue);
        shootRecorder(shooter, langue);
    }
    say(QStringLiteral("%1 pictures in %2").arg(shooter.written).arg(out));
    if (!shooter.failed.isEmpty()) {
        say(QStringLiteral("FAILED: ") + shooter.failed.join(QStringLiteral(", ")));
        return 1;
    }
    return 0;
}
