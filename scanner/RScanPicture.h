#pragma once

#include <QImage>
#include <QString>
#include <QTransform>

// Turns a picture file into what the recogniser reads: colour kept for its
// own thresholding, lines level, with the resolution its text has rather
// than the one it states.
class RScanPicture
{
public:
    // The picture as RGBA8888 on white; null with a reason for a missing,
    // empty, damaged, huge or non-picture file.
    static QImage loadColour(const QString &path, QString *reason);

    // Dots per inch the file states, 0 for none.
    static int statedResolution(const QImage &image);

    // Dots per inch to hand the recogniser for a picture stating
    // `statedDpi` whose character marks are `markHeight` pixels tall (0:
    // no text found). Cameras state a fixed density whatever they show, so
    // a stated value counts only when the text agrees with it.
    static int resolution(int statedDpi, double markHeight);

    // `picture` turned by -`degrees` on white in its own format, and the
    // transform that takes points of the result back to `picture`.
    static QImage straightened(const QImage &picture, double degrees, QTransform *toOriginal);

    // Tesseract's word table with every box taken through `toOriginal` and
    // given as the box around the result.
    static QString mappedWordTable(const QString &table, const QTransform &toOriginal);
};
