#pragma once

#include "UiLanguage.h"

#include <QString>
#include <QStringList>

// Starts the recorder program and waits for it. The caller reads the camera
// description and resolutions from the settings store, pauses the camera and
// hides its windows around run().
class RRecorderLaunch
{
public:
    struct Result {
        bool started = false;  // false: the program could not be started
        int exitCode = -1;
        QString output;        // standard output, local 8-bit decoded
    };

    // The word the recorder checks before it runs.
    static QString launchWord();

    // "Tolvani/Brisklet", or "Tolvani/Brisklet_en" in English, relative to
    // the current working directory (with ".exe" on Windows).
    static QString programPath(UiLanguage langue);

    // Launch word, camera description, then each non-empty part of the
    // ";"-separated resolution list, or "640x480" when there is none.
    static QStringList arguments(const QString &cameraDescription, const QString &resolutionList);

    // Starts the program directly (no shell) and blocks without time limit
    // until it exits; returns at once when it cannot be started.
    static Result run(const QString &program, const QStringList &arguments);
    // The program beside this one, for the camera and resolutions in the settings store.
    static Result runStored(UiLanguage langue);
};
