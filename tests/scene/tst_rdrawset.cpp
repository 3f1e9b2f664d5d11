#include "VisoraTest.h"

#include "RButton.h"
#include "RDrawSet.h"

#include <QMouseEvent>

namespace {

RButton *button(RDrawSet &popup, const QString &name)
{
    return popup.findChild<RButton *>(name);
}

// Whether any pixel of the area is within tolerance of the colour.
bool hasPixel(const QImage &image, const QRect &area, const QColor &colour, int tolerance)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) <= tolerance && qAbs(c.green() - colour.green()) <= tolerance
                && qAbs(c.blue() - colour.blue()) <= tolerance)
                return true;
        }
    return false;
}

} // namespace

class TestRDrawSet : public QObject
{
    Q_OBJECT
private slots:
    void clicks_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QVariantList>("widths");
        QTest::addColumn<int>("colourIndex");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("thin width keeps the popup open") << QStringList{"width3"} << QVariantList{3} << -1 << QColor();
        QTest::newRow("another width moves the check") << QStringList{"width6", "width10"} << QVariantList{6, 10} << -1 << QColor();
        QTest::newRow("red closes the popup") << QStringList{"color0"} << QVariantList{} << 0 << QColor(255, 16, 0);
        QTest::newRow("width then blue") << QStringList{"width10", "color4"} << QVariantList{10} << 4 << QColor(50, 30, 181);
        QTest::newRow("white last") << QStringList{"color11"} << QVariantList{} << 11 << QColor(255, 255, 255);
    }

    void clicks()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QVariantList, widths);
        QFETCH(int, colourIndex);
        QFETCH(QColor, colour);
        RDrawSet popup;
        popup.setPen(6, QColor(0, 0, 0));
        popup.show();
        QSignalSpy widthSpy(&popup, &RDrawSet::changedPenWidth);
        QSignalSpy colourSpy(&popup, &RDrawSet::changedColor);
        for (const QString &name : clicks)
            QTest::mouseClick(button(popup, name), Qt::LeftButton);
        QVariantList gotWidths;
        for (const QList<QVariant> &call : widthSpy)
            gotWidths << call.at(0);
        QCOMPARE(gotWidths, widths);
        QCOMPARE(colourSpy.count(), colourIndex < 0 ? 0 : 1);
        if (colourIndex >= 0) {
            QCOMPARE(colourSpy.at(0).at(0).toInt(), colourIndex);
            QCOMPARE(colourSpy.at(0).at(1).value<QColor>(), colour);
        }
        QCOMPARE(popup.isVisible(), colourIndex < 0);
        const int width = widths.isEmpty() ? 6 : widths.last().toInt();
        for (int w : {3, 6, 10})
            QCOMPARE(button(popup, QString("width%1").arg(w))->isChecked(), w == width);
        for (int i = 0; i < RDrawSet::ColorCount; ++i)
            QCOMPARE(button(popup, QString("color%1").arg(i))->isChecked(), i == (colourIndex < 0 ? 1 : colourIndex));
    }

    void currentPen_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("checkedWidth");
        QTest::addColumn<QString>("checkedColour");
        QTest::newRow("default pen") << 6 << QColor(255, 16, 0) << "width6" << "color0";
        QTest::newRow("foreign width and colour mark nothing") << 7 << QColor(1, 2, 3) << "" << "";
    }

    void currentPen()
    {
        QFETCH(int, width);
        QFETCH(QColor, colour);
        QFETCH(QString, checkedWidth);
        QFETCH(QString, checkedColour);
        RDrawSet popup;
        QSignalSpy colours(&popup, &RDrawSet::changedColor);
        QSignalSpy widths(&popup, &RDrawSet::changedPenWidth);
        popup.setPen(3, QColor(0, 0, 0));
        popup.setPen(width, colour);
        for (RButton *b : popup.findChildren<RButton *>())
            QCOMPARE(b->isChecked(), b->objectName() == checkedWidth || b->objectName() == checkedColour);
        QCOMPARE(colours.count() + widths.count(), 0);
    }

    void painting_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QColor>("mark");
        QTest::newRow("thin dot, no ring") << "width3" << false << QColor();
        QTest::newRow("thick dot with ring") << "width10" << true << QColor(80, 183, 234);
        QTest::newRow("red swatch unmarked") << "color0" << false << QColor();
        QTest::newRow("red swatch marked in the inverse") << "color0" << true << QColor(0, 239, 255);
        QTest::newRow("grey brown marked in white") << "color10" << true << QColor(255, 255, 255);
    }

    void painting()
    {
        QFETCH(QString, name);
        QFETCH(bool, checked);
        QFETCH(QColor, mark);
        RDrawSet popup;
        RButton *b = button(popup, name);
        b->setChecked(checked);
        const QImage image = b->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPoint c = image.rect().center();
        if (b->isWidthButton()) {
            QCOMPARE(image.size(), QSize(41, 41));
            // A black dot of pen-width radius, and the ring at the edge when checked.
            const int r = b->penWidth();
            QVERIFY(hasPixel(image, QRect(c.x() + r - 2, c.y(), 1, 1), Qt::black, 40));
            QVERIFY(!hasPixel(image, QRect(c.x() + r + 3, c.y(), 1, 1), Qt::black, 40));
            QCOMPARE(hasPixel(image, QRect(0, c.y() - 1, 4, 3), QColor(80, 183, 234), 40), checked);
        } else {
            QCOMPARE(image.size(), QSize(49, 41));
            QCOMPARE(image.pixelColor(0, 0), b->color());
            const QRect middle(image.width() / 4, image.height() / 4, image.width() / 2, image.height() / 2);
            const QColor inverse(255 - b->color().red(), 255 - b->color().green(), 255 - b->color().blue());
            QCOMPARE(hasPixel(image, middle, checked ? mark : inverse, 30), checked);
        }
    }

    void title_data()
    {
        QTest::addColumn<int>("langue");
        QTest::addColumn<QString>("title");
        QTest::newRow("Chinese") << 0 << "画笔设置";
        QTest::newRow("any other value is English") << 2 << "Pen Setting";
    }

    void title()
    {
        QFETCH(int, langue);
        QFETCH(QString, title);
        RDrawSet popup;
        popup.setLangue(1);
        popup.setLangue(langue);
        QCOMPARE(popup.windowTitle(), title);
    }

    void drag_data()
    {
        QTest::addColumn<int>("held");
        QTest::addColumn<QPoint>("moved");
        QTest::newRow("left drag moves by the pointer's offset") << int(Qt::LeftButton) << QPoint(-15, 20);
        QTest::newRow("moving without the button does not") << 0 << QPoint(0, 0);
    }

    void drag()
    {
        QFETCH(int, held);
        QFETCH(QPoint, moved);
        RDrawSet popup;
        popup.move(200, 150);
        popup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popup));
        const QPoint start = popup.frameGeometry().topLeft();
        const QPoint press = popup.mapToGlobal(QPoint(3, 3));
        QMouseEvent down(QEvent::MouseButtonPress, QPoint(3, 3), press, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&popup, &down);
        QMouseEvent move(QEvent::MouseMove, QPoint(3, 3) + QPoint(-15, 20), press + QPoint(-15, 20), Qt::NoButton, Qt::MouseButtons(held),
                         Qt::NoModifier);
        QApplication::sendEvent(&popup, &move);
        QTRY_COMPARE(popup.frameGeometry().topLeft(), start + moved);
    }
};

VISORA_TEST_MAIN(TestRDrawSet)
#include "tst_rdrawset.moc"
