#pragma once

#include <QString>

// Texts of the short notices over the live picture, in the interface
// language (1 English, any other value Chinese).
class RSaveNotice
{
public:
    enum Kind { Picture, Document };

    // "照片未保存：…" / "Picture not saved: …" with the reason; a reason the
    // system gave in its own words is kept, led by a plain word for the common ones.
    static QString notSaved(int language, Kind kind, const QString &reason);
    static QString cameraLost(int language);
    static QString emptySpotlight(int language);
    static QString emptyPicture(int language);
    static QString reconnecting(int language);
};
