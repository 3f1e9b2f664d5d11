#pragma once

#include <QString>

// The capture parameters the teacher sets: the settings dialog edits them,
// the settings store reads and writes them, the scene and the camera take
// them whole.
struct RCaptureSettings
{
    QString m_strCurImageDir;
    QString m_strFileExt = QStringLiteral("jpg");
    int m_iVideoType = 0;       // 0 fast (JPEG), 1 high definition
    int m_iSnapType = 0;        // 0 manual, 1 timed, 2 on picture change
    int m_iSaveColorType = 0;   // 0 colour, 1 grey, 2 black-and-white
    int m_iASnapInterval = 3;   // seconds between timed snapshots
    int m_iNameType = 0;        // 1 numbered, otherwise time-stamped
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
