#include "VisoraTest.h"

#include "QTMyIconStyle.h"
#include "RSettingsStore.h"
#include "RTools.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMetaMethod>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QToolButton>
#include <memory>

namespace {

const QStringList kAllButtons = {"closeApp", "minApp", "sysSetting", "setMove", "setRotate", "setWrite", "setRubber",
                                 "setUndo", "setSnap", "setTracker", "setStop", "setPDF", "setCamera11",
                                 "setCameraFull", "setCameraSet", "setWhiteboard", "setImageList", "setScrCon",
                                 "setFile"};

// Records every signal of the tool bar in the order it was emitted.
class SignalLog : public QObject
{
    Q_OBJECT
public:
    explicit SignalLog(QObject *source)
    {
        const QMetaObject *mo = source->metaObject();
        const QMetaMethod hit = metaObject()->method(metaObject()->indexOfSlot("hit()"));
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            if (mo->method(i).methodType() == QMetaMethod::Signal)
                connect(source, mo->method(i), this, hit);
        }
    }
    QStringList names;
public slots:
    void hit() { names << QString::fromLatin1(sender()->metaObject()->method(senderSignalIndex()).name()); }
};

// Runs a command the way the teacher does: a click where there is a button,
// the menu item where there is one, else the slot.
void run(RTools *tools, const QString &name)
{
    if (auto *button = tools->findChild<QToolButton *>(name); button && !button->menu()) {
        button->click();
        return;
    }
    if (auto *action = tools->findChild<QAction *>(name)) {
        action->trigger();
        return;
    }
    QVERIFY2(QMetaObject::invokeMethod(tools, name.toLatin1().constData()), qPrintable(name));
}

QStringList visibleButtons(RTools *tools)
{
    QStringList names;
    for (const QString &name : kAllButtons) {
        if (!tools->findChild<QToolButton *>(name)->isHidden())
            names << name;
    }
    return names;
}

QRgb backgroundOf(QToolButton *button)
{
    return button->grab().toImage().pixel(2, 2) & 0xffffff;
}

std::unique_ptr<RTools> makeShownTools(int width = 1920, int height = 1080, double scale = 1.0)
{
    auto tools = std::make_unique<RTools>(width, height, scale);
    // As the main window makes it: a frameless top-level along the screen bottom.
    tools->setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    const int r = int(1.25 * tools->buttonHeight());
    tools->setGeometry(20, height - r - 10, width - 40, r);
    tools->show();
    return tools;
}

} // namespace

class TestRTools : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void sizes_data();
    void sizes();
    void commands_data();
    void commands();
    void modeHighlight_data();
    void modeHighlight();
    void snapLock_data();
    void snapLock();
    void compareRestoresVisibility_data();
    void compareRestoresVisibility();
    void whiteboardVisibility_data();
    void whiteboardVisibility();
    void collapse_data();
    void collapse();
    void annotateTwiceOpensShapes_data();
    void annotateTwiceOpensShapes();
    void freeze_data();
    void freeze();
    void languageTexts_data();
    void languageTexts();
    void languageDialog_data();
    void languageDialog();
    void keys_data();
    void keys();
    void rubberDoubleClick_data();
    void rubberDoubleClick();
    void settingMenu_data();
    void settingMenu();
    void shapesIconStyle_data();
    void shapesIconStyle();
    void interfaceOrder_data();
    void interfaceOrder();
};

void TestRTools::init()
{
    QSettings(RSettingsStore::organisation(), RSettingsStore::application()).clear();
}

void TestRTools::sizes_data()
{
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<QSize>("button");
    QTest::addColumn<int>("minimizeWidth");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("font");
    QTest::newRow("1920 wide") << 1920 << QSize(80, 80) << 96 << 48 << 12;
    QTest::newRow("1366 wide keeps 68 high") << 1366 << QSize(56, 68) << 67 << 33 << 12;
    QTest::newRow("2560 wide") << 2560 << QSize(106, 106) << 127 << 63 << 12;
    QTest::newRow("3840 wide doubles the font") << 3840 << QSize(160, 160) << 192 << 96 << 24;
    QTest::newRow("degenerate 0 wide") << 0 << QSize(0, 68) << 0 << 0 << 12;
}

void TestRTools::sizes()
{
    QFETCH(int, screenWidth);
    QFETCH(QSize, button);
    QFETCH(int, minimizeWidth);
    QFETCH(int, icon);
    QFETCH(int, font);
    RTools tools(screenWidth, 1080, 1.0);
    auto *snap = tools.findChild<QToolButton *>("setSnap");
    QCOMPARE(snap->size(), button);
    QCOMPARE(snap->minimumSize(), snap->maximumSize());
    QCOMPARE(tools.findChild<QToolButton *>("minApp")->width(), minimizeWidth);
    QCOMPARE(snap->iconSize(), QSize(icon, icon));
    QCOMPARE(snap->font().pixelSize(), font);
    QCOMPARE(tools.buttonHeight(), button.height());
}

void TestRTools::commands_data()
{
    QTest::addColumn<bool>("compare");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("emitted");

    const QStringList none;
    QTest::newRow("exit") << false << "closeApp" << QStringList{"sClose"};
    QTest::newRow("minimize") << false << "minApp" << QStringList{"sMin"};
    QTest::newRow("move") << false << "setMove" << QStringList{"sMoveCamera"};
    QTest::newRow("first annotate draws freehand") << false << "setWrite" << QStringList{"sWrite"};
    QTest::newRow("erase") << false << "setRubber" << QStringList{"sRubber"};
    QTest::newRow("undo") << false << "setUndo" << QStringList{"sUndo"};
    QTest::newRow("spotlight on") << false << "setTracker" << QStringList{"sTracker"};
    QTest::newRow("snapshot shows the strip first") << false << "setSnap" << QStringList{"sImageList", "sSnap"};
    QTest::newRow("1:1") << false << "setCamera11" << QStringList{"sCamera11"};
    QTest::newRow("fit screen") << false << "setCameraFull" << QStringList{"sCameraFull"};
    QTest::newRow("picture adjustment") << false << "setCameraSet" << QStringList{"sCameraSet"};
    QTest::newRow("whiteboard on returns to move") << false << "setWhiteboard" << QStringList{"sWhiteboard", "sMoveCamera"};
    QTest::newRow("folder") << false << "setFile" << QStringList{"sFile"};
    QTest::newRow("snap settings") << false << "setSnapSetting" << QStringList{"sSetting", "sMoveCamera"};
    QTest::newRow("unconnected settings slot acts as snap settings") << false << "sysSetting" << QStringList{"sSetting", "sMoveCamera"};
    QTest::newRow("recorder") << false << "setRecorder" << QStringList{"sRecorder"};
    QTest::newRow("watermark") << false << "setCoverSet" << QStringList{"sCoverDlg"};
    QTest::newRow("QR code") << false << "setBarcode" << QStringList{"sBarcode"};
    QTest::newRow("detect") << false << "setDetect" << QStringList{"sDetect"};
    QTest::newRow("PDF maker not there yet") << false << "setPDFTool" << none;
    QTest::newRow("text recognition not there yet") << false << "setOCR" << none;
    QTest::newRow("rectangle") << false << "setRectange" << QStringList{"sRect"};
    QTest::newRow("triangle") << false << "setTriangle" << QStringList{"sTriangle"};
    QTest::newRow("ellipse") << false << "setEllipse" << QStringList{"sEllipse"};
    QTest::newRow("star") << false << "setStar" << QStringList{"sStar"};
    QTest::newRow("pen settings") << false << "setDrawset" << QStringList{"sDrawset"};
    QTest::newRow("hand") << false << "setHand" << QStringList{"sWrite"};
    QTest::newRow("tool widget does nothing") << false << "showToolWid" << none;

    QTest::newRow("compare: exit still acts") << true << "closeApp" << QStringList{"sClose"};
    QTest::newRow("compare: rotate still acts") << true << "setRotate" << QStringList{"sRotate"};
    QTest::newRow("compare: spotlight still acts") << true << "setTracker" << QStringList{"sTracker"};
    QTest::newRow("compare: freeze still acts") << true << "setStop" << QStringList{"sStopCamera"};
    QTest::newRow("compare: PDF still acts") << true << "setPDF" << QStringList{"sPDF"};
    QTest::newRow("compare: snapshot leaves the strip alone") << true << "setSnap" << QStringList{"sSnap"};
    QTest::newRow("compare: clear all still acts") << true << "setClearAll" << QStringList{"sClearAll"};
    QTest::newRow("compare: recorder still acts") << true << "setRecorder" << QStringList{"sRecorder"};
    QTest::newRow("compare: minimize ignored") << true << "minApp" << none;
    QTest::newRow("compare: move ignored") << true << "setMove" << none;
    QTest::newRow("compare: annotate ignored") << true << "setWrite" << none;
    QTest::newRow("compare: erase ignored") << true << "setRubber" << none;
    QTest::newRow("compare: undo ignored") << true << "setUndo" << none;
    QTest::newRow("compare: 1:1 ignored") << true << "setCamera11" << none;
    QTest::newRow("compare: whiteboard ignored") << true << "setWhiteboard" << none;
    QTest::newRow("compare: collapse ignored") << true << "setImageList" << none;
    QTest::newRow("compare: folder ignored") << true << "setFile" << none;
    QTest::newRow("compare: snap settings ignored") << true << "setSnapSetting" << none;
    QTest::newRow("compare: shapes ignored") << true << "setStar" << none;
    QTest::newRow("compare: strip slot ignored") << true << "slotShowOrHide" << none;
}

void TestRTools::commands()
{
    QFETCH(bool, compare);
    QFETCH(QString, command);
    QFETCH(QStringList, emitted);
    auto tools = makeShownTools();
    if (compare)
        run(tools.get(), "setScrCon");
    SignalLog log(tools.get());
    if (command == "slotShowOrHide")
        tools->slotShowOrHide(false);
    else
        run(tools.get(), command);
    QCOMPARE(log.names, emitted);
}

void TestRTools::modeHighlight_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("highlighted");
    QTest::newRow("move at start") << QStringList{} << "setMove";
    QTest::newRow("annotate") << QStringList{"setWrite"} << "setWrite";
    QTest::newRow("erase") << QStringList{"setRubber"} << "setRubber";
    QTest::newRow("spotlight") << QStringList{"setTracker"} << "setTracker";
    QTest::newRow("spotlight twice back to move") << QStringList{"setTracker", "setTracker"} << "setMove";
    QTest::newRow("shape keeps annotate") << QStringList{"setRubber", "setEllipse"} << "setWrite";
    QTest::newRow("whiteboard selects move") << QStringList{"setWrite", "setWhiteboard"} << "setMove";
    QTest::newRow("snap settings select move") << QStringList{"setTracker", "setSnapSetting"} << "setMove";
}

void TestRTools::modeHighlight()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, highlighted);
    auto tools = makeShownTools();
    for (const QString &step : steps)
        run(tools.get(), step);
    for (const QString &mode : QStringList{"setMove", "setWrite", "setRubber", "setTracker"}) {
        const QRgb expected = mode == highlighted ? qRgb(0, 160, 230) : qRgb(100, 99, 99);
        QCOMPARE(backgroundOf(tools->findChild<QToolButton *>(mode)), expected & 0xffffff);
    }
}

void TestRTools::snapLock_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("snaps");
    QTest::addColumn<int>("pdfs");
    QTest::newRow("two clicks within a second give one") << QStringList{"setSnap", "setSnap"} << 1 << 0;
    QTest::newRow("completion releases the lock early") << QStringList{"setSnap", "slotRecoverCanSnap", "setSnap"} << 2 << 0;
    QTest::newRow("still locked after half a second") << QStringList{"setSnap", "wait500", "setSnap"} << 1 << 0;
    QTest::newRow("released after one second") << QStringList{"setSnap", "wait1100", "setSnap"} << 2 << 0;
    QTest::newRow("PDF and snapshot share the lock") << QStringList{"setPDF", "setSnap", "setPDF"} << 0 << 1;
    QTest::newRow("keyboard snapshot shares the lock") << QStringList{"shutcutSanp", "setSnap"} << 1 << 0;
    QTest::newRow("recover without a snapshot is harmless") << QStringList{"slotRecoverCanSnap", "setSnap"} << 1 << 0;
}

void TestRTools::snapLock()
{
    QFETCH(QStringList, steps);
    QFETCH(int, snaps);
    QFETCH(int, pdfs);
    auto tools = makeShownTools();
    QSignalSpy snapSpy(tools.get(), &RTools::sSnap);
    QSignalSpy pdfSpy(tools.get(), &RTools::sPDF);
    for (const QString &step : steps) {
        if (step.startsWith("wait"))
            QTest::qWait(step.mid(4).toInt());
        else
            run(tools.get(), step);
    }
    QCOMPARE(snapSpy.count(), snaps);
    QCOMPARE(pdfSpy.count(), pdfs);
}

void TestRTools::compareRestoresVisibility_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::newRow("all visible") << QStringList{};
    QTest::newRow("whiteboard on") << QStringList{"setWhiteboard"};
}

void TestRTools::compareRestoresVisibility()
{
    QFETCH(QStringList, before);
    auto tools = makeShownTools();
    for (const QString &step : before)
        run(tools.get(), step);
    const QStringList visibleBefore = visibleButtons(tools.get());
    run(tools.get(), "setScrCon");
    QCOMPARE(visibleButtons(tools.get()), QStringList{"setScrCon"});
    run(tools.get(), "setScrCon");
    QCOMPARE(visibleButtons(tools.get()), visibleBefore);
}

void TestRTools::whiteboardVisibility_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("visible");
    QTest::newRow("whiteboard on hides the camera tools")
        << QStringList{"setWhiteboard"}
        << QStringList{"closeApp", "minApp", "setMove", "setWrite", "setRubber", "setUndo", "setSnap",
                       "setCameraFull", "setWhiteboard", "setImageList", "setScrCon", "setFile"};
    QTest::newRow("whiteboard off shows all") << QStringList{"setWhiteboard", "setWhiteboard"} << kAllButtons;
    QTest::newRow("whiteboard off also shows what compare hid") << QStringList{"hideForCompare", "showForWhiteboardOff"}
                                                                << kAllButtons;
}

void TestRTools::whiteboardVisibility()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, visible);
    auto tools = makeShownTools();
    for (const QString &step : steps) {
        if (step == "hideForCompare")
            tools->showOrHideButton("setScrCon", true);
        else if (step == "showForWhiteboardOff")
            tools->showOrHideButton("setWhiteboard", false);
        else
            run(tools.get(), step);
    }
    QCOMPARE(visibleButtons(tools.get()), visible);
}

void TestRTools::collapse_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QVariantList>("stripArguments");
    QTest::newRow("first click hides the strip") << QStringList{"setImageList"} << QVariantList{true};
    QTest::newRow("second click shows it") << QStringList{"setImageList", "setImageList"} << QVariantList{true, false};
    QTest::newRow("snapshot after hiding shows it") << QStringList{"setImageList", "setSnap"} << QVariantList{true, false};
    QTest::newRow("compare shows a hidden strip") << QStringList{"setImageList", "setScrCon"} << QVariantList{true, false};
    QTest::newRow("compare leaves a shown strip") << QStringList{"setScrCon"} << QVariantList{};
    QTest::newRow("snapshot in compare keeps the collapse state")
        << QStringList{"setScrCon", "setSnap", "setScrCon", "setImageList"} << QVariantList{true};
}

void TestRTools::collapse()
{
    QFETCH(QStringList, steps);
    QFETCH(QVariantList, stripArguments);
    auto tools = makeShownTools();
    QSignalSpy spy(tools.get(), &RTools::sImageList);
    for (const QString &step : steps)
        run(tools.get(), step);
    QVariantList got;
    for (const QList<QVariant> &call : spy)
        got << call.at(0);
    QCOMPARE(got, stripArguments);
}

void TestRTools::annotateTwiceOpensShapes_data()
{
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("menuHeight");
    QTest::newRow("1920") << 1920 << 1.0 << 0 << 336;
    QTest::newRow("2560 below 2.25") << 2560 << 2.2 << -10 << 336;
    QTest::newRow("2560 at 2.25") << 2560 << 2.25 << -10 << 361;
    QTest::newRow("3840 at 2.25 is not yet taller") << 3840 << 2.25 << -20 << 336;
    QTest::newRow("3840 in (2.25, 2.5]") << 3840 << 2.4 << -20 << 381;
    QTest::newRow("3840 at 3.0") << 3840 << 3.0 << -20 << 416;
    QTest::newRow("3840 at 3.5") << 3840 << 3.5 << -20 << 461;
    QTest::newRow("3840 above 3.5") << 3840 << 3.6 << -20 << 336;
}

void TestRTools::annotateTwiceOpensShapes()
{
    QFETCH(int, screenWidth);
    QFETCH(double, scale);
    QFETCH(int, dx);
    QFETCH(int, menuHeight);
    auto tools = makeShownTools(screenWidth, screenWidth * 9 / 16, scale);
    auto *menu = tools->findChild<QMenu *>("menuWrite");
    QSignalSpy write(tools.get(), &RTools::sWrite);
    run(tools.get(), "setWrite");
    QCOMPARE(write.count(), 1);
    QVERIFY(!menu->isVisible());
    run(tools.get(), "setWrite");
    QCOMPARE(write.count(), 1);
    QVERIFY(menu->isVisible());
    const int annotateX = tools->findChild<QToolButton *>("setWrite")->x();
    const QPoint expected(annotateX + tools->iconSize().width() / 2 + dx, tools->y() - menuHeight + 10);
    // The offscreen platform adds a 2-pixel frame to popups.
    QVERIFY2((menu->pos() - expected).manhattanLength() <= 4,
             qPrintable(QString("menu at %1,%2").arg(menu->pos().x()).arg(menu->pos().y())));
    menu->hide();
}

void TestRTools::freeze_data()
{
    QTest::addColumn<int>("langue");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<bool>("languageSwitchAfter");
    QTest::addColumn<bool>("frozen");
    QTest::addColumn<QString>("text");
    QTest::newRow("one click freezes") << 0 << 1 << false << true << "解冻";
    QTest::newRow("second click resumes") << 0 << 2 << false << false << "冻结";
    QTest::newRow("English freeze") << 1 << 1 << false << true << "Unfreeze";
    QTest::newRow("English resume") << 1 << 2 << false << false << "Freeze";
    QTest::newRow("switching to English while frozen") << 0 << 1 << true << true << "Unfreeze";
    QTest::newRow("switching to English while live") << 0 << 2 << true << false << "Freeze";
}

void TestRTools::freeze()
{
    QFETCH(int, langue);
    QFETCH(int, clicks);
    QFETCH(bool, languageSwitchAfter);
    QFETCH(bool, frozen);
    QFETCH(QString, text);
    auto tools = makeShownTools();
    tools->setLangue(langue);
    tools->slotChangeToolLanguage(langue);
    QSignalSpy spy(tools.get(), &RTools::sStopCamera);
    for (int i = 0; i < clicks; ++i)
        run(tools.get(), "setStop");
    if (languageSwitchAfter)
        tools->slotChangeToolLanguage(1);
    QCOMPARE(spy.count(), clicks);
    QCOMPARE(spy.last().at(0).toBool(), frozen);
    QCOMPARE(tools->findChild<QToolButton *>("setStop")->text(), text);
}

void TestRTools::languageTexts_data()
{
    QTest::addColumn<int>("langue");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("English button, Chinese tip") << 1 << "setSnap" << "Snap" << "拍照";
    QTest::newRow("English 1:1") << 1 << "setCamera11" << "1:1" << "1:1";
    QTest::newRow("English collapse") << 1 << "setImageList" << "Expanse" << "收展";
    QTest::newRow("English settings item") << 1 << "setSnapSetting" << "Snap Set" << "";
    QTest::newRow("English shapes item") << 1 << "setDrawset" << "Draw Setting" << "";
    QTest::newRow("any other value is English") << 2 << "closeApp" << "Exit" << "关闭";
    QTest::newRow("back to Chinese") << 0 << "setUndo" << "撤销擦除" << "撤销擦除";
    QTest::newRow("Chinese settings item") << 0 << "setPDFTool" << "PDF转合" << "";
}

void TestRTools::languageTexts()
{
    QFETCH(int, langue);
    QFETCH(QString, item);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    auto tools = makeShownTools();
    tools->slotChangeToolLanguage(1);
    tools->slotChangeToolLanguage(langue);
    if (auto *button = tools->findChild<QToolButton *>(item)) {
        QCOMPARE(button->text(), text);
        QCOMPARE(button->toolTip(), toolTip);
    } else {
        QCOMPARE(tools->findChild<QAction *>(item)->text(), text);
    }
}

void TestRTools::languageDialog_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("changed");
    QTest::newRow("choosing English") << 0 << 1 << true << true;
    QTest::newRow("choosing Chinese") << 1 << 0 << true << true;
    QTest::newRow("same language writes nothing") << 0 << 0 << true << false;
    QTest::newRow("cancel after moving the combo") << 0 << 1 << false << false;
}

void TestRTools::languageDialog()
{
    QFETCH(int, start);
    QFETCH(int, choice);
    QFETCH(bool, ok);
    QFETCH(bool, changed);
    auto tools = makeShownTools();
    tools->setLangue(start);
    QSignalSpy spy(tools.get(), &RTools::sChangeLanguage);
    QPoint dialogPos;
    int shownLangue = -1;
    QTimer::singleShot(0, this, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
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

void TestRTools::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("emitted");
    QTest::addColumn<QVariant>("argument");
    const int all = int(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    QTest::newRow("I zooms out") << int(Qt::Key_I) << all << QStringList{"sZoom"} << QVariant(-4);
    QTest::newRow("O zooms in") << int(Qt::Key_O) << all << QStringList{"sZoom"} << QVariant(4);
    QTest::newRow("M snaps") << int(Qt::Key_M) << all << QStringList{"sImageList", "sSnap"} << QVariant();
    QTest::newRow("P quits without asking") << int(Qt::Key_P) << all << QStringList{"sNoConfirmClose"} << QVariant();
    QTest::newRow("U rotates") << int(Qt::Key_U) << all << QStringList{"sRotate"} << QVariant();
    QTest::newRow("Ctrl+Alt alone does nothing") << int(Qt::Key_I) << int(Qt::ControlModifier | Qt::AltModifier)
                                                 << QStringList{} << QVariant();
    QTest::newRow("with Meta too does nothing") << int(Qt::Key_U) << (all | int(Qt::MetaModifier)) << QStringList{}
                                                << QVariant();
    QTest::newRow("other key does nothing") << int(Qt::Key_Z) << all << QStringList{} << QVariant();
}

void TestRTools::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, emitted);
    QFETCH(QVariant, argument);
    auto tools = makeShownTools();
    SignalLog log(tools.get());
    QSignalSpy zoom(tools.get(), &RTools::sZoom);
    QTest::keyClick(tools.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(log.names, emitted);
    if (argument.isValid())
        QCOMPARE(zoom.at(0).at(0), argument);
}

void TestRTools::rubberDoubleClick_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("clearAll");
    QTest::newRow("left double-click clears all") << int(Qt::LeftButton) << 1;
    QTest::newRow("right double-click does not") << int(Qt::RightButton) << 0;
}

void TestRTools::rubberDoubleClick()
{
    QFETCH(int, button);
    QFETCH(int, clearAll);
    auto tools = makeShownTools();
    QSignalSpy spy(tools.get(), &RTools::sClearAll);
    QTest::mouseDClick(tools->findChild<QToolButton *>("setRubber"), Qt::MouseButton(button));
    QCOMPARE(spy.count(), clearAll);
}

void TestRTools::settingMenu_data()
{
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<QString>("itemRule");
    QTest::addColumn<bool>("darkMenu");
    QTest::newRow("1920") << 1920 << "margin: 15px; font-size: 12px" << false;
    QTest::newRow("1366 keeps a readable font") << 1366 << "margin: 15px; font-size: 12px" << false;
    QTest::newRow("2560") << 2560 << "margin: 20px; font-size: 12px" << true;
    QTest::newRow("3840") << 3840 << "margin-left: 30px; margin-right: 10px; font-size: 24px" << true;
}

void TestRTools::settingMenu()
{
    QFETCH(int, screenWidth);
    QFETCH(QString, itemRule);
    QFETCH(bool, darkMenu);
    RTools tools(screenWidth, 1080, 1.0);
    auto *button = tools.findChild<QToolButton *>("sysSetting");
    QMenu *menu = button->menu();
    QVERIFY(menu);
    QCOMPARE(button->popupMode(), QToolButton::InstantPopup);
    QStringList items;
    int separators = 0;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            ++separators;
        else
            items << action->text();
    }
    QCOMPARE(items, (QStringList{"语言设置", "拍摄设置", "录音录像", "水印设置", "PDF转合", "扫二维码", "文字识别",
                                 "故障检测", "关于软件"}));
    QCOMPARE(separators, 8);
    QString sheet = menu->styleSheet();
    sheet.remove(QRegularExpression("margin-(top|bottom): 20px; "));
    QVERIFY2(sheet.contains(itemRule), qPrintable(sheet));
    QCOMPARE(sheet.contains("background-color: rgb(68, 69, 73)"), darkMenu);
}

void TestRTools::shapesIconStyle_data()
{
    QTest::addColumn<int>("metric");
    QTest::addColumn<bool>("thirty");
    QTest::newRow("small icons are 30 px") << int(QStyle::PM_SmallIconSize) << true;
    QTest::newRow("other metrics unchanged") << int(QStyle::PM_ToolBarIconSize) << false;
}

void TestRTools::shapesIconStyle()
{
    QFETCH(int, metric);
    QFETCH(bool, thirty);
    QTMyIconStyle style;
    QProxyStyle base;
    const auto m = QStyle::PixelMetric(metric);
    QCOMPARE(style.pixelMetric(m), thirty ? 30 : base.pixelMetric(m));
}

void TestRTools::interfaceOrder_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("signature");
    QTest::newRow("first signal") << 0 << "sClose()";
    QTest::newRow("freeze signal") << 11 << "sStopCamera(bool)";
    QTest::newRow("last signal") << 31 << "sChangeLanguage(int)";
    QTest::newRow("first slot") << 32 << "slotShowOrHide(bool)";
    QTest::newRow("recover slot") << 35 << "slotRecoverCanSnap()";
    QTest::newRow("visibility slot") << 73 << "showOrHideButton(QString,bool)";
    QTest::newRow("last slot") << 75 << "setLastStatus()";
    QTest::newRow("nothing after it") << 76 << "";
}

void TestRTools::interfaceOrder()
{
    QFETCH(int, index);
    QFETCH(QString, signature);
    const QMetaObject &mo = RTools::staticMetaObject;
    const int i = mo.methodOffset() + index;
    QCOMPARE(i < mo.methodCount() ? QString::fromLatin1(mo.method(i).methodSignature()) : QString(), signature);
}

VISORA_TEST_MAIN(TestRTools)
#include "tst_RTools.moc"
