#include "RPdfDocument.h"

#include <QDebug>
#include <QIODevice>
#include <QImage>

namespace {

QByteArray num(double v)
{
    QByteArray s = QByteArray::number(v, 'f', 4);
    while (s.contains('.') && (s.endsWith('0') || s.endsWith('.')))
        s.chop(1);
    return s;
}

QByteArray ref(int obj)
{
    return QByteArray::number(obj) + " 0 R";
}

} // namespace

RPdfDocument::RPdfDocument(QIODevice *device, const QSizeF &pageSizePt)
    : m_device(device)
    , m_sizePage(pageSizePt)
{
    // Binary marker line so transfer tools keep the file binary.
    write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    beginObject(); // 1: catalog
    write("<< /Type /Catalog /Pages " + ref(kPagesObj) + " >>\nendobj\n");
    m_vecOffsets.append(0); // 2: page tree, written by finish()
}

bool RPdfDocument::write(const QByteArray &data)
{
    if (!m_bOk)
        return false;
    const qint64 n = m_device->write(data);
    if (n != data.size()) {
        qWarning().noquote() << "RPdfDocument::write:" << m_device->errorString();
        m_bOk = false;
        return false;
    }
    m_iOffset += n;
    return true;
}

int RPdfDocument::beginObject()
{
    m_vecOffsets.append(m_iOffset);
    const int obj = m_vecOffsets.size();
    write(QByteArray::number(obj) + " 0 obj\n");
    return obj;
}

bool RPdfDocument::addJpegPage(const QByteArray &jpeg, int width, int height, int components,
                               const QSizeF &drawSizePt)
{
    if (width < 1 || height < 1 || (components != 1 && components != 3))
        return false;
    const QByteArray dict = "/Width " + QByteArray::number(width) + " /Height " + QByteArray::number(height)
        + (components == 1 ? " /ColorSpace /DeviceGray" : " /ColorSpace /DeviceRGB")
        + " /BitsPerComponent 8 /Filter /DCTDecode";
    return addPage(dict, jpeg, drawSizePt);
}

bool RPdfDocument::addImagePage(const QImage &source, const QSizeF &drawSizePt)
{
    if (source.isNull())
        return false;
    const bool grey = source.format() == QImage::Format_Grayscale8;
    const QImage image = grey || source.format() == QImage::Format_RGB888
        ? source
        : source.convertToFormat(QImage::Format_RGB888);
    const int rowBytes = image.width() * (grey ? 1 : 3);
    // Rows packed without the scan-line padding.
    QByteArray raw;
    raw.resize(qsizetype(rowBytes) * image.height());
    for (int y = 0; y < image.height(); ++y)
        memcpy(raw.data() + qsizetype(rowBytes) * y, image.constScanLine(y), size_t(rowBytes));
    // qCompress puts a 4-byte length before the zlib stream.
    const QByteArray packed = qCompress(raw, 6).mid(4);
    raw.clear();
    const QByteArray dict = "/Width " + QByteArray::number(image.width()) + " /Height "
        + QByteArray::number(image.height())
        + (grey ? " /ColorSpace /DeviceGray" : " /ColorSpace /DeviceRGB")
        + " /BitsPerComponent 8 /Filter /FlateDecode";
    return addPage(dict, packed, drawSizePt);
}

bool RPdfDocument::addPage(const QByteArray &imageDict, const QByteArray &imageData, const QSizeF &drawSizePt)
{
    const int imageObj = beginObject();
    write("<< /Type /XObject /Subtype /Image " + imageDict + " /Length "
          + QByteArray::number(imageData.size()) + " >>\nstream\n");
    write(imageData);
    write("\nendstream\nendobj\n");

    // The picture hangs from the page's top-left corner.
    const double w = drawSizePt.width();
    const double h = drawSizePt.height();
    const QByteArray content = "q " + num(w) + " 0 0 " + num(h) + " 0 " + num(m_sizePage.height() - h)
        + " cm /Im0 Do Q\n";
    const int contentObj = beginObject();
    write("<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content
          + "endstream\nendobj\n");

    const int pageObj = beginObject();
    write("<< /Type /Page /Parent " + ref(kPagesObj) + " /MediaBox [0 0 " + num(m_sizePage.width()) + " "
          + num(m_sizePage.height()) + "] /Resources << /XObject << /Im0 " + ref(imageObj)
          + " >> >> /Contents " + ref(contentObj) + " >>\nendobj\n");
    if (m_bOk)
        m_vecPageObjs.append(pageObj);
    return m_bOk;
}

bool RPdfDocument::finish()
{
    if (m_vecPageObjs.isEmpty())
        return false;
    m_vecOffsets[kPagesObj - 1] = m_iOffset;
    QByteArray kids;
    for (int obj : qAsConst(m_vecPageObjs))
        kids += ref(obj) + " ";
    write(QByteArray::number(kPagesObj) + " 0 obj\n<< /Type /Pages /Kids [" + kids.trimmed() + "] /Count "
          + QByteArray::number(m_vecPageObjs.size()) + " >>\nendobj\n");

    const qint64 xref = m_iOffset;
    QByteArray table = "xref\n0 " + QByteArray::number(m_vecOffsets.size() + 1) + "\n0000000000 65535 f \n";
    for (qint64 off : qAsConst(m_vecOffsets))
        table += QByteArray::number(off).rightJustified(10, '0') + " 00000 n \n";
    write(table);
    write("trailer\n<< /Size " + QByteArray::number(m_vecOffsets.size() + 1) + " /Root " + ref(1)
          + " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
    return m_bOk;
}
