#include "RLogFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>

#include <atomic>

namespace {

std::atomic<RLogFile *> s_log{nullptr};
QtMessageHandler s_previous = nullptr;

// "void RCamera::stopCamera(bool)" -> "RCamera::stopCamera"; a lambda inside
// a member keeps the member's name. A free function is named with its file,
// which by our one-class-per-file rule names the class it serves.
QByteArray where(const QMessageLogContext &context)
{
    if (!context.function) {
        if (context.category && qstrcmp(context.category, "default") != 0)
            return QByteArray(context.category);
        return QByteArray();
    }
    QByteArray name(context.function);
    const int paren = name.indexOf('(');
    if (paren > 0)
        name.truncate(paren);
    name = name.mid(name.lastIndexOf(' ') + 1);
    const QByteArray anonymous("{anonymous}::");
    if (name.startsWith(anonymous))
        name = name.mid(anonymous.size());
    if (!name.contains("::") && context.file)
        name = QFileInfo(QString::fromUtf8(context.file)).fileName().toUtf8() + ':' + name;
    return name;
}

void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // A message raised while the file is written (from Qt itself) must not
    // come back into the file's lock.
    static thread_local bool writing = false;
    RLogFile *log = s_log.load();
    if (log && !writing) {
        writing = true;
        log->append(RLogFile::formatLine(type, context, message));
        writing = false;
    }
    if (s_previous)
        s_previous(type, context, message);
}

} // namespace

RLogFile::RLogFile(const QString &folder, const QString &program, qint64 limit, int keep)
    : m_folder(folder)
    , m_program(program)
    , m_limit(qMax<qint64>(limit, 2))
    , m_keep(qMax(keep, 0))
{
    open();
}

RLogFile::~RLogFile() = default;

bool RLogFile::open()
{
    if (m_folder.isEmpty() || m_program.isEmpty() || !QDir().mkpath(m_folder))
        return false;
    m_file.setFileName(m_folder + '/' + m_program + ".log");
    // Opening a pipe or a folder left under our name would block or fail.
    const QFileInfo info(m_file.fileName());
    if (info.exists() && !info.isFile())
        return false;
    return m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

QString RLogFile::numbered(int n) const
{
    return m_file.fileName() + '.' + QString::number(n);
}

void RLogFile::rotate()
{
    const QString current = m_file.fileName();
    m_file.close();
    QFile::remove(numbered(m_keep));
    for (int n = m_keep - 1; n >= 1; --n)
        QFile::rename(numbered(n), numbered(n + 1));
    if (m_keep == 0 || !QFile::rename(current, numbered(1)))
        QFile::remove(current);
    open();
}

bool RLogFile::append(const QByteArray &line)
{
    QMutexLocker lock(&m_mutex);
    if (!m_file.isOpen())
        return false;
    const QByteArray bytes = line.left(int(qMin<qint64>(line.size(), m_limit - 1))) + '\n';
    const qint64 size = m_file.size();
    if (size > 0 && size + bytes.size() > m_limit) {
        rotate();
        if (!m_file.isOpen())
            return false;
    }
    return m_file.write(bytes) == bytes.size();
}

QString RLogFile::path() const
{
    return m_file.isOpen() ? m_file.fileName() : QString();
}

QString RLogFile::stateFolder()
{
    QString base = QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME"));
    // A relative setting is invalid and is ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + "/.local/state";
    return base + "/visora";
}

void RLogFile::install(const QString &program)
{
    uninstall();
    s_log.store(new RLogFile(stateFolder(), program));
    s_previous = qInstallMessageHandler(handler);
}

void RLogFile::uninstall()
{
    if (!s_log.load())
        return;
    qInstallMessageHandler(s_previous);
    delete s_log.exchange(nullptr);
}

QString RLogFile::installedPath()
{
    const RLogFile *log = s_log.load();
    return log ? log->path() : QString();
}

QString RLogFile::aboutText(UiLanguage language)
{
    // Short enough for the dialog: the home folder as "~".
    QString path = installedPath();
    const QString home = QDir::homePath();
    if (!path.isEmpty() && path.startsWith(home + '/'))
        path = '~' + path.mid(home.size());
    if (language == UiLanguage::English)
        return QStringLiteral("Log file: ") + (path.isEmpty() ? QStringLiteral("none (its folder cannot be written)") : path);
    return QStringLiteral("日志文件：") + (path.isEmpty() ? QStringLiteral("无（文件夹不可写）") : path);
}

QByteArray RLogFile::formatLine(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    char level = 'D';
    switch (type) {
    case QtDebugMsg: level = 'D'; break;
    case QtInfoMsg: level = 'I'; break;
    case QtWarningMsg: level = 'W'; break;
    case QtCriticalMsg: level = 'C'; break;
    case QtFatalMsg: level = 'F'; break;
    }
    QByteArray line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8();
    line += ' ';
    line += level;
    line += ' ';
    const QByteArray origin = where(context);
    const QByteArray text = message.toUtf8();
    // A message that already opens with its true origin is not named twice.
    if (!origin.isEmpty() && !text.startsWith(origin + ':') && !text.startsWith(origin + ' '))
        line += origin + ": ";
    line += text;
    return line;
}
