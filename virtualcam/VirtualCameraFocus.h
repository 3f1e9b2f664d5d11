#pragma once
// Document cameras focus on their own; this reports that a focus control
// exists and keeps whatever mode the application asks for.

#include <QCameraFocusControl>

class VirtualCameraFocus : public QCameraFocusControl
{
    Q_OBJECT

public:
    explicit VirtualCameraFocus(QObject *parent = nullptr);

    QCameraFocus::FocusModes focusMode() const override;
    void setFocusMode(QCameraFocus::FocusModes mode) override;
    bool isFocusModeSupported(QCameraFocus::FocusModes mode) const override;

    QCameraFocus::FocusPointMode focusPointMode() const override;
    void setFocusPointMode(QCameraFocus::FocusPointMode mode) override;
    bool isFocusPointModeSupported(QCameraFocus::FocusPointMode mode) const override;
    QPointF customFocusPoint() const override;
    void setCustomFocusPoint(const QPointF &point) override;

    QCameraFocusZoneList focusZones() const override;

private:
    QCameraFocus::FocusModes m_mode = QCameraFocus::ContinuousFocus;
    QCameraFocus::FocusPointMode m_pointMode = QCameraFocus::FocusPointAuto;
    QPointF m_customPoint{0.5, 0.5};
};
