#include "VirtualCameraImageCapture.h"

#include "VirtualCameraCaptureDestination.h"
#include "VirtualCameraFrameBuffer.h"
#include "VirtualCameraSession.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QTimer>

VirtualCameraImageCapture::VirtualCameraImageCapture(VirtualCameraSession *session,
                                                     VirtualCameraCaptureDestination *destination, QObject *parent)
    : QCameraImageCaptureControl(parent)
    , m_session(session)
    , m_destination(destination)
{
    connect(session, &VirtualCameraSession::readyForCaptureChanged, this,
            &VirtualCameraImageCapture::readyForCaptureChanged);
    connect(session, &VirtualCameraSession::frameArrived, this, &VirtualCameraImageCapture::frameArrived);
    connect(session, &VirtualCameraSession::streamEnded, this, [this] {
        const QList<Request> lost = m_pending;
        m_pending.clear();
        for (const Request &request : lost)
            fail(request.id, QCameraImageCapture::ResourceError, tr("The camera stopped before the capture"));
    });
}

bool VirtualCameraImageCapture::isReadyForCapture() const
{
    return m_session->isReadyForCapture();
}

QCameraImageCapture::DriveMode VirtualCameraImageCapture::driveMode() const
{
    return QCameraImageCapture::SingleImageCapture;
}

void VirtualCameraImageCapture::setDriveMode(QCameraImageCapture::DriveMode mode)
{
    Q_UNUSED(mode);
}

int VirtualCameraImageCapture::capture(const QString &fileName)
{
    const int id = ++m_lastId;
    const Request request{id, fileName};
    qDebug() << "VirtualCameraImageCapture::capture: id" << id << "file" << fileName;
    if (m_session->isStreaming()) {
        // The next frame is the one exposed after the request, as with a real shutter.
        m_pending.append(request);
        return id;
    }
    const QImage frozen = m_session->lastFrame();
    if (!frozen.isNull() && frozen.size() == m_session->viewfinderSettings().resolution()) {
        // Signals must follow the returned id, never precede it.
        QTimer::singleShot(0, this, [this, request, frozen] { deliver(request, frozen); });
        return id;
    }
    QTimer::singleShot(0, this, [this, id] {
        fail(id, QCameraImageCapture::NotReadyError, tr("The camera is not running"));
    });
    return id;
}

void VirtualCameraImageCapture::cancelCapture()
{
    m_pending.clear();
}

void VirtualCameraImageCapture::frameArrived(const QImage &frame)
{
    if (m_pending.isEmpty())
        return;
    const QList<Request> requests = m_pending;
    m_pending.clear();
    for (const Request &request : requests)
        deliver(request, frame);
}

void VirtualCameraImageCapture::deliver(const Request &request, const QImage &frame)
{
    // The receiver may keep the picture; a copy frees the stream's buffer for reuse.
    const QImage picture = frame.copy();
    const QCameraImageCapture::CaptureDestinations destination = m_destination->captureDestination();
    emit imageExposed(request.id);
    emit imageCaptured(request.id, picture);
    if (destination & QCameraImageCapture::CaptureToBuffer)
        emit imageAvailable(request.id,
                            QVideoFrame(new VirtualCameraFrameBuffer(picture), picture.size(), QVideoFrame::Format_RGB32));
    if (!(destination & QCameraImageCapture::CaptureToFile))
        return;
    if (request.fileName.isEmpty()) {
        qDebug() << "VirtualCameraImageCapture::deliver: no file name given, nothing written for id" << request.id;
        return;
    }
    QString path = QDir::cleanPath(QFileInfo(request.fileName).absoluteFilePath());
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".jpg");
    QImageWriter writer(path);
    writer.setQuality(95);
    if (!writer.write(picture)) {
        qInfo() << "VirtualCameraImageCapture::deliver: cannot write" << path << writer.errorString();
        fail(request.id, QCameraImageCapture::ResourceError, writer.errorString());
        return;
    }
    emit imageSaved(request.id, path);
}

void VirtualCameraImageCapture::fail(int id, QCameraImageCapture::Error error, const QString &message)
{
    qInfo() << "VirtualCameraImageCapture::fail: id" << id << message;
    emit this->error(id, int(error), message);
}
