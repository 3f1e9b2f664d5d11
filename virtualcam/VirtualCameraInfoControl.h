#pragma once
// Position and orientation of the selected camera, for QCameraInfo(const QCamera &).

#include <QCameraInfoControl>

class VirtualCameraInfoControl : public QCameraInfoControl
{
    Q_OBJECT

public:
    explicit VirtualCameraInfoControl(QObject *parent = nullptr);

    QCamera::Position cameraPosition(const QString &deviceName) const override;
    int cameraOrientation(const QString &deviceName) const override;
};
