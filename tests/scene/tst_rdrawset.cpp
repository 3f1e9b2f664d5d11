#include "VisoraTest.h"

#include "RButton.h"
#include "RDrawSet.h"

#include <QMouseEvent>

namespace {

RButton *button(RDrawSet &popup, const QString &name)
{
    return popup.findChild<RButton *>(name);
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
        QTest::newRow("red closes the popup") << QStringList{"color0"} << QVariantList{} << 0 << QColor(255, 16, 0);
        QTest::newRow("width then blue") << QStringList{"width10", "color4"} << QVariantList{10} << 4 << QColor(50, 30, 181);
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

    // A left drag moves the popup by the pointer's offset.
    void drag()
    {
        RDrawSet popup;
        popup.move(200, 150);
        popup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popup));
        const QPoint start = popup.frameGeometry().topLeft();
        const QPoint press = popup.mapToGlobal(QPoint(3, 3));
        QMouseEvent down(QEvent::MouseButtonPress, QPoint(3, 3), press, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&popup, &down);
        QMouseEvent move(QEvent::MouseMove, QPoint(3, 3) + QPoint(-15, 20), press + QPoint(-15, 20), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&popup, &move);
        QTRY_COMPARE(popup.frameGeometry().topLeft(), start + QPoint(-15, 20));
    }
};

VISORA_TEST_MAIN(TestRDrawSet)
#include "tst_rdrawset.moc"
