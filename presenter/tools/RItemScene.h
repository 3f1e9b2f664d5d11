#pragma once

#include <QGraphicsScene>
#include <QImage>
#include <QString>

// Scene of a compare picture pane: shows one picture centred on the origin
// and takes thumbnails dropped from the strip ("text/plain" file paths).
class RItemScene : public QGraphicsScene
{
    Q_OBJECT
public:
    explicit RItemScene(QObject *parent = nullptr);

    // Replaces everything in the scene with the picture.
    void setPicture(const QImage &image);
    bool hasPicture() const { return !items().isEmpty(); }
    // Decodes the file off the GUI thread and shows it; a later call wins.
    void loadPicture(const QString &path);
    bool isLoading() const { return m_iPending > 0; }

signals:
    void sChangeName(QString, int, int);

protected:
    void dragEnterEvent(QGraphicsSceneDragDropEvent *event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent *event) override;
    void dropEvent(QGraphicsSceneDragDropEvent *event) override;

private:
    quint64 m_uLoadSeq = 0;
    int m_iPending = 0;
};
