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
#include <map>
#include <memory>

namespace {

const QStringList kAll = {"closeApp", "minApp", "sysSetting", "setMove", "setRotate", "setWrite", "setRubber",
                          "setUndo", "setSnap", "setTracker", "setStop", "setPDF", "setCamera11", "setCameraFull",
                          "setCameraSet", "setWhiteboard", "setImageList", "setScrCon", "setFile"};
const QStringList kWhiteboardSet = {"closeApp", "minApp", "setMove", "setWrite", "setRubber", "setUndo", "setSnap",
                                    "setCameraFull", "setWhiteboard", "setImageList", "setScrCon", "setFile"};

// Records the tool bar's signals in the order they are emitted, as
// "name" or "name(first argument)".
class SignalLog : public QObject
{
    Q_OBJECT
public:
    explicit SignalLog(QObject *source)
    {
        const QMetaObject *mo = source->metaObject();
        const QMetaMethod hit = metaObject()->method(metaObject()->indexOfSlot("hit()"));
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i)
            if (mo->method(i).methodType() == QMetaMethod::Signal) {
                // Connected first, the spy holds the arguments when hit() runs.
                m_spies[i] = std::make_unique<QSignalSpy>(source, mo->method(i));
                connect(source, mo->method(i), this, hit);
            }
    }
    QStringList names;
public slots:
    void hit()
    {
        QString name = sender()->metaObject()->method(senderSignalIndex()).name();
        const QList<QVariant> args = m_spies[senderSignalIndex()]->takeLast();
        names << (args.isEmpty() ? name : name + "(" + args.at(0).toString() + ")");
    }
private:
    std::map<int, std::unique_ptr<QSignalSpy>> m_spies;
};

// One step as the teacher takes it: "dblclick", "key<X>" (with
// Ctrl+Alt+Shift, "ctrlalt" leaves Shift out), a button click, a menu item,
// or else the slot of that name.
void run(RTools *tools, const QString &step)
{
    if (step.startsWith("key")) {
        Qt::KeyboardModifiers mods = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;
        if (step.endsWith("ctrlalt"))
            mods = Qt::ControlModifier | Qt::AltModifier;
        QTest::keyClick(tools, step.at(3).toLatin1(), mods);
    } else if (step == "dblclick")
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

    // A screen reported as 0 wide gives empty buttons, not a crash.
    void zeroWidthScreen() { QCOMPARE(RTools(0, 1080, 1.0).findChild<QToolButton *>("setSnap")->width(), 0); }

    void commands_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("emitted");
        // The handler table, where the main window's test does not click through.
        const QStringList none, compare{"setScrCon"};
        QTest::newRow("exit") << none << "closeApp" << QStringList{"sClose"};
        QTest::newRow("move") << none << "setMove" << QStringList{"sMoveCamera"};
        QTest::newRow("erase") << none << "setRubber" << QStringList{"sRubber"};
        QTest::newRow("watermark") << none << "setCoverSet" << QStringList{"sCoverDlg"};
        QTest::newRow("pen settings") << none << "setDrawset" << QStringList{"sDrawset"};
        QTest::newRow("second annotate opens shapes only") << QStringList{"setWrite"} << "setWrite" << none;
        QTest::newRow("annotate after spotlight draws again") << QStringList{"setWrite", "setTracker"} << "setWrite" << QStringList{"sWrite"};
        QTest::newRow("double-click on erase clears all") << none << "dblclick" << QStringList{"sClearAll"};
        QTest::newRow("spotlight off returns to move") << QStringList{"setTracker"} << "setTracker" << QStringList{"sMoveCamera"};
        QTest::newRow("snapshot shows the strip first") << none << "setSnap" << QStringList{"sImageList(false)", "sSnap"};
        QTest::newRow("second collapse shows the strip") << QStringList{"setImageList"} << "setImageList" << QStringList{"sImageList(false)"};
        QTest::newRow("snapshot shows a hidden strip") << QStringList{"setImageList"} << "setSnap" << QStringList{"sImageList(false)", "sSnap"};
        QTest::newRow("second snapshot within a second locked") << QStringList{"setSnap"} << "setSnap" << none;
        QTest::newRow("completion releases the lock early") << QStringList{"setSnap", "slotRecoverCanSnap"} << "setSnap" << QStringList{"sImageList(false)", "sSnap"};
        QTest::newRow("snapshot locks PDF") << QStringList{"setSnap"} << "setPDF" << none;
        QTest::newRow("PDF locks snapshot") << QStringList{"setPDF"} << "shutcutSanp" << none;
        QTest::newRow("1:1 ignored on the whiteboard") << QStringList{"setWhiteboard"} << "setCamera11" << none;
        QTest::newRow("whiteboard on returns to move") << none << "setWhiteboard" << QStringList{"sWhiteboard(true)", "sMoveCamera"};
        QTest::newRow("whiteboard off") << QStringList{"setWhiteboard"} << "setWhiteboard" << QStringList{"sWhiteboard(false)"};
        QTest::newRow("snap settings") << none << "setSnapSetting" << QStringList{"sSetting", "sMoveCamera"};
        QTest::newRow("compare: rotate still acts") << compare << "setRotate" << QStringList{"sRotate"};
        QTest::newRow("compare: snapshot leaves the strip") << compare << "setSnap" << QStringList{"sSnap"};
        QTest::newRow("compare: shapes ignored") << compare << "setStar" << none;
        QTest::newRow("compare: 1:1 ignored") << compare << "setCamera11" << none;
        QTest::newRow("after compare shapes act") << QStringList{"setScrCon", "setScrCon"} << "setStar" << QStringList{"sStar"};
        QTest::newRow("after whiteboard adjustment acts")
            << QStringList{"setWhiteboard", "setWhiteboard"} << "setCameraSet" << QStringList{"sCameraSet"};
        QTest::newRow("whiteboard and compare: 1:1 stays away")
            << QStringList{"setWhiteboard", "setScrCon", "setScrCon"} << "setCamera11" << none;
        QTest::newRow("key O zooms in") << none << "keyO" << QStringList{"sZoom(4)"};
        QTest::newRow("key P quits without asking") << none << "keyP" << QStringList{"sNoConfirmClose"};
        QTest::newRow("Ctrl+Alt alone does nothing") << none << "keyIctrlalt" << none;
    }

    void commands()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, command);
        auto tools = shown(1920, 1.0, before);
        SignalLog log(tools.get());
        run(tools.get(), command);
        QTEST(log.names, "emitted");
    }

    // Which buttons show.
    void state_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("compare shows only compare") << QStringList{"setScrCon"} << QStringList{"setScrCon"};
        QTest::newRow("leaving compare restores all") << QStringList{"setScrCon", "setScrCon"} << kAll;
        QTest::newRow("leaving compare restores the whiteboard set")
            << QStringList{"setWhiteboard", "setScrCon", "setScrCon"} << kWhiteboardSet;
        QTest::newRow("whiteboard hides the camera tools") << QStringList{"setWhiteboard"} << kWhiteboardSet;
        QTest::newRow("whiteboard off shows all") << QStringList{"setWhiteboard", "setWhiteboard"} << kAll;
    }

    void state()
    {
        QFETCH(QStringList, steps);
        auto tools = shown(1920, 1.0, steps);
        QTEST(visible(tools.get()), "expected");
    }

    // The second annotate click opens the shapes above the bar (one row of its table).
    void shapesMenu()
    {
        auto tools = shown(3840, 3.5);
        auto *menu = tools->findChild<QMenu *>("menuWrite");
        run(tools.get(), "setWrite");
        QVERIFY(!menu->isVisible());
        run(tools.get(), "setWrite");
        QVERIFY(menu->isVisible());
        const QPoint expected(tools->findChild<QToolButton *>("setWrite")->x() + tools->iconSize().width() / 2 - 20,
                              tools->y() - 461 + 10);
        // The offscreen platform adds a 2-pixel frame to popups.
        QVERIFY2((menu->pos() - expected).manhattanLength() <= 4, qPrintable(QString::number(menu->pos().y())));
        menu->hide();
    }

    void languageDialog_data()
    {
        QTest::addColumn<UiLanguage>("start");
        QTest::addColumn<UiLanguage>("choice");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("changed");
        const UiLanguage zh = UiLanguage::Chinese, en = UiLanguage::English;
        QTest::newRow("choosing English") << zh << en << "btnOK" << true;
        QTest::newRow("same language writes nothing") << zh << zh << "btnOK" << false;
        QTest::newRow("cancel keeps the language") << zh << en << "btnCancel" << false;
    }

    void languageDialog()
    {
        QFETCH(UiLanguage, start);
        QFETCH(UiLanguage, choice);
        QFETCH(QString, button);
        QFETCH(bool, changed);
        auto tools = shown();
        tools->setLangue(start);
        QSignalSpy spy(tools.get(), &RTools::sChangeLanguage);
        int shownLangue = -1;
        onModal([&](QWidget *dialog) {
            auto *combo = dialog->findChild<QComboBox *>();
            shownLangue = combo->currentIndex();
            combo->setCurrentIndex(enumToStored(choice));
            dialog->findChild<QPushButton *>(button)->click();
        });
        run(tools.get(), "setLanguage");
        QCOMPARE(shownLangue, enumToStored(start));
        QCOMPARE(spy.count(), changed ? 1 : 0);
        QCOMPARE(RSettingsStore::contains(RSettingsKeys::SystemLangue), changed);
        QCOMPARE(tools->langue(), changed ? choice : start);
        if (changed) {
            QCOMPARE(spy.at(0).at(0).value<UiLanguage>(), choice);
            QCOMPARE(RSettingsStore::readInt(RSettingsKeys::SystemLangue), enumToStored(choice));
        }
    }

    void pdfMakerOpensOnThePictureFolder()
    {
        auto tools = shown();
        QString folder = "<not opened>";
        onModal([&](QWidget *d) {
            if (auto *pdf = qobject_cast<RPDFTool *>(d))
                folder = pdf->m_strCurDir;
            d->close();
        });
        run(tools.get(), "setPDFTool");
        QCOMPARE(folder, RSettingsStore::pictureFolder());
    }
};

VISORA_TEST_MAIN(TestRTools)
#include "tst_rtools.moc"
