#pragma once

#include <QImage>
#include <QString>

// Turns a picture file into what the recogniser reads: 8-bit grey with a
// plausible resolution.
class RScanPicture
{
public:
    // Resolution assumed when the file carries none or an implausible one;
    // pages are scanned or photographed at about this density.
    static constexpr int kDefaultDpi = 300;

    // Null picture with a reason for a missing, empty, damaged, huge or
    // non-picture file.
    static QImage loadGrey(const QString &path, QString *reason);

    // Dots per inch recorded in the picture, or kDefaultDpi.
    static int resolution(const QImage &image);
};
