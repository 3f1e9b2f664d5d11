#pragma once

#include "UiLanguage.h"
#include "VStreamPublisher.h"

#include <QString>

// What the teacher reads about publishing to a media server, in the
// interface language (0 Chinese, 1 English). GUI-free.
class RPublishText
{
public:
    // Empty when `url` can be published to, else why not.
    static QString addressProblem(const QString &url, UiLanguage langue);
    // One line for the state, with the reason of a failure.
    static QString status(const VStreamPublisher::Status &status, UiLanguage langue);
    // The failure's cause in plain words; libavformat's own text for the rare ones.
    static QString reason(int error, const QString &libraryText, UiLanguage langue);
    // Whether going from `shown` to `next` is worth a passing notice: connected,
    // lost, failed; neither the connecting in between nor a retry after a retry.
    static bool isNews(VStreamPublisher::State shown, VStreamPublisher::State next);
};
