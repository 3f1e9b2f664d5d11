#pragma once

#include <QImage>
#include <QString>
#include <QTransform>

// Turns a picture file into what the recogniser reads: 8-bit grey, lines
// level, with the resolution its text has rather than the one it states.
class RScanPicture
{
public:
    // Null picture with a reason for a missing, empty, damaged, huge or
    // non-picture file.
    static QImage loadGrey(const QString &path, QString *reason);

    // Dots per inch the file states, 0 for none.
    static int statedResolution(const QImage &image);

    // Dots per inch to hand the recogniser for a picture stating
    // `statedDpi` whose character marks are `markHeight` pixels tall (0:
    // no text found). Cameras state a fixed density whatever they show, so
    // a stated value counts only when the text agrees with it.
    static int resolution(int statedDpi, double markHeight);

    // `grey` turned by -`degrees` on white, and the transform that takes
    // points of the result back to `grey`.
    static QImage straightened(const QImage &grey, double degrees, QTransform *toOriginal);

    // Tesseract's word table with every box taken through `toOriginal` and
    // given as the box around the result.
    static QString mappedWordTable(const QString &table, const QTransform &toOriginal);
};
