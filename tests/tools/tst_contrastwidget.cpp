#include "VisoraTest.h"
#include "BadPictures.h"

#include "GraphicsView.h"
#include "RContrastMath.h"
#include "RCameraGuard.h"
#include "RContrastWidget.h"
#include "RHandWriteWidget.h"
#include "RImageList.h"
#include "RItemScene.h"
#include "RItemView.h"
#include "RListWidget.h"

#include <QCamera>
#include <QGraphicsScene>
#include <QMimeData>
#include <QToolButton>

#include <atomic>
#include <thread>

namespace {

// "bad…" is no picture, "huge…" a PNG over the decode budget; empty when
// it cannot be written.
QString picture(const QString &dir, const QString &name)
{
    const QString path = dir + "/" + name;
    QImage img(320 + name.size() * 10, 240, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QFile f(path);
    const bool written = name.startsWith("huge") ? BadPictures::writeFlatPng(path, QSize(7800, 7800), 8)
                         : name.startsWith("bad") ? f.open(QIODevice::WriteOnly) && f.write("no picture") > 0
                                                  : img.save(path);
    return written ? path : QString();
}

// What each picture pane shows: the file name of its label, "-" when empty.
QStringList panes(const RContrastWidget &w)
{
    QStringList out;
    for (int i = 1; i <= 3; ++i) {
        const QString label = w.pane(i)->labelText();
        out << (w.paneScene(i)->items().isEmpty() ? QString("-") : label.section(' ', 0, 0));
    }
    return out;
}

void showWidget(RContrastWidget &w)
{
    w.resize(800, 600);
    w.show();
}

void drop(RContrastWidget &w, int pane, const QString &path)
{
    QWidget *target = w.pane(pane)->graphicsView->viewport();
    QMimeData mime;
    mime.setText(path);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent dropEv(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropEv);
    auto *scene = static_cast<RItemScene *>(w.paneScene(pane));
    QTRY_VERIFY(!scene->isLoading());
}

} // namespace

class TestContrastWidget : public QObject
{
    Q_OBJECT
    QTemporaryDir m_tmp;

private slots:
    void initTestCase() { qputenv("VISORA_VIRTUAL_CAMERA", qgetenv("VISORA_SOURCE_DIR") + "/virtualcam/sample/virtualcam.json"); }

    // Steps: "open:<name>" as a double-click in the strip, "drop<n>:<name>" onto pane n.
    // A picture the view cannot use takes no pane, leaves the panes as they
    // were and is named in a notice; one the scene would refuse for its
    // memory is refused on a drop too.
    void fillOrder_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("notice");
        QTest::newRow("four opens fill 1, 2, 3 then replace 3")
            << QStringList{"open:a.png", "open:b.png", "open:c.png", "open:d.png"} << QStringList{"a.png", "b.png", "d.png"} << "";
        QTest::newRow("a bad picture takes no pane")
            << QStringList{"drop3:bad2.png", "open:bad.png", "open:a.png"} << QStringList{"a.png", "-", "-"}
            << "Picture not shown: bad.png";
        QTest::newRow("a dropped picture over the budget keeps the pane's picture")
            << QStringList{"drop2:a.png", "drop2:huge.png"} << QStringList{"-", "a.png", "-"} << "Picture not shown: huge.png";
    }
    void fillOrder()
    {
        QFETCH(QStringList, steps);
        RContrastWidget w;
        w.setLangue(UiLanguage::English);
        showWidget(w);
        for (const QString &step : steps) {
            const QString path = picture(m_tmp.path(), step.section(':', 1));
            QVERIFY(!path.isEmpty());
            if (step.startsWith("open")) {
                w.showImage(m_tmp.path(), step.section(':', 1));
                QTRY_COMPARE(w.pendingImages(), 0);
            } else {
                drop(w, step.mid(4, 1).toInt(), path);
            }
        }
        QTEST(panes(w), "expected");
        QTEST(w.noticeText().section(" (", 0, 0), "notice");
    }

    // Ctrl and the wheel zoom a step; the buttons stop at the limits; the view
    // shows what the sliders say: scale, then rotation.
    void paneControls()
    {
        RItemView view;
        view.resize(400, 300);
        view.show();
        QWheelEvent ev(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                       Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.graphicsView->viewport(), &ev);
        QCOMPARE(view.zoomValue(), 256);
        for (int i = 0; i < 300; ++i) {
            view.zoomIn();
            view.rotateRight();
        }
        QCOMPARE(view.zoomValue(), 500);
        QCOMPARE(view.rotateValue(), 360);
        const double s = RContrastMath::zoomScale(500);
        QVERIFY(qFuzzyCompare(view.graphicsView->transform().m11(), s));
        view.rotateLeft();
        const QTransform expected = QTransform().scale(s, s).rotate(view.rotateValue());
        QVERIFY(qFuzzyCompare(1 + view.graphicsView->transform().m12(), 1 + expected.m12()));
    }

    void fitZoom_data()
    {
        QTest::addColumn<QSize>("view");
        QTest::addColumn<QSize>("content");
        QTest::addColumn<int>("value");
        QTest::newRow("twice as large halves") << QSize(400, 300) << QSize(800, 600) << 200;
        QTest::newRow("tiny picture stops at 500") << QSize(4000, 3000) << QSize(1, 1) << 500;
        QTest::newRow("no picture stays 1:1") << QSize(400, 300) << QSize() << 250;
    }
    void fitZoom()
    {
        QFETCH(QSize, view);
        QFETCH(QSize, content);
        QTEST(RContrastMath::fitZoomValue(view, QSizeF(content)), "value");
    }

    // The layout buttons hide the panes a layout leaves out and bring them back.
    void layoutButtons()
    {
        RContrastWidget w;
        showWidget(w);
        const auto shown = [&w] { return QVector<bool>{w.pane(1)->isVisible(), w.pane(2)->isVisible(), w.pane(3)->isVisible()}; };
        w.pane(0)->layoutButton(ContrastLayout::OneAboveOther)->click();
        QCOMPARE(shown(), (QVector<bool>{false, true, false}));
        w.pane(0)->layoutButton(ContrastLayout::FourPanes)->click();
        QCOMPARE(shown(), (QVector<bool>{true, true, true}));
    }

    // Another thread holding the camera lock holds back the view's camera
    // start and stop: the backend crashes on concurrent access.
    void cameraUnderTheLock_data()
    {
        QTest::addColumn<bool>("closing");
        QTest::newRow("opening the camera") << false;
        QTest::newRow("closing the camera") << true;
    }
    void cameraUnderTheLock()
    {
        QFETCH(bool, closing);
        RContrastWidget w;
        showWidget(w);
        if (closing)
            w.initCamera("Visora Document Camera");
        std::atomic<bool> released{false};
        QSemaphore held;
        std::thread other([&] {
            QMutexLocker lock(&RCameraGuard::mutex());
            held.release();
            QThread::msleep(300);
            released = true;
        });
        held.acquire();
        if (closing)
            w.stopCamera();
        else
            w.initCamera("Visora Document Camera");
        const bool waited = released;
        other.join();
        QVERIFY(waited);
        QCOMPARE(w.camera() == nullptr, closing);
    }

    // The strip opens the view beside its list (shown, and kept while comparing)
    // with the camera in pane 0 and sends double-clicks to the panes; a new
    // picture takes a pane's ink with it and the pen keeps writing; closing
    // stops the camera, and the picture panes keep their pictures and ink.
    void stripOpensAndCloses()
    {
        const QString name = "Visora Document Camera";
        const QString dir = m_tmp.path() + "/strip";
        QDir().mkpath(dir);
        picture(dir, "a.png");
        picture(dir, "b.png");
        RImageList strip(QSize(1920, 1080));
        strip.changeDir(dir);
        strip.show();
        RContrastWidget *w = strip.contrastWidget();
        strip.hideShowList();
        QVERIFY(strip.listWidget()->isHidden());
        strip.showScreenContrast(name);
        QVERIFY(strip.cameraIsPlaying() && w->isVisible());
        strip.hideShowList();
        QVERIFY(!strip.listWidget()->isHidden());
        QTRY_COMPARE(w->camera()->state(), QCamera::ActiveState);
        strip.openImageFile(strip.listWidget()->item(1));
        QTRY_COMPARE(w->pendingImages(), 0);
        QCOMPARE(panes(*w), (QStringList{"b.png", "-", "-"}));
        QToolButton *pen = w->pane(1)->toggleButton();
        pen->click();
        QPointer<RHandWriteWidget> first = w->handItem(1);
        QVERIFY(first && first->isDrawing());
        drop(*w, 1, dir + "/a.png");
        QVERIFY(!first && w->handItem(1) && w->handItem(1)->isDrawing());
        QCOMPARE(w->handItem(1)->geometry(), w->paneScene(1)->sceneRect());
        strip.showScreenContrast(name);
        QVERIFY(!strip.cameraIsPlaying() && !w->camera() && !w->isVisible());
        QVERIFY(w->paneScene(0)->items().isEmpty());
        QCOMPARE(panes(*w), (QStringList{"a.png", "-", "-"}));
        QVERIFY(w->handItem(1));
        strip.showScreenContrast(name);
        QVERIFY(strip.cameraIsPlaying());
        pen->click();
        QVERIFY(!w->pane(1)->isAnnotating() && !w->handItem(1)->isDrawing());
    }
};

VISORA_TEST_MAIN(TestContrastWidget)
#include "tst_contrastwidget.moc"
