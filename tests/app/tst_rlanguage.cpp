#include "VisoraTest.h"

#include "RLanguage.h"
#include "RQtCatalogue.h"

#include <QComboBox>
#include <QPushButton>

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

    // Qt's own dialog texts follow the interface language, also after a switch.
    void qtCatalogue_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Chinese dialog buttons (qtbase)") << 0 << "QPlatformTheme" << "OK" << "确定";
        QTest::newRow("Chinese camera texts (qtmultimedia)") << 0 << "QCamera" << "The camera service is missing" << "相机服务缺失";
        QTest::newRow("English dialog buttons") << 1 << "QPlatformTheme" << "OK" << "OK";
        QTest::newRow("English colour dialog") << 1 << "QColorDialog" << "&Red:" << "&Red:";
    }
    void qtCatalogue()
    {
        QFETCH(int, language);
        QFETCH(QString, context);
        QFETCH(QString, source);
        RQtCatalogue catalogue;
        catalogue.use(1 - language);
        QCOMPARE(catalogue.use(language), language == 0);
        QTEST(QCoreApplication::translate(context.toLatin1(), source.toLatin1()), "shown");
    }
};

VISORA_TEST_MAIN(TestRLanguage)
#include "tst_rlanguage.moc"
