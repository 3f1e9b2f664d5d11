#include "VisoraTest.h"

#include "RAboutSoftware.h"
#include "RLanguage.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>

class TestRLanguage : public QObject
{
    Q_OBJECT
private slots:
    void language_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("picked");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("langue");
        const QStringList zh{"语言设置", "请选择语言", "确定"}, en{"Language Set", "Select language", "OK"};
        QTest::newRow("OK takes the choice") << 0 << 1 << true << zh << int(QDialog::Accepted) << 1;
        QTest::newRow("OK on the same language") << 1 << 1 << true << en << int(QDialog::Accepted) << 1;
        QTest::newRow("cancel keeps the language") << 0 << 1 << false << zh << int(QDialog::Rejected) << 0;
    }

    void language()
    {
        QFETCH(int, start);
        QFETCH(int, picked);
        QFETCH(bool, ok);
        QFETCH(QStringList, texts);
        RLanguage dialog;
        dialog.m_iLangue = start;
        QStringList shown;
        QTimer::singleShot(0, this, [&] {
            QCOMPARE(QApplication::activeModalWidget(), &dialog);
            auto *combo = dialog.findChild<QComboBox *>();
            shown << dialog.windowTitle() << dialog.findChild<QLabel *>()->text()
                  << dialog.findChild<QPushButton *>("btnOK")->text() << combo->currentText();
            combo->setCurrentIndex(picked);
            dialog.findChild<QPushButton *>(ok ? "btnOK" : "btnCancel")->click();
        });
        QTEST(dialog.exec(), "result");
        QCOMPARE(shown, texts + QStringList{start ? "English" : "中文"});
        QTEST(dialog.m_iLangue, "langue");
    }

    // The Qt catalogue installed beside the program translates Qt's own
    // dialogs, which needs the catalogues it names installed with it.
    void qtCatalogue_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("translation");
        QTest::newRow("dialog buttons (qtbase)") << "QPlatformTheme" << "OK" << "确定";
        QTest::newRow("camera (qtmultimedia)") << "QCamera" << "The camera service is missing" << "相机服务缺失";
    }
    void qtCatalogue()
    {
        QFETCH(QString, context);
        QFETCH(QString, source);
        const QString dir = qEnvironmentVariable("VISORA_PROGRAM_DIR") + "/translations";
        QTranslator qt;
        QVERIFY(qt.load(dir + "/qt_zh_CN.qm"));
        QApplication::installTranslator(&qt);
        const QString shown = QCoreApplication::translate(context.toLatin1(), source.toLatin1());
        QApplication::removeTranslator(&qt);
        QTEST(shown, "translation");
    }

    void about_data()
    {
        QTest::addColumn<int>("langue");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("English") << 1 << QStringList{"About", "Scanner V1.3.0", "OK"};
        QTest::newRow("only 1 is English") << 2 << QStringList{"关于", "高拍仪 V1.3.0", "确定"};
    }

    void about()
    {
        QFETCH(int, langue);
        RAboutSoftware dialog;
        dialog.slotSetLangue(langue);
        auto *button = dialog.findChild<QPushButton *>("btnOK");
        QTEST((QStringList{dialog.windowTitle(), dialog.findChild<QLabel *>("labelName")->text(), button->text()}), "texts");
        QTimer::singleShot(0, button, &QPushButton::click);
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    }
};

VISORA_TEST_MAIN(TestRLanguage)
#include "tst_rlanguage.moc"
