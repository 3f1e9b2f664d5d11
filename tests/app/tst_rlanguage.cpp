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
        QTest::addColumn<UiLanguage>("start");
        QTest::addColumn<int>("picked");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("result");
        QTest::addColumn<UiLanguage>("langue");
        QTest::newRow("OK takes the choice") << UiLanguage::Chinese << 1 << true << int(QDialog::Accepted) << UiLanguage::English;
        QTest::newRow("cancel keeps the language") << UiLanguage::Chinese << 1 << false << int(QDialog::Rejected)
                                                   << UiLanguage::Chinese;
    }

    void language()
    {
        QFETCH(UiLanguage, start);
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
        QCOMPARE(shown, enumToStored(start));
        QTEST(dialog.m_iLangue, "langue");
    }

    // Qt's own dialog texts follow the interface language, also after a switch.
    void qtCatalogue_data()
    {
        QTest::addColumn<UiLanguage>("language");
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("shown");
        const UiLanguage zh = UiLanguage::Chinese;
        const UiLanguage en = UiLanguage::English;
        QTest::newRow("Chinese dialog buttons (qtbase)") << zh << "QPlatformTheme" << "OK" << "确定";
        QTest::newRow("Chinese camera texts (qtmultimedia)") << zh << "QCamera" << "The camera service is missing" << "相机服务缺失";
        QTest::newRow("English dialog buttons") << en << "QPlatformTheme" << "OK" << "OK";
        QTest::newRow("English colour dialog") << en << "QColorDialog" << "&Red:" << "&Red:";
    }
    void qtCatalogue()
    {
        QFETCH(UiLanguage, language);
        QFETCH(QString, context);
        QFETCH(QString, source);
        RQtCatalogue catalogue;
        const bool chinese = language == UiLanguage::Chinese;
        catalogue.use(chinese ? UiLanguage::English : UiLanguage::Chinese);
        QCOMPARE(catalogue.use(language), chinese);
        QTEST(QCoreApplication::translate(context.toLatin1(), source.toLatin1()), "shown");
    }
};

VISORA_TEST_MAIN(TestRLanguage)
#include "tst_rlanguage.moc"
