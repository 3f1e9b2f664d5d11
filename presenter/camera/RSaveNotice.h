#pragma once

#include "UiLanguage.h"

#include <QString>

// Texts of the short notices over the live picture, in the interface
// language, and the one table that words why a file was not written, for
// every writer of the program.
class RSaveNotice
{
public:
    enum Kind { Picture, Document };

    // Reasons of our own that writers give beside the system's texts.
    static QString notOurs();
    static QString writeFailed();
    static QString emptyPictureReason();
    static QString unknownFormat();

    // The reason in the interface language, from the table: a system text
    // (as strerror gives it) or one of ours. A reason the table lacks reads
    // as a plain failure to write; the log keeps the original.
    static QString reason(UiLanguage language, const QString &why);
    // "照片未保存：…" / "Picture not saved: …" with reason().
    static QString notSaved(UiLanguage language, Kind kind, const QString &why);
    // The lesson's PDF was replaced by another program; its pages now go to `name`.
    static QString lessonMoved(UiLanguage language, const QString &name);
    static QString cameraLost(UiLanguage language);
    static QString emptySpotlight(UiLanguage language);
    static QString emptyPicture(UiLanguage language);
    static QString reconnecting(UiLanguage language);
};
