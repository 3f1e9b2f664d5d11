#include "RResolutionRule.h"

#include <QDebug>

RResolutionRule::Rule RResolutionRule::ruleFor(const QOperatingSystemVersion &os)
{
    if (os.type() == QOperatingSystemVersion::Windows && os < QOperatingSystemVersion::Windows10)
        return OlderSystem;
    return LargestHeight;
}

RResolutionRule::Rule RResolutionRule::systemRule()
{
    const Rule rule = ruleFor(QOperatingSystemVersion::current());
    if (rule == OlderSystem)
        qDebug().noquote() << "RResolutionRule::systemRule:" << "如果当前系统版本低于win10，例如win7、win8、win8.1, todo";
    else
        qDebug().noquote() << "RResolutionRule::systemRule:" << "如果当前系统版本是win10，todo";
    return rule;
}

RResolutionRule::Choice RResolutionRule::choose(const QList<QSize> &resolutions, Rule rule)
{
    static const QList<QSize> recorderSizes = {QSize(1920, 1080), QSize(1280, 720), QSize(800, 600), QSize(640, 480)};
    Choice c;
    for (int i = 0; i < resolutions.size(); ++i) {
        const QSize s = resolutions.at(i);
        if (rule == LargestHeight) {
            if (s.height() > c.maxHeight) {
                c.maxWidth = s.width();
                c.maxHeight = s.height();
                c.defaultIndex = i;
                qDebug().noquote() << "RResolutionRule::choose:" << "Height:" << s.height();
            }
        } else if (s.height() >= 1001 && s.height() <= 1499) {
            c.defaultIndex = i;
            qDebug().noquote() << "RResolutionRule::choose:" << "Height:" << s.height();
        }
        if (recorderSizes.contains(s)) {
            c.recordingText += QStringLiteral("%1x%2;").arg(s.width()).arg(s.height());
            qDebug().noquote() << "RResolutionRule::choose:" << c.recordingText;
        }
    }
    return c;
}

int RResolutionRule::reopenIndex(const QList<QSize> &resolutions, const QSize &preferred, int requested,
                                 int defaultIndex)
{
    if (preferred.isValid() && !preferred.isEmpty()) {
        const int at = resolutions.indexOf(preferred);
        return at >= 0 ? at : defaultIndex;
    }
    return requested >= 0 && requested < resolutions.size() ? requested : defaultIndex;
}
