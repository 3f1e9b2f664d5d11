#include "VisoraTest.h"

#include "ROrderedResults.h"

// Steps: "+k" asks for k, ">k" delivers k's result, "!k" delivers a failure
// for k, "clear" drops every waiting request. The log has one entry per step:
// the keys that came out with it ("k!" for a failure), "." for none.
class TestOrderedResults : public QObject
{
    Q_OBJECT

private slots:
    void order_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("log");
        QTest::addColumn<int>("pending");
        QTest::newRow("in order, each at once") << QString("+a +b >a >b").split(' ') << ". . a b" << 0;
        QTest::newRow("quick later ones wait for a slow first")
            << QString("+a +b +c >c >b >a").split(' ') << ". . . . . abc" << 0;
        QTest::newRow("failure keeps its turn") << QString("+a +b >b !a").split(' ') << ". . . a!b" << 0;
        QTest::newRow("still out holds the rest") << QString("+a +b +c >a >c").split(' ') << ". . . a ." << 2;
        QTest::newRow("second result for one request ignored")
            << QString("+a +b >b >b >a").split(' ') << ". . . . ab" << 0;
        QTest::newRow("late result of a dropped request ignored")
            << QString("+a +b clear +c >a >b >c").split(' ') << ". . . . . . c" << 0;
        QTest::newRow("dropped request blocks nothing after it")
            << QString("+a clear +b >b >a").split(' ') << ". . . b ." << 0;
        QStringList many;
        for (int i = 0; i < 200; ++i)
            many << QString("+k%1").arg(i);
        QString all;
        for (int i = 199; i >= 0; --i) {
            many << QString(">k%1").arg(i);
            all.prepend(QString("k%1").arg(i));
        }
        QTest::newRow("200 results in reverse come out at the last")
            << many << (QString(". ").repeated(399) + all) << 0;
    }
    void order()
    {
        QFETCH(QStringList, steps);
        ROrderedResults<QString> queue;
        QHash<QString, quint64> tickets;
        QStringList log;
        for (const QString &step : steps) {
            QString out;
            if (step == "clear") {
                queue.clear();
            } else if (step.startsWith('+')) {
                tickets[step.mid(1)] = queue.request(step.mid(1));
            } else {
                const bool failed = step.startsWith('!');
                const auto done = queue.deliver(tickets.value(step.mid(1)), failed ? QString() : "ok " + step.mid(1));
                for (const auto &d : done) {
                    QVERIFY(d.result.isEmpty() || d.result == "ok " + d.key);
                    out += d.key + (d.result.isEmpty() ? "!" : "");
                }
            }
            log << (out.isEmpty() ? "." : out);
        }
        QTEST(log.join(' '), "log");
        QTEST(queue.pending(), "pending");
    }
};

VISORA_TEST_MAIN(TestOrderedResults)
#include "tst_orderedresults.moc"
