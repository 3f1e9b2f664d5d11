#include "VisoraTest.h"

#include "RButton.h"
#include "RDrawSet.h"

#include <QMouseEvent>

namespace {

RButton *widthButton(RDrawSet &popup, int width)
{
    return popup.findChild<RButton *>(QStringLiteral("width%1").arg(width));
}

RButton *colorButton(RDrawSet &popup, int index)
{
    return popup.findChild<RButton *>(QStringLiteral("color%1").arg(index));
}

QImage imageOf(QWidget *w)
{
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool hasPixel(const QImage &image, const QRect &area, QColor colour, int tolerance)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) <= tolerance && qAbs(c.green() - colour.green()) <= tolerance
                && qAbs(c.blue() - colour.blue()) <= tolerance)
                return true;
        }
    }
    return false;
}

void sendMouse(QWidget *w, QEvent::Type type, const QPoint &global, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, w->mapFromGlobal(global), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

} // namespace

class TestRDrawSet : public QObject
{
    Q_OBJECT
private slots:
    void widthClick_data();
    void widthClick();
    void colorClick_data();
    void colorClick();
    void currentPen_data();
    void currentPen();
    void widthPainting_data();
    void widthPainting();
    void colorPainting_data();
    void colorPainting();
    void title_data();
    void title();
    void drag_data();
    void drag();
};

void TestRDrawSet::widthClick_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("checked");
    QTest::newRow("thin") << QList<int>{3} << 3;
    QTest::newRow("middle") << QList<int>{6} << 6;
    QTest::newRow("thick") << QList<int>{10} << 10;
    QTest::newRow("another width moves the check") << QList<int>{3, 10} << 10;
    QTest::newRow("same width twice stays checked") << QList<int>{6, 6} << 6;
}

void TestRDrawSet::widthClick()
{
    QFETCH(QList<int>, clicks);
    QFETCH(int, checked);
    RDrawSet popup;
    popup.show();
    QSignalSpy spy(&popup, &RDrawSet::changedPenWidth);
    QSignalSpy colors(&popup, &RDrawSet::changedColor);
    for (int width : clicks)
        QTest::mouseClick(widthButton(popup, width), Qt::LeftButton);
    QCOMPARE(spy.count(), clicks.size());
    QCOMPARE(spy.last().at(0).toInt(), clicks.last());
    for (int width : {3, 6, 10})
        QCOMPARE(widthButton(popup, width)->isChecked(), width == checked);
    QVERIFY(popup.isVisible());
    QCOMPARE(colors.count(), 0);
}

void TestRDrawSet::colorClick_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("red first") << 0 << QColor(255, 16, 0);
    QTest::newRow("black") << 1 << QColor(0, 0, 0);
    QTest::newRow("second row start") << 4 << QColor(50, 30, 181);
    QTest::newRow("green") << 7 << QColor(102, 213, 82);
    QTest::newRow("grey brown") << 10 << QColor(139, 126, 110);
    QTest::newRow("white last") << 11 << QColor(255, 255, 255);
}

void TestRDrawSet::colorClick()
{
    QFETCH(int, index);
    QFETCH(QColor, colour);
    RDrawSet popup;
    popup.setPen(6, QColor(0, 0, 0));
    QSignalSpy spy(&popup, &RDrawSet::changedColor);
    QSignalSpy widths(&popup, &RDrawSet::changedPenWidth);
    QTimer::singleShot(0, this, [&] { QTest::mouseClick(colorButton(popup, index), Qt::LeftButton); });
    popup.exec();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), index);
    QCOMPARE(spy.at(0).at(1).value<QColor>(), colour);
    QVERIFY(!popup.isVisible());
    for (int i = 0; i < RDrawSet::ColorCount; ++i)
        QCOMPARE(colorButton(popup, i)->isChecked(), i == index);
    QCOMPARE(widths.count(), 0);
}

void TestRDrawSet::currentPen_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("checkedWidth");
    QTest::addColumn<int>("checkedColour");
    QTest::newRow("default pen") << 6 << QColor(255, 16, 0) << 6 << 0;
    QTest::newRow("thick white") << 10 << QColor(255, 255, 255) << 10 << 11;
    QTest::newRow("foreign width and colour mark nothing") << 7 << QColor(1, 2, 3) << -1 << -1;
}

void TestRDrawSet::currentPen()
{
    QFETCH(int, width);
    QFETCH(QColor, colour);
    QFETCH(int, checkedWidth);
    QFETCH(int, checkedColour);
    RDrawSet popup;
    QSignalSpy colours(&popup, &RDrawSet::changedColor);
    QSignalSpy widths(&popup, &RDrawSet::changedPenWidth);
    popup.setPen(3, QColor(0, 0, 0));
    popup.setPen(width, colour);
    for (int w : {3, 6, 10})
        QCOMPARE(widthButton(popup, w)->isChecked(), w == checkedWidth);
    for (int i = 0; i < RDrawSet::ColorCount; ++i)
        QCOMPARE(colorButton(popup, i)->isChecked(), i == checkedColour);
    QCOMPARE(colours.count() + widths.count(), 0);
}

void TestRDrawSet::widthPainting_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("checked");
    QTest::newRow("thin unchecked") << 3 << false;
    QTest::newRow("thick checked") << 10 << true;
}

void TestRDrawSet::widthPainting()
{
    QFETCH(int, width);
    QFETCH(bool, checked);
    RDrawSet popup;
    RButton *button = widthButton(popup, width);
    QCOMPARE(button->size(), QSize(41, 41));
    button->setChecked(checked);
    const QImage image = imageOf(button);
    const QPoint c = image.rect().center();
    // The dot is pen-width in radius: black at its middle, not black beyond it.
    QCOMPARE(image.pixelColor(c), QColor(0, 0, 0));
    QVERIFY(hasPixel(image, QRect(c.x() + width - 2, c.y(), 1, 1), Qt::black, 40));
    QVERIFY(!hasPixel(image, QRect(c.x() + width + 3, c.y(), 1, 1), Qt::black, 40));
    // The ring sits at the button's edge.
    QCOMPARE(hasPixel(image, QRect(0, c.y() - 1, 4, 3), QColor(80, 183, 234), 40), checked);
}

void TestRDrawSet::colorPainting_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QColor>("mark");
    QTest::newRow("red unchecked") << 0 << false << QColor();
    QTest::newRow("red checked shows the inverse") << 0 << true << QColor(0, 239, 255);
    QTest::newRow("white checked shows black") << 11 << true << QColor(0, 0, 0);
    QTest::newRow("grey brown checked shows white") << 10 << true << QColor(255, 255, 255);
}

void TestRDrawSet::colorPainting()
{
    QFETCH(int, index);
    QFETCH(bool, checked);
    QFETCH(QColor, mark);
    RDrawSet popup;
    RButton *button = colorButton(popup, index);
    QCOMPARE(button->size(), QSize(49, 41));
    button->setChecked(checked);
    const QImage image = imageOf(button);
    const QColor swatch = RDrawSet::colorAt(index);
    QCOMPARE(image.pixelColor(0, 0), swatch);
    QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1), swatch);
    const QRect middle(image.width() / 4, image.height() / 4, image.width() / 2, image.height() / 2);
    if (checked)
        QVERIFY(hasPixel(image, middle, mark, 30));
    else
        QVERIFY(!hasPixel(image, middle, QColor(255 - swatch.red(), 255 - swatch.green(), 255 - swatch.blue()), 60));
}

void TestRDrawSet::title_data()
{
    QTest::addColumn<int>("langue");
    QTest::addColumn<QString>("title");
    QTest::newRow("Chinese") << 0 << "画笔设置";
    QTest::newRow("English") << 1 << "Pen Setting";
    QTest::newRow("any other value is English") << 2 << "Pen Setting";
}

void TestRDrawSet::title()
{
    QFETCH(int, langue);
    QFETCH(QString, title);
    RDrawSet popup;
    popup.setLangue(1);
    popup.setLangue(langue);
    QCOMPARE(popup.windowTitle(), title);
}

void TestRDrawSet::drag_data()
{
    QTest::addColumn<bool>("leftHeld");
    QTest::addColumn<QPoint>("offset");
    QTest::newRow("left drag moves by the pointer's offset") << true << QPoint(30, 20);
    QTest::newRow("drag up and left") << true << QPoint(-15, -5);
    QTest::newRow("moving without the button does not move") << false << QPoint(30, 20);
}

void TestRDrawSet::drag()
{
    QFETCH(bool, leftHeld);
    QFETCH(QPoint, offset);
    RDrawSet popup;
    popup.move(200, 150);
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup));
    const QPoint start = popup.frameGeometry().topLeft();
    const QPoint press = popup.mapToGlobal(QPoint(3, 3));
    sendMouse(&popup, QEvent::MouseButtonPress, press, Qt::LeftButton);
    sendMouse(&popup, QEvent::MouseMove, press + offset, leftHeld ? Qt::LeftButton : Qt::NoButton);
    QTRY_COMPARE(popup.frameGeometry().topLeft(), leftHeld ? start + offset : start);
}

VISORA_TEST_MAIN(TestRDrawSet)
#include "tst_RDrawSet.moc"
