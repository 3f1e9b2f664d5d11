#include "VirtualCameraFocus.h"

VirtualCameraFocus::VirtualCameraFocus(QObject *parent)
    : QCameraFocusControl(parent)
{
}

QCameraFocus::FocusModes VirtualCameraFocus::focusMode() const
{
    return m_mode;
}

void VirtualCameraFocus::setFocusMode(QCameraFocus::FocusModes mode)
{
    if (mode == m_mode || !isFocusModeSupported(mode))
        return;
    m_mode = mode;
    emit focusModeChanged(mode);
}

bool VirtualCameraFocus::isFocusModeSupported(QCameraFocus::FocusModes mode) const
{
    return mode == QCameraFocus::AutoFocus || mode == QCameraFocus::ContinuousFocus
           || mode == QCameraFocus::ManualFocus;
}

QCameraFocus::FocusPointMode VirtualCameraFocus::focusPointMode() const
{
    return m_pointMode;
}

void VirtualCameraFocus::setFocusPointMode(QCameraFocus::FocusPointMode mode)
{
    if (mode == m_pointMode || !isFocusPointModeSupported(mode))
        return;
    m_pointMode = mode;
    emit focusPointModeChanged(mode);
}

bool VirtualCameraFocus::isFocusPointModeSupported(QCameraFocus::FocusPointMode mode) const
{
    return mode == QCameraFocus::FocusPointAuto || mode == QCameraFocus::FocusPointCenter
           || mode == QCameraFocus::FocusPointCustom;
}

QPointF VirtualCameraFocus::customFocusPoint() const
{
    return m_customPoint;
}

void VirtualCameraFocus::setCustomFocusPoint(const QPointF &point)
{
    if (point == m_customPoint)
        return;
    m_customPoint = point;
    emit customFocusPointChanged(point);
}

QCameraFocusZoneList VirtualCameraFocus::focusZones() const
{
    return QCameraFocusZoneList();
}
