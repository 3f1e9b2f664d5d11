#include "VirtualCameraVideoProbe.h"

#include "VirtualCameraFrameBuffer.h"
#include "VirtualCameraSession.h"

#include <QVideoFrame>

VirtualCameraVideoProbe::VirtualCameraVideoProbe(VirtualCameraSession *session, QObject *parent)
    : QMediaVideoProbeControl(parent)
{
    connect(session, &VirtualCameraSession::frameArrived, this, &VirtualCameraVideoProbe::probe);
    connect(session, &VirtualCameraSession::streamEnded, this, &QMediaVideoProbeControl::flush);
}

void VirtualCameraVideoProbe::probe(const QImage &frame)
{
    if (frame.isNull())
        return;
    // Shares the pixels with the viewfinder's frame: probing copies nothing.
    emit videoFrameProbed(QVideoFrame(new VirtualCameraFrameBuffer(frame), frame.size(), QVideoFrame::Format_RGB32));
}
