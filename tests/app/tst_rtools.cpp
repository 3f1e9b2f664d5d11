#include "VisoraTest.h"

#include "RPDFTool.h"
#include "RSettingsStore.h"
#include "RTools.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMetaMethod>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>
#include <memory>

namespace {

const QStringList kAll = {"closeApp", "minApp", "sysSetting", "setMove", "setRotate", "setWrite", "setRubber",
                          "setUndo", "setSnap", "setTracker", "setStop", "setPDF", "setCamera11", "setCameraFull",
                          "setCameraSet", "setWhiteboard", "setImageList", "setScrCon", "setFile"};
const QStringList kWhiteboardSet = {"closeApp", "minApp", "setMove", "setWrite", "setRubber", "setUndo", "setSnap",
                                    "setCameraFull", "setWhiteboard", "setImageList", "setScrCon", "setFile"};

// Records the names of the tool bar's signals in the order they are emitted.
class SignalLog : public QObject
{
    Q_OBJECT
public:
    explicit SignalLog(QObject *source)
    {
        const QMetaObject *mo = source->metaObject();
        const QMetaMethod hit = metaObject()->method(metaObject()->indexOfSlot("hit()"));
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i)
            if (mo->method(i).methodType() == QMetaMethod::Signal)
                connect(source, mo->method(i), this, hit);
    }
    QStringList names;
public slots:
    void hit() { names << sender()->metaObject()->method(senderSignalIndex()).name(); }
};

// One step as the teacher takes it: "wait<ms>", "dblclick", "key<X>" (with
// Ctrl+Alt+Shift, "meta" adds Meta, "ctrlalt" leaves Shift out), a button
// click, a menu item, "hide:"/"show:" a button, or else the slot of that name.
void run(RTools *tools, const QString &step)
{
    if (step.startsWith("key")) {
        Qt::KeyboardModifiers mods = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;
        if (step.endsWith("meta"))
            mods |= Qt::MetaModifier;
        else if (step.endsWith("ctrlalt"))
            mods = Qt::ControlModifier | Qt::AltModifier;
        QTest::keyClick(tools, step.at(3).toLatin1(), mods);
    } else if (step.startsWith("hide:") || step.startsWith("show:"))
        tools->showOrHideButton(step.mid(5), step.startsWith("hide:"));
    else if (step.startsWith("wait"))
        QTest::qWait(step.mid(4).toInt());
    else if (step == "dblclick")
        QTest::mouseDClick(tools->findChild<QToolButton *>("setRubber"), Qt::LeftButton);
    else if (auto *button = tools->findChild<QToolButton *>(step); button && !button->menu())
        button->click();
    else if (auto *action = tools->findChild<QAction *>(step))
        action->trigger();
    else
        QVERIFY2(QMetaObject::invokeMethod(tools, step.toLatin1().constData()), qPrintable(step));
}

std::unique_ptr<RTools> shown(int width = 1920, double scale = 1.0, const QStringList &steps = {})
{
    auto tools = std::make_unique<RTools>(width, width * 9 / 16, scale);
    // As the main window makes it: frameless, along the screen bottom.
    tools->setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    const int r = int(1.25 * tools->buttonHeight());
    tools->setGeometry(20, width * 9 / 16 - r - 10, width - 40, r);
    tools->show();
    for (const QString &step : steps)
        run(tools.get(), step);
    return tools;
}

// Runs `act` on the modal dialog the next step opens.
template <typename F>
void onModal(F act)
{
    QTimer::singleShot(0, qApp, [act] {
        if (QWidget *dialog = QApplication::activeModalWidget())
            act(dialog);
    });
}

QStringList visible(RTools *tools)
{
    QStringList names;
    for (const QString &name : kAll)
        if (!tools->findChild<QToolButton *>(name)->isHidden())
            names << name;
    return names;
}

} // namespace

class TestRTools : public QObject
{
    Q_OBJECT
private slots:
    void init() { QSettings(RSettingsStore::organisation(), RSettingsStore::application()).clear(); }

    void sizes_data()
    {
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<QSize>("button");
        QTest::addColumn<int>("minimizeWidth");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("font");
        QTest::newRow("1366 keeps 68 high and a readable font") << 1366 << QSize(56, 68) << 67 << 33 << 12;
        QTest::newRow("3840 wide doubles the font") << 3840 << QSize(160, 160) << 192 << 96 << 24;
        QTest::newRow("degenerate 0 wide") << 0 << QSize(0, 68) << 0 << 0 << 12;
    }

    void sizes()
    {
        QFETCH(int, screenWidth);
        QFETCH(QSize, button);
        QFETCH(int, icon);
        RTools tools(screenWidth, 1080, 1.0);
        auto *snap = tools.findChild<QToolButton *>("setSnap");
        QCOMPARE(snap->size(), button);
        QCOMPARE(snap->maximumSize(), button);
        QTEST(tools.findChild<QToolButton *>("minApp")->width(), "minimizeWidth");
        QCOMPARE(snap->iconSize(), QSize(icon, icon));
        QTEST(snap->font().pixelSize(), "font");
    }

    // Buttons whose plain effect the main window test follows end to end
    // (minimize, erase, spotlight on, 1:1) need no row here.
    void commands_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("emitted");
        const QStringList none, compare{"setScrCon"};
        QTest::newRow("exit") << none << "closeApp" << QStringList{"sClose"};
        QTest::newRow("move") << none << "setMove" << QStringList{"sMoveCamera"};
        QTest::newRow("first annotate draws freehand") << none << "setWrite" << QStringList{"sWrite"};
        QTest::newRow("second annotate opens shapes only") << QStringList{"setWrite"} << "setWrite" << none;
        QTest::newRow("annotate after spotlight draws again") << QStringList{"setWrite", "setTracker"} << "setWrite" << QStringList{"sWrite"};
        QTest::newRow("double-click on erase clears all") << none << "dblclick" << QStringList{"sClearAll"};
        QTest::newRow("spotlight off returns to move") << QStringList{"setTracker"} << "setTracker" << QStringList{"sMoveCamera"};
        QTest::newRow("snapshot shows the strip first") << none << "setSnap" << QStringList{"sImageList", "sSnap"};
        QTest::newRow("1:1 ignored on the whiteboard") << QStringList{"setWhiteboard"} << "setCamera11" << none;
        QTest::newRow("adjustment ignored on the whiteboard") << QStringList{"setWhiteboard"} << "setCameraSet" << none;
        QTest::newRow("whiteboard on returns to move") << none << "setWhiteboard" << QStringList{"sWhiteboard", "sMoveCamera"};
        QTest::newRow("whiteboard off") << QStringList{"setWhiteboard"} << "setWhiteboard" << QStringList{"sWhiteboard"};
        QTest::newRow("snap settings") << none << "setSnapSetting" << QStringList{"sSetting", "sMoveCamera"};
        QTest::newRow("watermark") << none << "setCoverSet" << QStringList{"sCoverDlg"};
        QTest::newRow("rectangle") << none << "setRectange" << QStringList{"sRect"};
        QTest::newRow("pen settings") << none << "setDrawset" << QStringList{"sDrawset"};
        QTest::newRow("compare: rotate still acts") << compare << "setRotate" << QStringList{"sRotate"};
        QTest::newRow("compare: freeze still acts") << compare << "setStop" << QStringList{"sStopCamera"};
        QTest::newRow("compare: snapshot leaves the strip") << compare << "setSnap" << QStringList{"sSnap"};
        QTest::newRow("compare: recorder still acts") << compare << "setRecorder" << QStringList{"sRecorder"};
        QTest::newRow("compare: move ignored") << compare << "setMove" << none;
        QTest::newRow("compare: undo ignored") << compare << "setUndo" << none;
        QTest::newRow("compare: folder ignored") << compare << "setFile" << none;
        QTest::newRow("compare: snap settings ignored") << compare << "setSnapSetting" << none;
        QTest::newRow("compare: shapes ignored") << compare << "setStar" << none;
        QTest::newRow("key I zooms out") << none << "keyI" << QStringList{"sZoom(-4)"};
        QTest::newRow("key O zooms in") << none << "keyO" << QStringList{"sZoom(4)"};
        QTest::newRow("key M snaps") << none << "keyM" << QStringList{"sImageList", "sSnap"};
        QTest::newRow("key P quits without asking") << none << "keyP" << QStringList{"sNoConfirmClose"};
        QTest::newRow("key U rotates") << none << "keyU" << QStringList{"sRotate"};
        QTest::newRow("Ctrl+Alt alone does nothing") << none << "keyIctrlalt" << none;
        QTest::newRow("with Meta too does nothing") << none << "keyUmeta" << none;
    }

    void commands()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, command);
        auto tools = shown(1920, 1.0, before);
        SignalLog log(tools.get());
        QSignalSpy zoom(tools.get(), &RTools::sZoom);
        run(tools.get(), command);
        if (!zoom.isEmpty())
            log.names.last() += QString("(%1)").arg(zoom.at(0).at(0).toInt());
        QTEST(log.names, "emitted");
    }

    void arguments_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QByteArray>("signal");
        QTest::addColumn<QVariantList>("values");
        const QByteArray strip = SIGNAL(sImageList(bool)), snap = SIGNAL(sSnap()), pdf = SIGNAL(sPDF());
        QTest::newRow("collapse hides then shows") << QStringList{"setImageList", "setImageList"} << strip << QVariantList{true, false};
        QTest::newRow("snapshot shows a hidden strip") << QStringList{"setImageList", "setSnap"} << strip << QVariantList{true, false};
        QTest::newRow("compare shows a hidden strip") << QStringList{"setImageList", "setScrCon"} << strip << QVariantList{true, false};
        QTest::newRow("snapshot in compare keeps the collapse state")
            << QStringList{"setScrCon", "setSnap", "setScrCon", "setImageList"} << strip << QVariantList{true};
        QTest::newRow("freeze then resume") << QStringList{"setStop", "setStop"} << QByteArray(SIGNAL(sStopCamera(bool)))
                                            << QVariantList{true, false};
        QTest::newRow("two snapshots within a second give one") << QStringList{"setSnap", "setSnap"} << snap << QVariantList{QVariant()};
        QTest::newRow("completion releases the lock early")
            << QStringList{"setSnap", "slotRecoverCanSnap", "setSnap"} << snap << QVariantList{QVariant(), QVariant()};
        QTest::newRow("still locked after half a second") << QStringList{"setSnap", "wait500", "setSnap"} << snap << QVariantList{QVariant()};
        QTest::newRow("released after a second") << QStringList{"setSnap", "wait1100", "setSnap"} << snap << QVariantList{QVariant(), QVariant()};
        QTest::newRow("PDF and snapshot share the lock") << QStringList{"setPDF", "setSnap", "setPDF"} << pdf << QVariantList{QVariant()};
        QTest::newRow("keyboard snapshot shares the lock") << QStringList{"shutcutSanp", "setSnap"} << snap << QVariantList{QVariant()};
    }

    void arguments()
    {
        QFETCH(QStringList, steps);
        QFETCH(QByteArray, signal);
        auto tools = shown();
        QSignalSpy spy(tools.get(), signal.constData());
        for (const QString &step : steps)
            run(tools.get(), step);
        QVariantList got;
        for (const QList<QVariant> &call : spy)
            got << (call.isEmpty() ? QVariant() : call.at(0));
        QTEST(got, "values");
    }

    // Which buttons show, and which mode button is lit (empty: not checked).
    void state_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("lit");
        QTest::newRow("compare shows only compare") << QStringList{"setScrCon"} << QStringList{"setScrCon"} << "";
        QTest::newRow("leaving compare restores all") << QStringList{"setScrCon", "setScrCon"} << kAll << "";
        QTest::newRow("leaving compare restores the whiteboard set")
            << QStringList{"setWhiteboard", "setScrCon", "setScrCon"} << kWhiteboardSet << "";
        QTest::newRow("whiteboard hides the camera tools") << QStringList{"setWhiteboard"} << kWhiteboardSet << "";
        QTest::newRow("whiteboard off shows all") << QStringList{"setWhiteboard", "setWhiteboard"} << kAll << "";
        QTest::newRow("whiteboard off shows what compare hid") << QStringList{"hide:setScrCon", "show:setWhiteboard"} << kAll << "";
        QTest::newRow("move lit at start") << QStringList{} << kAll << "setMove";
        QTest::newRow("annotate lit") << QStringList{"setWrite"} << QStringList() << "setWrite";
        QTest::newRow("spotlight lit") << QStringList{"setTracker"} << QStringList() << "setTracker";
        QTest::newRow("shape lights annotate") << QStringList{"setRubber", "setEllipse"} << QStringList() << "setWrite";
        QTest::newRow("snap settings light move") << QStringList{"setTracker", "setSnapSetting"} << QStringList() << "setMove";
    }

    void state()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        QFETCH(QString, lit);
        auto tools = shown(1920, 1.0, steps);
        if (!expected.isEmpty())
            QCOMPARE(visible(tools.get()), expected);
        for (const QString &mode : QStringList{"setMove", "setWrite", "setRubber", "setTracker"}) {
            const QRgb background = tools->findChild<QToolButton *>(mode)->grab().toImage().pixel(2, 2);
            if (!lit.isEmpty())
                QCOMPARE(background & 0xffffff, (mode == lit ? qRgb(0, 160, 230) : qRgb(100, 99, 99)) & 0xffffff);
        }
    }

    void shapesMenu_data()
    {
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("menuHeight");
        QTest::newRow("1920") << 1920 << 1.0 << 0 << 336;
        QTest::newRow("2560 at 2.25") << 2560 << 2.25 << -10 << 361;
        QTest::newRow("3840 at 3.5") << 3840 << 3.5 << -20 << 461;
        QTest::newRow("3840 above 3.5") << 3840 << 3.6 << -20 << 336;
    }

    void shapesMenu()
    {
        QFETCH(int, screenWidth);
        QFETCH(double, scale);
        QFETCH(int, dx);
        QFETCH(int, menuHeight);
        auto tools = shown(screenWidth, scale);
        auto *menu = tools->findChild<QMenu *>("menuWrite");
        run(tools.get(), "setWrite");
        QVERIFY(!menu->isVisible());
        run(tools.get(), "setWrite");
        QVERIFY(menu->isVisible());
        const QPoint expected(tools->findChild<QToolButton *>("setWrite")->x() + tools->iconSize().width() / 2 + dx,
                              tools->y() - menuHeight + 10);
        // The offscreen platform adds a 2-pixel frame to popups.
        QVERIFY2((menu->pos() - expected).manhattanLength() <= 4, qPrintable(QString::number(menu->pos().y())));
        menu->hide();
    }

    // A click on the rotate button still turns; its menu ticks mirror and flip,
    // each change reporting both.
    void rotateMenu_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("orientations");
        QTest::addColumn<int>("turns");
        QTest::newRow("click turns, nothing ticked") << "" << QStringList{"clickRotate"} << QStringList() << 1;
        QTest::newRow("mirror on") << "" << QStringList{"setMirror"} << QStringList{"mirror"} << 0;
        QTest::newRow("flip keeps the mirror") << "" << QStringList{"setMirror", "setFlip"} << QStringList{"mirror", "mirror+flip"} << 0;
        QTest::newRow("stored flip ticked silently") << "flip" << QStringList{"setMirror"} << QStringList{"mirror+flip"} << 0;
    }

    void rotateMenu()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, steps);
        auto tools = shown();
        QSignalSpy orientation(tools.get(), &RTools::sOrientation);
        QSignalSpy turn(tools.get(), &RTools::sRotate);
        tools->setOrientation(stored.contains("mirror"), stored.contains("flip"));
        for (const QString &step : steps) {
            if (step == "clickRotate")
                tools->findChild<QToolButton *>("setRotate")->click();
            else
                run(tools.get(), step);
        }
        QStringList got;
        for (const QList<QVariant> &call : orientation) {
            const bool mirror = call.at(0).toBool(), flip = call.at(1).toBool();
            got << (mirror && flip ? "mirror+flip" : mirror ? "mirror" : flip ? "flip" : "plain");
        }
        QTEST(got, "orientations");
        QTEST(int(turn.size()), "turns");
    }

    void texts_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("langue");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        const QStringList none;
        QTest::newRow("English menu item") << none << 1 << "setSnapSetting" << "Snap Set" << "";
        QTest::newRow("any other value is English, tip stays Chinese") << none << 2 << "closeApp" << "Exit" << "关闭";
        QTest::newRow("back to Chinese") << none << 0 << "setUndo" << "撤销擦除" << "撤销擦除";
        QTest::newRow("frozen keeps Unfreeze in English") << QStringList{"setStop"} << 1 << "setStop" << "Unfreeze" << "解冻";
        QTest::newRow("English flip item") << none << 1 << "setFlip" << "Flip" << "";
    }

    void texts()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, langue);
        QFETCH(QString, item);
        auto tools = shown(1920, 1.0, steps);
        tools->slotChangeToolLanguage(1);
        tools->slotChangeToolLanguage(langue);
        if (auto *button = tools->findChild<QToolButton *>(item)) {
            QTEST(button->text(), "text");
            QTEST(button->toolTip(), "toolTip");
        } else {
            QTEST(tools->findChild<QAction *>(item)->text(), "text");
        }
    }

    void languageDialog_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("changed");
        QTest::newRow("choosing English") << 0 << 1 << true << true;
        QTest::newRow("same language writes nothing") << 0 << 0 << true << false;
        QTest::newRow("cancel after moving the combo") << 0 << 1 << false << false;
    }

    void languageDialog()
    {
        QFETCH(int, start);
        QFETCH(int, choice);
        QFETCH(bool, ok);
        QFETCH(bool, changed);
        auto tools = shown();
        tools->setLangue(start);
        QSignalSpy spy(tools.get(), &RTools::sChangeLanguage);
        QPoint dialogPos;
        int shownLangue = -1;
        onModal([&](QWidget *dialog) {
            dialogPos = dialog->pos();
            auto *combo = dialog->findChild<QComboBox *>();
            shownLangue = combo->currentIndex();
            combo->setCurrentIndex(choice);
            dialog->findChild<QPushButton *>(ok ? "btnOK" : "btnCancel")->click();
        });
        run(tools.get(), "setLanguage");
        QCOMPARE(shownLangue, start);
        QCOMPARE(dialogPos, QPoint(tools->findChild<QToolButton *>("sysSetting")->x(), tools->y() - 139));
        QCOMPARE(spy.count(), changed ? 1 : 0);
        QCOMPARE(RSettingsStore::contains(RSettingsKeys::SystemLangue), changed);
        QCOMPARE(tools->langue(), changed ? choice : start);
        if (changed) {
            QCOMPARE(spy.at(0).at(0).toInt(), choice);
            QCOMPARE(RSettingsStore::readInt(RSettingsKeys::SystemLangue), choice);
        }
    }

    // The PDF maker opens on the picture folder; both tools take the interface language.
    void toolDialogs_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("above"); // -1: not placed by the tool bar
        QTest::newRow("PDF maker") << "setPDFTool" << "PDF Maker" << 791;
        QTest::newRow("text recognition") << "setOCR" << "OCR" << -1;
    }

    void toolDialogs()
    {
        QFETCH(QString, command);
        auto tools = shown();
        tools->setLangue(1);
        QWidget *dialog = nullptr;
        QString title, folder;
        QPoint pos;
        onModal([&](QWidget *d) {
            title = d->windowTitle();
            pos = d->pos();
            if (auto *pdf = qobject_cast<RPDFTool *>(d))
                folder = pdf->m_strCurDir;
            dialog = d;
            d->close();
        });
        run(tools.get(), command);
        QVERIFY(dialog);
        QTEST(title, "title");
        QFETCH(int, above);
        if (above >= 0) {
            QCOMPARE(pos, QPoint(10, tools->y() - above));
            QCOMPARE(folder, RSettingsStore::pictureFolder());
        }
    }
};

VISORA_TEST_MAIN(TestRTools)
#include "tst_rtools.moc"
