#pragma once

#include <QColor>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QThread>

class QPainter;

// Puts what the class sees together from the camera's own frame and the
// scene's cached overlay layer: the frame turned over as shown, the layer
// over it, the spotlight's veil, then the view's zoom and turn. The static
// part is plain picture work, safe on any thread; submit() runs it on the
// compositor's own worker so the live view never waits for it.
class RFrameCompositor : public QObject
{
    Q_OBJECT
public:
    struct View
    {
        // The shown picture is the camera's mirrored and/or flipped.
        bool mirror = false;
        bool flip = false;
        // The spotlight's clear rectangle (normalised) in shown pixels; the rest is veiled.
        bool spotlight = false;
        QRect spot;
        // The part of the layer that holds anything (empty: all of it); the
        // rest is not blended.
        QRect layerArea;
        // The part of the shown picture to put out (empty: all of it), its
        // turn in degrees, and the output size (empty: the part's own size,
        // turned).
        QRectF source;
        int turn = 0;
        QSize out;
        // What shows where the part reaches beyond the picture.
        QColor outside = Qt::black;
    };

    // Null for a null frame. The layer is drawn over the whole shown picture
    // (scaled when its size differs); a null layer draws nothing.
    static QImage compose(const QImage &frame, const QImage &layer, const View &view);
    // The spotlight's veil over a picture of `size`, clear inside `spot`: four
    // bands that abut without overlap, so the veil has one alpha everywhere.
    static void paintVeil(QPainter &painter, const QSize &size, const QRect &spot);

    explicit RFrameCompositor(QObject *parent = nullptr);
    ~RFrameCompositor() override;

    // Composes on the worker and reports it with sComposed. A composition
    // still waiting is replaced: a slow machine drops frames rather than
    // falling behind.
    void submit(const QImage &frame, const QImage &layer, const View &view, qint64 stamp);
    // Compositions replaced before the worker reached them.
    int dropped() const;

signals:
    void sComposed(QImage picture, qint64 stamp);

private:
    struct Job
    {
        QImage frame;
        QImage layer;
        View view;
        qint64 stamp = 0;
    };
    void drain();

    QThread m_thread;
    QObject *m_worker = nullptr;
    mutable QMutex m_mutex;
    Job m_pending;
    bool m_hasPending = false;
    bool m_scheduled = false;
    int m_iDropped = 0;
};
