#include "VirtualCameraViewfinderSettings.h"

#include "VirtualCameraSession.h"

VirtualCameraViewfinderSettings::VirtualCameraViewfinderSettings(VirtualCameraSession *session, QObject *parent)
    : QCameraViewfinderSettingsControl2(parent)
    , m_session(session)
{
}

QList<QCameraViewfinderSettings> VirtualCameraViewfinderSettings::supportedViewfinderSettings() const
{
    return m_session->supportedViewfinderSettings();
}

QCameraViewfinderSettings VirtualCameraViewfinderSettings::viewfinderSettings() const
{
    return m_session->viewfinderSettings();
}

void VirtualCameraViewfinderSettings::setViewfinderSettings(const QCameraViewfinderSettings &settings)
{
    m_session->setViewfinderSettings(settings);
}
