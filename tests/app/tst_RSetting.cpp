#include "VisoraTest.h"

#include "RSetting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

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
    void resolutionItems_data();
    void resolutionItems();
    void resolutionChoice_data();
    void resolutionChoice();
    void fileType_data();
    void fileType();
    void runningNumber_data();
    void runningNumber();
    void interval_data();
    void interval();
    void valuesSurviveOk_data();
    void valuesSurviveOk();
    void cancelChangesNothing();
    void texts_data();
    void texts();
    void browse_data();
    void browse();
};

void TestRSetting::resolutionItems_data()
{
    QTest::addColumn<QList<QSize>>("resolutions");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("current");
    QTest::newRow("three resolutions give four items") << kThree << 0 << 4 << "640 x 480";
    QTest::newRow("stored index shows its resolution") << kThree << 2 << 4 << "3264 x 2448";
    QTest::newRow("index past the end shows 4000 x 3000") << kThree << 3 << 4 << "4000 x 3000";
    QTest::newRow("negative index shows 4000 x 3000") << kThree << -1 << 4 << "4000 x 3000";
    QTest::newRow("no resolutions") << QList<QSize>{} << 0 << 1 << "4000 x 3000";
}

void TestRSetting::resolutionItems()
{
    QFETCH(QList<QSize>, resolutions);
    QFETCH(int, index);
    QFETCH(int, count);
    QFETCH(QString, current);
    RSetting dialog;
    dialog.m_listResolution = resolutions;
    dialog.m_iCurResolutionIndex = index;
    dialog.initData();
    auto *combo = child<QComboBox>(dialog, "comboResolution");
    QCOMPARE(combo->count(), count);
    QCOMPARE(combo->itemText(0), QString("4000 x 3000"));
    QCOMPARE(combo->currentText(), current);
}

void TestRSetting::resolutionChoice_data()
{
    QTest::addColumn<QList<QSize>>("resolutions");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("index");
    QTest::newRow("4000 x 3000 selects the last resolution") << kThree << 0 << 2;
    QTest::newRow("second item selects the first") << kThree << 1 << 0;
    QTest::newRow("last item selects the last") << kThree << 3 << 2;
    QTest::newRow("no resolutions keeps the stored index") << QList<QSize>{} << 0 << 5;
}

void TestRSetting::resolutionChoice()
{
    QFETCH(QList<QSize>, resolutions);
    QFETCH(int, item);
    QFETCH(int, index);
    RSetting dialog;
    dialog.m_listResolution = resolutions;
    dialog.m_iCurResolutionIndex = 5;
    dialog.initData();
    child<QComboBox>(dialog, "comboResolution")->setCurrentIndex(item);
    child<QPushButton>(dialog, "btnOK")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.m_iCurResolutionIndex, index);
}

void TestRSetting::fileType_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("taken");
    QTest::newRow("png") << "png" << "PNG" << "png";
    QTest::newRow("jpg") << "jpg" << "JPG" << "jpg";
    QTest::newRow("bmp") << "bmp" << "BMP" << "bmp";
    QTest::newRow("tif") << "tif" << "TIF" << "tif";
    QTest::newRow("tiff contains tif") << "tiff" << "TIF" << "tif";
    QTest::newRow("png wins over jpg") << "jpg.png" << "PNG" << "png";
    QTest::newRow("jpeg is not jpg") << "jpeg" << "PNG" << "png";
    QTest::newRow("empty") << "" << "PNG" << "png";
}

void TestRSetting::fileType()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(QString, taken);
    RSetting dialog;
    dialog.m_strFileExt = stored;
    dialog.initData();
    QCOMPARE(child<QComboBox>(dialog, "comboFileType")->currentText(), shown);
    dialog.slotOK();
    QCOMPARE(dialog.m_strFileExt, taken);
}

void TestRSetting::runningNumber_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("number");
    QTest::newRow("number") << "42" << 42;
    QTest::newRow("leading zeros") << "0012" << 12;
    QTest::newRow("negative") << "-3" << -3;
    QTest::newRow("text is 0") << "abc" << 0;
    QTest::newRow("empty is 0") << "" << 0;
    QTest::newRow("trailing letters are 0") << "12a" << 0;
}

void TestRSetting::runningNumber()
{
    QFETCH(QString, typed);
    QFETCH(int, number);
    RSetting dialog;
    dialog.m_iNameCurNum = 7;
    dialog.initData();
    QCOMPARE(child<QLineEdit>(dialog, "editCurNum")->text(), QString("7"));
    child<QLineEdit>(dialog, "editCurNum")->setText(typed);
    dialog.slotOK();
    QCOMPARE(dialog.m_iNameCurNum, number);
}

void TestRSetting::interval_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("seconds");
    QTest::newRow("zero becomes one second") << 0 << 1;
    QTest::newRow("negative becomes one second") << -5 << 1;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("three") << 3 << 3;
    QTest::newRow("nine") << 9 << 9;
    QTest::newRow("beyond nine becomes nine") << 12 << 9;
}

void TestRSetting::interval()
{
    QFETCH(int, stored);
    QFETCH(int, seconds);
    QCOMPARE(RSetting::clampInterval(stored), seconds);
    RSetting dialog;
    dialog.m_iASnapInterval = stored;
    dialog.initData();
    dialog.slotOK();
    QCOMPARE(dialog.m_iASnapInterval, seconds);
}

void TestRSetting::valuesSurviveOk_data()
{
    QTest::addColumn<int>("langue");
    QTest::newRow("Chinese") << 0;
    QTest::newRow("English") << 1;
}

void TestRSetting::valuesSurviveOk()
{
    QFETCH(int, langue);
    RSetting dialog;
    dialog.m_iLangue = langue;
    dialog.m_iVideoType = 1;
    dialog.m_iSnapType = 1;
    dialog.m_strFileExt = "bmp";
    dialog.m_iSaveColorType = 2;
    dialog.m_iASnapInterval = 4;
    dialog.m_iNameType = 1;
    dialog.m_strNamePrefix = "Page";
    dialog.m_iNameNumLength = 5;
    dialog.m_iNameCurNum = 17;
    dialog.m_bCardMix = true;
    dialog.m_bAutoCut = false;
    dialog.m_bAutoRotate = true;
    dialog.m_listResolution = kThree;
    dialog.m_iCurResolutionIndex = 1;
    dialog.m_strPath = "/tmp/pictures";
    dialog.initData();
    child<QPushButton>(dialog, "btnOK")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.m_iVideoType, 1);
    QCOMPARE(dialog.m_iSnapType, 1);
    QCOMPARE(dialog.m_strFileExt, QString("bmp"));
    QCOMPARE(dialog.m_iSaveColorType, 2);
    QCOMPARE(dialog.m_iASnapInterval, 4);
    QCOMPARE(dialog.m_iNameType, 1);
    QCOMPARE(dialog.m_strNamePrefix, QString("Page"));
    QCOMPARE(dialog.m_iNameNumLength, 5);
    QCOMPARE(dialog.m_iNameCurNum, 17);
    QCOMPARE(dialog.m_bCardMix, true);
    QCOMPARE(dialog.m_bAutoCut, false);
    QCOMPARE(dialog.m_bAutoRotate, true);
    QCOMPARE(dialog.m_iCurResolutionIndex, 1);
    QCOMPARE(dialog.m_strPath, QString("/tmp/pictures"));
}

void TestRSetting::cancelChangesNothing()
{
    RSetting dialog;
    dialog.m_listResolution = kThree;
    dialog.m_iCurResolutionIndex = 1;
    dialog.m_iNameCurNum = 9;
    dialog.m_strNamePrefix = "Img";
    dialog.m_iSnapType = 0;
    dialog.initData();
    QTimer::singleShot(0, this, [&] {
        QCOMPARE(QApplication::activeModalWidget(), &dialog);
        child<QComboBox>(dialog, "comboResolution")->setCurrentIndex(0);
        child<QComboBox>(dialog, "comboSnapType")->setCurrentIndex(1);
        child<QLineEdit>(dialog, "editCurNum")->setText("abc");
        child<QLineEdit>(dialog, "editPrefix")->setText("X");
        child<QCheckBox>(dialog, "checkCardMix")->setChecked(true);
        child<QPushButton>(dialog, "btnCancel")->click();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(dialog.m_iCurResolutionIndex, 1);
    QCOMPARE(dialog.m_iSnapType, 0);
    QCOMPARE(dialog.m_iNameCurNum, 9);
    QCOMPARE(dialog.m_strNamePrefix, QString("Img"));
    QCOMPARE(dialog.m_bCardMix, false);
}

void TestRSetting::texts_data()
{
    QTest::addColumn<int>("langue");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QStringList>("colours");
    QTest::addColumn<QString>("cut");
    QTest::newRow("Chinese") << 0 << "设置" << QStringList{"确定", "取消", "设置"}
                             << QStringList{"原始", "灰度", "二值化"} << "自动裁边纠偏";
    QTest::newRow("English") << 1 << "Snap Setting" << QStringList{"OK", "Cancel", "Browse"}
                             << QStringList{"Colorful", "Gray", "Threshold"} << "Auto Cut";
    QTest::newRow("any other value is English") << 3 << "Snap Setting" << QStringList{"OK", "Cancel", "Browse"}
                                                << QStringList{"Colorful", "Gray", "Threshold"} << "Auto Cut";
}

void TestRSetting::texts()
{
    QFETCH(int, langue);
    QFETCH(QString, title);
    QFETCH(QStringList, buttons);
    QFETCH(QStringList, colours);
    QFETCH(QString, cut);
    RSetting dialog;
    dialog.m_iLangue = langue;
    dialog.initData();
    QCOMPARE(dialog.windowTitle(), title);
    QCOMPARE((QStringList{child<QPushButton>(dialog, "btnOK")->text(), child<QPushButton>(dialog, "btnCancel")->text(),
                          child<QPushButton>(dialog, "btnBrowse")->text()}),
             buttons);
    auto *colour = child<QComboBox>(dialog, "comboColorType");
    QStringList items;
    for (int i = 0; i < colour->count(); ++i)
        items << colour->itemText(i);
    QCOMPARE(items, colours);
    QCOMPARE(child<QCheckBox>(dialog, "checkAutoCut")->text(), cut);
    // Initialising twice must not pile up items.
    dialog.initData();
    QCOMPARE(colour->count(), 3);
}

void TestRSetting::browse_data()
{
    QTest::addColumn<bool>("choose");
    QTest::newRow("cancelling keeps the folder") << false;
    QTest::newRow("choosing a folder takes it") << true;
}

void TestRSetting::browse()
{
    QFETCH(bool, choose);
    const QString start = QDir::currentPath();
    const QString chosen = start + "/chosen";
    QDir().mkpath(chosen);
    RSetting dialog;
    dialog.m_strPath = start;
    dialog.initData();
    dialog.show();
    QTimer::singleShot(100, this, [&] {
        auto *fileDialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(fileDialog);
        if (choose) {
            fileDialog->setDirectory(chosen);
            static_cast<QDialog *>(fileDialog)->accept();
        } else {
            fileDialog->reject();
        }
    });
    child<QPushButton>(dialog, "btnBrowse")->click();
    const QString expected = choose ? chosen : start;
    QCOMPARE(dialog.m_strPath, expected);
    QCOMPARE(child<QLineEdit>(dialog, "editPath")->text(), expected);
}

VISORA_TEST_MAIN(TestRSetting)
#include "tst_RSetting.moc"
