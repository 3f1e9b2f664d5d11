#include "RPublishControl.h"

#include "RClassView.h"
#include "RPublishDialog.h"
#include "RPublishText.h"
#include "RSettingsStore.h"

#include <QDebug>
#include <QWidget>

RPublishControl::RPublishControl(QObject *parent) : QObject(parent) {}

RPublishControl::~RPublishControl()
{
    stop();
    delete m_dialog;
}

void RPublishControl::setSource(Source source)
{
    stop();
    m_source = std::move(source);
}

void RPublishControl::setClassView(RClassView *view)
{
    setSource({[view](QString *error) { return view->acquire(error); }, [view] { view->release(); },
               [view] { return view->hub(); }, [view] { view->requestKeyFrame(); }});
}

void RPublishControl::setLanguage(UiLanguage langue)
{
    m_iLangue = langue;
    if (m_dialog)
        m_dialog->setLanguage(langue);
    emit sStatus(statusText(), isPublishing());
}

QString RPublishControl::statusText() const
{
    return RPublishText::status(m_publisher.status(), m_iLangue);
}

bool RPublishControl::start(const QString &url)
{
    stop();
    const QString problem = RPublishText::addressProblem(url, m_iLangue);
    if (!problem.isEmpty()) {
        emit sNotice(problem);
        return false;
    }
    RSettingsStore::write(RSettingsKeys::PublishAddress, url);
    QString error;
    if (!m_source.acquire || !m_source.acquire(&error)) {
        qInfo() << "RPublishControl::start: no class view:" << error;
        emit sNotice(m_iLangue == UiLanguage::English ? QStringLiteral("The class view cannot be encoded: %1").arg(error)
                                    : QStringLiteral("无法编码课堂画面：%1").arg(error));
        return false;
    }
    m_acquired = true;
    // Reports come on the publisher's thread; `this` as context drops any still
    // queued once the control is gone.
    auto notice = [this](const VStreamPublisher::Status &s) {
        QMetaObject::invokeMethod(this, [this, s] { take(s); }, Qt::QueuedConnection);
    };
    VStreamPublisher::KeyFrameWanted keyFrame;
    if (m_source.requestKeyFrame)
        keyFrame = [this] {
            QMetaObject::invokeMethod(this, [this] {
                if (m_acquired && m_source.requestKeyFrame)
                    m_source.requestKeyFrame();
            }, Qt::QueuedConnection);
        };
    m_shown = VStreamPublisher::State::Idle;
    if (!m_publisher.start(url, m_source.hub(), m_settings, notice, keyFrame)) {
        stop();
        emit sNotice(m_iLangue == UiLanguage::English ? QStringLiteral("Publishing could not start.") : QStringLiteral("无法开始推流。"));
        return false;
    }
    emit sStatus(statusText(), true);
    return true;
}

void RPublishControl::stop()
{
    const bool wasPublishing = m_publisher.isRunning();
    m_publisher.stop();
    if (m_acquired && m_source.release)
        m_source.release();
    m_acquired = false;
    if (wasPublishing)
        emit sStatus(statusText(), false);
}

void RPublishControl::take(const VStreamPublisher::Status &status)
{
    if (!m_publisher.isRunning())
        return; // a report that was on its way when publishing stopped
    const QString text = RPublishText::status(status, m_iLangue);
    emit sStatus(text, true);
    if (RPublishText::isNews(m_shown, status.state)) {
        m_shown = status.state;
        emit sNotice(text);
    }
    if (status.state == VStreamPublisher::State::Failed)
        stop(); // the address itself is wrong: the class view is not needed any more
}

void RPublishControl::showDialog(QWidget *parent)
{
    if (!m_dialog) {
        m_dialog = new RPublishDialog(parent);
        m_dialog->setAttribute(Qt::WA_DeleteOnClose, false);
        m_dialog->setLanguage(m_iLangue);
        m_dialog->setAddress(RSettingsStore::readString(RSettingsKeys::PublishAddress));
        connect(m_dialog, &RPublishDialog::sStart, this, &RPublishControl::start);
        connect(m_dialog, &RPublishDialog::sStop, this, &RPublishControl::stop);
        connect(this, &RPublishControl::sStatus, m_dialog, &RPublishDialog::setStatus);
        connect(this, &RPublishControl::sNotice, m_dialog, &RPublishDialog::setProblem);
    }
    m_dialog->setStatus(statusText(), isPublishing());
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}
