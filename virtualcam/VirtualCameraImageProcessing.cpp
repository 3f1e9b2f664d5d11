#include "VirtualCameraImageProcessing.h"

#include "VirtualCameraSession.h"

#include <QDebug>

namespace {

bool toAdjustment(QCameraImageProcessingControl::ProcessingParameter parameter,
                  VirtualCameraSession::Adjustment *kind)
{
    switch (parameter) {
    case QCameraImageProcessingControl::BrightnessAdjustment:
        *kind = VirtualCameraSession::Brightness;
        return true;
    case QCameraImageProcessingControl::ContrastAdjustment:
        *kind = VirtualCameraSession::Contrast;
        return true;
    case QCameraImageProcessingControl::SaturationAdjustment:
        *kind = VirtualCameraSession::Saturation;
        return true;
    default:
        return false;
    }
}

} // namespace

VirtualCameraImageProcessing::VirtualCameraImageProcessing(VirtualCameraSession *session, QObject *parent)
    : QCameraImageProcessingControl(parent)
    , m_session(session)
{
}

bool VirtualCameraImageProcessing::isParameterSupported(ProcessingParameter parameter) const
{
    VirtualCameraSession::Adjustment kind;
    return toAdjustment(parameter, &kind);
}

bool VirtualCameraImageProcessing::isParameterValueSupported(ProcessingParameter parameter,
                                                             const QVariant &value) const
{
    bool isNumber = false;
    const qreal number = value.toReal(&isNumber);
    return isParameterSupported(parameter) && isNumber && number >= -1.0 && number <= 1.0;
}

QVariant VirtualCameraImageProcessing::parameter(ProcessingParameter parameter) const
{
    VirtualCameraSession::Adjustment kind;
    if (!toAdjustment(parameter, &kind))
        return QVariant();
    return QVariant(m_session->adjustment(kind));
}

void VirtualCameraImageProcessing::setParameter(ProcessingParameter parameter, const QVariant &value)
{
    VirtualCameraSession::Adjustment kind;
    bool isNumber = false;
    const qreal number = value.toReal(&isNumber);
    if (!toAdjustment(parameter, &kind) || !isNumber) {
        qDebug() << "VirtualCameraImageProcessing::setParameter: ignored" << int(parameter) << value;
        return;
    }
    m_session->setAdjustment(kind, number);
}
