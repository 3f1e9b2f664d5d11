#pragma once

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QString>

#include "RCaptureSettings.h"
#include "RImageProc.h"
#include "RImageSaver.h"

#include <memory>

// What a capture needs: the teacher's capture settings and the state of the
// scene at the moment (spotlight cut, rotation, orientation, watermark).
struct RCaptureParams : RCaptureSettings
{
    // A capture is a PDF page until the scene names a picture type.
    RCaptureParams() { m_strFileExt = QStringLiteral("pdf"); }

    bool m_bCutRect = false;
    QPoint m_ptCut1;
    QPoint m_ptCut2;
    int m_iRotateAngle = 0;
    // The shown picture is the camera picture mirrored and/or flipped; the
    // spotlight, the watermark and the page come in shown pixels.
    bool m_bMirror = false;
    bool m_bFlip = false;
    bool m_bCoverItem = false;
    QPointF m_ptCoverOffset;
    QPointF m_ptCoverCenter;
    int m_iAlphaCover = 255;
    QImage m_imageCover;
    int m_iCoverAngle = 0;
    QString m_strRunningPdf; // the lesson's document, empty until its first page
};

// ID-card merge state: the first side waits for the second.
struct RCardState
{
    int m_iCardCount = 0;
    QImage m_imageCardFirst;
};

class RCapturePipeline
{
public:
    // Watermark, spotlight cut, document cut, rotation, colour, card merge.
    // With m_bAutoPerspective the document cut flattens `quad` (the page's
    // corners, top-left first, clockwise) and falls back to `rotRect` when it
    // cannot. Returns the page picture, or null to stop without saving. Never throws.
    static QImage process(const QImage &captured, const RCaptureParams &p, const RRotatedRect &rotRect,
                          RCardState &card, const QList<QPointF> &quad = {});
    // The capture's work for the save worker: the still brought to the shown
    // size `shown` (the cut and detection coordinates are the shown picture's),
    // then process() on copies of the parameters. The card state is shared by
    // the captures' jobs and touched only there, one job after the other, so
    // captures queued back to back still pair up in the order taken.
    static RImageSaver::Prepare preparer(const RCaptureParams &p, const RRotatedRect &rotRect,
                                         const QList<QPointF> &quad, const QSize &shown,
                                         const std::shared_ptr<RCardState> &card);
    // Extension of the document: "pdf" when m_strFileExt is "pdf" in any case,
    // otherwise m_strFileExt in lower case ("png" when empty).
    static QString documentExt(const RCaptureParams &p);

    // The save of a capture: names the document, queues it on
    // RImageSaver::instance() (a one-page PDF, or the picture itself for
    // another extension) and, when numbered, stores the advanced number in
    // the settings whatever becomes of the save. With m_bPdfAppend a PDF page
    // goes to the running document of the folder (made again when a failed
    // page left none); the first page names a new one by the rule. Returns the job id (its
    // `finished` tells the outcome), -1 when there was nothing to save.
    // `prepare` turns `page` into the page on the worker (see preparer()).
    static int saveDocument(const QImage &page, RCaptureParams &p, const QDateTime &now, QString *path = nullptr,
                            RImageSaver::Prepare prepare = RImageSaver::Prepare());

    // Name (without folder) for a scene snapshot of extension `ext`, unique in
    // p.m_strCurImageDir; when numbered, advances the number and stores it at once.
    static QString nextFileName(RCaptureParams &p, const QString &ext, const QDateTime &now);
};
