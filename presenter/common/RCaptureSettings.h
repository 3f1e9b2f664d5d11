#pragma once

#include "CaptureModes.h"

#include <QString>

// The capture parameters the teacher sets: the settings dialog edits them,
// the settings store reads and writes them, the scene and the camera take
// them whole.
struct RCaptureSettings
{
    QString m_strCurImageDir;
    QString m_strFileExt = QStringLiteral("jpg");
    VideoQuality m_iVideoType = VideoQuality::Fluent;
    SnapMode m_iSnapType = SnapMode::Manual;
    ColourMode m_iSaveColorType = ColourMode::Colour;
    int m_iASnapInterval = 3;   // seconds between timed snapshots
    NameMode m_iNameType = NameMode::Time;
    QString m_strNamePrefix = QStringLiteral("Img");
    // Numbers are padded with zeros to at least this many digits.
    int m_iNameNumLength = 3;
    // The next number to use; captures move it on.
    int m_iNameCurNum = 1;
    // Two snapshots make one identity-card page.
    bool m_bCardMix = false;
    // Cut the detected document at capture.
    bool m_bAutoCut = false;
    // Stored and shown; the capture does not consult it.
    bool m_bAutoRotate = false;
    // PDF captures add pages to one running document instead of one file each.
    bool m_bPdfAppend = false;
    // The automatic crop flattens the page's quadrilateral instead of cutting its rectangle.
    bool m_bAutoPerspective = false;
};
