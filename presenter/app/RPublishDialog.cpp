#include "RPublishDialog.h"

#include "RScreenScale.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RPublishDialog::RPublishDialog(QWidget *parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    setFont(RScreenScale::dialogFont());
    auto *layout = new QVBoxLayout(this);
    m_labelAddress = new QLabel(this);
    layout->addWidget(m_labelAddress);
    auto *row = new QHBoxLayout;
    m_editAddress = new QLineEdit(this);
    m_editAddress->setObjectName(QStringLiteral("editAddress"));
    m_editAddress->setPlaceholderText(QStringLiteral("rtmp://server/live/room  |  srt://server:9000"));
    m_editAddress->setMinimumWidth(int(420 * RScreenScale::dpiScale()));
    row->addWidget(m_editAddress, 1);
    m_btnToggle = new QPushButton(this);
    m_btnToggle->setObjectName(QStringLiteral("btnToggle"));
    row->addWidget(m_btnToggle);
    layout->addLayout(row);
    m_labelStatus = new QLabel(this);
    m_labelStatus->setObjectName(QStringLiteral("labelStatus"));
    m_labelStatus->setWordWrap(true);
    layout->addWidget(m_labelStatus);
    m_labelProblem = new QLabel(this);
    m_labelProblem->setObjectName(QStringLiteral("labelProblem"));
    m_labelProblem->setWordWrap(true);
    m_labelProblem->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0);"));
    layout->addWidget(m_labelProblem);
    connect(m_btnToggle, &QPushButton::clicked, this, &RPublishDialog::toggle);
    connect(m_editAddress, &QLineEdit::returnPressed, this, &RPublishDialog::toggle);
    refreshTexts();
}

void RPublishDialog::setLanguage(UiLanguage langue)
{
    m_iLangue = langue;
    refreshTexts();
}

void RPublishDialog::setAddress(const QString &url)
{
    m_editAddress->setText(url);
}

QString RPublishDialog::address() const
{
    return m_editAddress->text().trimmed();
}

void RPublishDialog::setStatus(const QString &text, bool publishing)
{
    m_labelStatus->setText(text);
    m_bPublishing = publishing;
    if (publishing)
        m_labelProblem->clear();
    refreshTexts();
}

void RPublishDialog::setProblem(const QString &text)
{
    if (!m_bPublishing)
        m_labelProblem->setText(text);
}

void RPublishDialog::toggle()
{
    m_labelProblem->clear();
    if (m_bPublishing)
        emit sStop();
    else
        emit sStart(address());
}

void RPublishDialog::refreshTexts()
{
    const bool en = m_iLangue == UiLanguage::English;
    setWindowTitle(en ? QStringLiteral("Publish to a server") : QStringLiteral("推流到服务器"));
    m_labelAddress->setText(en ? QStringLiteral("Address of the school's media server (RTMP or SRT):")
                               : QStringLiteral("学校媒体服务器地址（RTMP 或 SRT）："));
    m_btnToggle->setText(m_bPublishing ? (en ? QStringLiteral("Stop") : QStringLiteral("停止推流"))
                                       : (en ? QStringLiteral("Start") : QStringLiteral("开始推流")));
    m_editAddress->setReadOnly(m_bPublishing);
}
