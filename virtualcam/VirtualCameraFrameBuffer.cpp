#include "VirtualCameraFrameBuffer.h"

VirtualCameraFrameBuffer::VirtualCameraFrameBuffer(const QImage &image)
    : QAbstractVideoBuffer(NoHandle)
    , m_image(image)
{
}

QAbstractVideoBuffer::MapMode VirtualCameraFrameBuffer::mapMode() const
{
    return m_mapMode;
}

uchar *VirtualCameraFrameBuffer::map(MapMode mode, int *numBytes, int *bytesPerLine)
{
    if (m_mapMode != NotMapped || mode == NotMapped || m_image.isNull())
        return nullptr;
    m_mapMode = mode;
    if (numBytes)
        *numBytes = int(m_image.sizeInBytes());
    if (bytesPerLine)
        *bytesPerLine = m_image.bytesPerLine();
    // Writers get their own copy; readers share the generator's pixels.
    if (mode & WriteOnly)
        return m_image.bits();
    return const_cast<uchar *>(m_image.constBits());
}

void VirtualCameraFrameBuffer::unmap()
{
    m_mapMode = NotMapped;
}
