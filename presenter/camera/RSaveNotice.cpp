#include "RSaveNotice.h"

#include <cerrno>
#include <cstring>

namespace {

struct Plain
{
    int code;
    const char *zh;
    const char *en;
};

// The system's own text follows in brackets, so nothing it said is lost.
const Plain kPlain[] = {
    {ENOSPC, "磁盘已满", "disk full"},
    {EFBIG, "文件过大", "file too large"},
    {EROFS, "文件夹只读", "read-only folder"},
    {EACCES, "没有写入权限", "no permission to write"},
    {ENOTDIR, "图片文件夹不是文件夹", "the picture folder is not a folder"},
    {ENOENT, "图片文件夹不存在", "the picture folder does not exist"},
};

} // namespace

QString RSaveNotice::notSaved(int language, Kind kind, const QString &reason)
{
    const bool en = language == 1;
    QString text = kind == Document ? (en ? QStringLiteral("PDF not saved: ") : QStringLiteral("PDF 未保存："))
                                    : (en ? QStringLiteral("Picture not saved: ") : QStringLiteral("照片未保存："));
    for (const Plain &p : kPlain) {
        if (reason == QString::fromLocal8Bit(std::strerror(p.code))) {
            text += en ? QString::fromLatin1(p.en) + QStringLiteral(" (") + reason + QLatin1Char(')')
                       : QString::fromUtf8(p.zh) + QStringLiteral("（") + reason + QStringLiteral("）");
            return text;
        }
    }
    return text + reason;
}

QString RSaveNotice::cameraLost(int language)
{
    return language == 1 ? QStringLiteral("the camera is not connected") : QStringLiteral("设备未连接");
}

QString RSaveNotice::emptySpotlight(int language)
{
    return language == 1 ? QStringLiteral("the spotlight is empty") : QStringLiteral("聚光灯区域为空");
}

QString RSaveNotice::emptyPicture(int language)
{
    return language == 1 ? QStringLiteral("the picture is empty") : QStringLiteral("画面为空");
}

QString RSaveNotice::reconnecting(int language)
{
    return language == 1 ? QStringLiteral("Reconnecting the camera…") : QStringLiteral("正在重新连接设备…");
}
