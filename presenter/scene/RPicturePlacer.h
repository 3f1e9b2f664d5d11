#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QThreadPool>

template <typename T>
class QFutureWatcher;

// Decodes pictures that are to be placed on the scene on a worker thread, so
// a large file never freezes the live picture. One decode per file at a time:
// asking again for a file that is still decoding adds nothing.
class RPicturePlacer : public QObject
{
    Q_OBJECT
public:
    struct Decoded {
        QImage image;
        QString reason;
    };

    // Pictures are fitted into `box` and turned by -angle degrees.
    explicit RPicturePlacer(const QSize &box, QObject *parent = nullptr);
    ~RPicturePlacer() override;

    // False when `path` is decoding already.
    bool request(const QString &path, int angle, bool hasDropPoint, const QPointF &dropPoint);
    bool isPending(const QString &path) const { return m_hashPending.contains(path); }
    int pendingCount() const { return m_hashPending.size(); }

    // Runs on a worker: the loader's checks and budget, then the turn.
    static Decoded decode(const QString &path, const QSize &box, int angle);

signals:
    void sPictureReady(QString path, QImage image, bool hasDropPoint, QPointF dropPoint);
    void sPictureFailed(QString path, QString reason);

private:
    struct Pending {
        QFutureWatcher<Decoded> *watcher = nullptr;
        bool hasDropPoint = false;
        QPointF dropPoint;
    };
    void finished(const QString &path);

    QSize m_sizeBox;
    QThreadPool m_pool;
    QHash<QString, Pending> m_hashPending;
};
