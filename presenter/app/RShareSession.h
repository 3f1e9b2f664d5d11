#pragma once

// The class view shared with students' browsers. While sharing it holds the
// class view's encoder (through Source, so it does not depend on who encodes)
// and runs the share server on the stored address and port. Failures come
// back as short texts in the interface language.

#include "RClassViewSource.h"
#include "UiLanguage.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class VPacketHub;
class VShareServer;

class RShareSession : public QObject
{
    Q_OBJECT
public:
    using Source = RClassViewSource;

    explicit RShareSession(Source source, QObject *parent = nullptr);
    ~RShareSession() override;

    // A new key each time. language: 0 Chinese, 1 English, for the page and the error.
    bool start(UiLanguage language, QString *error);
    void stop();
    bool isSharing() const;

    // What students type or scan: http://host:port/k/KEY, host being the
    // stored address or else this machine's first network address.
    QString address() const;
    int viewers() const;

signals:
    void sViewersChanged(int count);
    void sStopped();

private:
    Source m_source;
    std::unique_ptr<VShareServer> m_server;
    bool m_holding = false;
    QString m_host;
};
