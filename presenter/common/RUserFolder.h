#pragma once

#include <QString>

// Where the programs keep the files that belong beside them (the recorder's
// Config.ini, temporary recordings). A build tree keeps them in the program
// folder or the working directory as always; an installed program writes
// nothing below its prefix and uses one per-user folder that the presenter and
// the recorder share.
class RUserFolder
{
public:
    // The program folder can take our files: it is writable and is neither the
    // folder the package installs to nor inside it.
    static bool programFolderUsable(const QString &programDir, const QString &installedDir);
    // Where the package puts the presenter.
    static QString installedProgramDir();
    static bool programFolderUsable();
    // The per-user folder, made when missing: ~/.local/share/visora.
    static QString perUserFolder();
    // The program folder when usable, else the per-user folder.
    static QString dataFolder();
};
