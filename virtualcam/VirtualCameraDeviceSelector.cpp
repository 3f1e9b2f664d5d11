#include "VirtualCameraDeviceSelector.h"

#include "VirtualCameraSession.h"

VirtualCameraDeviceSelector::VirtualCameraDeviceSelector(VirtualCameraSession *session, QObject *parent)
    : QVideoDeviceSelectorControl(parent)
    , m_session(session)
{
}

int VirtualCameraDeviceSelector::deviceCount() const
{
    return m_session->devices().size();
}

QString VirtualCameraDeviceSelector::deviceName(int index) const
{
    return m_session->devices().value(index).deviceName;
}

QString VirtualCameraDeviceSelector::deviceDescription(int index) const
{
    return m_session->devices().value(index).description;
}

int VirtualCameraDeviceSelector::defaultDevice() const
{
    return m_session->devices().isEmpty() ? -1 : 0;
}

int VirtualCameraDeviceSelector::selectedDevice() const
{
    return m_session->selectedDevice();
}

void VirtualCameraDeviceSelector::setSelectedDevice(int index)
{
    if (index == m_session->selectedDevice() || index < 0 || index >= deviceCount())
        return;
    m_session->selectDevice(index);
    emit selectedDeviceChanged(index);
    emit selectedDeviceChanged(deviceName(index));
}
