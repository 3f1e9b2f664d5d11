#include "RPublishText.h"

#include <cerrno>

extern "C" {
#include <libavutil/error.h>
}

QString RPublishText::addressProblem(const QString &url, UiLanguage langue)
{
    if (VStreamPublisher::isPublishAddress(url))
        return QString();
    if (url.trimmed().isEmpty())
        return langue == UiLanguage::English ? QStringLiteral("Enter the address of the media server.")
                           : QStringLiteral("请输入媒体服务器的地址。");
    return langue == UiLanguage::English ? QStringLiteral("The address must start with rtmp://, rtmps:// or srt:// and name a server "
                                        "(srt:// with a port, rtmp:// with a stream), without spaces.")
                       : QStringLiteral("地址须以 rtmp://、rtmps:// 或 srt:// 开头并写明服务器"
                                        "（srt:// 需端口，rtmp:// 需流名称），不含空格。");
}

QString RPublishText::reason(int error, const QString &libraryText, UiLanguage langue)
{
    const bool en = langue == UiLanguage::English;
    switch (error) {
    case AVERROR(ECONNREFUSED):
        return en ? QStringLiteral("the server refused the connection") : QStringLiteral("服务器拒绝连接");
    case AVERROR(ETIMEDOUT):
        return en ? QStringLiteral("the server does not answer") : QStringLiteral("服务器无响应");
    case AVERROR(ECONNRESET):
    case AVERROR(EPIPE):
        return en ? QStringLiteral("the server closed the connection") : QStringLiteral("服务器断开了连接");
    case AVERROR(ENETUNREACH):
    case AVERROR(EHOSTUNREACH):
        return en ? QStringLiteral("the network does not reach the server") : QStringLiteral("网络无法到达服务器");
    case AVERROR_PROTOCOL_NOT_FOUND:
        return en ? QStringLiteral("this system cannot send to such an address") : QStringLiteral("本机不支持此类地址");
    default:
        return libraryText;
    }
}

QString RPublishText::status(const VStreamPublisher::Status &s, UiLanguage langue)
{
    const bool en = langue == UiLanguage::English;
    const QString why = reason(s.error, s.reason, langue);
    using State = VStreamPublisher::State;
    switch (s.state) {
    case State::Idle:
        return en ? QStringLiteral("Not publishing") : QStringLiteral("未推流");
    case State::Connecting:
        return en ? QStringLiteral("Connecting to the server…") : QStringLiteral("正在连接服务器…");
    case State::Publishing:
        return en ? QStringLiteral("Connected: publishing the class view") : QStringLiteral("已连接：正在推流");
    case State::Retrying:
        return en ? QStringLiteral("Not connected (%1), retrying…").arg(why)
                  : QStringLiteral("未连接（%1），正在重试…").arg(why);
    case State::Failed:
        return en ? QStringLiteral("Publishing failed: %1").arg(why) : QStringLiteral("推流失败：%1").arg(why);
    }
    return QString();
}

bool RPublishText::isNews(VStreamPublisher::State shown, VStreamPublisher::State next)
{
    using State = VStreamPublisher::State;
    if (next == State::Connecting || next == State::Idle)
        return false;
    return next != shown;
}
