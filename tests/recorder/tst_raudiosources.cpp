// The microphone list: the rule that shapes the sound server's answer, and the
// running server's answer (scripts/virtual-mic.sh, which the tests need).
#include "RAudioSources.h"
#include "VisoraTest.h"

namespace {

// "name=description", a monitor marked with a trailing "~".
QStringList shown(const RAudioSources::Listing &listing)
{
    QStringList out;
    for (const RAudioSources::Source &s : listing.sources)
        out << s.name + QLatin1Char('=') + s.description + (s.monitor ? QStringLiteral("~") : QString());
    return out;
}

} // namespace

class TestRAudioSources : public QObject
{
    Q_OBJECT

private slots:
    void arrange_data()
    {
        QTest::addColumn<QStringList>("server"); // "name=description" in the server's order
        QTest::addColumn<int>("serverDefault");
        QTest::addColumn<bool>("withMonitors");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<int>("preferred");
        const QString monitor = "out.monitor=Monitor of Speakers";
        QTest::newRow("monitor left out, the default microphone preferred")
            << QStringList{monitor, "usb=USB Mic", "hdmi=Webcam"} << 2 << false << QStringList{"usb=USB Mic", "hdmi=Webcam"} << 1;
        QTest::newRow("default is a monitor: the first microphone preferred")
            << QStringList{monitor, "usb=USB Mic"} << 0 << false << QStringList{"usb=USB Mic"} << 0;
        QTest::newRow("monitors asked for come after the microphones")
            << QStringList{monitor, "usb=USB Mic"} << 1 << true << QStringList{"usb=USB Mic", "out.monitor=Monitor of Speakers~"} << 0;
        QTest::newRow("only monitors: listed on request, none preferred")
            << QStringList{monitor} << 0 << true << QStringList{"out.monitor=Monitor of Speakers~"} << -1;
        QTest::newRow("no description: the name is shown")
            << QStringList{"alsa_input.usb=  "} << -1 << false << QStringList{"alsa_input.usb=alsa_input.usb"} << 0;
        QTest::newRow("two microphones of one model are numbered")
            << QStringList{"a=Desk Mic", "b=Desk Mic", "c=Desk Mic"} << 1 << false
            << QStringList{"a=Desk Mic", "b=Desk Mic (2)", "c=Desk Mic (3)"} << 1;
        QTest::newRow("nameless entry dropped, the default still found")
            << QStringList{" =Ghost", "usb=USB Mic", "b=Other"} << 2 << false << QStringList{"usb=USB Mic", "b=Other"} << 1;
        QTest::newRow("server without sources") << QStringList{} << -1 << true << QStringList{} << -1;
    }
    void arrange()
    {
        QFETCH(QStringList, server);
        QFETCH(int, serverDefault);
        QFETCH(bool, withMonitors);
        QList<RAudioSources::Source> sources;
        for (const QString &entry : server)
            sources.append({entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1), false});
        const RAudioSources::Listing listing = RAudioSources::arrange(sources, serverDefault, withMonitors);
        QTEST(shown(listing), "listed");
        QTEST(listing.preferred, "preferred");
        QVERIFY(listing.error.isEmpty());
    }

    void runningServerListsTheVirtualMicrophone()
    {
        const RAudioSources::Listing listing = RAudioSources::list();
        QVERIFY2(listing.error.isEmpty(), qPrintable(listing.error));
        const QStringList names = shown(listing);
        // Under the name a recording opens.
        QVERIFY2(names.filter(QRegularExpression("^Visora_Microphone=.+[^~]$")).size() == 1, qPrintable(names.join(", ")));
    }
};

VISORA_TEST_MAIN(TestRAudioSources)
#include "tst_raudiosources.moc"
