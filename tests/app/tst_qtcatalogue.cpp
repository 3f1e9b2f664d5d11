#include "VisoraTest.h"

#include "RQtCatalogue.h"

class TestQtCatalogue : public QObject
{
    Q_OBJECT
private slots:
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

VISORA_TEST_MAIN(TestQtCatalogue)
#include "tst_qtcatalogue.moc"
