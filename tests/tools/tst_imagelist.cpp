#include "VisoraTest.h"
#include "BadPictures.h"

#include "RImageList.h"
#include "RListWidget.h"

#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>

#include <fcntl.h>
#include <QScrollBar>

namespace {

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xffffffffu;
    for (const char ch : data) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &body)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s << quint32(body.size());
    out += type + body;
    const quint32 crc = crc32(type + body);
    QDataStream t(&out, QIODevice::Append);
    t << crc;
    return out;
}

QImage picture(const QSize &size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QPainter(&img).fillRect(0, 0, size.width() / 2, size.height() / 2, Qt::yellow);
    return img;
}

// Writes `entry` ("name" or "name|kind") into dir. Kinds: wide (400x300),
// tall (100x400), small (40x30), empty, text, cut-header, cut-half, huge, dir.
void make(const QString &dir, const QString &entry)
{
    const QString name = entry.section('|', 0, 0);
    const QString kind = entry.section('|', 1, 1);
    const QString path = dir + "/" + name;
    QDir().mkpath(QFileInfo(path).path());
    if (kind == "dir") {
        QVERIFY(QDir().mkpath(path));
        return;
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    if (kind == "text" || kind == "empty") {
        f.write(kind == "text" ? "this is no picture\n" : "");
    } else if (kind.startsWith("cut")) {
        QByteArray jpg;
        QBuffer buf(&jpg);
        picture(QSize(800, 600)).save(&buf, "JPG");
        f.write(jpg.left(kind == "cut-header" ? 100 : jpg.size() / 2));
    } else if (kind == "png16-bomb" || kind == "jpeg-108mp") {
        f.close();
        QVERIFY(kind == "jpeg-108mp" ? BadPictures::writeFlatJpeg(path, QSize(12000, 9000))
                                     : BadPictures::writeFlatPng(path, QSize(10000, 10000), 16));
    } else if (kind == "huge") {
        QByteArray ihdr;
        QDataStream(&ihdr, QIODevice::WriteOnly) << quint32(30000) << quint32(30000) << quint8(8)
                                                << quint8(2) << quint8(0) << quint8(0) << quint8(0);
        f.write("\x89PNG\r\n\x1a\n" + pngChunk("IHDR", ihdr) + pngChunk("IEND", {}));
    } else {
        const QSize size = kind == "tall" ? QSize(100, 400) : kind == "small" ? QSize(40, 30) : QSize(400, 300);
        const QByteArray fmt = QFileInfo(name).suffix().toLower().toLatin1();
        if (QImageWriter::supportedImageFormats().contains(fmt))
            QVERIFY(picture(size).save(&f, fmt));
        else
            f.write("unsupported format stand-in");
    }
}

QStringList names(const RImageList &strip)
{
    QStringList out;
    for (int r = 0; r < strip.listWidget()->count(); ++r)
        out << strip.listWidget()->item(r)->text();
    return out;
}

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
    // Lists `entries` in a fresh folder and waits for all thumbnails.
    QString listed(RImageList &strip, const QStringList &entries, const QString &sub = QString())
    {
        const QString d = newDir(sub);
        for (const QString &e : entries)
            make(d, e);
        strip.changeDir(d);
        return d;
    }

private slots:
    void geometry_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<int>("side");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QRect>("strip");
        QTest::addColumn<int>("fontPx");
        QTest::addColumn<QSize>("thumb"); // of a 4:3 picture
        QTest::newRow("full hd") << QSize(1920, 1080) << 180 << QSize(180, 135) << QRect(1660, 0, 240, 980) << 12 << QSize(180, 135);
        QTest::newRow("1366 laptop, no font size") << QSize(1366, 768) << 108 << QSize(108, 81) << QRect(1178, 0, 168, 683) << 0 << QSize(108, 81);
        QTest::newRow("2560 rounds bottom half up") << QSize(2560, 1440) << 258 << QSize(258, 193) << QRect(2222, 0, 318, 1307) << 12 << QSize(257, 193);
        QTest::newRow("4k doubles the font") << QSize(3840, 2160) << 420 << QSize(420, 315) << QRect(3340, 0, 480, 1960) << 24 << QSize(420, 315);
        QTest::newRow("tiny screen keeps a minimal box") << QSize(320, 240) << 16 << QSize(16, 12) << QRect(261, 0, 39, 155) << 0 << QSize(16, 12);
    }
    void geometry()
    {
        QFETCH(QSize, screen);
        QFETCH(int, side);
        QFETCH(QSize, box);
        QFETCH(QRect, strip);
        QFETCH(int, fontPx);
        QFETCH(QSize, thumb);
        RImageList list(screen);
        QCOMPARE(list.itemSide(), side);
        QCOMPARE(list.thumbnailBox(), box);
        QCOMPARE(list.geometry(), strip);
        QCOMPARE(list.listWidget()->iconSize(), QSize(side, side));
        list.listWidget()->ensurePolished();
        if (fontPx) // below 1920 wide the names get no size of their own
            QCOMPARE(QFontInfo(list.listWidget()->font()).pixelSize(), fontPx);
        QVERIFY(list.windowFlags() & Qt::WindowStaysOnTopHint);
        listed(list, {"a.png"});
        QCOMPARE(list.listWidget()->item(0)->data(Qt::SizeHintRole).toSize(), QSize(side, side));
        QTRY_COMPARE(list.pendingThumbnailCount(), 0);
        QCOMPARE(list.listWidget()->item(0)->icon().actualSize(QSize(side, side)), thumb);
    }

    void listing_data()
    {
        QTest::addColumn<QString>("sub");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("filters ignore case, text skipped") << "" << QStringList{"c.txt", "b.JPG", "a.png"} << QStringList{"a.png", "b.JPG"};
        QTest::newRow("every picture extension") << "" << QStringList{"z.jpeg", "y.tif", "x.bmp", "w.Png"} << QStringList{"w.Png", "x.bmp", "y.tif", "z.jpeg"};
        QTest::newRow("look-alike extensions skipped") << "" << QStringList{"a.gif", "b.png.txt", "c.pngx", "d", "e.png"} << QStringList{"e.png"};
        QTest::newRow("folder named like a picture") << "" << QStringList{"x.png|dir", "y.png"} << QStringList{"y.png"};
        QTest::newRow("non-ascii names and folder") << QString::fromUtf8("课堂/Élèves") << QStringList{QString::fromUtf8("黑板.png"), QString::fromUtf8("Ängste.jpg")} << QStringList{QString::fromUtf8("Ängste.jpg"), QString::fromUtf8("黑板.png")};
        QTest::newRow("empty folder") << "" << QStringList{} << QStringList{};
    }
    void listing()
    {
        QFETCH(QString, sub);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, expected);
        RImageList strip(QSize(1920, 1080));
        const QString d = listed(strip, entries, sub);
        QCOMPARE(names(strip), expected);
        QCOMPARE(strip.currentDir(), d);
        for (int r = 0; r < expected.size(); ++r)
            QCOMPARE(strip.listWidget()->item(r)->data(Qt::UserRole + 1).toString(), d + "/" + expected.at(r));
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
    }

    // Bad files still get an item, with the broken-picture mark (no size
    // below); decodable pictures get their thumbnail.
    void thumbnails_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QSize>("icon");
        QTest::newRow("tall jpeg fits the height") << "a.jpg|tall" << QSize(33, 135);
        QTest::newRow("small bmp is enlarged") << "a.bmp|small" << QSize(180, 135);
        QTest::newRow("empty file") << "a.png|empty" << QSize();
        QTest::newRow("text named png") << "a.png|text" << QSize();
        QTest::newRow("jpeg cut in its header") << "a.jpg|cut-header" << QSize();
        QTest::newRow("jpeg cut midway shows the part it has") << "a.jpg|cut-half" << QSize(180, 135);
        QTest::newRow("30000x30000 png header refused") << "a.png|huge" << QSize();
        QTest::newRow("16-bit 10000x10000 png bomb refused") << "a.png|png16-bomb" << QSize();
        QTest::newRow("108 MP jpeg decodes scaled") << "a.jpg|jpeg-108mp" << QSize(180, 135);
    }
    void thumbnails()
    {
        QFETCH(QString, entry);
        QFETCH(QSize, icon);
        RImageList strip(QSize(1920, 1080));
        listed(strip, {entry, "b.png"});
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        QCOMPARE(names(strip), (QStringList{entry.section('|', 0, 0), "b.png"}));
        const QIcon shown = strip.listWidget()->item(0)->icon();
        const QSize markSize = RImageList::brokenPictureIcon().actualSize(QSize(180, 180));
        QVERIFY(!markSize.isEmpty());
        if (icon.isValid())
            QCOMPARE(shown.actualSize(QSize(180, 180)), icon);
        else
            QCOMPARE(shown.pixmap(markSize).toImage(), RImageList::brokenPictureIcon().pixmap(markSize).toImage());
        QCOMPARE(strip.listWidget()->item(1)->icon().actualSize(QSize(180, 180)), QSize(180, 135));
    }

    void snapshots_data()
    {
        QTest::addColumn<QStringList>("snaps"); // "name|kind", "other/name|kind", "-name" (never written)
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("snapshot goes on top") << QStringList{"z.png"} << QStringList{"z.png", "a.png", "b.png"};
        QTest::newRow("newest on top though decoded last") << QStringList{"big.png|huge-ok", "s.png|small"} << QStringList{"s.png", "big.png", "a.png", "b.png"};
        QTest::newRow("snapshot of another folder") << QStringList{"other/o.jpg"} << QStringList{"o.jpg", "a.png", "b.png"};
        QTest::newRow("missing file adds nothing") << QStringList{"-gone.png"} << QStringList{"a.png", "b.png"};
        QTest::newRow("undecodable file adds nothing") << QStringList{"t.png|text", "u.png"} << QStringList{"u.png", "a.png", "b.png"};
        QTest::newRow("overwritten listed file appears once") << QStringList{"b.png|tall"} << QStringList{"b.png", "a.png"};
    }
    void snapshots()
    {
        QFETCH(QStringList, snaps);
        QFETCH(QStringList, expected);
        RImageList strip(QSize(1920, 1080));
        const QString d = listed(strip, {"a.png", "b.png"});
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        for (QString s : snaps) {
            const bool write = !s.startsWith('-');
            s.remove(0, write ? 0 : 1);
            const QString dir = s.startsWith("other/") ? newDir() : d;
            s.remove("other/");
            if (s.endsWith("|huge-ok")) {
                s = s.section('|', 0, 0);
                QVERIFY(picture(QSize(3000, 3000)).save(dir + "/" + s));
            } else if (write) {
                make(dir, s);
            }
            strip.slotAddSnap(dir, s.section('|', 0, 0));
        }
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        QCOMPARE(names(strip), expected);
        QVERIFY(!strip.listWidget()->item(0)->icon().isNull());
        QCOMPARE(QFileInfo(strip.listWidget()->item(0)->data(Qt::UserRole + 1).toString()).fileName(), expected.first());
        emit strip.sInsertOneItem(nullptr);
        QCOMPARE(strip.listWidget()->count(), expected.size());
    }

    void removal_data()
    {
        QTest::addColumn<QStringList>("remove");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("middle and last") << QStringList{"b.png", "c.png"} << QStringList{"a.png"};
        QTest::newRow("all") << QStringList{"a.png", "b.png", "c.png"} << QStringList{};
        QTest::newRow("replaced by a folder") << QStringList{"b.png/"} << QStringList{"a.png", "c.png"};
        QTest::newRow("nothing") << QStringList{} << QStringList{"a.png", "b.png", "c.png"};
    }
    void removal()
    {
        QFETCH(QStringList, remove);
        QFETCH(QStringList, expected);
        RImageList strip(QSize(1920, 1080));
        const QString d = listed(strip, {"a.png", "b.png", "c.png"});
        for (const QString &r : remove) {
            QVERIFY(QFile::remove(d + "/" + QString(r).remove('/')));
            if (r.endsWith('/'))
                QVERIFY(QDir(d).mkdir(QString(r).remove('/')));
        }
        QTRY_COMPARE_WITH_TIMEOUT(names(strip), expected, 2500); // one watch tick plus slack
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
    }

    // A file that vanishes before its thumbnail is decoded leaves no item behind.
    void vanishDuringLoad()
    {
        RImageList strip(QSize(1920, 1080));
        QStringList entries;
        for (int i = 0; i < 30; ++i)
            entries << QString("p%1.jpg").arg(i, 2, 10, QChar('0'));
        const QString d = listed(strip, entries);
        for (int i = 0; i < 30; i += 2)
            QFile::remove(d + "/" + entries.at(i));
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(strip.listWidget()->count(), 15, 2500);
    }

    // A name that is not valid UTF-8 cannot be opened through Qt: the strip
    // lists the others and says which one it left out.
    void undecodableNameIsLogged()
    {
        const QString d = newDir();
        make(d, "good.png");
        const QByteArray raw = QFile::encodeName(d) + "/bad\xff\xfe.png";
        QFile bad;
        const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        QVERIFY(bad.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        QVERIFY(picture(QSize(40, 30)).save(&bad, "PNG"));
        bad.close();
        RImageList strip(QSize(1920, 1080));
        // Under a one-byte system encoding every name decodes and is listed.
        const bool decodes = QFile::encodeName(QFile::decodeName(raw)) == raw;
        if (!decodes)
            QTest::ignoreMessage(QtInfoMsg, QRegularExpression("RImageList::changeDir: not listed.*bad.*%FF%FE\\.png"));
        strip.changeDir(d);
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        QCOMPARE(strip.listWidget()->count(), decodes ? 2 : 1);
        QVERIFY(names(strip).contains("good.png"));
    }

    void snapshotKeepsScrolledRowsInPlace_data()
    {
        QTest::addColumn<bool>("scrolled");
        QTest::newRow("scrolled down: rows stay under the pointer") << true;
        QTest::newRow("at the top: the snapshot shows first") << false;
    }
    void snapshotKeepsScrolledRowsInPlace()
    {
        QFETCH(bool, scrolled);
        RImageList strip(QSize(1920, 1080));
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        QStringList entries;
        for (int i = 0; i < 30; ++i)
            entries << QString("p%1.png|small").arg(i, 2, 10, QChar('0'));
        const QString d = listed(strip, entries);
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        RListWidget *list = strip.listWidget();
        QScrollBar *bar = list->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(scrolled ? bar->maximum() / 2 : 0);
        QListWidgetItem *under = nullptr;
        for (int r = 0; r < list->count() && !under; ++r)
            if (list->visualItemRect(list->item(r)).top() >= list->viewport()->height() / 3)
                under = list->item(r);
        QVERIFY(under);
        const QPoint pointer = list->visualItemRect(under).center();
        const QRect rect = list->visualItemRect(under);
        for (const QString &snap : QStringList{"s1.png", "s2.png"}) {
            make(d, snap);
            strip.slotAddSnap(d, snap);
            QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        }
        QCOMPARE(list->count(), 32);
        if (scrolled) {
            QCOMPARE(list->itemAt(pointer), under);
            QCOMPARE(list->visualItemRect(under), rect);
        } else {
            QCOMPARE(bar->value(), 0);
            QCOMPARE(list->itemAt(list->visualItemRect(list->item(0)).center())->text(), QString("s2.png"));
        }
    }

    // Scrolled during a load, the strip decodes the rows on screen before the rest.
    void visibleRowsFirst()
    {
        RImageList strip(QSize(1920, 1080));
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        const QString d = newDir();
        for (int i = 0; i < 60; ++i)
            make(d, QString("p%1.png").arg(i, 2, 10, QChar('0')));
        QList<int> order;
        strip.changeDir(d);
        RListWidget *lw = strip.listWidget();
        connect(lw->model(), &QAbstractItemModel::dataChanged, this,
                [&](const QModelIndex &i) { order << i.row(); });
        lw->scrollToBottom();
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        QCOMPARE(order.size(), 60);
        QVERIFY2(order.indexOf(59) < order.indexOf(30), qPrintable(QString::number(order.indexOf(59))));
    }

    void changeDirDuringLoad_data()
    {
        QTest::addColumn<QString>("second"); // "other", "same", "missing"
        QTest::newRow("second folder replaces the first") << "other";
        QTest::newRow("same folder listed again") << "same";
        QTest::newRow("missing second folder empties the list") << "missing";
    }
    void changeDirDuringLoad()
    {
        QFETCH(QString, second);
        RImageList strip(QSize(1920, 1080));
        strip.show();
        QStringList wide, tall;
        for (int i = 0; i < 40; ++i) {
            const QString n = QString("p%1.jpg").arg(i, 2, 10, QChar('0'));
            wide << n + "|wide";
            tall << n + "|tall";
        }
        const QString d1 = listed(strip, wide);
        QTest::qWait(5);
        const QString d2 = second == "same" ? d1 : second == "missing" ? d1 + "-missing" : newDir();
        if (second == "other")
            for (int i = 0; i < 3; ++i)
                make(d2, tall.at(i));
        strip.changeDir(d2);
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        QTest::qWait(200); // let late results of the first load arrive
        QCOMPARE(strip.currentDir(), second == "missing" ? d1 : d2);
        QCOMPARE(strip.listWidget()->count(), second == "other" ? 3 : second == "same" ? 40 : 0);
        const QSize icon = second == "other" ? QSize(33, 135) : QSize(180, 135);
        for (int r = 0; r < strip.listWidget()->count(); ++r) {
            QListWidgetItem *it = strip.listWidget()->item(r);
            QCOMPARE(it->data(Qt::UserRole + 1).toString(), d2 + "/" + it->text());
            QCOMPARE(it->icon().actualSize(QSize(180, 180)), icon);
        }
    }

    void missingFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("never existed") << "/nonexistent/visora";
        QTest::newRow("empty path") << "";
        QTest::newRow("path of a file") << "FILE";
    }
    void missingFolder()
    {
        QFETCH(QString, path);
        RImageList strip(QSize(1920, 1080));
        const QString d = listed(strip, {"a.png"});
        if (path == "FILE")
            path = d + "/a.png";
        strip.changeDir(path);
        QCOMPARE(strip.listWidget()->count(), 0);
        QCOMPARE(strip.currentDir(), d);
        QCOMPARE(strip.listWidget()->dir(), path);
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<bool>("onList");
        QTest::addColumn<int>("emitted");
        const int cas = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;
        QTest::newRow("ctrl alt shift P") << int(Qt::Key_P) << cas << false << 1;
        QTest::newRow("ctrl alt shift P on the list") << int(Qt::Key_P) << cas << true << 1;
        QTest::newRow("ctrl shift P") << int(Qt::Key_P) << int(Qt::ControlModifier | Qt::ShiftModifier) << false << 0;
        QTest::newRow("ctrl alt P") << int(Qt::Key_P) << int(Qt::ControlModifier | Qt::AltModifier) << false << 0;
        QTest::newRow("extra meta") << int(Qt::Key_P) << int(cas | Qt::MetaModifier) << false << 0;
        QTest::newRow("other key") << int(Qt::Key_O) << cas << false << 0;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(bool, onList);
        QFETCH(int, emitted);
        RImageList strip(QSize(1920, 1080));
        QSignalSpy spy(&strip, &RImageList::sNoConfirmClose);
        QWidget *target = onList ? static_cast<QWidget *>(strip.listWidget()) : &strip;
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(mods));
        QCOMPARE(spy.count(), emitted);
    }

    void doubleClick_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("otherFolder");
        QTest::newRow("first item") << 0 << false;
        QTest::newRow("last item") << 2 << false;
        QTest::newRow("snapshot of another folder") << 0 << true;
    }
    void doubleClick()
    {
        QFETCH(int, row);
        QFETCH(bool, otherFolder);
        RImageList strip(QSize(1920, 1080));
        const QString d = listed(strip, {"a.png", QString::fromUtf8("b 课.png"), "c.png"});
        QString dir = d;
        if (otherFolder) {
            dir = newDir();
            make(dir, "s.png");
            strip.slotAddSnap(dir, "s.png");
        }
        QTRY_COMPARE(strip.pendingThumbnailCount(), 0);
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        QSignalSpy spy(&strip, &RImageList::imageChanged);
        RListWidget *lw = strip.listWidget();
        const QPoint at = lw->visualItemRect(lw->item(row)).center();
        QTest::mouseClick(lw->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(lw->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0), (QVariantList{dir, lw->item(row)->text()}));
        strip.openImageFile(nullptr);
        QCOMPARE(spy.count(), 1);
    }

    void layout_data()
    {
        QTest::addColumn<int>("toggles");
        QTest::addColumn<QString>("camera");
        QTest::newRow("no toggle") << 0 << "";
        QTest::newRow("one toggle hides") << 1 << QString::fromUtf8("摄像头");
        QTest::newRow("two toggles show") << 2 << "USB Camera";
    }
    void layout()
    {
        QFETCH(int, toggles);
        QFETCH(QString, camera);
        RImageList strip(QSize(1920, 1080));
        strip.show();
        for (int i = 0; i < toggles; ++i)
            strip.hideShowList();
        QCOMPARE(strip.listWidget()->isHidden(), toggles % 2 == 1);
        // Comparing widens the window and shows the list; the list stays
        // while comparing; closing returns to the strip.
        strip.showScreenContrast(camera);
        QVERIFY(strip.cameraIsPlaying());
        QVERIFY(!strip.listWidget()->isHidden());
        QCOMPARE(strip.geometry(), QRect(0, 0, 1900, 980));
        strip.hideShowList();
        QVERIFY(!strip.listWidget()->isHidden());
        strip.showScreenContrast(camera);
        QVERIFY(!strip.cameraIsPlaying());
        QCOMPARE(strip.geometry(), QRect(1660, 0, 240, 980));
        QCOMPARE(strip.listWidget()->width(), 220);
        strip.closeTheWidget();
        QVERIFY(!strip.isVisible());
    }
};

VISORA_TEST_MAIN(TestImageList)
#include "tst_imagelist.moc"
