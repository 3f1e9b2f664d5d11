#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

// PDF captures: A4 portrait pages of one picture each, laid out alike
// whether the page is a document of its own or appended to the lesson's:
// inside the page's 10 pt margin, scaled by the whole-number factor that a
// 1200 dpi printer would use (the picture's native resolution times 1, 2, 3
// ...), or scaled down to fit. Safe off the GUI thread.
class RPdfPage
{
public:
    // A document of one page, written through a hidden temporary renamed over
    // the target in one step: a failed write leaves no file and the previous
    // version of the target in place.
    static bool write(const QImage &image, const QString &pdfPath, QString *error = nullptr);
    // Adds the picture as a last page to a document this class wrote, or
    // starts it when there is none. The page is added in place as an
    // incremental update, so a page costs its own bytes whatever the length
    // of the document. Before the first byte, a journal beside the document
    // records its complete length; a failed page is cut off again at once,
    // and one cut short by a crash is cut off by recover(). A file we did not
    // write is left untouched and refused with notOurs().
    static bool append(const QImage &image, const QString &pdfPath, QString *error = nullptr);
    // The reason append() gives for a file another program wrote or replaced.
    static QString notOurs();
    // Cuts a document back to its last complete version when a journal says
    // a page was being added; true when it is complete (or absent) afterwards.
    static bool recover(const QString &pdfPath);
    // At start: recovers the documents of the journals in `folder` and removes
    // stale temporaries. Returns how many files were repaired or removed.
    static int cleanFolder(const QString &folder);

    // The page in points and where a picture of `picture` pixels goes on it
    // (from the page's top-left corner).
    static QSizeF pageSizePt();
    static QRectF pictureRectPt(const QSize &picture);
    // viewportWidth / pictureWidth as a whole number (0 when the picture is wider).
    static int scaleFactor(int viewportWidth, int pictureWidth);
    // scaleFactor(), lowered to the largest whole number that keeps the height
    // on the page; when no whole number >= 1 fits, the fractional scale that
    // fits both sides. 0 for empty sizes.
    static double pageScale(const QSize &viewport, const QSize &picture);
};
