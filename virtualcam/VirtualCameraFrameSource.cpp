#include "VirtualCameraFrameSource.h"

#include "VirtualCameraScenePainter.h"
#include "VirtualCameraSyncMarks.h"

#include <QDateTime>
#include <QDebug>
#include <QFileInfo>
#include <QImageReader>
#include <QTime>

#include <algorithm>
#include <cstring>

namespace {

// Two frames on screen or in flight plus one being drawn; a fourth covers a slow consumer.
constexpr size_t kPoolSize = 4;
// Refuse pictures whose decoded size would be absurd for a camera frame
// (a 50-megapixel photo still passes).
constexpr qint64 kMaxPicturePixels = qint64(50) * 1000 * 1000;
// What is kept of a large picture between resolution changes; no camera frame is bigger.
constexpr int kKeptPictureSide = 8192;
constexpr qint64 kMaxPictureBytes = qint64(256) * 1024 * 1024;

} // namespace

void VirtualCameraFrameSource::setParameters(const Parameters &parameters)
{
    if (parameters.size != m_parameters.size || parameters.source != m_parameters.source
        || parameters.pageCorners != m_parameters.pageCorners || parameters.syncMarks != m_parameters.syncMarks)
        m_baseStale = true;
    const VirtualCameraAdjustment adjustment(parameters.brightness, parameters.contrast, parameters.saturation);
    if (adjustment != m_adjustment) {
        m_adjustment = adjustment;
        m_stillStale = true;
    }
    m_parameters = parameters;
}

void VirtualCameraFrameSource::prepare()
{
    if (m_baseStale) {
        m_base = QImage();
        m_pattern = true;
        if (!m_parameters.source.isEmpty()) {
            m_base = scaledPicture();
            m_pattern = m_base.isNull();
        }
        if (m_pattern)
            m_base = VirtualCameraScenePainter::paintScene(m_parameters.size, m_parameters.pageCorners);
        m_clock = m_pattern ? VirtualCameraScenePainter::clockRect(m_parameters.size) : QRect();
        m_baseStale = false;
        m_stillStale = true;
    }
    if (m_stillStale) {
        m_still = m_base;
        if (!m_adjustment.isIdentity()) {
            m_still.detach();
            m_adjustment.apply(m_still);
        }
        m_stillStale = false;
        ++m_generation;
    }
}

bool VirtualCameraFrameSource::loadPicture()
{
    const QString path = m_parameters.source;
    const QFileInfo info(path);
    if (!info.isFile()) {
        qInfo() << "VirtualCameraFrameSource::loadPicture: missing source picture, showing the pattern:" << path;
        return false;
    }
    const QString key = path + QLatin1Char('|') + QString::number(info.size()) + QLatin1Char('|')
                        + QString::number(info.lastModified().toMSecsSinceEpoch());
    if (key == m_pictureKey)
        return !m_picture.isNull();
    m_pictureKey = key;
    m_picture = QImage();

    if (info.size() > kMaxPictureBytes) {
        qInfo() << "VirtualCameraFrameSource::loadPicture: source too large, showing the pattern:" << path
                << "bytes:" << info.size();
        return false;
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid()) {
        qInfo() << "VirtualCameraFrameSource::loadPicture: not a picture, showing the pattern:" << path
                << reader.errorString();
        return false;
    }
    if (qint64(size.width()) * size.height() > kMaxPicturePixels) {
        qInfo() << "VirtualCameraFrameSource::loadPicture: picture too large, showing the pattern:" << path << size;
        return false;
    }
    QImage picture = reader.read();
    if (picture.isNull()) {
        qInfo() << "VirtualCameraFrameSource::loadPicture: cannot decode, showing the pattern:" << path
                << reader.errorString();
        return false;
    }
    if (picture.width() > kKeptPictureSide || picture.height() > kKeptPictureSide)
        picture = picture.scaled(kKeptPictureSide, kKeptPictureSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_picture = picture.convertToFormat(QImage::Format_RGB32);
    qDebug() << "VirtualCameraFrameSource::loadPicture: loaded" << path << m_picture.size();
    return true;
}

QImage VirtualCameraFrameSource::scaledPicture()
{
    if (!loadPicture())
        return QImage();
    // The camera sees the whole picture at every resolution, as a lens with a fixed field would.
    QImage scaled = m_picture.size() == m_parameters.size
                        ? m_picture.copy()
                        : m_picture.scaled(m_parameters.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return scaled.convertToFormat(QImage::Format_RGB32);
}

VirtualCameraFrameSource::Buffer *VirtualCameraFrameSource::freeBuffer()
{
    // Frames of an earlier size are dropped from the pool; whoever still shows one keeps it alive.
    m_pool.erase(std::remove_if(m_pool.begin(), m_pool.end(),
                                [this](const Buffer &b) { return b.image.size() != m_parameters.size; }),
                 m_pool.end());
    for (Buffer &buffer : m_pool) {
        if (buffer.image.isDetached())
            return &buffer;
    }
    if (m_pool.size() >= kPoolSize)
        return nullptr;
    Buffer buffer;
    buffer.image = QImage(m_parameters.size, QImage::Format_RGB32);
    if (buffer.image.isNull())
        return nullptr;
    m_pool.push_back(buffer);
    return &m_pool.back();
}

QImage VirtualCameraFrameSource::nextFrame(int64_t captureNs)
{
    if (!m_parameters.size.isValid() || m_parameters.size.isEmpty())
        return QImage();
    prepare();
    if (m_still.isNull())
        return QImage();
    ++m_frameNumber;

    Buffer *buffer = freeBuffer();
    // Every pooled frame still held somewhere: hand out a one-off copy instead.
    QImage oneOff;
    QImage &target = buffer ? buffer->image : oneOff;
    if (buffer) {
        if (buffer->generation != m_generation) {
            std::memcpy(target.bits(), m_still.constBits(), size_t(m_still.sizeInBytes()));
            buffer->generation = m_generation;
        }
    } else {
        oneOff = m_still.copy();
    }

    if (m_pattern) {
        // The clock covers its rectangle completely, so the previous digits need no restoring.
        VirtualCameraScenePainter::paintClock(target, m_clock, QTime::currentTime(), m_frameNumber);
        m_adjustment.apply(target, m_clock);
    }
    // Drawn after the adjustment: the code must stay pure black and white.
    // The strip is opaque, so the previous frame's code needs no restoring.
    if (m_parameters.syncMarks)
        VirtualCameraSyncMarks::paint(target, captureNs >= 0 ? captureNs : VirtualCameraSyncMarks::monotonicNowNs());
    // Share only after drawing: drawing into a shared image would copy it.
    QImage frame = target;
    return frame;
}
