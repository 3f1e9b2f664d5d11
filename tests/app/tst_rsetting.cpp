#include "VisoraTest.h"

#include "RSetting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

namespace {

template <typename W>
W *child(RSetting &dialog, const char *name)
{
    W *w = dialog.findChild<W *>(QString::fromLatin1(name));
    if (!w)
        qFatal("missing control %s", name);
    return w;
}

const QList<QSize> kThree = {QSize(640, 480), QSize(1920, 1080), QSize(3264, 2448)};

} // namespace

class TestRSetting : public QObject
{
    Q_OBJECT
private slots:
    void resolution_data()
    {
        QTest::addColumn<QList<QSize>>("resolutions");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("chosenItem");
        QTest::addColumn<int>("taken");
        QTest::newRow("4000 x 3000 selects the last resolution") << kThree << 0 << 4 << "640 x 480" << 0 << 2;
        QTest::newRow("second item selects the first") << kThree << 2 << 4 << "3264 x 2448" << 1 << 0;
        QTest::newRow("out-of-range index shows 4000 x 3000") << kThree << 3 << 4 << "4000 x 3000" << -1 << 2;
        QTest::newRow("no resolutions keeps the stored index") << QList<QSize>{} << 5 << 1 << "4000 x 3000" << -1 << 5;
    }

    void resolution()
    {
        QFETCH(QList<QSize>, resolutions);
        QFETCH(int, stored);
        QFETCH(int, chosenItem);
        RSetting dialog;
        dialog.m_listResolution = resolutions;
        dialog.m_iCurResolutionIndex = stored;
        dialog.initData();
        auto *combo = child<QComboBox>(dialog, "comboResolution");
        QTEST(combo->count(), "count");
        QTEST(combo->currentText(), "shown");
        if (chosenItem >= 0)
            combo->setCurrentIndex(chosenItem);
        child<QPushButton>(dialog, "btnOK")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QTEST(dialog.m_iCurResolutionIndex, "taken");
    }

    void takenValues_data()
    {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QString>("typedNumber");
        QTest::addColumn<QString>("shownType");
        QTest::addColumn<QString>("takenExt");
        QTest::addColumn<int>("takenInterval");
        QTest::addColumn<int>("takenNumber");
        QTest::newRow("tiff contains tif") << "tiff" << 9 << "0012" << "TIF" << "tif" << 9 << 12;
        QTest::newRow("png wins over jpg") << "jpg.png" << 3 << "-3" << "PNG" << "png" << 3 << -3;
        QTest::newRow("jpeg is not jpg") << "jpeg" << 3 << "7" << "PNG" << "png" << 3 << 7;
        QTest::newRow("running number abc is 0") << "jpg" << 3 << "abc" << "JPG" << "jpg" << 3 << 0;
        QTest::newRow("stored interval 0 becomes 1") << "png" << 0 << "1" << "PNG" << "png" << 1 << 1;
        QTest::newRow("interval beyond 9 becomes 9") << "png" << 12 << "1" << "PNG" << "png" << 9 << 1;
    }

    void takenValues()
    {
        QFETCH(QString, ext);
        QFETCH(int, interval);
        QFETCH(QString, typedNumber);
        QFETCH(int, takenInterval);
        RSetting dialog;
        dialog.m_capture.m_strFileExt = ext;
        dialog.m_capture.m_iASnapInterval = interval;
        dialog.m_capture.m_iNameCurNum = 7;
        dialog.m_capture.m_bAutoRotate = true;
        dialog.initData();
        QTEST(child<QComboBox>(dialog, "comboFileType")->currentText(), "shownType");
        QCOMPARE(child<QLineEdit>(dialog, "editCurNum")->text(), QString("7"));
        child<QLineEdit>(dialog, "editCurNum")->setText(typedNumber);
        child<QPushButton>(dialog, "btnOK")->click();
        QTEST(dialog.m_capture.m_strFileExt, "takenExt");
        QCOMPARE(dialog.m_capture.m_iASnapInterval, takenInterval);
        QTEST(dialog.m_capture.m_iNameCurNum, "takenNumber");
        // An untouched control gives back what came in (the main window's
        // test takes the others through the dialog).
        QCOMPARE(dialog.m_capture.m_bAutoRotate, true);
    }

    // A second fill must not pile up items.
    void texts()
    {
        RSetting dialog;
        dialog.m_iLangue = UiLanguage::English;
        dialog.initData();
        dialog.initData();
        QCOMPARE(child<QComboBox>(dialog, "comboColorType")->count(), 3);
        QCOMPARE(dialog.windowTitle(), QString("Snap Setting"));
    }

    void cancelChangesNothing()
    {
        RSetting dialog;
        dialog.m_listResolution = kThree;
        dialog.m_iCurResolutionIndex = 1;
        dialog.m_capture.m_iNameCurNum = 9;
        dialog.initData();
        QTimer::singleShot(0, this, [&] {
            QCOMPARE(QApplication::activeModalWidget(), &dialog);
            child<QComboBox>(dialog, "comboResolution")->setCurrentIndex(0);
            child<QComboBox>(dialog, "comboSnapType")->setCurrentIndex(1);
            child<QLineEdit>(dialog, "editCurNum")->setText("abc");
            child<QCheckBox>(dialog, "checkCardMix")->setChecked(true);
            child<QPushButton>(dialog, "btnCancel")->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(dialog.m_iCurResolutionIndex, 1);
        QCOMPARE(dialog.m_capture.m_iSnapType, SnapMode::Manual);
        QCOMPARE(dialog.m_capture.m_iNameCurNum, 9);
        QCOMPARE(dialog.m_capture.m_bCardMix, false);
    }

    // A field shows its whole text from the first character, also once typed.
    void fieldsFitTheirText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("typed");
        QTest::newRow("deep folder") << "editPath" << "/home/teacher/Pictures/Visora/2026/一年级/数学" << false;
        QTest::newRow("number typed later") << "editCurNum" << "9876543" << true;
    }
    void fieldsFitTheirText()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, typed);
        RSetting dialog;
        dialog.m_capture.m_strCurImageDir = typed ? "/p" : text;
        dialog.initData();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *edit = child<QLineEdit>(dialog, qPrintable(field));
        if (typed) {
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, text);
        }
        QCOMPARE(edit->text(), text);
        edit->setCursorPosition(text.size());
        QApplication::processEvents();
        // The cursor at the end is always in view; the first character must
        // still be at the left edge, so nothing is cut.
        const QRect inside = edit->contentsRect();
        QCOMPARE(edit->cursorPositionAt(QPoint(inside.left() + 3, inside.center().y())), 0);
    }

    void browse()
    {
        const QString start = QDir::currentPath();
        const QString chosen = start + "/chosen";
        QDir().mkpath(chosen);
        RSetting dialog;
        dialog.m_capture.m_strCurImageDir = start;
        dialog.initData();
        dialog.show();
        QTimer::singleShot(100, this, [&] {
            auto *fileDialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(fileDialog);
            fileDialog->setDirectory(chosen);
            static_cast<QDialog *>(fileDialog)->accept();
        });
        child<QPushButton>(dialog, "btnBrowse")->click();
        QCOMPARE(dialog.m_capture.m_strCurImageDir, chosen);
        QCOMPARE(child<QLineEdit>(dialog, "editPath")->text(), chosen);
    }
};

VISORA_TEST_MAIN(TestRSetting)
#include "tst_rsetting.moc"
