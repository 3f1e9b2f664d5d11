#pragma once

#include <QByteArray>
#include <QSizeF>
#include <QVector>

class QIODevice;
class QImage;

// A PDF of picture pages written straight to a device, one page at a time,
// so nothing but the current picture is held in memory. JPEG data goes in
// untouched (no second lossy pass, no growth); other pictures go in
// losslessly compressed.
class RPdfDocument
{
public:
    explicit RPdfDocument(QIODevice *device, const QSizeF &pageSizePt);

    // JPEG file data as it is: `components` 1 (grey) or 3 (colour).
    bool addJpegPage(const QByteArray &jpeg, int width, int height, int components, const QSizeF &drawSizePt);
    // A decoded picture: Format_Grayscale8 or Format_RGB888 (converted otherwise).
    bool addImagePage(const QImage &image, const QSizeF &drawSizePt);
    // Writes the page tree, cross-reference table and trailer.
    bool finish();

    int pageCount() const { return m_vecPageObjs.size(); }

private:
    bool addPage(const QByteArray &imageDict, const QByteArray &imageData, const QSizeF &drawSizePt);
    int beginObject();
    bool write(const QByteArray &data);

    QIODevice *m_device;
    QSizeF m_sizePage;
    qint64 m_iOffset = 0;
    bool m_bOk = true;
    QVector<qint64> m_vecOffsets; // by object number - 1
    QVector<int> m_vecPageObjs;
    static constexpr int kPagesObj = 2;
};
