#pragma once

#include <QImage>
#include <QString>

// One-page A4 PDF of a picture.
class RPdfPage
{
public:
    // High-resolution A4 printer in PDF mode; the picture is drawn at (0,0)
    // scaled by the whole-number factor of scaleFactor(). A picture wider than
    // the page is scaled down to fit instead. Safe off the GUI thread.
    static bool write(const QImage &image, const QString &pdfPath, QString *error = nullptr);
    // viewportWidth / pictureWidth as a whole number (0 when the picture is wider).
    static int scaleFactor(int viewportWidth, int pictureWidth);
};
