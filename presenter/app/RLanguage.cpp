#include "RScreenScale.h"
#include "RLanguage.h"

#include <QComboBox>
#include <QDebug>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

RLanguage::RLanguage(QWidget *parent)
    : QDialog(parent)
{
    // Keeps the dialog type: a title bar with only a close button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    setFont(RScreenScale::dialogFont());

    m_labelPrompt = new QLabel(this);
    m_comboLangue = new QComboBox(this);
    m_comboLangue->setObjectName(QStringLiteral("comboLangue"));
    m_comboLangue->addItem(QStringLiteral("中文"));
    m_comboLangue->addItem(QStringLiteral("English"));
    m_btnOK = new QPushButton(this);
    m_btnOK->setObjectName(QStringLiteral("btnOK"));
    m_btnCancel = new QPushButton(this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_btnOK);
    buttons->addWidget(m_btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_labelPrompt);
    layout->addWidget(m_comboLangue);
    layout->addLayout(buttons);

    connect(m_btnOK, &QPushButton::clicked, this, &RLanguage::slotOK);
    connect(m_btnCancel, &QPushButton::clicked, this, &RLanguage::slotCancel);
    initData();
}

void RLanguage::initData()
{
    m_comboLangue->setCurrentIndex(enumToStored(m_iLangue));
    const bool zh = m_iLangue == UiLanguage::Chinese;
    setWindowTitle(zh ? QStringLiteral("语言设置") : QStringLiteral("Language Set"));
    m_labelPrompt->setText(zh ? QStringLiteral("请选择语言") : QStringLiteral("Select language"));
    m_btnOK->setText(zh ? QStringLiteral("确定") : QStringLiteral("OK"));
    m_btnCancel->setText(zh ? QStringLiteral("取消") : QStringLiteral("Cancel"));
}

void RLanguage::slotOK()
{
    m_iLangue = enumFromStored<UiLanguage>(m_comboLangue->currentIndex()).value_or(UiLanguage::Chinese);
    qInfo() << "RLanguage::slotOK: langue" << enumToStored(m_iLangue);
    accept();
}

void RLanguage::slotCancel()
{
    reject();
}

void RLanguage::showEvent(QShowEvent *event)
{
    initData();
    QDialog::showEvent(event);
}
