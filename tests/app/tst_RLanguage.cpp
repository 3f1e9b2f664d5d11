#include "VisoraTest.h"

#include "RAboutSoftware.h"
#include "RLanguage.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

class TestRLanguage : public QObject
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void choice_data();
    void choice();
    void about_data();
    void about();
};

void TestRLanguage::texts_data()
{
    QTest::addColumn<int>("langue");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<int>("selected");
    QTest::newRow("Chinese") << 0 << "语言设置" << "确定" << 0;
    QTest::newRow("English") << 1 << "Language Set" << "OK" << 1;
}

void TestRLanguage::texts()
{
    QFETCH(int, langue);
    QFETCH(QString, title);
    QFETCH(QString, ok);
    QFETCH(int, selected);
    RLanguage dialog;
    dialog.m_iLangue = langue;
    dialog.show();
    QCOMPARE(dialog.windowTitle(), title);
    QCOMPARE(dialog.findChild<QPushButton *>("btnOK")->text(), ok);
    auto *combo = dialog.findChild<QComboBox *>();
    QCOMPARE(combo->currentIndex(), selected);
    QCOMPARE(combo->itemText(0), QString("中文"));
    QCOMPARE(combo->itemText(1), QString("English"));
}

void TestRLanguage::choice_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("picked");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("langue");
    QTest::newRow("OK takes the choice") << 0 << 1 << true << int(QDialog::Accepted) << 1;
    QTest::newRow("OK on the same language") << 1 << 1 << true << int(QDialog::Accepted) << 1;
    QTest::newRow("cancel keeps the language") << 0 << 1 << false << int(QDialog::Rejected) << 0;
}

void TestRLanguage::choice()
{
    QFETCH(int, start);
    QFETCH(int, picked);
    QFETCH(bool, ok);
    QFETCH(int, result);
    QFETCH(int, langue);
    RLanguage dialog;
    dialog.m_iLangue = start;
    QTimer::singleShot(0, this, [&] {
        QCOMPARE(QApplication::activeModalWidget(), &dialog);
        dialog.findChild<QComboBox *>()->setCurrentIndex(picked);
        dialog.findChild<QPushButton *>(ok ? "btnOK" : "btnCancel")->click();
    });
    QCOMPARE(dialog.exec(), result);
    QCOMPARE(dialog.m_iLangue, langue);
}

void TestRLanguage::about_data()
{
    QTest::addColumn<bool>("setLangue");
    QTest::addColumn<int>("langue");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ok");
    QTest::newRow("as constructed") << false << 0 << "" << "高拍仪软件 V1.3.0" << "确定";
    QTest::newRow("English") << true << 1 << "About" << "Scanner V1.3.0" << "OK";
    QTest::newRow("Chinese") << true << 0 << "关于" << "高拍仪 V1.3.0" << "确定";
    QTest::newRow("only 1 is English") << true << 2 << "关于" << "高拍仪 V1.3.0" << "确定";
}

void TestRLanguage::about()
{
    QFETCH(bool, setLangue);
    QFETCH(int, langue);
    QFETCH(QString, title);
    QFETCH(QString, name);
    QFETCH(QString, ok);
    RAboutSoftware dialog;
    if (setLangue)
        dialog.slotSetLangue(langue);
    QCOMPARE(dialog.windowTitle(), title);
    QCOMPARE(dialog.findChild<QLabel *>("labelName")->text(), name);
    auto *button = dialog.findChild<QPushButton *>("btnOK");
    QCOMPARE(button->text(), ok);
    QTimer::singleShot(0, button, &QPushButton::click);
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
}

VISORA_TEST_MAIN(TestRLanguage)
#include "tst_RLanguage.moc"
