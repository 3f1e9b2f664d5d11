#include "RShareSession.h"

#include "RSettingsStore.h"
#include "VShareServer.h"

#include <QDebug>

RShareSession::RShareSession(Source source, QObject *parent)
    : QObject(parent), m_source(std::move(source)), m_server(std::make_unique<VShareServer>())
{
    connect(m_server.get(), &VShareServer::sViewersChanged, this, &RShareSession::sViewersChanged);
}

RShareSession::~RShareSession()
{
    stop();
}

bool RShareSession::start(UiLanguage language, QString *error)
{
    stop();
    const bool en = language == UiLanguage::English;
    QString why;
    if (!m_source.acquire || !m_source.acquire(&why)) {
        qWarning() << "RShareSession::start: no class view:" << why;
        *error = en ? QStringLiteral("Sharing could not start: the class view cannot be encoded.")
                    : QStringLiteral("无法开始共享：课堂画面无法编码。");
        return false;
    }
    m_holding = true;
    VShareServer::Settings settings;
    const QString listen = RSettingsStore::readString(RSettingsKeys::ShareAddress).trimmed();
    settings.address = listen.isEmpty() ? QHostAddress(QHostAddress::Any) : QHostAddress(listen);
    settings.port = quint16(RSettingsStore::readInt(RSettingsKeys::SharePort));
    settings.language = en ? QStringLiteral("en") : QStringLiteral("zh");
    if (settings.address.isNull() || !m_server->start(m_source.hub(), settings, &why)) {
        qWarning() << "RShareSession::start: cannot listen on" << listen << settings.port << why;
        *error = en ? QStringLiteral("Sharing could not start: address %1 port %2 cannot be used.")
                          .arg(listen.isEmpty() ? QStringLiteral("*") : listen).arg(settings.port)
                    : QStringLiteral("无法开始共享：地址 %1 端口 %2 无法使用。")
                          .arg(listen.isEmpty() ? QStringLiteral("*") : listen).arg(settings.port);
        stop();
        return false;
    }
    const bool anyAddress = settings.address == QHostAddress(QHostAddress::Any)
                            || settings.address == QHostAddress(QHostAddress::AnyIPv4);
    m_host = anyAddress ? VShareServer::firstLanAddress() : settings.address.toString();
    if (m_host.isEmpty())
        m_host = QStringLiteral("127.0.0.1"); // not on a network: only this machine can watch
    qInfo() << "RShareSession::start: sharing on" << m_host << "port" << m_server->port();
    return true;
}

void RShareSession::stop()
{
    const bool wasSharing = m_server->isSharing();
    m_server->stop();
    if (m_holding && m_source.release)
        m_source.release();
    m_holding = false;
    if (wasSharing) {
        qInfo() << "RShareSession::stop: share ended";
        emit sStopped();
    }
}

bool RShareSession::isSharing() const
{
    return m_server->isSharing();
}

QString RShareSession::address() const
{
    return m_server->isSharing() ? m_server->address(m_host) : QString();
}

int RShareSession::viewers() const
{
    return m_server->viewers();
}
