#include "RDeviceIds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

namespace {
QMutex &rootMutex()
{
    static QMutex m;
    return m;
}
QString &rootPath()
{
    static QString root = QStringLiteral("/sys");
    return root;
}
} // namespace

QString RDeviceIds::fromName(const QString &deviceName, const QString &tag)
{
    return deviceName.mid(deviceName.indexOf(tag) + tag.size(), 4);
}

QString RDeviceIds::vendorId(const QString &deviceName)
{
    return idFor(deviceName, QStringLiteral("vid_"), QStringLiteral("idVendor"));
}

QString RDeviceIds::productId(const QString &deviceName)
{
    return idFor(deviceName, QStringLiteral("pid_"), QStringLiteral("idProduct"));
}

QString RDeviceIds::idFor(const QString &deviceName, const QString &tag, const QString &attribute)
{
    if (!deviceName.contains(tag)) {
        const QString fromSysfs = sysfsAttribute(deviceName, attribute);
        if (!fromSysfs.isEmpty())
            return fromSysfs;
    }
    return fromName(deviceName, tag);
}

QString RDeviceIds::sysfsAttribute(const QString &deviceName, const QString &attribute)
{
    static const QRegularExpression videoNode(QStringLiteral("^/dev/(video[0-9]+)$"));
    const QRegularExpressionMatch m = videoNode.match(deviceName);
    if (!m.hasMatch())
        return QString();
    // "device" links to the USB interface; its parent is the USB device.
    const QString link = sysfsRoot() + QStringLiteral("/class/video4linux/") + m.captured(1) + QStringLiteral("/device");
    const QString iface = QFileInfo(link).canonicalFilePath();
    if (iface.isEmpty())
        return QString();
    QFile file(QFileInfo(iface).absolutePath() + QLatin1Char('/') + attribute);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString value = QString::fromLatin1(file.read(16)).trimmed();
    static const QRegularExpression hex4(QStringLiteral("^[0-9A-Fa-f]{4}$"));
    return hex4.match(value).hasMatch() ? value : QString();
}

QString RDeviceIds::sysfsRoot()
{
    QMutexLocker lock(&rootMutex());
    return rootPath();
}

void RDeviceIds::setSysfsRoot(const QString &root)
{
    QMutexLocker lock(&rootMutex());
    rootPath() = root;
}

QStringList RDeviceIds::vendorTable()
{
    return {QStringLiteral("1b17"), QStringLiteral("1E4E")};
}

QStringList RDeviceIds::productTable()
{
    return {QStringLiteral("10a0"), QStringLiteral("050A"), QStringLiteral("080A"), QStringLiteral("100A"),
            QStringLiteral("120A"), QStringLiteral("160A"), QStringLiteral("0501"), QStringLiteral("1001"),
            QStringLiteral("1201"), QStringLiteral("1601"), QStringLiteral("1003"), QStringLiteral("100c"),
            QStringLiteral("0810")};
}

bool RDeviceIds::isDocumentCamera(const QString &deviceName)
{
    return vendorTable().contains(vendorId(deviceName), Qt::CaseInsensitive)
           && productTable().contains(productId(deviceName), Qt::CaseInsensitive);
}
