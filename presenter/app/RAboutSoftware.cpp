#include "RScreenScale.h"
#include "RAboutSoftware.h"
#include "RLogFile.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

RAboutSoftware::RAboutSoftware(QWidget *parent)
    : QDialog(parent)
{
    // Keeps the dialog type: a title bar with only a close button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    setFont(RScreenScale::dialogFont());

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->setContentsMargins(10, 10, 10, 10);

    // Blank labels pad the name on both sides.
    auto *nameRow = new QHBoxLayout;
    for (int i = 0; i < 3; ++i)
        nameRow->addWidget(new QLabel(QStringLiteral("  "), this));
    m_labelName = new QLabel(QStringLiteral("高拍仪软件 V1.3.0"), this);
    m_labelName->setObjectName(QStringLiteral("labelName"));
    nameRow->addWidget(m_labelName);
    for (int i = 0; i < 3; ++i)
        nameRow->addWidget(new QLabel(QStringLiteral("  "), this));
    layout->addLayout(nameRow);

    // Where an IT helper finds what went wrong; selectable so it can be copied.
    m_labelLog = new QLabel(RLogFile::aboutText(UiLanguage::Chinese), this);
    m_labelLog->setObjectName(QStringLiteral("labelLog"));
    m_labelLog->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_labelLog);

    m_btnOK = new QPushButton(QStringLiteral("确定"), this);
    m_btnOK->setObjectName(QStringLiteral("btnOK"));
    m_btnOK->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(m_btnOK);
    buttonRow->addStretch();
    layout->addLayout(buttonRow);

    connect(m_btnOK, &QPushButton::clicked, this, &RAboutSoftware::slotOK);
}

void RAboutSoftware::slotOK()
{
    accept();
}

void RAboutSoftware::slotSetLangue(UiLanguage ilangue)
{
    const bool en = ilangue == UiLanguage::English;
    setWindowTitle(en ? QStringLiteral("About") : QStringLiteral("关于"));
    m_labelName->setText(en ? QStringLiteral("Document Camera V1.3.0") : QStringLiteral("高拍仪 V1.3.0"));
    m_btnOK->setText(en ? QStringLiteral("OK") : QStringLiteral("确定"));
    m_labelLog->setText(RLogFile::aboutText(ilangue));
}
