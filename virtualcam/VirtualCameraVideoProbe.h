#pragma once
// Lets a QVideoProbe see every frame on its way to the viewfinder, as the
// platform camera backends do.

#include <QImage>
#include <QMediaVideoProbeControl>

class VirtualCameraSession;

class VirtualCameraVideoProbe : public QMediaVideoProbeControl
{
    Q_OBJECT

public:
    explicit VirtualCameraVideoProbe(VirtualCameraSession *session, QObject *parent = nullptr);

private:
    void probe(const QImage &frame);
};
