#pragma once

#include <QList>
#include <QOperatingSystemVersion>
#include <QSize>
#include <QString>

// The default camera resolution and the recorder's resolution list. Which
// rule applies depends on the Windows version, so the choice sits behind
// this seam and both rules can be exercised on any system.
class RResolutionRule
{
public:
    enum Rule {
        LargestHeight, // Windows 10 and later, and every other system
        OlderSystem    // Windows before 10: a height of 1001..1499 (last one)
    };

    struct Choice
    {
        int defaultIndex = 0;
        int maxWidth = 0;  // only the largest-height rule sets these
        int maxHeight = 0;
        QString recordingText; // "WxH;" for each size the recorder offers
    };

    static Rule ruleFor(const QOperatingSystemVersion &os);
    // The rule of the running system; logs which one.
    static Rule systemRule();

    static Choice choose(const QList<QSize> &resolutions, Rule rule);

    // The index to open at: the preferred size where the list offers it,
    // the default when a preferred size is not offered; without a preferred
    // size the requested index when it lies in the list, else the default.
    static int reopenIndex(const QList<QSize> &resolutions, const QSize &preferred, int requested, int defaultIndex);
};
