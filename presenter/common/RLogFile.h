#pragma once

#include "UiLanguage.h"

#include <QByteArray>
#include <QFile>
#include <QMutex>
#include <QString>
#include <QtGlobal>

// A program's own log file, for whoever looks after the classroom machines.
// Lines are appended to <folder>/<program>.log; once that file would pass its
// size limit it becomes <program>.log.1, older ones move up one number and the
// oldest beyond `keep` is dropped, so a program never holds more than
// (keep + 1) x limit bytes of log. A folder that cannot be written leaves the
// file closed and the messages go to standard error only.
class RLogFile
{
public:
    static constexpr qint64 kLimit = 1024 * 1024;
    static constexpr int kKeep = 2;

    RLogFile(const QString &folder, const QString &program, qint64 limit = kLimit, int keep = kKeep);
    ~RLogFile();
    RLogFile(const RLogFile &) = delete;
    RLogFile &operator=(const RLogFile &) = delete;

    // Appends one line (a newline is added). Safe from any thread. False when
    // the line could not be written.
    bool append(const QByteArray &line);
    // The file being written, empty when the folder cannot take it.
    QString path() const;

    // $XDG_STATE_HOME/visora, by default ~/.local/state/visora.
    static QString stateFolder();

    // Sends every Qt message of this process to <program>.log in stateFolder()
    // as well as to the handler that was installed before.
    static void install(const QString &program);
    static void uninstall();
    // The installed log file, empty when none is written.
    static QString installedPath();
    // The About dialog's line saying where the log is, "~" for the home folder.
    static QString aboutText(UiLanguage language);

    // "2026-12-07 09:53:16.123 W Class::function: message". The class and
    // function come from where the message was raised, whatever its text says.
    static QByteArray formatLine(QtMsgType type, const QMessageLogContext &context, const QString &message);

private:
    bool open();
    void rotate();
    QString numbered(int n) const;

    QString m_folder;
    QString m_program;
    qint64 m_limit;
    int m_keep;
    QFile m_file;
    QMutex m_mutex;
};
