#include "RImageProc.h"

#include <QDebug>
#include <QVector>
#include <QtEndian>

#include <opencv2/core/hal/intrin.hpp>
#include <opencv2/imgproc.hpp>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr bool kLittleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;

bool isRgb32Family(QImage::Format f)
{
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
}

inline uchar greyOf(int r, int g, int b)
{
    return uchar((11 * r + 16 * g + 5 * b) >> 5);
}

#if defined(__SSE2__)
// Four pixels: widen to 16 bits, (5b + 16g) and (11r + 0a) by one multiply-add,
// then the two halves of each pixel summed.
inline __m128i grey4(__m128i px, __m128i k, __m128i zero)
{
    const __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi8(px, zero), k);
    const __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi8(px, zero), k);
    const __m128 even = _mm_shuffle_ps(_mm_castsi128_ps(lo), _mm_castsi128_ps(hi), _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 odd = _mm_shuffle_ps(_mm_castsi128_ps(lo), _mm_castsi128_ps(hi), _MM_SHUFFLE(3, 1, 3, 1));
    return _mm_srli_epi32(_mm_add_epi32(_mm_castps_si128(even), _mm_castps_si128(odd)), 5);
}
#endif

#if CV_SIMD128
// Sixteen pixels of (11r + 16g + 5b) >> 5; at most 32 * 255, so 16 bits never overflow.
inline cv::v_uint8x16 grey16(const cv::v_uint8x16 &r, const cv::v_uint8x16 &g, const cv::v_uint8x16 &b)
{
    const cv::v_uint16x8 k11 = cv::v_setall_u16(11);
    const cv::v_uint16x8 k5 = cv::v_setall_u16(5);
    cv::v_uint16x8 b0, b1, g0, g1, r0, r1;
    cv::v_expand(b, b0, b1);
    cv::v_expand(g, g0, g1);
    cv::v_expand(r, r0, r1);
    const cv::v_uint16x8 y0 = cv::v_shr<5>(cv::v_mul_wrap(r0, k11) + cv::v_shl<4>(g0) + cv::v_mul_wrap(b0, k5));
    const cv::v_uint16x8 y1 = cv::v_shr<5>(cv::v_mul_wrap(r1, k11) + cv::v_shl<4>(g1) + cv::v_mul_wrap(b1, k5));
    return cv::v_pack(y0, y1);
}
#endif

// One row of 32-bit pixels, memory order B G R A.
void greyRowBgra(const uchar *s, uchar *d, int w)
{
    int x = 0;
#if defined(__SSE2__)
    const __m128i k = _mm_setr_epi16(5, 16, 11, 0, 5, 16, 11, 0);
    const __m128i zero = _mm_setzero_si128();
    for (; x <= w - 16; x += 16) {
        const __m128i *p = reinterpret_cast<const __m128i *>(s + 4 * x);
        const __m128i a = grey4(_mm_loadu_si128(p), k, zero);
        const __m128i b = grey4(_mm_loadu_si128(p + 1), k, zero);
        const __m128i c = grey4(_mm_loadu_si128(p + 2), k, zero);
        const __m128i e = grey4(_mm_loadu_si128(p + 3), k, zero);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + x),
                         _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, e)));
    }
#elif CV_SIMD128
    for (; x <= w - 16; x += 16) {
        cv::v_uint8x16 b, g, r, a;
        cv::v_load_deinterleave(s + 4 * x, b, g, r, a);
        cv::v_store(d + x, grey16(r, g, b));
    }
#endif
    for (; x < w; ++x)
        d[x] = greyOf(s[4 * x + 2], s[4 * x + 1], s[4 * x]);
}

// One row of RGB888, memory order R G B.
void greyRowRgb(const uchar *s, uchar *d, int w)
{
    int x = 0;
#if CV_SIMD128
    for (; x <= w - 16; x += 16) {
        cv::v_uint8x16 r, g, b;
        cv::v_load_deinterleave(s + 3 * x, r, g, b);
        cv::v_store(d + x, grey16(r, g, b));
    }
#endif
    for (; x < w; ++x)
        d[x] = greyOf(s[3 * x], s[3 * x + 1], s[3 * x + 2]);
}

// Four partial tables hide the store-to-load dependency of runs of equal values.
using SubHistogram = quint32[4][256];

void addToHistogram(const uchar *d, int w, SubHistogram &h)
{
    int x = 0;
    for (; x <= w - 8; x += 8) {
        quint32 a, b;
        memcpy(&a, d + x, 4);
        memcpy(&b, d + x + 4, 4);
        ++h[0][a & 0xff];
        ++h[1][(a >> 8) & 0xff];
        ++h[2][(a >> 16) & 0xff];
        ++h[3][a >> 24];
        ++h[0][b & 0xff];
        ++h[1][(b >> 8) & 0xff];
        ++h[2][(b >> 16) & 0xff];
        ++h[3][b >> 24];
    }
    for (; x < w; ++x)
        ++h[0][d[x]];
}

void mergeHistogram(const SubHistogram &h, qint64 *hist)
{
    for (int i = 0; i < 256; ++i)
        hist[i] += qint64(h[0][i]) + h[1][i] + h[2][i] + h[3][i];
}

// 255 where v >= t, else 0; t in 0..255.
void thresholdRow(uchar *d, int w, int t)
{
    int x = 0;
#if CV_SIMD128
    const cv::v_uint8x16 vt = cv::v_setall_u8(uchar(t));
    for (; x <= w - 16; x += 16)
        cv::v_store(d + x, cv::v_reinterpret_as_u8(cv::v_load(d + x) >= vt));
#endif
    for (; x < w; ++x)
        d[x] = d[x] >= t ? 255 : 0;
}

// Grey values of `src` into the Grayscale8 picture `dst` (same size), with the
// histogram when `hist` is given, or thresholded at `threshold` (0..255) when
// that is not negative. The formula is applied to the RGB value that
// QImage::pixel() reports, so every format gives what the per-pixel rule gives.
void greyInto(const QImage &src, QImage &dst, qint64 *hist, int threshold = -1)
{
    const int w = src.width();
    const int h = src.height();
    const QImage::Format f = src.format();

    std::array<uchar, 256> lut{};
    if (f == QImage::Format_Indexed8) {
        const QVector<QRgb> table = src.colorTable();
        // Indices past the table read as 0, like QImage::pixel().
        for (int i = 0; i < table.size() && i < 256; ++i)
            lut[i] = greyOf(qRed(table[i]), qGreen(table[i]), qBlue(table[i]));
    }

    enum Kind { Bgra, Rgb, Lut, Copy, Generic } kind = Generic;
    if (kLittleEndian && isRgb32Family(f))
        kind = Bgra;
    else if (f == QImage::Format_RGB888)
        kind = Rgb;
    else if (f == QImage::Format_Indexed8)
        kind = Lut;
    else if (f == QImage::Format_Grayscale8)
        kind = Copy; // (32 v) >> 5 == v

    // Row pointers taken once: scanLine() touches the picture's shared state,
    // which the worker threads must not do.
    const uchar *srcBits = src.constBits();
    const qsizetype srcStride = src.bytesPerLine();
    uchar *dstBits = dst.bits();
    const qsizetype dstStride = dst.bytesPerLine();
    auto rows = [&](int y0, int y1, qint64 *hst) {
        SubHistogram sub;
        if (hst)
            memset(sub, 0, sizeof(sub));
        for (int y = y0; y < y1; ++y) {
            const uchar *s = srcBits + y * srcStride;
            uchar *d = dstBits + y * dstStride;
            switch (kind) {
            case Bgra:
                greyRowBgra(s, d, w);
                break;
            case Rgb:
                greyRowRgb(s, d, w);
                break;
            case Lut:
                for (int x = 0; x < w; ++x)
                    d[x] = lut[s[x]];
                break;
            case Copy:
                memcpy(d, s, size_t(w));
                break;
            case Generic:
                for (int x = 0; x < w; ++x) {
                    const QRgb c = src.pixel(x, y);
                    d[x] = greyOf(qRed(c), qGreen(c), qBlue(c));
                }
                break;
            }
            if (hst)
                addToHistogram(d, w, sub);
            else if (threshold >= 0)
                thresholdRow(d, w, threshold);
        }
        if (hst)
            mergeHistogram(sub, hst);
    };

    // Small pictures are not worth waking the thread pool for.
    const qint64 pixels = qint64(w) * h;
    const int stripes = (pixels < 512 * 512 || kind == Generic) ? 1 : qMin(h, 16);
    std::vector<std::array<qint64, 256>> partial(size_t(stripes), std::array<qint64, 256>{});
    auto body = [&](const cv::Range &r) {
        for (int i = r.start; i < r.end; ++i)
            rows(int(qint64(h) * i / stripes), int(qint64(h) * (i + 1) / stripes), hist ? partial[size_t(i)].data() : nullptr);
    };
    if (stripes == 1)
        body(cv::Range(0, 1));
    else
        cv::parallel_for_(cv::Range(0, stripes), body, stripes);
    if (hist) {
        for (const auto &p : partial)
            for (int i = 0; i < 256; ++i)
                hist[i] += p[size_t(i)];
    }
}

int otsuFromHistogram(const qint64 *count)
{
    double total = 0;
    double sum = 0;
    for (int i = 0; i < 256; ++i) {
        total += double(count[i]);
        sum += double(i) * double(count[i]);
    }
    double wB = 0;
    double sumB = 0;
    double best = 0.0;
    int threshold = 0;
    for (int t = 0; t < 256; ++t) {
        wB += double(count[t]);
        if (wB == 0)
            continue;
        const double wF = total - wB;
        if (wF == 0)
            break;
        sumB += double(t) * double(count[t]);
        const double mB = sumB / wB;
        const double mF = (sum - sumB) / wF;
        const double between = wB * wF * (mB - mF) * (mB - mF);
        if (between > best) {
            best = between;
            threshold = t;
        }
    }
    return threshold;
}

// Expresses the same rectangle so that the cut's rotation (angle + 90) is the
// smallest one, within [-45, 45). OpenCV 4.5+ reports (0, 90], older versions
// [-90, 0); either way a page tilted a little comes out upright.
RRotatedRect normalised(const cv::RotatedRect &r)
{
    RRotatedRect out;
    out.cx = r.center.x;
    out.cy = r.center.y;
    out.width = r.size.width;
    out.height = r.size.height;
    float turn = r.angle + 90.0f;
    turn = std::fmod(turn, 360.0f);
    for (int guard = 0; turn >= 45.0f && guard < 8; ++guard) {
        turn -= 90.0f;
        std::swap(out.width, out.height);
    }
    for (int guard = 0; turn < -45.0f && guard < 8; ++guard) {
        turn += 90.0f;
        std::swap(out.width, out.height);
    }
    out.angle = turn - 90.0f;
    return out;
}

} // namespace

bool RRotatedRect::isValid() const
{
    return std::isfinite(cx) && std::isfinite(cy) && std::isfinite(width) && std::isfinite(height)
        && std::isfinite(angle) && width > 0 && height > 0;
}

cv::Mat RImageProc::imageToMat(const QImage &image)
{
    if (image.isNull())
        return cv::Mat();
    uchar *bits = const_cast<uchar *>(image.constBits()); // read-only use by contract
    const size_t step = size_t(image.bytesPerLine());
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return cv::Mat(image.height(), image.width(), CV_8UC4, bits, step);
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
        return cv::Mat(image.height(), image.width(), CV_8UC1, bits, step);
    case QImage::Format_RGB888: {
        cv::Mat bgr;
        cv::cvtColor(cv::Mat(image.height(), image.width(), CV_8UC3, bits, step), bgr, cv::COLOR_RGB2BGR);
        return bgr;
    }
    default: {
        // Reading other layouts as 4 channels would run past their rows;
        // convert instead and let the matrix own the copy.
        const QImage c = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        return cv::Mat(c.height(), c.width(), CV_8UC4, const_cast<uchar *>(c.constBits()), size_t(c.bytesPerLine()))
            .clone();
    }
    }
}

QImage RImageProc::matToImage(const cv::Mat &mat)
{
    if (mat.empty() || mat.dims != 2)
        return QImage();
    if (mat.depth() != CV_8U || (mat.channels() != 1 && mat.channels() != 3 && mat.channels() != 4)) {
        qDebug("RImageProc::matToImage: Image format is not supported: depth=%d and %d channels\n", mat.depth(),
               mat.channels());
        return QImage();
    }
    QImage out;
    switch (mat.channels()) {
    case 1: {
        out = QImage(mat.cols, mat.rows, QImage::Format_Indexed8);
        QVector<QRgb> table(256);
        for (int i = 0; i < 256; ++i)
            table[i] = qRgb(i, i, i);
        out.setColorTable(table);
        break;
    }
    case 3:
        out = QImage(mat.cols, mat.rows, QImage::Format_RGB888);
        break;
    default:
        out = QImage(mat.cols, mat.rows, QImage::Format_RGB32);
        break;
    }
    if (out.isNull())
        return out;
    cv::Mat dst(out.height(), out.width(), mat.type(), out.bits(), size_t(out.bytesPerLine()));
    if (mat.channels() == 3)
        cv::cvtColor(mat, dst, cv::COLOR_BGR2RGB);
    else
        mat.copyTo(dst);
    return out;
}

namespace {

// One-channel grey of a one-, three- or four-channel matrix; wraps a grey one.
void toGrey(const cv::Mat &picture, cv::Mat &grey)
{
    if (picture.channels() == 4)
        cv::cvtColor(picture, grey, cv::COLOR_BGRA2GRAY);
    else if (picture.channels() == 3)
        cv::cvtColor(picture, grey, cv::COLOR_BGR2GRAY);
    else
        grey = picture;
}

// The edge work on a grey matrix: the largest outer contour (by bounding box),
// false when there is none.
bool largestContourOnGrey(const cv::Mat &grey, std::vector<cv::Point> *contour)
{
    // Buffers kept between ticks: the detection runs twice a second, and
    // reallocating them costs more than the edge work.
    thread_local cv::Mat edges;
    thread_local cv::Mat closed;
    thread_local const cv::Mat kernel = cv::Mat::ones(9, 9, CV_8UC1);
    thread_local std::vector<std::vector<cv::Point>> contours;

    cv::Canny(grey, edges, 80.0, 126.0, 3, false);
    cv::morphologyEx(edges, closed, cv::MORPH_CLOSE, kernel, cv::Point(-1, -1), 1, cv::BORDER_CONSTANT,
                     cv::morphologyDefaultBorderValue());
    contours.clear();
    cv::findContours(closed, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE, cv::Point());
    if (contours.empty())
        return false;

    double bestArea = 0;
    size_t best = 0;
    for (size_t i = 0; i < contours.size(); ++i) {
        const cv::Rect box = cv::boundingRect(contours[i]);
        const double area = double(box.width) * double(box.height);
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    *contour = contours[best];
    return true;
}

// The minimum-area rectangle of the largest outer contour; the contour itself
// into `outline` when asked.
bool detectOnGrey(const cv::Mat &grey, cv::RotatedRect *found, std::vector<cv::Point> *outline = nullptr)
{
    std::vector<cv::Point> contour;
    if (!largestContourOnGrey(grey, &contour))
        return false;
    *found = cv::minAreaRect(contour);
    if (outline)
        outline->swap(contour);
    return true;
}

// The matrix the edge work reads: the picture's own pixels where the layout allows.
cv::Mat pictureMat(const QImage &image)
{
    const QImage::Format f = image.format();
    if (isRgb32Family(f) || f == QImage::Format_Grayscale8)
        return RImageProc::imageToMat(image);
    if (f == QImage::Format_RGB888)
        return cv::Mat(image.height(), image.width(), CV_8UC3, const_cast<uchar *>(image.constBits()),
                       size_t(image.bytesPerLine()));
    return RImageProc::imageToMat(image.convertToFormat(QImage::Format_RGB32)).clone();
}

// Mean absolute grey difference of two pictures brought to one small size.
double thumbDistance(const cv::Mat &a, const cv::Mat &b)
{
    cv::Mat d;
    cv::absdiff(a, b, d);
    return cv::mean(d)[0];
}

cv::Mat greyThumb(const cv::Mat &picture, const cv::Size &size)
{
    cv::Mat grey;
    cv::Mat small;
    toGrey(picture, grey);
    cv::resize(grey, small, size, 0, 0, cv::INTER_AREA);
    return small;
}

int flipOnMat(const cv::Mat &delivered, const cv::Mat &shown)
{
    if (delivered.empty() || shown.empty())
        return RImageProc::kNoFlip;
    const cv::Size size(32, 24);
    const cv::Mat want = greyThumb(shown, size);
    const cv::Mat have = greyThumb(delivered, size);
    int best = RImageProc::kNoFlip;
    double bestDistance = thumbDistance(have, want);
    for (const int code : {0, 1, -1}) {
        cv::Mat turned;
        cv::flip(have, turned, code);
        const double d = thumbDistance(turned, want);
        // A flip must win clearly: a symmetric picture keeps the frame as delivered.
        if (d + 1.0 < bestDistance) {
            bestDistance = d;
            best = code;
        }
    }
    return best;
}

} // namespace

std::vector<cv::Point> RImageProc::largestOuterContour(const QImage &image)
{
    std::vector<cv::Point> contour;
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return contour;
    try {
        thread_local cv::Mat grey;
        toGrey(pictureMat(image), grey);
        largestContourOnGrey(grey, &contour);
    } catch (const cv::Exception &e) {
        qInfo() << "RImageProc::largestOuterContour: catch" << e.what();
        contour.clear();
    }
    return contour;
}

QList<QPoint> RImageProc::detectRect(const QImage &image, RRotatedRect *rect)
{
    QList<QPoint> corners;
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return corners;
    try {
        thread_local cv::Mat grey;
        toGrey(pictureMat(image), grey);
        cv::RotatedRect found;
        if (!detectOnGrey(grey, &found))
            return corners;
        cv::Point2f pts[4];
        found.points(pts);
        for (const cv::Point2f &p : pts)
            corners.append(QPoint(int(p.x), int(p.y)));
        if (rect)
            *rect = normalised(found);
    } catch (const cv::Exception &e) {
        qInfo() << "RImageProc::detectRect: catch" << e.what();
        corners.clear();
    }
    return corners;
}

QList<QPoint> RImageProc::detectRectShown(const QImage &frame, int maxWidth, const QSize &target, const QImage &shown,
                                          RRotatedRect *rect, std::vector<cv::Point2f> *outline)
{
    QList<QPoint> corners;
    if (outline)
        outline->clear();
    if (frame.isNull() || frame.width() < 1 || frame.height() < 1 || maxWidth < 1)
        return corners;
    const QSize view = target.isEmpty() ? frame.size() : target;
    // Where the viewfinder draws the frame: fitted, aspect kept, centred.
    QRect placed(QPoint(0, 0), frame.size().scaled(view, Qt::KeepAspectRatio));
    placed.moveCenter(QRect(QPoint(0, 0), view).center());
    if (placed.isEmpty())
        return corners;
    try {
        const cv::Mat full = pictureMat(frame);
        thread_local cv::Mat reduced;
        thread_local cv::Mat grey;
        thread_local cv::Mat turned;
        const cv::Mat *picture = &full;
        if (frame.width() > maxWidth) {
            const int h = std::max(1, int(std::lround(double(frame.height()) * maxWidth / frame.width())));
            cv::resize(full, reduced, cv::Size(maxWidth, h), 0, 0, cv::INTER_LINEAR);
            picture = &reduced;
        }
        toGrey(*picture, grey);
        const cv::Mat *search = &grey;
        if (!shown.isNull()) {
            const int flip = flipOnMat(grey, pictureMat(shown));
            if (flip != kNoFlip) {
                cv::flip(grey, turned, flip);
                search = &turned;
            }
        }
        cv::RotatedRect found;
        std::vector<cv::Point> contour;
        if (!detectOnGrey(*search, &found, outline ? &contour : nullptr))
            return corners;
        const double sx = double(placed.width()) / picture->cols;
        const double sy = double(placed.height()) / picture->rows;
        if (outline) {
            outline->reserve(contour.size());
            for (const cv::Point &p : contour)
                outline->emplace_back(float(placed.x() + p.x * sx), float(placed.y() + p.y * sy));
        }
        cv::Point2f pts[4];
        found.points(pts);
        for (const cv::Point2f &p : pts)
            corners.append(QPoint(int(placed.x() + p.x * sx), int(placed.y() + p.y * sy)));
        if (rect) {
            RRotatedRect r = normalised(found);
            const double s = (sx + sy) / 2;
            r.cx = float(placed.x() + r.cx * sx);
            r.cy = float(placed.y() + r.cy * sy);
            r.width = float(r.width * s);
            r.height = float(r.height * s);
            *rect = r;
        }
    } catch (const cv::Exception &e) {
        qInfo() << "RImageProc::detectRectShown: catch" << e.what();
        corners.clear();
        if (outline)
            outline->clear();
    }
    return corners;
}

QImage RImageProc::cutRotatedRect(const QImage &image, const RRotatedRect &rect)
{
    if (image.isNull() || !rect.isValid()) {
        qInfo() << "RImageProc::cutRotatedRect: nothing to cut" << image.size() << rect.width << rect.height;
        return QImage();
    }
    // The extra 90 degrees exchange the sides.
    const int pw = cvRound(rect.height);
    const int ph = cvRound(rect.width);
    const qint64 limit = qMax<qint64>(4 * qint64(image.width()) * image.height(), 1 << 20);
    if (pw < 1 || ph < 1 || qint64(pw) * ph > limit) {
        qInfo() << "RImageProc::cutRotatedRect: degenerate rectangle" << pw << ph;
        return QImage();
    }
    try {
        // Warping straight into the patch: the rotation about the centre, then
        // a shift that puts the patch's top-left at the origin. The same samples
        // as a full-frame warp followed by taking the patch, at a fraction of the cost.
        cv::Mat m = cv::getRotationMatrix2D(cv::Point2f(rect.cx, rect.cy), double(rect.angle) + 90.0, 1.0);
        m.at<double>(0, 2) -= double(rect.cx) - (pw - 1) * 0.5;
        m.at<double>(1, 2) -= double(rect.cy) - (ph - 1) * 0.5;

        QImage out(pw, ph, QImage::Format_RGB888);
        if (out.isNull())
            return out;
        cv::Mat dst(ph, pw, CV_8UC3, out.bits(), size_t(out.bytesPerLine()));
        if (isRgb32Family(image.format())) {
            cv::Mat patch; // once per capture: not worth keeping tens of megabytes
            cv::warpAffine(imageToMat(image), patch, m, cv::Size(pw, ph), cv::INTER_CUBIC, cv::BORDER_CONSTANT,
                           cv::Scalar::all(0));
            cv::cvtColor(patch, dst, cv::COLOR_BGRA2RGB);
        } else {
            const QImage rgb = image.format() == QImage::Format_RGB888 ? image
                                                                       : image.convertToFormat(QImage::Format_RGB888);
            const cv::Mat src(rgb.height(), rgb.width(), CV_8UC3, const_cast<uchar *>(rgb.constBits()),
                              size_t(rgb.bytesPerLine()));
            cv::warpAffine(src, dst, m, cv::Size(pw, ph), cv::INTER_CUBIC, cv::BORDER_CONSTANT, cv::Scalar::all(0));
        }
        return out;
    } catch (const cv::Exception &e) {
        qInfo() << "RImageProc::cutRotatedRect: catch" << e.what();
        return QImage();
    }
}

cv::Mat RImageProc::referenceFrame(const QImage &image)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return cv::Mat();
    QImage small = image.scaled(100, 100, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!isRgb32Family(small.format()))
        small = small.convertToFormat(QImage::Format_RGB32);
    cv::Mat grey;
    cv::cvtColor(imageToMat(small), grey, cv::COLOR_BGR2GRAY);
    return grey;
}

double RImageProc::framePsnr(const cv::Mat &a, const cv::Mat &b)
{
    if (a.empty() || a.size() != b.size() || a.type() != b.type()) {
        qInfo() << "RImageProc::framePsnr: frames cannot be compared";
        return 0.0;
    }
    try {
        cv::Mat diff;
        cv::absdiff(a, b, diff);
        diff.convertTo(diff, CV_32F);
        diff = diff.mul(diff);
        const cv::Scalar s = cv::sum(diff);
        const double sse = s.val[0] + s.val[1] + s.val[2];
        if (sse <= 1e-10)
            return 0.0;
        const double mse = sse / double(a.channels() * a.total());
        return 10.0 * std::log10((255.0 * 255.0) / mse);
    } catch (const cv::Exception &e) {
        qInfo() << "RImageProc::framePsnr: catch" << e.what();
        return 0.0;
    }
}

QVector<qint64> RImageProc::greyHistogram(const QImage &image)
{
    QVector<qint64> hist(256, 0);
    if (image.isNull())
        return hist;
    if (image.format() == QImage::Format_Grayscale8) {
        SubHistogram sub = {};
        for (int y = 0; y < image.height(); ++y)
            addToHistogram(image.constScanLine(y), image.width(), sub);
        mergeHistogram(sub, hist.data());
        return hist;
    }
    QImage grey(image.size(), QImage::Format_Grayscale8);
    if (grey.isNull())
        return hist;
    greyInto(image, grey, hist.data());
    return hist;
}

QImage RImageProc::toGray(const QImage &image)
{
    qDebug() << "RImageProc::toGray:";
    if (image.isNull())
        return QImage();
    QImage grey(image.size(), QImage::Format_Grayscale8);
    if (grey.isNull())
        return grey;
    greyInto(image, grey, nullptr);
    qDebug() << "RImageProc::toGray end wid:" << grey.width();
    return grey;
}

QImage RImageProc::toThreadhold(const QImage &image, int ival)
{
    if (image.isNull())
        return QImage();
    QImage bw(image.size(), QImage::Format_Grayscale8);
    if (bw.isNull())
        return bw;
    if (ival < 1) {
        QVector<qint64> hist(256, 0);
        greyInto(image, bw, hist.data());
        ival = otsuFromHistogram(hist.constData());
        // The threshold level itself turns white. When it is also the darkest
        // level present (pure black ink on pure white), that rule would turn the
        // whole page white, so the dark class keeps its level in that case.
        int darkest = 0;
        while (darkest < 255 && hist[darkest] == 0)
            ++darkest;
        if (ival == darkest && ival < 255 && std::any_of(hist.constBegin() + ival + 1, hist.constEnd(),
                                                         [](qint64 c) { return c > 0; }))
            ++ival;
        qDebug() << "RImageProc::toThreadhold: Threshold:" << ival;
        // Values are whole numbers, so ">= ival" is "> ival - 1".
        cv::Mat m(bw.height(), bw.width(), CV_8UC1, bw.bits(), size_t(bw.bytesPerLine()));
        cv::threshold(m, m, double(ival) - 1.0, 255.0, cv::THRESH_BINARY);
    } else {
        qDebug() << "RImageProc::toThreadhold: Threshold:" << ival;
        if (ival > 255)
            bw.fill(0); // no grey value reaches it
        else
            greyInto(image, bw, nullptr, ival); // thresholded while the row is still in cache
    }
    qDebug() << "RImageProc::toThreadhold end ival:" << ival;
    return bw;
}

int RImageProc::otsuThreshold(const QImage &image)
{
    if (image.isNull())
        return -1;
    const QVector<qint64> hist = greyHistogram(image);
    return otsuFromHistogram(hist.constData());
}
