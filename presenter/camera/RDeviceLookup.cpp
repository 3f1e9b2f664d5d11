#include "RDeviceLookup.h"

#include "RCameraGuard.h"
#include "RDeviceIds.h"

#include <QDebug>

QString RDeviceLookup::documentCamera(const QStringList &vendors, const QStringList &products)
{
    QString result;
    const QList<QCameraInfo> cameras = RCameraGuard::availableCameras();
    qDebug().noquote() << "RDeviceLookup::documentCamera: cameras" << cameras.size();
    for (const QCameraInfo &info : cameras) {
        const QString dev = info.deviceName();
        const QString vid = RDeviceIds::vendorId(dev);
        const QString pid = RDeviceIds::productId(dev);
        qDebug().noquote() << "RDeviceLookup::documentCamera: device" << dev << "vid:" << vid << "pid:" << pid;
        if (vendors.contains(vid, Qt::CaseInsensitive) && products.contains(pid, Qt::CaseInsensitive))
            result = info.description();
    }
    qDebug().noquote() << "RDeviceLookup::documentCamera: chosen" << result;
    return result;
}

RDeviceLookup::Match RDeviceLookup::byDescription(const QString &description)
{
    Match match;
    const QList<QCameraInfo> cameras = RCameraGuard::availableCameras();
    for (const QCameraInfo &info : cameras) {
        if (info.description() != description)
            continue;
        qDebug().noquote() << "RDeviceLookup::byDescription: found" << info.description();
        match.found = true;
        match.info = info;
        match.vid = RDeviceIds::vendorId(info.deviceName());
        match.pid = RDeviceIds::productId(info.deviceName());
    }
    return match;
}
