#include "RSaveNotice.h"

#include <cerrno>
#include <cstring>

namespace {

struct Plain
{
    int code; // an errno value, or 0 for a reason of our own in `ours`
    const char *ours;
    const char *zh;
    const char *en;
};

const char *const kNotOurs = "the document was not started by this program";
const char *const kWriteFailed = "writing failed";
const char *const kEmptyPicture = "empty picture";
const char *const kUnknownFormat = "unknown picture format";

const Plain kPlain[] = {
    {ENOSPC, nullptr, "磁盘已满", "disk full"},
    {EDQUOT, nullptr, "磁盘配额已用完", "disk quota used up"},
    {EFBIG, nullptr, "文件过大", "file too large"},
    {EROFS, nullptr, "磁盘只读", "read-only disk"},
    {EACCES, nullptr, "没有写入权限", "no permission to write"},
    {EPERM, nullptr, "没有写入权限", "no permission to write"},
    {ENOTDIR, nullptr, "保存位置不是文件夹", "the save location is not a folder"},
    {ENOENT, nullptr, "保存位置不存在", "the save location does not exist"},
    {ENAMETOOLONG, nullptr, "文件名过长", "file name too long"},
    {EISDIR, nullptr, "已有同名文件夹", "a folder has that name"},
    {EEXIST, nullptr, "已有同名的特殊文件", "a special file has that name"},
    {EINVAL, nullptr, "文件名无效", "invalid file name"},
    {EIO, nullptr, "设备读写错误", "device error"},
    {ENODEV, nullptr, "设备已移除", "the device was removed"},
    {ENXIO, nullptr, "设备已移除", "the device was removed"},
    {EMFILE, nullptr, "打开的文件过多", "too many open files"},
    {ENFILE, nullptr, "打开的文件过多", "too many open files"},
    {0, kNotOurs, "该PDF已被其他程序替换", "the PDF was replaced by another program"},
    {0, kEmptyPicture, "画面为空", "the picture is empty"},
    {0, kUnknownFormat, "不支持的图片格式", "unsupported picture format"},
    {0, kWriteFailed, "写入失败", "writing failed"},
};

} // namespace

QString RSaveNotice::notOurs()
{
    return QString::fromLatin1(kNotOurs);
}

QString RSaveNotice::writeFailed()
{
    return QString::fromLatin1(kWriteFailed);
}

QString RSaveNotice::emptyPictureReason()
{
    return QString::fromLatin1(kEmptyPicture);
}

QString RSaveNotice::unknownFormat()
{
    return QString::fromLatin1(kUnknownFormat);
}

QString RSaveNotice::reason(UiLanguage language, const QString &why)
{
    const bool en = language == UiLanguage::English;
    const Plain *fallback = nullptr;
    for (const Plain &p : kPlain) {
        const QString text = p.code ? QString::fromLocal8Bit(std::strerror(p.code)) : QString::fromLatin1(p.ours);
        if (p.ours == kWriteFailed)
            fallback = &p;
        if (why.compare(text, Qt::CaseInsensitive) == 0)
            return en ? QString::fromLatin1(p.en) : QString::fromUtf8(p.zh);
    }
    // Texts already in the interface language (the notices' own) pass as they are.
    if (why == emptyPicture(language) || why == emptySpotlight(language) || why == cameraLost(language))
        return why;
    return en ? QString::fromLatin1(fallback->en) : QString::fromUtf8(fallback->zh);
}

QString RSaveNotice::notSaved(UiLanguage language, Kind kind, const QString &why)
{
    const bool en = language == UiLanguage::English;
    const QString text = kind == Document ? (en ? QStringLiteral("PDF not saved: ") : QStringLiteral("PDF 未保存："))
                                          : (en ? QStringLiteral("Picture not saved: ") : QStringLiteral("照片未保存："));
    return text + reason(language, why);
}

QString RSaveNotice::lessonMoved(UiLanguage language, const QString &name)
{
    return language == UiLanguage::English ? QStringLiteral("The lesson's PDF was replaced by another program; pages now go to %1").arg(name)
                         : QStringLiteral("课堂PDF已被其他程序替换，之后的页面保存到 %1").arg(name);
}

QString RSaveNotice::cameraLost(UiLanguage language)
{
    return language == UiLanguage::English ? QStringLiteral("the camera is not connected") : QStringLiteral("设备未连接");
}

QString RSaveNotice::emptySpotlight(UiLanguage language)
{
    return language == UiLanguage::English ? QStringLiteral("the spotlight is empty") : QStringLiteral("聚光灯区域为空");
}

QString RSaveNotice::emptyPicture(UiLanguage language)
{
    return language == UiLanguage::English ? QStringLiteral("the picture is empty") : QStringLiteral("画面为空");
}

QString RSaveNotice::reconnecting(UiLanguage language)
{
    return language == UiLanguage::English ? QStringLiteral("Reconnecting the camera…") : QStringLiteral("正在重新连接设备…");
}
