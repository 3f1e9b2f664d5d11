#include "VisoraTest.h"

#include "RListWidget.h"

namespace {

// Records drag starts instead of running a real drag loop.
class SpyList : public RListWidget
{
public:
    QStringList started;

protected:
    void startDragFor(QListWidgetItem *item) override { started << pathOf(item); }
};

void sendMouse(QWidget *w, QEvent::Type type, const QPoint &pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

class TestListWidget : public QObject
{
    Q_OBJECT
private slots:
    void drag_data()
    {
        const int d = QApplication::startDragDistance();
        QTest::addColumn<QPoint>("move");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("onItem");
        QTest::addColumn<bool>("takeItemFirst");
        QTest::addColumn<bool>("dragged");
        QTest::newRow("just short of the distance") << QPoint(d - 1, 0) << int(Qt::LeftButton) << true << false << false;
        QTest::newRow("exactly the distance") << QPoint(0, d) << int(Qt::LeftButton) << true << false << true;
        QTest::newRow("right button") << QPoint(3 * d, 0) << int(Qt::RightButton) << true << false << false;
        QTest::newRow("press on empty space") << QPoint(3 * d, 0) << int(Qt::LeftButton) << false << false << false;
        QTest::newRow("item taken out before the move") << QPoint(3 * d, 0) << int(Qt::LeftButton) << true << true << false;
    }
    void drag()
    {
        QFETCH(QPoint, move);
        QFETCH(int, button);
        QFETCH(bool, onItem);
        QFETCH(bool, takeItemFirst);
        QFETCH(bool, dragged);
        SpyList list;
        list.resize(300, 400);
        const QString dir = QString::fromUtf8("/home/t/课堂 图片");
        list.setDir(dir);
        list.addItem(QString::fromUtf8("b 课.png"));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QPoint press = onItem ? list.visualItemRect(list.item(0)).center() : QPoint(250, 350);
        QCOMPARE(list.itemAt(press) != nullptr, onItem);
        const auto b = Qt::MouseButton(button);
        sendMouse(list.viewport(), QEvent::MouseButtonPress, press, b, b);
        if (takeItemFirst)
            delete list.takeItem(0);
        sendMouse(list.viewport(), QEvent::MouseMove, press + move, Qt::NoButton, b);
        sendMouse(list.viewport(), QEvent::MouseMove, press + move, Qt::NoButton, b); // one drag per press
        QCOMPARE(list.started, dragged ? QStringList{dir + QString::fromUtf8("/b 课.png")} : QStringList{});
    }

    // A drop reads the path as text: the item's own path (a snapshot's) wins over the folder's.
    void mimeData()
    {
        RListWidget list;
        list.setDir("/pics");
        auto *item = new QListWidgetItem("a.png", &list);
        QScopedPointer<QMimeData> listed(list.dragMimeData(item));
        item->setData(RListWidget::PathRole, "/snaps/a.png");
        QScopedPointer<QMimeData> own(list.dragMimeData(item));
        QCOMPARE(listed->text() + " " + own->text(), QString("/pics/a.png /snaps/a.png"));
        QVERIFY(!list.dragMimeData(nullptr));
    }
};

VISORA_TEST_MAIN(TestListWidget)
#include "tst_listwidget.moc"
