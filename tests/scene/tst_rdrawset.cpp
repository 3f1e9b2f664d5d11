#include "VisoraTest.h"

#include "RButton.h"
#include "RDrawSet.h"

#include <QMouseEvent>

class TestRDrawSet : public QObject
{
    Q_OBJECT
private slots:
    // The pen shown when the popup opens, the buttons clicked then: what is
    // sent, which buttons are marked, and whether the popup stays open.
    void clicks_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<bool>("open");
        const QColor black(0, 0, 0);
        QTest::newRow("thin width keeps the popup open")
            << 6 << black << QStringList{"width3"} << QStringList{"width 3"} << QStringList{"width3", "color1"} << true;
        QTest::newRow("red closes the popup")
            << 6 << black << QStringList{"color0"} << QStringList{"color 0 #ff1000"} << QStringList{"width6", "color0"}
            << false;
        QTest::newRow("width then blue") << 6 << black << QStringList{"width10", "color4"}
                                         << QStringList{"width 10", "color 4 #321eb5"}
                                         << QStringList{"width10", "color4"} << false;
        QTest::newRow("foreign pen marks nothing, sends nothing")
            << 7 << QColor(1, 2, 3) << QStringList{} << QStringList{} << QStringList{} << true;
    }

    void clicks()
    {
        QFETCH(int, width);
        QFETCH(QColor, colour);
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, checked);
        RDrawSet popup;
        QStringList sent;
        connect(&popup, &RDrawSet::changedPenWidth, [&](int w) { sent << QString("width %1").arg(w); });
        connect(&popup, &RDrawSet::changedColor,
                [&](int i, const QColor &c) { sent << QString("color %1 %2").arg(i).arg(c.name()); });
        popup.setPen(3, QColor(0, 0, 0));
        popup.setPen(width, colour);
        popup.show();
        for (const QString &name : clicks)
            QTest::mouseClick(popup.findChild<RButton *>(name), Qt::LeftButton);
        QTEST(sent, "sent");
        QTEST(popup.isVisible(), "open");
        for (RButton *b : popup.findChildren<RButton *>())
            QVERIFY2(b->isChecked() == checked.contains(b->objectName()), qPrintable(b->objectName()));
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
