#pragma once

#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QString>

#include "RImageProc.h"

// Capture parameters of the camera, written by the scene before a capture.
struct RCaptureParams
{
    QString m_strCurImageDir;
    QString m_strFileExt = QStringLiteral("pdf");
    int m_iSaveColorType = 0;   // 0 colour, 1 grey, 2 black-and-white
    int m_iNameType = 0;        // 1 numbered, otherwise time-stamped
    QString m_strNamePrefix = QStringLiteral("Img");
    int m_iNameNumLength = 3;
    int m_iNameCurNum = 1;
    bool m_bCardMix = false;
    bool m_bAutoCut = false;
    bool m_bAutoRotate = false;
    int m_iSnapMode = 0;        // 0 manual, 1 timed, 2 on picture change
    bool m_bCutRect = false;
    QPoint m_ptCut1;
    QPoint m_ptCut2;
    int m_iRotateAngle = 0;
    bool m_bCoverItem = false;
    QPointF m_ptCoverOffset;
    QPointF m_ptCoverCenter;
    int m_iAlphaCover = 255;
    QImage m_imageCover;
    int m_iCoverAngle = 0;
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
    // Returns the page picture, or null to stop without saving. Never throws.
    static QImage process(const QImage &captured, const RCaptureParams &p, const RRotatedRect &rotRect,
                          RCardState &card);
    // Document path by the naming rule, advancing p.m_iNameCurNum when
    // numbered; never an existing file. The number is consumed even if the
    // save later fails, so the caller stores it whatever happens.
    static QString nextDocumentPath(RCaptureParams &p, const QDateTime &now);
};
