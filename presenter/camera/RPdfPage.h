#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// One-page A4 PDF of a picture.
class RPdfPage
{
public:
    // High-resolution A4 printer in PDF mode; the picture is drawn at (0,0)
    // scaled by the whole-number factor of scaleFactor(). A picture wider than
    // the page is scaled down to fit instead; so is one that would run off the
    // page bottom. Written through a temporary file renamed into place, so a
    // failed write leaves no file. Safe off the GUI thread.
    static bool write(const QImage &image, const QString &pdfPath, QString *error = nullptr);
    // Adds the picture as a last A4 page to a document this class started
    // with append(), or starts it when there is none. Earlier pages are
    // copied byte for byte and only the new page is added (an incremental
    // update), so nothing is encoded twice and one page is held in memory.
    // The new version is written beside the old one and renamed into place:
    // a failed write leaves the previous version. Safe off the GUI thread.
    static bool append(const QImage &image, const QString &pdfPath, QString *error = nullptr);
    // viewportWidth / pictureWidth as a whole number (0 when the picture is wider).
    static int scaleFactor(int viewportWidth, int pictureWidth);
    // The scale write() uses: scaleFactor(), lowered to the largest whole
    // number that keeps the height on the page; when no whole number >= 1
    // fits, the fractional scale that fits both sides. 0 for empty sizes.
    static double pageScale(const QSize &viewport, const QSize &picture);
};
