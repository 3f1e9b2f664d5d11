#include "VirtualCameraAvailability.h"

#include "VirtualCameraSession.h"

VirtualCameraAvailability::VirtualCameraAvailability(VirtualCameraSession *session, QObject *parent)
    : QMediaAvailabilityControl(parent)
    , m_session(session)
{
    connect(session, &VirtualCameraSession::availabilityChanged, this,
            &VirtualCameraAvailability::availabilityChanged);
}

QMultimedia::AvailabilityStatus VirtualCameraAvailability::availability() const
{
    return m_session->availability();
}
