#include "VisoraTest.h"

#include "RImageList.h"
#include "RListWidget.h"

#include <QImageWriter>
#include <QPainter>
#include <QScrollBar>
#include <QTextCodec>

#include <fcntl.h>

namespace {

QImage picture(const QSize &size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QPainter(&img).fillRect(0, 0, size.width() / 2, size.height() / 2, Qt::yellow);
    return img;
}

// Writes `entry` ("name" or "name|kind") into dir. Kinds: wide (400x300),
// tall (100x400), small (40x30), text, dir. Damaged and oversized files are
// the picture loader's test; here one undecodable file stands for them all.
void make(const QString &dir, const QString &entry)
{
    const QString name = entry.section('|', 0, 0), kind = entry.section('|', 1, 1), path = dir + "/" + name;
    if (kind == "dir") {
        QVERIFY(QDir().mkpath(path));
        return;
    }
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QByteArray fmt = QFileInfo(name).suffix().toLower().toLatin1();
    if (kind == "text" || !QImageWriter::supportedImageFormats().contains(fmt))
        f.write("this is no picture\n");
    else
        QVERIFY(picture(kind == "tall" ? QSize(100, 400) : kind == "small" ? QSize(40, 30) : QSize(400, 300)).save(&f, fmt));
}

QStringList names(const RImageList &strip)
{
    QStringList out;
    for (int r = 0; r < strip.listWidget()->count(); ++r)
        out << strip.listWidget()->item(r)->text();
    return out;
}

QStringList numbered(int n, const QString &pattern)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << pattern.arg(i, 2, 10, QChar('0'));
    return out;
}

QSize iconSize(QListWidgetItem *item) { return item->icon().actualSize(QSize(180, 180)); }

} // namespace

class TestImageList : public QObject
{
    Q_OBJECT
    QTemporaryDir m_tmp;
    int m_iDir = 0;
    QString newDir(const QString &sub = QString())
    {
        const QString d = m_tmp.path() + QString("/d%1").arg(++m_iDir) + (sub.isEmpty() ? "" : "/" + sub);
        QDir().mkpath(d);
        return d;
    }
    // Lists `entries` written into a fresh folder.
    QString listed(RImageList &strip, const QStringList &entries, const QString &sub = QString())
    {
        const QString d = newDir(sub);
        for (const QString &e : entries)
            make(d, e);
        strip.changeDir(d);
        return d;
    }

private slots:
    // Bad files still get an item, with the broken-picture mark.
    void listing_data()
    {
        QTest::addColumn<QString>("sub");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("broken"); // the first item shows the broken-picture mark
        QTest::newRow("every picture extension, any case, sorted") << "" << QStringList{"z.jpeg", "y.tif", "x.bmp", "w.Png", "b.JPG", "c.txt"} << QStringList{"b.JPG", "w.Png", "x.bmp", "y.tif", "z.jpeg"} << false;
        QTest::newRow("look-alikes and folders skipped") << "" << QStringList{"a.gif", "b.png.txt", "c.pngx", "d", "x.png|dir", "e.png"} << QStringList{"e.png"} << false;
        QTest::newRow("non-ascii names and folder") << QString::fromUtf8("课堂/Élèves") << QStringList{QString::fromUtf8("黑板.png"), QString::fromUtf8("Ängste.jpg")} << QStringList{QString::fromUtf8("Ängste.jpg"), QString::fromUtf8("黑板.png")} << false;
        QTest::newRow("text named png marked") << "" << QStringList{"a.png|text", "b.png"} << QStringList{"a.png", "b.png"} << true;
    }
    void listing()
    {
        QFETCH(QString, sub);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, expected);
        QFETCH(bool, broken);
        RImageList strip(QSize(1920, 1080));
        const QString d = listed(strip, entries, sub);
        QCOMPARE(names(strip), expected);
        QCOMPARE(strip.listWidget()->item(expected.size() - 1)->data(Qt::UserRole + 1).toString(), d + "/" + expected.last());
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        const QSize mark = RImageList::brokenPictureIcon().actualSize(QSize(180, 180));
        QVERIFY(!mark.isEmpty());
        QCOMPARE(strip.listWidget()->item(0)->icon().pixmap(mark).toImage() == RImageList::brokenPictureIcon().pixmap(mark).toImage(), broken);
        QCOMPARE(iconSize(strip.listWidget()->item(expected.size() - 1)), QSize(180, 135));
    }

    void snapshots_data()
    {
        QTest::addColumn<QStringList>("snaps"); // "name|kind", "other/name|kind", "-name" (never written)
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("snapshot of another folder") << QStringList{"other/课 o.jpg"} << QStringList{"课 o.jpg", "a.png", "b.png"};
        QTest::newRow("missing or undecodable file adds nothing") << QStringList{"-gone.png", "t.png|text", "u.png"} << QStringList{"u.png", "a.png", "b.png"};
        QTest::newRow("overwritten listed file appears once") << QStringList{"b.png|tall"} << QStringList{"b.png", "a.png"};
    }
    void snapshots()
    {
        QFETCH(QStringList, snaps);
        QFETCH(QStringList, expected);
        RImageList strip(QSize(1920, 1080));
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        const QString d = listed(strip, {"a.png", "b.png"});
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        QString dir;
        for (QString s : snaps) {
            dir = s.startsWith("other/") ? newDir() : d;
            s.remove("other/");
            if (!s.startsWith('-'))
                make(dir, s);
            strip.slotAddSnap(dir, s.remove('-').section('|', 0, 0));
        }
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        QCOMPARE(names(strip), expected);
        QVERIFY(!strip.listWidget()->item(0)->icon().isNull());
        // A double-click opens the newest snapshot from its own folder.
        QSignalSpy opened(&strip, &RImageList::imageChanged);
        RListWidget *lw = strip.listWidget();
        const QPoint at = lw->visualItemRect(lw->item(0)).center();
        QTest::mouseClick(lw->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(lw->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(opened.value(0), (QVariantList{dir, expected.first()}));
        emit strip.sInsertOneItem(nullptr);
        QCOMPARE(strip.listWidget()->count(), expected.size());
    }

    void removal_data()
    {
        QTest::addColumn<QStringList>("remove"); // "name/": replaced by a folder
        QTest::addColumn<bool>("vanishEarly"); // of 30 more files, half removed before their thumbnails
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("middle and last") << QStringList{"b.png", "c.png"} << false << QStringList{"a.png"};
        QTest::newRow("replaced by a folder") << QStringList{"b.png/"} << false << QStringList{"a.png", "c.png"};
        QTest::newRow("vanished before decoding leaves no item") << QStringList{} << true << QStringList{"a.png", "b.png", "c.png"};
    }
    void removal()
    {
        QFETCH(QStringList, remove);
        QFETCH(bool, vanishEarly);
        QFETCH(QStringList, expected);
        RImageList strip(QSize(1920, 1080));
        const QStringList more = numbered(vanishEarly ? 30 : 0, "p%1.jpg");
        const QString d = listed(strip, QStringList{"a.png", "b.png", "c.png"} + more);
        for (int i = 0; i < more.size(); i += 2)
            QFile::remove(d + "/" + more.at(i));
        for (const QString &r : remove) {
            QVERIFY(QFile::remove(d + "/" + QString(r).remove('/')));
            if (r.endsWith('/'))
                QVERIFY(QDir(d).mkdir(QString(r).remove('/')));
        }
        for (int i = 1; i < more.size(); i += 2)
            expected << more.at(i);
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(names(strip), expected, 2500); // one watch tick plus slack
    }

    // Under a UTF-8 system a GBK name from a Windows stick cannot be opened
    // through Qt: the strip lists the others and says how many it left out.
    void undecodableNameIsLeftOut()
    {
        QTextCodec *before = QTextCodec::codecForLocale();
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
        const QString d = newDir();
        make(d, "good.png");
        const QByteArray raw = QFile::encodeName(d) + "/\xba\xda\xb0\xe5.png"; // "blackboard" in GBK
        QFile bad;
        const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0 && bad.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        QVERIFY(picture(QSize(40, 30)).save(&bad, "PNG"));
        bad.close();
        RImageList strip(QSize(1920, 1080));
        strip.setLangue(UiLanguage::English);
        strip.changeDir(d);
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        QCOMPARE(names(strip), QStringList{"good.png"});
        QVERIFY2(strip.leftOutText().startsWith("1 picture(s) not shown"), qPrintable(strip.leftOutText()));
        strip.changeDir(newDir());
        QVERIFY(strip.leftOutText().isEmpty());
        QTextCodec::setCodecForLocale(before);
    }

    // Thumbnails past the byte budget are dropped where the teacher does not
    // look and come back when their rows scroll into view; scrolled down, the
    // rows stay under the pointer when snapshots arrive.
    void longFolderScrolled()
    {
        RImageList strip(QSize(1920, 1080));
        const qint64 one = 180 * 135 * 4;
        strip.setThumbnailBudget(4 * one);
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        const QString d = listed(strip, numbered(40, "p%1.png|small"));
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        RListWidget *list = strip.listWidget();
        int withIcon = 0, onScreen = 0;
        for (int r = 0; r < list->count(); ++r) {
            withIcon += !list->item(r)->icon().isNull();
            onScreen += list->visualItemRect(list->item(r)).intersects(list->viewport()->rect());
        }
        QVERIFY2(withIcon <= qMax(4, onScreen), qPrintable(QString::number(withIcon)));
        QVERIFY(strip.thumbnailBytes() <= qMax(4, onScreen) * one);
        QScrollBar *bar = list->verticalScrollBar();
        bar->setValue(bar->maximum());
        QTRY_VERIFY(!list->item(list->count() - 1)->icon().isNull());
        QCOMPARE(iconSize(list->item(list->count() - 1)), QSize(180, 135));
        bar->setValue(bar->maximum() / 2);
        QListWidgetItem *under = nullptr;
        for (int r = 0; r < list->count() && !under; ++r)
            if (list->visualItemRect(list->item(r)).top() >= list->viewport()->height() / 3)
                under = list->item(r);
        QVERIFY(under);
        const QRect rect = list->visualItemRect(under);
        for (const QString &snap : QStringList{"s1.png", "s2.png"}) {
            make(d, snap);
            strip.slotAddSnap(d, snap);
            QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        }
        QCOMPARE(list->count(), 42);
        QCOMPARE(list->itemAt(rect.center()), under);
        QCOMPARE(list->visualItemRect(under), rect);
    }

    // Late results of the first load never land in the second listing.
    void changeDirDuringLoad_data()
    {
        QTest::addColumn<QString>("second"); // "other", "missing"
        QTest::addColumn<int>("count");
        QTest::newRow("second folder replaces the first") << "other" << 3;
        QTest::newRow("missing folder empties the list, keeps the current one") << "missing" << 0;
    }
    void changeDirDuringLoad()
    {
        QFETCH(QString, second);
        QFETCH(int, count);
        RImageList strip(QSize(1920, 1080));
        strip.show();
        const QString d1 = listed(strip, numbered(40, "p%1.jpg|wide"));
        QTest::qWait(5);
        const QString d2 = second == "missing" ? d1 + "-missing" : newDir();
        for (const QString &n : numbered(second == "other" ? 3 : 0, "p%1.jpg|tall"))
            make(d2, n);
        strip.changeDir(d2);
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        QTest::qWait(200); // let late results of the first load arrive
        QCOMPARE(strip.currentDir(), count ? d2 : d1);
        QCOMPARE(strip.listWidget()->dir(), d2);
        QCOMPARE(strip.listWidget()->count(), count);
        for (int r = 0; r < count; ++r) {
            QListWidgetItem *it = strip.listWidget()->item(r);
            QCOMPARE(it->data(Qt::UserRole + 1).toString(), d2 + "/" + it->text());
            QCOMPARE(iconSize(it), QSize(33, 135));
        }
    }
};

VISORA_TEST_MAIN(TestImageList)
#include "tst_imagelist.moc"
