#include "VisoraTest.h"

#include "ROrderedResults.h"

// Steps: "+k" asks for k, ">k" delivers its result, "!k" a failure, "clear"
// drops what waits. One log entry a step: what came out ("k!" failed, "k?"
// with another's result), else "."; then "| requests still out".
class TestOrderedResults : public QObject
{
    Q_OBJECT
private slots:
    void order_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("log");
        QTest::newRow("slow first holds back the quick") << "+a +b +c >c >a >b" << ". . . . a bc | 0";
        QTest::newRow("failure keeps its turn") << "+a +b >b !a" << ". . . a!b | 0";
        QTest::newRow("second result ignored, one still out") << "+a +b +c >b !b >a" << ". . . . . ab | 1";
        QTest::newRow("dropped request ignored, blocks nothing") << "+a +b clear +c >a >c >b" << ". . . . . c . | 0";
    }
    void order()
    {
        QFETCH(QString, steps);
        ROrderedResults<QString> queue;
        QHash<QString, quint64> tickets;
        QStringList log;
        for (const QString &step : steps.split(' ')) {
            const QString key = step.mid(1);
            QString out;
            if (step == "clear")
                queue.clear();
            else if (step.startsWith('+'))
                tickets[key] = queue.request(key);
            else
                for (const auto &d : queue.deliver(tickets[key], step.startsWith('!') ? QString() : "ok " + key))
                    out += d.key + (d.result.isEmpty() ? "!" : d.result == "ok " + d.key ? "" : "?");
            log << (out.isEmpty() ? "." : out);
        }
        QTEST(log.join(' ') + QString(" | %1").arg(queue.pending()), "log");
    }
};

VISORA_TEST_MAIN(TestOrderedResults)
#include "tst_orderedresults.moc"
