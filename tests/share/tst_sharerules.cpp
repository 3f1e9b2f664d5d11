// The rules a share keeps without a network: keys and how a slow viewer is treated.
#include "VShareKey.h"
#include "VViewerGate.h"
#include "VisoraTest.h"

#include <QSet>

class TestShareRules : public QObject
{
    Q_OBJECT
private slots:
    void keysAreLongFreshAndForgiveCase()
    {
        QSet<QString> seen;
        for (int i = 0; i < 2000; ++i) {
            const QString key = VShareKey::generate();
            QCOMPARE(key.size(), 13); // 65 bits
            QVERIFY2(!key.contains(QRegularExpression(QStringLiteral("[^2-9A-HJ-NP-Z]"))), qPrintable(key));
            seen.insert(key);
        }
        QCOMPARE(seen.size(), 2000);
        const QString key = QStringLiteral("ABCDEFGHJK2MN");
        QVERIFY(VShareKey::matches(QStringLiteral("abcdefghjk2mn"), key));
        QVERIFY(!VShareKey::matches(QStringLiteral("ABCDEFGHJK2M"), key));
        QVERIFY(!VShareKey::matches(QStringLiteral("ABCDEFGHJK2MP"), key));
        QVERIFY(!VShareKey::matches(QString(), QString())); // a stopped share has no key
    }

    // Steps "k|d:pending:ms" (key or delta picture), actions S(end) s(kip) D(isconnect).
    void viewerGate_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("actions");
        QTest::newRow("a new viewer begins at a key frame") << "d:0:0 k:0:33 d:0:66" << "sSS";
        QTest::newRow("a slow viewer skips to the next key frame")
            << "k:0:0 d:2000000:33 d:0:66 d:0:100 k:0:133 d:0:166" << "SsssSS";
        QTest::newRow("a stalled viewer is let go") << "k:0:0 d:2000000:100 k:2000000:5000 k:2000000:8200" << "SssD";
        QTest::newRow("catching up restarts the stall clock")
            << "k:0:0 d:2000000:100 k:0:5000 d:2000000:9000 d:2000000:12000" << "SsSss";
        QTest::newRow("a full queue below the limit still gets everything") << "k:1000000:0 d:999999:33" << "SS";
    }

    void viewerGate()
    {
        QFETCH(QString, steps);
        QFETCH(QString, actions);
        VViewerGate gate(1000000, 8000);
        QString got;
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            const QStringList parts = step.split(QLatin1Char(':'));
            switch (gate.decide(parts[0] == QLatin1String("k"), parts[1].toLongLong(), parts[2].toLongLong())) {
            case VViewerGate::Action::Send: got += QLatin1Char('S'); break;
            case VViewerGate::Action::Skip: got += QLatin1Char('s'); break;
            case VViewerGate::Action::Disconnect: got += QLatin1Char('D'); break;
            }
        }
        QCOMPARE(got, actions);
    }
};

VISORA_TEST_MAIN(TestShareRules)
#include "tst_sharerules.moc"
