#include "RPdfDocument.h"

#include <QDebug>
#include <QHash>
#include <QIODevice>
#include <QImage>
#include <QRegularExpression>

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

// Every invisible glyph is 500 units wide; Tz stretches a word to its box.
constexpr int kGlyphWidth = 500;
// Codes 1..255 of a simple font, without the space code that viewers treat
// as a word break.
constexpr int kCodesPerFont = 254;

int codeAt(int index)
{
    const int code = index + 1;
    return code >= 32 ? code + 1 : code;
}

QByteArray hex2(int v)
{
    return QByteArray::number(v, 16).rightJustified(2, '0').toUpper();
}

QByteArray hex4(uint v)
{
    return QByteArray::number(v, 16).rightJustified(4, '0').toUpper();
}

// UTF-16BE of a code point, as ToUnicode wants it.
QByteArray utf16Hex(uint cp)
{
    if (cp < 0x10000)
        return hex4(cp);
    cp -= 0x10000;
    return hex4(0xD800 + (cp >> 10)) + hex4(0xDC00 + (cp & 0x3FF));
}

QByteArray toUnicodeCMap(const QVector<uint> &codePoints)
{
    QByteArray s = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                   "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                   "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                   "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n";
    // At most 100 entries a block.
    for (int from = 0; from < codePoints.size(); from += 100) {
        const int n = qMin(100, codePoints.size() - from);
        s += QByteArray::number(n) + " beginbfchar\n";
        for (int i = from; i < from + n; ++i)
            s += "<" + hex2(codeAt(i)) + "> <" + utf16Hex(codePoints.at(i)) + ">\n";
        s += "endbfchar\n";
    }
    s += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    return s;
}

// Reads `n` bytes at `pos`, or fewer at the end.
QByteArray readAt(QIODevice *device, qint64 pos, qint64 n)
{
    if (pos < 0 || !device->seek(pos))
        return QByteArray();
    return device->read(n);
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

RPdfDocument::RPdfDocument(QIODevice *device, const QSizeF &pageSizePt, const Revision &from)
    : m_device(device)
    , m_sizePage(pageSizePt)
    , m_iOffset(from.size)
    , m_vecPageObjs(from.pageObjs)
    , m_iFirstNew(from.objectCount + 1)
    , m_iPrevXref(from.xrefOffset)
{
    m_vecOffsets.resize(from.objectCount);
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
                               const QSizeF &drawSizePt, const QVector<Word> &words)
{
    if (width < 1 || height < 1 || (components != 1 && components != 3))
        return false;
    const QByteArray dict = "/Width " + QByteArray::number(width) + " /Height " + QByteArray::number(height)
        + (components == 1 ? " /ColorSpace /DeviceGray" : " /ColorSpace /DeviceRGB")
        + " /BitsPerComponent 8 /Filter /DCTDecode";
    return addPage(dict, jpeg, QSize(width, height), drawSizePt, words);
}

bool RPdfDocument::addImagePage(const QImage &source, const QSizeF &drawSizePt, const QVector<Word> &words)
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
    return addPage(dict, packed, image.size(), drawSizePt, words);
}

QByteArray RPdfDocument::textLayer(const QVector<Word> &words, const QSize &picture, const QSizeF &drawSizePt,
                                   double pageHeightPt, QVector<QVector<uint>> *fonts)
{
    if (words.isEmpty() || picture.isEmpty() || drawSizePt.isEmpty())
        return QByteArray();
    const double sx = drawSizePt.width() / picture.width();
    const double sy = drawSizePt.height() / picture.height();
    QHash<uint, QPair<int, int>> codes; // code point -> font, code
    QByteArray ops = "BT 3 Tr\n";
    for (const Word &word : words) {
        QVector<uint> cps;
        for (uint cp : word.text.toUcs4())
            if (cp > 32 && cp != 0x7F && cp != 0xFFFD)
                cps << cp;
        if (cps.isEmpty() || word.box.width() <= 0 || word.box.height() <= 0)
            continue;
        const double size = qMax(1.0, word.box.height() * sy);
        const double natural = cps.size() * size * kGlyphWidth / 1000.0;
        const double stretch = 100.0 * word.box.width() * sx / natural;
        // The baseline sits a descender's depth above the box bottom.
        const double x = word.box.left() * sx;
        const double y = pageHeightPt - word.box.bottom() * sy + 0.2 * size;
        ops += num(stretch) + " Tz 1 0 0 1 " + num(x) + " " + num(y) + " Tm\n";
        int font = -1;
        QByteArray run;
        auto flush = [&] {
            if (!run.isEmpty())
                ops += "/F" + QByteArray::number(font) + " " + num(size) + " Tf <" + run + "> Tj\n";
            run.clear();
        };
        for (uint cp : qAsConst(cps)) {
            auto it = codes.find(cp);
            if (it == codes.end()) {
                if (fonts->isEmpty() || fonts->last().size() >= kCodesPerFont)
                    fonts->append(QVector<uint>());
                fonts->last().append(cp);
                it = codes.insert(cp, qMakePair(fonts->size() - 1, codeAt(fonts->last().size() - 1)));
            }
            if (it->first != font) {
                flush();
                font = it->first;
            }
            run += hex2(it->second);
        }
        flush();
    }
    return ops + "ET\n";
}

QByteArray RPdfDocument::fontResources(const QVector<QVector<uint>> &fonts)
{
    QByteArray dict;
    for (int f = 0; f < fonts.size(); ++f) {
        const QByteArray cmap = toUnicodeCMap(fonts.at(f));
        const int cmapObj = beginObject();
        write("<< /Length " + QByteArray::number(cmap.size()) + " >>\nstream\n" + cmap + "endstream\nendobj\n");
        const int last = codeAt(fonts.at(f).size() - 1);
        QByteArray widths;
        for (int c = 1; c <= last; ++c)
            widths += QByteArray::number(kGlyphWidth) + (c % 16 ? " " : "\n");
        // A standard font needs nothing embedded; the text is never painted.
        const int fontObj = beginObject();
        write("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /FirstChar 1 /LastChar "
              + QByteArray::number(last) + " /Widths [" + widths.trimmed() + "] /ToUnicode " + ref(cmapObj)
              + " >>\nendobj\n");
        dict += " /F" + QByteArray::number(f) + " " + ref(fontObj);
    }
    return dict.isEmpty() ? QByteArray() : " /Font <<" + dict + " >>";
}

bool RPdfDocument::addPage(const QByteArray &imageDict, const QByteArray &imageData, const QSize &picture,
                           const QSizeF &drawSizePt, const QVector<Word> &words)
{
    const int imageObj = beginObject();
    write("<< /Type /XObject /Subtype /Image " + imageDict + " /Length "
          + QByteArray::number(imageData.size()) + " >>\nstream\n");
    write(imageData);
    write("\nendstream\nendobj\n");

    // The picture hangs from the page's top-left corner.
    const double w = drawSizePt.width();
    const double h = drawSizePt.height();
    QVector<QVector<uint>> fonts;
    QByteArray content = "q " + num(w) + " 0 0 " + num(h) + " 0 " + num(m_sizePage.height() - h)
        + " cm /Im0 Do Q\n" + textLayer(words, picture, drawSizePt, m_sizePage.height(), &fonts);
    if (!m_ptOrigin.isNull())
        content = "q 1 0 0 1 " + num(m_ptOrigin.x()) + " " + num(-m_ptOrigin.y()) + " cm\n" + content + "Q\n";
    const int contentObj = beginObject();
    write("<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content
          + "endstream\nendobj\n");
    const QByteArray fontDict = fontResources(fonts);

    const int pageObj = beginObject();
    write("<< /Type /Page /Parent " + ref(kPagesObj) + " /MediaBox [0 0 " + num(m_sizePage.width()) + " "
          + num(m_sizePage.height()) + "] /Resources << /XObject << /Im0 " + ref(imageObj) + " >>" + fontDict
          + " >> /Contents " + ref(contentObj) + " >>\nendobj\n");
    if (m_bOk)
        m_vecPageObjs.append(pageObj);
    return m_bOk;
}

bool RPdfDocument::finish()
{
    if (m_vecPageObjs.isEmpty())
        return false;
    const qint64 pagesOffset = m_iOffset;
    m_vecOffsets[kPagesObj - 1] = pagesOffset;
    QByteArray kids;
    for (int obj : qAsConst(m_vecPageObjs))
        kids += ref(obj) + " ";
    write(QByteArray::number(kPagesObj) + " 0 obj\n<< /Type /Pages /Kids [" + kids.trimmed() + "] /Count "
          + QByteArray::number(m_vecPageObjs.size()) + " >>\nendobj\n");

    const qint64 xref = m_iOffset;
    const auto entry = [](qint64 off) { return QByteArray::number(off).rightJustified(10, '0') + " 00000 n \n"; };
    QByteArray table = "xref\n";
    if (m_iPrevXref < 0) {
        table += "0 " + QByteArray::number(m_vecOffsets.size() + 1) + "\n0000000000 65535 f \n";
        for (qint64 off : qAsConst(m_vecOffsets))
            table += entry(off);
    } else {
        // An update names only the new page tree and the new objects.
        table += QByteArray::number(kPagesObj) + " 1\n" + entry(pagesOffset);
        const int fresh = m_vecOffsets.size() - m_iFirstNew + 1;
        if (fresh > 0) {
            table += QByteArray::number(m_iFirstNew) + " " + QByteArray::number(fresh) + "\n";
            for (int i = m_iFirstNew - 1; i < m_vecOffsets.size(); ++i)
                table += entry(m_vecOffsets.at(i));
        }
    }
    write(table);
    write("trailer\n<< /Size " + QByteArray::number(m_vecOffsets.size() + 1) + " /Root " + ref(1)
          + (m_iPrevXref < 0 ? QByteArray() : " /Prev " + QByteArray::number(m_iPrevXref))
          + " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
    return m_bOk;
}

bool RPdfDocument::readRevision(QIODevice *device, Revision *revision)
{
    const qint64 size = device->size();
    if (size < 64)
        return false;
    const QByteArray tail = readAt(device, qMax<qint64>(0, size - 256), 256);
    const int at = tail.lastIndexOf("startxref");
    if (at < 0 || !tail.trimmed().endsWith("%%EOF"))
        return false;
    bool ok = false;
    const qint64 xref = tail.mid(at + 9).replace("%%EOF", "").trimmed().toLongLong(&ok);
    if (!ok || xref <= 0 || xref >= size)
        return false;

    // Our sections are short: the page tree entry and one page's objects.
    const QByteArray section = readAt(device, xref, qMin<qint64>(size - xref, 1 << 20));
    const int trailerAt = section.indexOf("trailer");
    if (!section.startsWith("xref") || trailerAt < 0)
        return false;
    const QList<QByteArray> lines = section.left(trailerAt).mid(4).trimmed().split('\n');
    qint64 pagesOffset = -1;
    for (int i = 0; i < lines.size();) {
        const QList<QByteArray> head = lines.at(i).trimmed().split(' ');
        if (head.size() != 2)
            return false;
        const int first = head.at(0).toInt();
        const int count = head.at(1).toInt();
        if (count < 0 || i + 1 + count > lines.size())
            return false;
        if (first <= kPagesObj && kPagesObj < first + count)
            pagesOffset = lines.at(i + 1 + kPagesObj - first).left(10).toLongLong();
        i += 1 + count;
    }
    const QByteArray trailer = section.mid(trailerAt);
    const QRegularExpressionMatch sizeMatch = QRegularExpression(QStringLiteral("/Size (\\d+)"))
                                                  .match(QString::fromLatin1(trailer));
    if (pagesOffset <= 0 || pagesOffset >= xref || !sizeMatch.hasMatch() || !trailer.contains("/Root 1 0 R"))
        return false;

    const QByteArray pages = readAt(device, pagesOffset, xref - pagesOffset);
    const int end = pages.indexOf("endobj");
    if (!pages.startsWith("2 0 obj") || end < 0 || !pages.contains("/Type /Pages"))
        return false;
    const QString tree = QString::fromLatin1(pages.left(end));
    const int kidsFrom = tree.indexOf(QLatin1String("/Kids ["));
    const int kidsTo = tree.indexOf(QLatin1Char(']'), kidsFrom);
    const QRegularExpressionMatch countMatch = QRegularExpression(QStringLiteral("/Count (\\d+)")).match(tree);
    if (kidsFrom < 0 || kidsTo < 0 || !countMatch.hasMatch())
        return false;
    Revision r;
    auto it = QRegularExpression(QStringLiteral("(\\d+) 0 R")).globalMatch(tree.mid(kidsFrom, kidsTo - kidsFrom));
    while (it.hasNext())
        r.pageObjs << it.next().captured(1).toInt();
    // A nested page tree is not ours.
    if (r.pageObjs.isEmpty() || r.pageObjs.size() != countMatch.captured(1).toInt())
        return false;
    r.size = size;
    r.xrefOffset = xref;
    r.objectCount = sizeMatch.captured(1).toInt() - 1;
    if (r.objectCount < kPagesObj)
        return false;
    *revision = r;
    return true;
}
