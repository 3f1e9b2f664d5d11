#pragma once

#include "CaptureModes.h"

#include <QString>

class RDragScene;
class RSetting;

// The capture parameters the main window keeps: read from the settings
// store at start, handed to the capture-settings dialog, taken back from it
// when accepted and written to the store.
class RCaptureSettings
{
public:
    QString m_strCurImageDir;
    QString m_strFileExt = QStringLiteral("jpg");
    VideoQuality m_iVideoType = VideoQuality::Fluent;
    SnapMode m_iSnapType = SnapMode::Manual;
    ColourMode m_iSaveColorType = ColourMode::Colour;
    int m_iASnapInterval = 3;
    NameMode m_iNameType = NameMode::Time;
    QString m_strNamePrefix;
    int m_iNameNumLength = 3;
    int m_iNameCurNum = 1;
    bool m_bCardMix = false;
    bool m_bAutoCut = false;
    bool m_bAutoRotate = false;
    bool m_bPdfAppend = false;
    bool m_bAutoPerspective = false;

    // From the store; a file type this system cannot write becomes "jpg", an
    // empty folder the default picture folder. Snap type, video type and the
    // automatic crop start off whatever is stored; how the crop cuts (the
    // perspective flag) is kept, since alone it starts nothing.
    static RCaptureSettings read();
    void write() const;

    void fillDialog(RSetting &dlg) const;
    // The values of an accepted dialog (the folder, video type and number are
    // the caller's to apply, since each has consequences).
    void takeDialog(const RSetting &dlg);
    // Snap, colour, naming and crop parameters into the scene's camera.
    void applyTo(RDragScene *scene) const;
};
