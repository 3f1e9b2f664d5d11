#pragma once

#include <QImage>
#include <QObject>
#include <QPointF>
#include <QStringList>

class QMimeData;
class RDragScene;
class RPicturePlacer;

// Pictures the teacher places on the scene, from the strip or by a drop:
// each file once, decoded off the GUI thread, an erased copy shown again.
class RScenePictures : public QObject
{
    Q_OBJECT
public:
    explicit RScenePictures(RDragScene *scene);

    // Centred on `dropPoint` at a quarter of its size, or on the scene's centre.
    void place(const QString &path, const QPointF *dropPoint);
    // An erased picture may be placed again.
    void forget(const QString &path) { m_listImagePath.removeAll(path); }
    QStringList paths() const { return m_listImagePath; }
    int decoding() const;
    // Thumbnails send a path as text; file managers send file URLs.
    static QString droppedPath(const QMimeData *mime);

signals:
    void sPictureFailed(QString path, QString reason);

private:
    void add(const QString &path, const QImage &image, bool hasDropPoint, const QPointF &dropPoint);

    RDragScene *m_scene;
    RPicturePlacer *m_placer;
    QStringList m_listImagePath;
};
