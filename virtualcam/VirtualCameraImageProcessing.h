#pragma once
// Brightness, contrast and saturation adjustments, -1..1, applied to the frames.

#include <QCameraImageProcessingControl>

class VirtualCameraSession;

class VirtualCameraImageProcessing : public QCameraImageProcessingControl
{
    Q_OBJECT

public:
    explicit VirtualCameraImageProcessing(VirtualCameraSession *session, QObject *parent = nullptr);

    bool isParameterSupported(ProcessingParameter parameter) const override;
    bool isParameterValueSupported(ProcessingParameter parameter, const QVariant &value) const override;
    QVariant parameter(ProcessingParameter parameter) const override;
    void setParameter(ProcessingParameter parameter, const QVariant &value) override;

private:
    VirtualCameraSession *m_session;
};
