#include "VisoraTest.h"

#include "RLanguage.h"

#include <QComboBox>
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
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("langue");
        QTest::newRow("OK takes the choice") << 0 << 1 << true << int(QDialog::Accepted) << 1;
        QTest::newRow("cancel keeps the language") << 0 << 1 << false << int(QDialog::Rejected) << 0;
    }

    void language()
    {
        QFETCH(int, start);
        QFETCH(int, picked);
        QFETCH(bool, ok);
        RLanguage dialog;
        dialog.m_iLangue = start;
        int shown = -1;
        QTimer::singleShot(0, this, [&] {
            QCOMPARE(QApplication::activeModalWidget(), &dialog);
            auto *combo = dialog.findChild<QComboBox *>();
            shown = combo->currentIndex();
            combo->setCurrentIndex(picked);
            dialog.findChild<QPushButton *>(ok ? "btnOK" : "btnCancel")->click();
        });
        QTEST(dialog.exec(), "result");
        QCOMPARE(shown, start);
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
};

VISORA_TEST_MAIN(TestRLanguage)
#include "tst_rlanguage.moc"
