#pragma once

#include <QCameraInfo>
#include <QString>
#include <QStringList>

// Which of the system's cameras to open: the document camera by its ids, or
// a camera by its description. When several match, the last listed wins.
class RDeviceLookup
{
public:
    // Description of the camera whose vendor and product ids are in the
    // tables (compared without case); empty when none is.
    static QString documentCamera(const QStringList &vendors, const QStringList &products);

    struct Match {
        bool found = false;
        QCameraInfo info;
        QString vid;
        QString pid;
    };
    static Match byDescription(const QString &description);
};
