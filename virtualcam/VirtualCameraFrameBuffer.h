#pragma once
// Video buffer over a shared QImage. Qt's own image buffer maps through
// QImage::bits(), which deep-copies a shared image on every map; this one
// maps read-only access straight onto the pixels, so a recycled frame is
// never copied on its way to the screen.

#include <QAbstractVideoBuffer>
#include <QImage>

class VirtualCameraFrameBuffer : public QAbstractVideoBuffer
{
public:
    explicit VirtualCameraFrameBuffer(const QImage &image);

    MapMode mapMode() const override;
    uchar *map(MapMode mode, int *numBytes, int *bytesPerLine) override;
    void unmap() override;

private:
    QImage m_image;
    MapMode m_mapMode = NotMapped;
};
