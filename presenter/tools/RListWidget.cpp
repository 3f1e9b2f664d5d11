#include "RListWidget.h"

#include <QApplication>
#include <QDebug>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>

RListWidget::RListWidget(QWidget *parent)
    : QListWidget(parent)
{
}

QString RListWidget::pathOf(const QListWidgetItem *item) const
{
    if (!item)
        return QString();
    // Snapshots may come from another folder than the listed one, so the
    // item's own path wins over the folder.
    const QString path = item->data(PathRole).toString();
    if (!path.isEmpty())
        return path;
    return m_strDir + QLatin1Char('/') + item->text();
}

QMimeData *RListWidget::dragMimeData(const QListWidgetItem *item) const
{
    if (!item)
        return nullptr;
    auto *mime = new QMimeData;
    mime->setText(pathOf(item));
    return mime;
}

void RListWidget::mousePressEvent(QMouseEvent *event)
{
    m_ptPress = event->localPos().toPoint();
    m_itemPress = itemAt(m_ptPress);
    QListWidget::mousePressEvent(event);
}

void RListWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if ((event->localPos().toPoint() - m_ptPress).manhattanLength() < QApplication::startDragDistance())
        return;
    if (!m_itemPress)
        return;
    QListWidgetItem *item = m_itemPress;
    // One drag per press: QDrag::exec runs its own loop until the drop.
    m_itemPress = nullptr;
    startDragFor(item);
}

void RListWidget::startDragFor(QListWidgetItem *item)
{
    QMimeData *mime = dragMimeData(item);
    if (!mime)
        return;
    qDebug().noquote() << "RListWidget::startDragFor:" << mime->text();
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    if (!item->icon().isNull())
        drag->setPixmap(item->icon().pixmap(iconSize() / 2));
    drag->exec(Qt::CopyAction | Qt::MoveAction);
}

// The pressed item may be taken out by the file watch between press and move.
void RListWidget::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    if (m_itemPress) {
        const int r = row(m_itemPress);
        if (r >= start && r <= end)
            m_itemPress = nullptr;
    }
    QListWidget::rowsAboutToBeRemoved(parent, start, end);
}

void RListWidget::reset()
{
    m_itemPress = nullptr;
    QListWidget::reset();
}
