#pragma once

#include "RPdfDocument.h"

#include <QByteArray>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// Writes picture files into one PDF, one landscape A4 page per picture at
// 300 dots per inch: one picture pixel per dot, and pictures larger than the
// page scaled down to fit it. Runs on any thread and holds one picture at a
// time. The file appears only when it is complete. Searchable pages carry
// the words the recognition program found as invisible text.
class RPdfMaker
{
public:
    static constexpr int kDpi = 300;

    struct Result {
        int pages = 0;
        QStringList failed;  // pictures that did not load, in list order
        QStringList unrecognised; // searchable pages left picture-only
        QString writeError;  // empty unless the file could not be written
        bool cancelled = false;
        bool written() const { return pages > 0 && writeError.isEmpty() && !cancelled; }
    };

    struct JpegInfo {
        QSize size;
        int components = 0;
        // Baseline or progressive, 8 bits, grey or YCbCr: goes into the PDF as it is.
        bool embeddable = false;
    };

    using Progress = std::function<void(int done, int total)>;
    using Words = QVector<RPdfDocument::Word>;

    struct Options {
        bool searchable; // value-initialised: off
        QString scanner; // the recognition program; empty when there is none
    };

    // Landscape A4 in dots (3508 x 2480) and in points.
    static QSize pageDots();
    static QSizeF pagePoints();
    // The picture's size on the page in dots: unchanged when it fits, else
    // scaled down with its aspect ratio kept. Empty for an empty picture.
    static QSizeF drawSizeDots(const QSize &picture, const QSize &page = pageDots());
    // Reads the frame header of JPEG data; invalid size when it is no JPEG.
    static JpegInfo inspectJpeg(const QByteArray &data);

    static Result make(const QStringList &pictures, const QString &pdfPath, const Progress &progress = {},
                       const std::atomic_bool *cancel = nullptr, const Options &options = {});

    // The words of the recognition program's table, each boxed to its
    // line's height so a line reads as one.
    static Words parseWords(const QString &table);
    // Runs the recognition program on a picture and waits, stopping it when
    // `cancel` is raised; false when it failed or was stopped.
    static bool recognise(const QString &program, const QString &picture, const std::atomic_bool *cancel,
                          Words *words);

private:
    static bool addPicture(RPdfDocument &doc, const QString &path, const Words &words);
    static bool addJpegAsIs(RPdfDocument &doc, const QString &path, const Words &words, bool *handled);
};
