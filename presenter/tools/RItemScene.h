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

    struct Decoded {
        QImage image;
        QString reason; // why the image is null
    };
    // Decodes a picture for a pane within the program's one decode budget,
    // no larger than the presentation scene would place it. Any thread.
    static Decoded decode(const QString &path);

    // Replaces everything in the scene with the picture.
    void setPicture(const QImage &image);
    bool hasPicture() const { return !items().isEmpty(); }
    // Decodes the file off the GUI thread and shows it; a later call wins.
    void loadPicture(const QString &path);
    bool isLoading() const { return m_iPending > 0; }

signals:
    void sChangeName(QString, int, int);
    // A dropped picture could not be shown.
    void sPictureFailed(QString path, QString reason);

protected:
    void dragEnterEvent(QGraphicsSceneDragDropEvent *event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent *event) override;
    void dropEvent(QGraphicsSceneDragDropEvent *event) override;

private:
    quint64 m_uLoadSeq = 0;
    int m_iPending = 0;
};
