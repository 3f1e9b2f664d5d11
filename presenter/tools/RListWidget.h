#pragma once

#include <QListWidget>
#include <QPoint>
#include <QString>

class QMimeData;

// The thumbnail list of the strip. Dragging an item hands its file path to
// the presentation scene or a compare pane as "text/plain".
class RListWidget : public QListWidget
{
    Q_OBJECT
public:
    explicit RListWidget(QWidget *parent = nullptr);

    // Role holding an item's full file path.
    static constexpr int PathRole = Qt::UserRole + 1;

    void setDir(const QString &strDir) { m_strDir = strDir; }
    QString dir() const { return m_strDir; }

    // The data a drag of `item` carries; the caller owns it. Null without item.
    QMimeData *dragMimeData(const QListWidgetItem *item) const;
    // The path a drag or a double-click of `item` stands for.
    QString pathOf(const QListWidgetItem *item) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    void reset() override;

    // Runs the drag; separate so that a drag start can be observed.
    virtual void startDragFor(QListWidgetItem *item);

private:
    QString m_strDir;
    QPoint m_ptPress;
    QListWidgetItem *m_itemPress = nullptr;
};
