#include "VisoraTest.h"

#include "FileCheck.h"
#include "RFileNaming.h"

#include <QDir>
#include <QFile>

class TestRFileNaming : public QObject
{
    Q_OBJECT
private slots:
    void baseName_data()
    {
        QTest::addColumn<NameMode>("nameType");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("numLength");
        QTest::addColumn<QString>("expected");
        QTest::newRow("numbered, padded") << NameMode::Number << "IMG" << 7 << 4 << "IMG0007";
        QTest::newRow("numbered, longer than the length") << NameMode::Number << "IMG" << 12345 << 4 << "IMG12345";
        QTest::newRow("time-stamped") << NameMode::Time << "Img" << 7 << 4 << "Img20240305_070809";
        QTest::newRow("separators in the prefix") << NameMode::Number << "../a\\b:" << 1 << 2 << ".._a_b_01";
    }
    void baseName()
    {
        QFETCH(NameMode, nameType);
        QFETCH(QString, prefix);
        QFETCH(int, number);
        QFETCH(int, numLength);
        const QDateTime t(QDate(2024, 3, 5), QTime(7, 8, 9));
        QTEST(RFileNaming::baseName(nameType, prefix, number, numLength, t), "expected");
    }

    void uniqueFileName_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QString>("expected");
        QTest::newRow("free name") << QStringList() << "pdf" << "IMG0007.pdf";
        QTest::newRow("taken: _1 before the extension") << QStringList{"IMG0007.pdf"} << "pdf" << "IMG0007_1.pdf";
        QTest::newRow("taken twice: _2") << QStringList{"IMG0007.pdf", "IMG0007_1.pdf"} << "pdf" << "IMG0007_2.pdf";
        QTest::newRow("no extension") << QStringList{"IMG0007"} << "" << "IMG0007_1";
    }
    void uniqueFileName()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, ext);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const QString &name : existing)
            QVERIFY(VisoraTest::touch(dir.filePath(name)));
        QCOMPARE(RFileNaming::uniqueFileName(dir.path(), "IMG0007", ext), dir.filePath(expected));
    }
};

VISORA_TEST_MAIN(TestRFileNaming)
#include "tst_rfilenaming.moc"
