#pragma once
// A share of one encoded video stream with browsers: a new key, the network
// host on its own thread, and a packing thread that turns the hub's packets
// into fragments once for every viewer. Nothing listens before start() and
// nothing is left after stop(). The encoder and the caller never wait for a
// viewer.

#include "VShareHost.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <memory>
#include <thread>

class VPacketHub;
class VPacketQueue;

class VShareServer : public QObject
{
    Q_OBJECT
public:
    using Settings = VShareHost::Settings;

    explicit VShareServer(QObject *parent = nullptr);
    ~VShareServer() override;

    // The hub's video stream (the newest, if several) must be registered already.
    bool start(VPacketHub *hub, const Settings &settings, QString *error);
    void stop();
    bool isSharing() const { return m_host != nullptr; }

    QString key() const { return m_key; }
    quint16 port() const { return m_port; }
    int viewers() const { return m_viewers; }
    // http://host:port/k/KEY
    QString address(const QString &host) const;
    // The machine's first IPv4 address that is not loopback; empty without one.
    static QString firstLanAddress();

signals:
    void sViewersChanged(int count);

private:
    void pump(int stream);

    QThread m_thread;
    VShareHost *m_host = nullptr;
    VPacketHub *m_hub = nullptr;
    std::shared_ptr<VPacketQueue> m_queue;
    std::thread m_packer;
    std::atomic<bool> m_stop{false};
    QString m_key;
    quint16 m_port = 0;
    int m_viewers = 0;
};
