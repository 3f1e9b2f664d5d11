#pragma once

#include <QByteArray>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QVector>

class QIODevice;
class QImage;

// A PDF of picture pages written straight to a device, one page at a time,
// so nothing but the current picture is held in memory. JPEG data goes in
// untouched (no second lossy pass, no growth); other pictures go in
// losslessly compressed. A page may carry its recognised words as invisible
// text, so the document can be searched and its text copied.
class RPdfDocument
{
public:
    // A recognised word; `box` in picture pixels (its height is the line's).
    struct Word {
        QString text;
        QRectF box;
    };

    // What adding pages to a finished document of ours needs to know.
    struct Revision {
        qint64 size = 0;       // bytes of the finished file
        qint64 xrefOffset = 0; // its last cross-reference section
        int objectCount = 0;   // highest object number
        QVector<int> pageObjs;
    };

    explicit RPdfDocument(QIODevice *device, const QSizeF &pageSizePt);
    // Continues `from`: the device already holds its bytes and writes after
    // them. finish() then adds an update section, leaving earlier pages as
    // they were.
    RPdfDocument(QIODevice *device, const QSizeF &pageSizePt, const Revision &from);

    // JPEG file data as it is: `components` 1 (grey) or 3 (colour).
    bool addJpegPage(const QByteArray &jpeg, int width, int height, int components, const QSizeF &drawSizePt,
                     const QVector<Word> &words = {});
    // A decoded picture: Format_Grayscale8 or Format_RGB888 (converted otherwise).
    bool addImagePage(const QImage &image, const QSizeF &drawSizePt, const QVector<Word> &words = {});
    // Writes the page tree, cross-reference table and trailer.
    bool finish();

    int pageCount() const { return m_vecPageObjs.size(); }
    // Where pictures (and their words) hang from, in points from the page's
    // top-left corner; the corner itself unless set.
    void setOrigin(const QPointF &topLeftPt) { m_ptOrigin = topLeftPt; }

    // Reads a finished document this class wrote; false for anything else
    // (another program's PDF, a cut-off file).
    static bool readRevision(QIODevice *device, Revision *revision);

    // Content stream drawing `words` as invisible text over a picture of
    // `picture` pixels drawn at `drawSizePt` from the top-left corner of a
    // page `pageHeightPt` high. Each entry of `fonts` receives the code
    // points of one font's codes 1, 2, ... in order.
    static QByteArray textLayer(const QVector<Word> &words, const QSize &picture, const QSizeF &drawSizePt,
                                double pageHeightPt, QVector<QVector<uint>> *fonts);

private:
    bool addPage(const QByteArray &imageDict, const QByteArray &imageData, const QSize &picture,
                 const QSizeF &drawSizePt, const QVector<Word> &words);
    int beginObject();
    bool write(const QByteArray &data);
    QByteArray fontResources(const QVector<QVector<uint>> &fonts);

    QIODevice *m_device;
    QSizeF m_sizePage;
    QPointF m_ptOrigin;
    qint64 m_iOffset = 0;
    bool m_bOk = true;
    QVector<qint64> m_vecOffsets; // by object number - 1
    QVector<int> m_vecPageObjs;
    // Appending: objects from here on are new; the earlier section's place.
    int m_iFirstNew = 1;
    qint64 m_iPrevXref = -1;
    static constexpr int kPagesObj = 2;
};
