#pragma once

#include <QString>
#include <QStringList>

// Vendor and product ids of a video device. Windows and virtual device names
// carry "vid_xxxx"/"pid_xxxx"; Linux names ("/dev/videoN") do not, so there
// the ids come from the USB device's attributes in sysfs.
class RDeviceIds
{
public:
    // The 4 characters after the first `tag` (case-sensitive). Without the tag
    // the search result -1 plus the tag's length gives the characters from
    // position 3; kept, because stored ids were always made this way.
    static QString fromName(const QString &deviceName, const QString &tag);

    // From the name when it carries the tag, else from sysfs, else the
    // name rule above.
    static QString vendorId(const QString &deviceName);
    static QString productId(const QString &deviceName);

    // "idVendor"/"idProduct" of the USB device behind "/dev/videoN", empty
    // when the name is no such path or the attribute cannot be read.
    static QString sysfsAttribute(const QString &deviceName, const QString &attribute);

    // "/sys" unless changed (tests point it at a tree of their own).
    // The built-in tables of supported document cameras.
    static QStringList vendorTable();
    static QStringList productTable();
    // Both ids of `deviceName` are in the tables (compared without case).
    static bool isDocumentCamera(const QString &deviceName);

    static QString sysfsRoot();
    static void setSysfsRoot(const QString &root);

private:
    static QString idFor(const QString &deviceName, const QString &tag, const QString &attribute);
};
