#pragma once

#include "RClassViewSource.h"

#include "UiLanguage.h"
#include "VStreamPublisher.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class RClassView;
class VPacketHub;
class RPublishDialog;
class QWidget;

// Publishing the class view to a school's media server: takes the one encode
// of the class view while it publishes, keeps the publisher's reports on the
// GUI thread in the interface language, and remembers the address.
class RPublishControl : public QObject
{
    Q_OBJECT
public:
    using Source = RClassViewSource;

    explicit RPublishControl(QObject *parent = nullptr);
    ~RPublishControl() override;

    void setSource(Source source);
    // The presenter's class view as the source. It must outlive the control
    // (make the control first, so it goes first).
    void setClassView(RClassView *view);
    void setLanguage(UiLanguage langue);
    void setSettings(const VStreamPublisher::Settings &settings) { m_settings = settings; }

    // Starts publishing to `url` and stores it. False, with the reason sent
    // as a notice, for a refused address or a class view that cannot start.
    bool start(const QString &url);
    void stop();
    bool isPublishing() const { return m_publisher.isRunning(); }
    VStreamPublisher::Status status() const { return m_publisher.status(); }
    QString statusText() const;

    // The address dialog, non-modal, over `parent`.
    void showDialog(QWidget *parent);

signals:
    // Every change, for the dialog.
    void sStatus(const QString &text, bool publishing);
    // What the teacher should see over the picture for a moment.
    void sNotice(const QString &text);

private:
    void take(const VStreamPublisher::Status &status);

    Source m_source;
    bool m_acquired = false;
    UiLanguage m_iLangue = UiLanguage::Chinese;
    VStreamPublisher::Settings m_settings;
    VStreamPublisher m_publisher;
    VStreamPublisher::State m_shown = VStreamPublisher::State::Idle;
    QPointer<RPublishDialog> m_dialog;
};
