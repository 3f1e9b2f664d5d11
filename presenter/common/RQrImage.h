#pragma once

#include <QImage>
#include <QString>

// QR codes made with libqrencode: black modules on white with the 4-module
// quiet zone readers need, error correction M (a smudged projector or a
// phone at an angle still reads it). GUI-free.
class RQrImage
{
public:
    static constexpr int kQuietModules = 4;

    // Modules per side of the code of `text` without the quiet zone; 0 when
    // the text is empty or too long for any QR code (`error` says which).
    static int modules(const QString &text, QString *error = nullptr);

    // The code of `text` (UTF-8 bytes) with each module `modulePixels`
    // square, quiet zone included. Null when modules() is 0 or modulePixels < 1.
    static QImage make(const QString &text, int modulePixels, QString *error = nullptr);

    // The largest whole-pixel code of `text` that fits `side` pixels, so every
    // module keeps the same size. Null when not even one pixel per module fits.
    static QImage fit(const QString &text, int side, QString *error = nullptr);
};
