#include "RSharePanel.h"

#include "RQrImage.h"
#include "RShareSession.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

RSharePanel::RSharePanel(RShareSession *session, QWidget *parent)
    : QWidget(parent), m_session(session), m_title(new QLabel(this)), m_code(new QLabel(this)),
      m_address(new QLabel(this)), m_viewers(new QLabel(this)), m_hide(new QPushButton(this)),
      m_stop(new QPushButton(this)), m_hideTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("sharePanel"));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral("#sharePanel { background: white; border: 2px solid #444; border-radius: 12px; }"
                                 "QLabel { color: black; } QPushButton { font-size: 20px; padding: 8px 18px; }"));
    m_code->setObjectName(QStringLiteral("shareCode"));
    m_code->setAlignment(Qt::AlignCenter);
    m_address->setObjectName(QStringLiteral("shareAddress"));
    m_address->setAlignment(Qt::AlignCenter);
    m_address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_address->setStyleSheet(QStringLiteral("font-size: 26px; font-weight: bold;"));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setStyleSheet(QStringLiteral("font-size: 22px;"));
    m_viewers->setObjectName(QStringLiteral("shareViewers"));
    m_viewers->setAlignment(Qt::AlignCenter);
    m_viewers->setStyleSheet(QStringLiteral("font-size: 20px;"));
    m_stop->setObjectName(QStringLiteral("shareStop"));
    m_hide->setObjectName(QStringLiteral("shareHide"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_hide);
    buttons->addWidget(m_stop);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addWidget(m_title);
    layout->addWidget(m_code);
    layout->addWidget(m_address);
    layout->addWidget(m_viewers);
    layout->addLayout(buttons);

    m_hideTimer->setSingleShot(true);
    connect(m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
    connect(m_hide, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_stop, &QPushButton::clicked, m_session, &RShareSession::stop);
    connect(m_session, &RShareSession::sStopped, this, &QWidget::hide);
    connect(m_session, &RShareSession::sViewersChanged, this, &RSharePanel::setViewers);
    setLanguage(UiLanguage::Chinese);
    hide();
}

void RSharePanel::setLanguage(UiLanguage language)
{
    m_language = language;
    const bool en = language == UiLanguage::English;
    m_title->setText(en ? QStringLiteral("Scan or type the address to watch the class view")
                        : QStringLiteral("扫码或输入地址，在自己的设备上观看"));
    m_hide->setText(en ? QStringLiteral("Hide") : QStringLiteral("隐藏"));
    m_stop->setText(en ? QStringLiteral("Stop sharing") : QStringLiteral("停止共享"));
    setViewers(m_session->viewers());
}

void RSharePanel::setViewers(int count)
{
    m_viewers->setText(m_language == UiLanguage::English ? QStringLiteral("Watching: %1").arg(count)
                                       : QStringLiteral("观看人数：%1").arg(count));
}

void RSharePanel::refresh()
{
    const QString address = m_session->address();
    m_address->setText(address);
    // As large as the screen allows: read from the back of the room or across a desk.
    const QWidget *host = parentWidget();
    const int side = host ? qBound(160, qMin(host->width(), host->height()) / 2, 720) : 360;
    const QImage code = RQrImage::fit(address, side);
    m_code->setPixmap(QPixmap::fromImage(code));
    setViewers(m_session->viewers());
    adjustSize();
    if (host)
        move((host->width() - width()) / 2, (host->height() - height()) / 2);
}

void RSharePanel::showFor(int showMs)
{
    if (!m_session->isSharing())
        return;
    refresh();
    show();
    raise();
    m_hideTimer->start(showMs);
}

QString RSharePanel::offer(UiLanguage language)
{
    QString error;
    if (!m_session->isSharing() && !m_session->start(language, &error))
        return error;
    showFor();
    return {};
}
