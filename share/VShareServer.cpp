#include "VShareServer.h"

#include "VFragmenter.h"
#include "VPacketHub.h"
#include "VPacketQueue.h"
#include "VShareKey.h"

#include <QNetworkInterface>

namespace {
// A few seconds of a busy picture between the encoder and the packer.
constexpr qint64 kQueueBytes = 8 << 20;
} // namespace

VShareServer::VShareServer(QObject *parent) : QObject(parent) {}

VShareServer::~VShareServer()
{
    stop();
}

bool VShareServer::start(VPacketHub *hub, const Settings &settings, QString *error)
{
    stop();
    int video = -1;
    const auto streams = hub ? hub->streams() : std::vector<VStreamInfo>();
    // The newest video stream: an encoder opened again on the same hub adds one.
    for (size_t i = 0; i < streams.size(); ++i) {
        if (streams[i].isVideo())
            video = int(i);
    }
    if (video < 0) {
        *error = QStringLiteral("no video stream to share");
        return false;
    }
    auto fragmenter = std::make_shared<VFragmenter>();
    if (!fragmenter->open(streams[size_t(video)], error))
        return false;

    m_key = VShareKey::generate();
    m_thread.setObjectName(QStringLiteral("share"));
    m_thread.start();
    m_host = new VShareHost;
    m_host->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_host, &QObject::deleteLater);
    connect(m_host, &VShareHost::sViewersChanged, this, [this](int count) {
        m_viewers = count;
        emit sViewersChanged(count);
    });
    bool listening = false;
    const QString key = m_key;
    const QByteArray init = fragmenter->initSegment();
    const QString codec = fragmenter->codec();
    VShareHost *host = m_host;
    QMetaObject::invokeMethod(
        m_host,
        [&] {
            listening = host->listen(settings, key, error);
            host->setStream(init, codec);
            m_port = host->port();
        },
        Qt::BlockingQueuedConnection);
    if (!listening) {
        stop();
        return false;
    }
    m_hub = hub;
    m_queue = std::make_shared<VPacketQueue>(kQueueBytes);
    m_stop = false;
    hub->attach(m_queue);
    m_packer = std::thread([this, fragmenter, video] {
        VFragmenter::Fragment fragment;
        bool gap = false;
        qint64 refused = 0;
        while (!m_stop) {
            VPacket packet;
            if (!m_queue->pop(packet, 200) || packet.stream != video)
                continue;
            // A refused packet broke the picture chain: resume at the next key frame.
            if (m_queue->refused() != refused) {
                refused = m_queue->refused();
                gap = true;
            }
            if (gap && !packet.isKey())
                continue;
            gap = false;
            if (fragmenter->add(packet, &fragment)) {
                VShareHost *host = m_host;
                QMetaObject::invokeMethod(
                    host, [host, bytes = fragment.bytes, key = fragment.key] { host->pushFragment(bytes, key); },
                    Qt::QueuedConnection);
            }
        }
    });
    return true;
}

void VShareServer::stop()
{
    if (m_packer.joinable()) {
        m_stop = true;
        m_queue->close();
        m_packer.join();
    }
    if (m_hub && m_queue)
        m_hub->detach(m_queue);
    m_hub = nullptr;
    m_queue.reset();
    if (m_host) {
        VShareHost *host = m_host;
        QMetaObject::invokeMethod(m_host, [host] { host->shutDown(); }, Qt::BlockingQueuedConnection);
        m_host->disconnect(this);
        m_host = nullptr;
    }
    if (m_thread.isRunning()) {
        m_thread.quit();
        m_thread.wait();
    }
    m_port = 0;
    m_key.clear();
    if (m_viewers != 0) {
        m_viewers = 0;
        emit sViewersChanged(0);
    }
}

QString VShareServer::address(const QString &host) const
{
    return QStringLiteral("http://%1:%2/k/%3").arg(host).arg(m_port).arg(m_key);
}

QString VShareServer::firstLanAddress()
{
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning)
            || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback())
                return ip.toString();
        }
    }
    return {};
}
